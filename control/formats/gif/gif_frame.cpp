#include "control/formats/gif/gif_frame.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "control/formats/gif/gif_dib.h"
#include "control/formats/gif/gif_image.h"
#include "control/formats/gif/gif_lzw.h"

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
    DropBitmap();
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

plat::TColorTable TGIFSubImage::PaletteHandle() {
  if (local_map_.EntryCount() == 0 && OwnerImage()) return OwnerImage()->GetPalette();
  return local_map_.MakePalette();
}

void TGIFSubImage::PaletteChanged() {
  DropBitmap();
  if (OwnerImage()) OwnerImage()->DropRenderedBitmap();
}

const plat::TBitmap* TGIFSubImage::RenderBitmap() {
  if (frame_bitmap_ || IsEmpty()) return frame_bitmap_.get();
  auto bitmap = std::make_unique<plat::TBitmap>();
  {
    TDIBWriter writer(*bitmap, plat::TPixelFormat::pf8bit, width_, height_, PaletteHandle());
    for (int y = 0; y < height_; ++y)
      std::memcpy(writer.RowAddress(y), pixels_.data() + int64_t{y} * width_, width_);
  }
  frame_bitmap_ = std::move(bitmap);
  return frame_bitmap_.get();
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
  if (data.terminated) throw plat::EImageTooLarge(plat::kImageTooLarge);
  if (pixels > kGIFPixelsWithoutData) RaiseGIFError("Premature end of data");
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
}

void TGIFSubImage::Assign(const plat::TBitmap& source) {
  ResetFrame();
  if (source.GetEmpty()) return;
  SetBoundsValue(3, source.Width());
  SetBoundsValue(4, source.Height());
  plat::TBitmap work(source);
  NewPixels();
  ImportPixels(work);
  DropBitmap();
}

void TGIFSubImage::ImportPixels(plat::TBitmap& bitmap) {
  switch (bitmap.PixelFormat()) {
    case plat::TPixelFormat::pf1bit:
      local_map_.LoadFromPalette(bitmap.Palette());
      for (int y = 0; y < height_; ++y) {
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
        const uint8_t* row = std::as_const(bitmap).ScanLine(y);
        uint8_t* out = RowPointer(y);
        for (int x = 0; x < width_; ++x) out[x] = x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
      }
      break;
    }
    case plat::TPixelFormat::pf8bit:
      local_map_.LoadFromPalette(bitmap.Palette());
      for (int y = 0; y < height_; ++y)
        std::memcpy(RowPointer(y), std::as_const(bitmap).ScanLine(y), width_);
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
    byte = SkipZeros(stream);
    if (byte < 0) return;
  }
  stream.Seek(-1, plat::SeekOrigin::Current);
}

}  // namespace pictavo
