#include "control/formats/gif/gif_frame.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "control/formats/gif/gif_dib.h"
#include "control/formats/gif/gif_image.h"
#include "control/formats/gif/gif_lzw.h"
#include "control/formats/gif/gif_reduce.h"

namespace pictavo {

TGIFSubImage::TGIFSubImage(TGIFImage* owner)
    : TGIFItem(owner), local_map_(this), extensions_(owner) {}

TGIFSubImage::~TGIFSubImage() {
  ResetFrame();
}

void TGIFSubImage::SetInterlaced(bool value) {
  packed_fields_ = value ? (packed_fields_ | 0x40) : (packed_fields_ & ~0x40);
}

void TGIFSubImage::ResetFrame() {
  extensions_.FreeAll();
  local_map_.ResetColors();
  FreePixels();
  height_ = 0;
  width_ = 0;
  is_transparent_ = false;
  control_extension_ = nullptr;
  DropBitmap();
  DropMask();
}

bool TGIFSubImage::IsEmpty() const {
  return pixels_.empty() || width_ == 0 || height_ == 0;
}

void TGIFSubImage::NewPixels() {
  FreePixels();
  const int64_t count = int64_t{width_} * height_;
  pixel_share_ = plat::TPixelReservation(count);
  pixels_.assign(static_cast<size_t>(count), 0);
}

void TGIFSubImage::FreePixels() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  pixel_share_ = plat::TPixelReservation();
}

void TGIFSubImage::EnsurePixels() {
  if (pixels_.empty()) NewPixels();
  if (pixels_.empty()) RaiseGIFError("Image is empty");
}

int TGIFSubImage::BoundsValue(int index) const {
  switch (index) {
    case 1:
      return left_;
    case 2:
      return top_;
    case 3:
      return width_;
    case 4:
      return height_;
    default:
      return 0;
  }
}

void TGIFSubImage::SetBoundsValue(int index, int value) {
  int bounds[4] = {left_, top_, width_, height_};
  if (index >= 1 && index <= 4) bounds[index - 1] = value;
  SetBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
}

void TGIFSubImage::SetBounds(int left, int top, int width, int height) {
  bool resize = width != width_ || height != height_;
  left_ = static_cast<uint16_t>(left);
  top_ = static_cast<uint16_t>(top);
  width_ = static_cast<uint16_t>(width);
  height_ = static_cast<uint16_t>(height);
  if (resize) {
    PixelsChanged();
    NewPixels();
  }
  TGIFImage* image = OwnerImage();
  if (!image) return;
  bool too_large = false;
  int right = std::min(65535, left_ + width_);
  int bottom = std::min(65535, top_ + height_);
  if (image->GetWidth() < right) {
    if (image->GetWidth() > 0) {
      ReportWarning(kGIFWarning, "Image width too small for contained frames");
      too_large = true;
    }
    image->Header().LogicalScreenWidth = static_cast<uint16_t>(right);
  }
  if (image->GetHeight() < bottom) {
    if (image->GetHeight() > 0) {
      ReportWarning(kGIFWarning, "Image height too small for contained frames");
      too_large = true;
    }
    image->Header().LogicalScreenHeight = static_cast<uint16_t>(bottom);
  }
  if (too_large) ReportWarning(kGIFWarning, "Image exceeds Logical Screen size");
}

uint8_t* TGIFSubImage::RowPointer(int y) {
  if (y < 0 || y >= height_) RaiseGIFError("Invalid pixel coordinates");
  EnsurePixels();
  return pixels_.data() + int64_t{y} * width_;
}

uint8_t TGIFSubImage::PixelIndex(int x, int y) {
  if (x < 0 || x >= width_) RaiseGIFError("Invalid pixel coordinates");
  return RowPointer(y)[x];
}

void TGIFSubImage::RemapPixels(const TRemapTable& map) {
  for (uint8_t& p : pixels_) p = map[p];
  for (int i = 0; i < extensions_.ItemCount(); ++i)
    if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extensions_.ItemAt(i)))
      control->TransparentColorIndex = map[control->TransparentColorIndex];
  DropBitmap();
}

TGIFColorMap& TGIFSubImage::ActiveColorMap() {
  TGIFImage* image = OwnerImage();
  if (local_map_.EntryCount() > 0 || !image || image->GlobalColorMap().EntryCount() == 0)
    return local_map_;
  return image->GlobalColorMap();
}

int TGIFSubImage::NeededVersion() const {
  return local_map_.IsOptimized() || extensions_.ItemCount() > 0 ? ver89a : ver87a;
}

void TGIFSubImage::PixelsChanged() {
  DropBitmap();
  DropMask();
}

int TGIFSubImage::TransparentIndexOrNone() const {
  return is_transparent_ && control_extension_ ? control_extension_->TransparentIndex() : -1;
}

plat::TColorTable TGIFSubImage::PaletteHandle() {
  if (frame_bitmap_ && !frame_bitmap_->Palette().empty()) return frame_bitmap_->Palette();
  if (cached_palette_) return *cached_palette_;
  TGIFImage* image = OwnerImage();
  if (image && image->ShouldDither()) return *(cached_palette_ = WebSafePalette());
  if (local_map_.EntryCount() == 0) return image ? image->GetPalette() : plat::TColorTable();
  return *(cached_palette_ = local_map_.MakePalette());
}

void TGIFSubImage::SetPaletteHandle(const plat::TColorTable& palette) {
  if (cached_palette_ && *cached_palette_ == palette) return;
  cached_palette_ = palette;
  if (!frame_bitmap_ || frame_bitmap_->Palette() == palette) return;
  DropBitmap();
  if (TGIFImage* image = OwnerImage()) {
    image->PaletteModified = true;
    image->Changed();
  }
}

void TGIFSubImage::PaletteChanged() {
  cached_palette_.reset();
  DropBitmap();
  if (OwnerImage()) OwnerImage()->DropRenderedBitmap();
}

bool TGIFSubImage::HasMask() {
  if (mask_pending_ && is_transparent_) {
    DropBitmap();
    RenderBitmap();
  }
  return transparency_mask_ != nullptr;
}

void TGIFSubImage::DropMask() {
  transparency_mask_.reset();
  mask_pending_ = true;
}

const plat::TBitmap* TGIFSubImage::RenderBitmap() {
  if (frame_bitmap_ || IsEmpty()) return frame_bitmap_.get();
  TGIFImage* image = OwnerImage();
  {
    std::optional<TGIFProgress> progress;
    if (image) progress.emplace(*image, "Rendering...", image->PaletteModified);
    frame_bitmap_ = image && image->ShouldDither() ? BuildDitheredBitmap() : BuildPlainBitmap();
  }
  if (image && image->PaletteModified) image->Changed();
  return frame_bitmap_.get();
}

plat::TColorTable ColourTable256(const TGIFColorMap& map) {
  plat::TColorTable table(256);
  for (int i = 0; i < map.EntryCount(); ++i)
    table[size_t(i)] =
        plat::TRGBQuad::FromColor(TGIFColorMap::TripleToColor(map.Triples() + i * 3));
  return table;
}

namespace {

TRGBValue RGBOf(const plat::TRGBQuad& quad) {
  return {quad.rgbRed, quad.rgbGreen, quad.rgbBlue};
}

// The 1 bits of a frame's transparency mask, set while its rows are rendered.
class TMaskBuilder {
 public:
  TMaskBuilder(int width, int height, bool wanted) {
    if (wanted) {
      mask_ = std::make_unique<plat::TBitmap>(width, height, plat::TPixelFormat::pf1bit);
      mask_->SetColorTable({plat::TRGBQuad::FromColor(0), plat::TRGBQuad::FromColor(0xFFFFFF)});
    }
  }
  bool Wanted() const { return mask_ != nullptr; }
  void Set(int x, int y) {
    mask_->ScanLine(y)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    any_ = true;
  }
  // The mask when a bit was set, else none.
  std::unique_ptr<plat::TBitmap> Take() { return any_ ? std::move(mask_) : nullptr; }

 private:
  std::unique_ptr<plat::TBitmap> mask_;
  bool any_ = false;
};

}  // namespace

std::unique_ptr<plat::TBitmap> TGIFSubImage::BuildPlainBitmap() {
  auto bitmap = std::make_unique<plat::TBitmap>();
  TMaskBuilder mask(width_, height_, mask_pending_ && is_transparent_);
  mask_pending_ = false;
  const int transparent = TransparentIndexOrNone();
  {
    TDIBWriter writer(*bitmap, plat::TPixelFormat::pf8bit, width_, height_, PaletteHandle());
    for (int y = 0; y < height_; ++y) {
      ReportRowProgress(y, "Rendering...");
      const uint8_t* row = pixels_.data() + int64_t{y} * width_;
      std::memcpy(writer.RowAddress(y), row, width_);
      if (!mask.Wanted()) continue;
      for (int x = 0; x < width_; ++x)
        if (row[x] == transparent) mask.Set(x, y);
    }
  }
  if (auto built = mask.Take()) transparency_mask_ = std::move(built);
  return bitmap;
}

std::unique_ptr<plat::TBitmap> TGIFSubImage::BuildDitheredBitmap() {
  auto bitmap = std::make_unique<plat::TBitmap>();
  TMaskBuilder mask(width_, height_, mask_pending_ && is_transparent_);
  mask_pending_ = false;
  const int transparent = TransparentIndexOrNone();
  const plat::TColorTable colours = ColourTable256(ActiveColorMap());
  TNetscapeColorLookup lookup;
  TErrorDiffusionDitherer ditherer(width_, lookup,
                                   DiffusionKernelOf(TDitherMethod::dtFloydSteinberg));
  // Masked pixels carry the web-safe entry of the transparent colour, so the bitmap still
  // shows that colour when drawn without its mask.
  uint8_t fill = 0;
  if (mask.Wanted()) {
    TRGBValue exact;
    fill = static_cast<uint8_t>(lookup.Lookup(RGBOf(colours[size_t(transparent)]), exact));
  }
  {
    TDIBWriter writer(*bitmap, plat::TPixelFormat::pf8bit, width_, height_, PaletteHandle());
    for (int y = 0; y < height_; ++y) {
      ReportRowProgress(y, "Rendering...");
      const uint8_t* row = pixels_.data() + int64_t{y} * width_;
      uint8_t* out = writer.RowAddress(y);
      if (mask.Wanted()) std::memset(out, fill, width_);
      for (int i = 0; i < width_; ++i) {
        const int x = ditherer.Column();
        if (mask.Wanted() && row[x] == transparent) {
          mask.Set(x, y);
          ditherer.Skip();
          continue;
        }
        TRGBValue shown;
        out[x] = static_cast<uint8_t>(ditherer.Dither(RGBOf(colours[row[x]]), shown));
      }
      ditherer.NextLine();
    }
  }
  if (auto built = mask.Take()) transparency_mask_ = std::move(built);
  return bitmap;
}

void TGIFSubImage::ReportRowProgress(int row, const char* message) const {
  if (row % 32 == 0 && OwnerImage())
    OwnerImage()->Progress(plat::TProgressStage::psRunning, row * 100 / height_, false, {},
                           message);
}

void TGIFSubImage::SetHasBitmap(bool value) {
  if (value == HasBitmap()) return;
  if (value)
    RenderBitmap();
  else
    DropBitmap();
}

// ---- reading and writing ----

void TGIFSubImage::LoadFromStream(plat::TStream& stream) {
  ResetFrame();
  extensions_.ReadItems(stream, this);
  int next = ReadOneByte(stream);
  if (next < 0) return;
  stream.Seek(-1, plat::SeekOrigin::Current);
  if (next == ';' || next == 0) return;

  uint8_t descriptor[10];
  ReadExact(stream, descriptor, 10);
  // The separator is not checked; a frame is always written with ','.
  left_ = uint16_t(descriptor[1] | descriptor[2] << 8);
  top_ = uint16_t(descriptor[3] | descriptor[4] << 8);
  width_ = uint16_t(descriptor[5] | descriptor[6] << 8);
  height_ = uint16_t(descriptor[7] | descriptor[8] << 8);
  packed_fields_ = descriptor[9];
  if (width_ == 0 || height_ == 0) {
    if (OwnerImage()) {
      width_ = static_cast<uint16_t>(OwnerImage()->GetWidth());
      height_ = static_cast<uint16_t>(OwnerImage()->GetHeight());
    }
    ReportWarning(kGIFWarning, "Image exceeds Logical Screen size");
  }
  if (packed_fields_ & 0x80) local_map_.ReadEntries(stream, 2 << (packed_fields_ & 7));
  DecodePixelData(stream);
}

void TGIFSubImage::CheckFrameSize(plat::TStream& stream) const {
  // Truncated files still show what they have, but no file makes us allocate far more than
  // its data can fill.
  // Only the frame's own data counts, so many frames cannot share one allowance; only a frame
  // cut off by the end of the file gets the allowance of a frame without data.
  const int64_t pixels = int64_t{width_} * height_;
  const int64_t start = stream.Position();
  ReadOneByte(stream);  // the code size comes before the sub-blocks
  const TSubBlockData data = MeasureSubBlocks(stream);
  stream.SetPosition(start);
  const int64_t justified = MaxPixelsInImageData(data.bytes);
  if (pixels <= justified) return;
  // A frame reaching past the logical screen needs data only for the part on it.
  if (PixelsOnScreen() <= justified && OwnerImage() &&
      OwnerImage()->TakePixelsOffScreen(pixels - justified))
    return;
  if (data.terminated) throw plat::EImageTooLarge(plat::kImageTooLarge);
  if (pixels > kGIFPixelsWithoutData) RaiseGIFError("Premature end of data");
}

int64_t TGIFSubImage::PixelsOnScreen() const {
  const TGIFImage* image = OwnerImage();
  if (!image) return int64_t{width_} * height_;
  const int64_t across = std::clamp<int64_t>(image->GetWidth() - left_, 0, width_);
  const int64_t down = std::clamp<int64_t>(image->GetHeight() - top_, 0, height_);
  return across * down;
}

void TGIFSubImage::DecodePixelData(plat::TStream& stream) {
  CheckFrameSize(stream);
  NewPixels();
  if (is_transparent_ && control_extension_)
    std::fill(pixels_.begin(), pixels_.end(), control_extension_->TransparentColorIndex);
  DecodeImageData(stream, pixels_.data(), width_, height_, Interlaced(),
                  [this](const std::string& message) { ReportWarning(kGIFWarning, message); });
}

void TGIFSubImage::PrepareFlags() {
  if (local_map_.EntryCount() > 0)
    packed_fields_ = static_cast<uint8_t>(0x80 | (local_map_.IsOptimized() ? 0x20 : 0) |
                                          (ResolutionField() & 7));
  else
    packed_fields_ &= 0x58;
}

void TGIFSubImage::SaveToStream(plat::TStream& stream) {
  extensions_.WriteItems(stream);
  if (IsEmpty()) return;
  PrepareFlags();
  uint8_t descriptor[10] = {',',
                            uint8_t(left_),
                            uint8_t(left_ >> 8),
                            uint8_t(top_),
                            uint8_t(top_ >> 8),
                            uint8_t(width_),
                            uint8_t(width_ >> 8),
                            uint8_t(height_),
                            uint8_t(height_ >> 8),
                            packed_fields_};
  stream.WriteBuffer(descriptor, 10);
  local_map_.WriteEntries(stream);
  EncodePixelData(stream);
}

void TGIFSubImage::EncodePixelData(plat::TStream& stream) {
  int bits;
  int color_limit;
  if (local_map_.EntryCount() > 0) {
    bits = local_map_.IndexBits();
    color_limit = local_map_.EntryCount();
  } else {
    bits = OwnerImage() ? OwnerImage()->MaxBitsPerPixel() : 8;
    color_limit = 1 << bits;
  }
  bool run_length = OwnerImage() && OwnerImage()->CompressionMethod == ecRunLength;
  std::unique_ptr<TGIFEncoder> encoder;
  if (run_length)
    encoder = std::make_unique<TRLEEncoder>();
  else
    encoder = std::make_unique<TLZWEncoder>();
  encoder->EncodeFrame(stream, bits, color_limit, pixels_.data(), Interlaced(), height_, width_);
}

// ---- building a frame ----

void TGIFSubImage::Assign(const TGIFSubImage& source) {
  if (&source == this) return;
  ResetFrame();
  if (source.IsEmpty()) return;
  left_ = source.left_;
  top_ = source.top_;
  width_ = source.width_;
  height_ = source.height_;
  packed_fields_ = source.packed_fields_;
  is_transparent_ = source.is_transparent_;
  pixel_share_ = source.pixel_share_;
  pixels_ = source.pixels_;
  local_map_.Assign(source.local_map_);
  if (source.extensions_.ItemCount() > 0) {
    // Written and read back, so every extension is made anew for this frame.
    plat::TMemoryStream copy;
    source.extensions_.WriteItems(copy);
    copy.SetPosition(0);
    extensions_.ReadItems(copy, this);
  }
  if (source.HasBitmap()) frame_bitmap_ = std::make_unique<plat::TBitmap>(*source.frame_bitmap_);
}

namespace {

// The pixels a transparent bitmap leaves out: those of its bottom-left pixel's colour.
plat::TBitmap TransparentColourMask(const plat::TBitmap& bitmap) {
  plat::TBitmap mask(bitmap.Width(), bitmap.Height(), plat::TPixelFormat::pf8bit);
  plat::TColorTable table = {plat::TRGBQuad::FromColor(0), plat::TRGBQuad::FromColor(0xFFFFFF)};
  mask.SetColorTable(table);
  const plat::TColor transparent = bitmap.PixelColor(0, bitmap.Height() - 1);
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      mask.ScanLine(y)[x] = bitmap.PixelColor(x, y) == transparent ? 1 : 0;
  return mask;
}

}  // namespace

void TGIFSubImage::Assign(const plat::TBitmap& source) {
  ResetFrame();
  if (source.GetEmpty()) return;
  SetBoundsValue(3, source.Width());
  SetBoundsValue(4, source.Height());
  plat::TBitmap work(source);
  if (BitsPerPixel(work.PixelFormat()) > 8) {
    TGIFImage* image = OwnerImage();
    std::unique_ptr<plat::TBitmap> reduced =
        ReduceBitmapColors(work, image ? image->ReductionMethod : DefaultReductionMethod,
                           image ? image->DitherMethod : DefaultDitherMethod, {},
                           image ? image->ReductionDepth : DefaultReductionDepth);
    // An unusable method gives nothing to import: say so rather than leave an empty frame.
    if (reduced->GetEmpty()) RaiseGIFError("Invalid reduction method");
    work = *reduced;
  }
  NewPixels();
  {
    std::optional<TGIFProgress> progress;
    if (OwnerImage())
      progress.emplace(*OwnerImage(), "Converting...", OwnerImage()->PaletteModified);
    ImportPixels(work);
    // The platform bitmap's own flag: raster images that keep a transparent colour of their
    // own (and say so through an override) add their control block themselves.
    if (source.plat::TGraphic::GetTransparent()) AddMask(TransparentColourMask(source));
  }
  PixelsChanged();
}

void TGIFSubImage::Assign(const plat::TGraphic& source) {
  if (const auto* bitmap = dynamic_cast<const plat::TBitmap*>(&source)) return Assign(*bitmap);
  ResetFrame();
  if (source.GetEmpty()) return;
  plat::TBitmap canvas(source.GetWidth(), source.GetHeight(), plat::TPixelFormat::pf24bit);
  try {
    canvas.Canvas().Draw(0, 0, source);
  } catch (const plat::Exception&) {
    // A graphic that cannot draw itself may still convert into a bitmap.
    canvas.Assign(source);
  }
  Assign(canvas);
}

void TGIFSubImage::AddMask(const plat::TBitmap& mask) {
  local_map_.SortByUsage();
  if (local_map_.EntryCount() == 0 || local_map_.EntryCount() == 256) return;
  const int index = local_map_.AppendColor(0);
  bool used = false;
  const int height = std::min(height_, static_cast<uint16_t>(mask.Height()));
  const int width = std::min(width_, static_cast<uint16_t>(mask.Width()));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = RowPointer(y);
    for (int x = 0; x < width; ++x) {
      if (mask.PixelColor(x, y) == 0) continue;
      row[x] = static_cast<uint8_t>(index);
      used = true;
    }
  }
  if (!used) {
    local_map_.RemoveColor(index);
    return;
  }
  auto control = std::make_unique<TGIFGraphicControlExtension>(this);
  control->SetTransparencyFlag(true);
  control->SetTransparentIndex(index);
  extensions_.Append(std::move(control));
  PixelsChanged();
}

void TGIFSubImage::ImportPixels(plat::TBitmap& bitmap) {
  switch (bitmap.PixelFormat()) {
    case plat::TPixelFormat::pf1bit:
      local_map_.LoadFromPalette(bitmap.Palette());
      for (int y = 0; y < height_; ++y) {
        ReportRowProgress(y, "Converting...");
        const uint8_t* row = std::as_const(bitmap).ScanLine(y);
        uint8_t* out = RowPointer(y);
        for (int x = 0; x < width_; ++x) out[x] = (row[x / 8] >> (7 - x % 8)) & 1;
      }
      break;
    case plat::TPixelFormat::pf4bit: {
      plat::TColorTable quads = bitmap.Palette();
      quads.resize(16);
      local_map_.LoadFirst16Quads(quads.data());
      for (int y = 0; y < height_; ++y) {
        ReportRowProgress(y, "Converting...");
        const uint8_t* row = std::as_const(bitmap).ScanLine(y);
        uint8_t* out = RowPointer(y);
        for (int x = 0; x < width_; ++x) out[x] = x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
      }
      break;
    }
    case plat::TPixelFormat::pf8bit:
      local_map_.LoadFromPalette(bitmap.Palette());
      for (int y = 0; y < height_; ++y) {
        ReportRowProgress(y, "Converting...");
        std::memcpy(RowPointer(y), std::as_const(bitmap).ScanLine(y), width_);
      }
      break;
    default:
      Import24BitPixels(bitmap);
      break;
  }
}

void TGIFSubImage::Import24BitPixels(const plat::TBitmap& source) {
  plat::TBitmap bitmap(source);
  TDIBReader reader(bitmap, plat::TPixelFormat::pf24bit);
  // Neighbouring pixels mostly repeat a recent colour: remember the last eight.
  struct Slot {
    int32_t value = -1;
    int index = 0;
  };
  Slot cache[8];
  int last = 0;
  for (int y = 0; y < height_; ++y) {
    ReportRowProgress(y, "Converting...");
    const uint8_t* row = reader.RowAddress(y);
    uint8_t* out = RowPointer(y);
    for (int x = 0; x < width_; ++x) {
      const uint8_t* bgr = row + x * 3;
      int32_t value = bgr[0] | bgr[1] << 8 | bgr[2] << 16;
      int slot = last;
      int found = -1;
      do {
        if (cache[slot].value < 0) break;
        if (cache[slot].value == value) {
          found = slot;
          break;
        }
        slot = (slot + 7) % 8;
      } while (slot != last);
      if (found < 0) {
        found = (last + 1) % 8;
        cache[found] = {value, local_map_.FindOrAppendColor(static_cast<plat::TColor>(value))};
      }
      last = found;
      out[x] = static_cast<uint8_t>(cache[found].index);
    }
  }
  // The values went in with blue where red belongs.
  std::vector<uint8_t> triples(768, 0);
  std::memcpy(triples.data(), local_map_.Triples(), size_t(local_map_.EntryCount()) * 3);
  for (int i = 0; i < local_map_.EntryCount(); ++i) std::swap(triples[i * 3], triples[i * 3 + 2]);
  local_map_.LoadFromTriples(triples.data(), local_map_.EntryCount());
}

// ---- the frame list ----

namespace {

// The next byte that is not 0, or -1 at the end.
int SkipZeros(plat::TStream& stream) {
  int byte;
  do byte = ReadOneByte(stream);
  while (byte == 0);
  return byte;
}

}  // namespace

void TGIFImageList::ReadItems(plat::TStream& stream, TGIFImage* image) {
  int byte = SkipZeros(stream);
  if (byte < 0) return;
  while (byte != ';') {
    stream.Seek(-1, plat::SeekOrigin::Current);
    if (byte != '!' && byte != ',') {
      image->ReportWarning(image, kGIFWarning, "Unknown GIF block type");
      return;
    }
    auto frame = std::make_unique<TGIFSubImage>(image);
    frame->LoadFromStream(stream);
    Append(std::move(frame));
    image->Progress(plat::TProgressStage::psRunning,
                    static_cast<int>(stream.Position() * 100 / std::max<int64_t>(1, stream.Size())),
                    false, {}, "Loading...");
    byte = SkipZeros(stream);
    if (byte < 0) return;
  }
  stream.Seek(-1, plat::SeekOrigin::Current);
}

void TGIFImageList::WriteItems(plat::TStream& stream) const {
  for (int i = 0; i < ItemCount(); ++i) {
    ItemAt(i)->SaveToStream(stream);
    OwnerImage()->Progress(plat::TProgressStage::psRunning, (i + 1) * 100 / ItemCount(), false, {},
                           "Saving...");
  }
}

}  // namespace pictavo
