#include "control/formats/jpeg/jpeg_image.h"

// libjpeg's header needs size_t and FILE declared first.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "platform/base/large_blocks.h"
#include "platform/base/rounding.h"
#include "platform/base/streams.h"
#include "platform/graphics/pixel_budget.h"
#include "platform/graphics/resolution.h"

namespace pictavo {

namespace {

// ---- Binding to libjpeg
//
// libjpeg reports errors through error_exit, which must not return. It jumps back to the guard
// around the library call that failed; the guard then raises EJPEG in C++ land, so no C++
// exception ever unwinds through the library's frames. The guarded calls create no objects
// with destructors between the jump and its target.

struct TErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

extern "C" void ErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<TErrorManager*>(info->err)->jump, 1);
}

// Warnings (a truncated scan, for example) are dropped: the decoder goes on with what it has.
extern "C" void EmitMessage(j_common_ptr, int) {}
extern "C" void OutputMessage(j_common_ptr) {}

void InstallErrorManager(TErrorManager& manager) {
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = ErrorExit;
  manager.pub.emit_message = EmitMessage;
  manager.pub.output_message = OutputMessage;
}

[[noreturn]] void RaiseLibraryError(const TErrorManager& manager) {
  char text[32];
  std::snprintf(text, sizeof text, "JPEG error #%d", manager.pub.msg_code);
  throw EJPEG(text);
}

template <class Call>
void Guarded(TErrorManager& manager, Call&& call) {
  if (setjmp(manager.jump) != 0) RaiseLibraryError(manager);
  call();
}

// One decompression run over bytes in memory; the library structure is destroyed in every case.
class TDecompressor {
 public:
  TDecompressor() {
    std::memset(&info_, 0, sizeof info_);
    InstallErrorManager(errors_);
    info_.err = &errors_.pub;
    Guarded(errors_, [this] { jpeg_create_decompress(&info_); });
    created_ = true;
  }
  ~TDecompressor() {
    if (created_) jpeg_destroy_decompress(&info_);
  }
  TDecompressor(const TDecompressor&) = delete;
  TDecompressor& operator=(const TDecompressor&) = delete;

  jpeg_decompress_struct& Info() { return info_; }
  void ReadHeader(const std::vector<uint8_t>& data) {
    Run([this, &data] {
      jpeg_mem_src(&info_, data.data(), static_cast<unsigned long>(data.size()));
      jpeg_read_header(&info_, TRUE);
    });
  }
  template <class Call>
  void Run(Call&& call) {
    Guarded(errors_, std::forward<Call>(call));
  }

 private:
  TErrorManager errors_;
  jpeg_decompress_struct info_;
  bool created_ = false;
};

// The coded bytes gather in memory. For a large picture they start in a large block that the
// next save takes again: growing from a few kilobytes, the library would take fresh memory at
// each step, and on a virtual machine the first touch of those pages costs more than the
// copying. The library grows the room itself if it runs out.
class TCompressor {
 public:
  explicit TCompressor(size_t expected) {
    std::memset(&info_, 0, sizeof info_);
    InstallErrorManager(errors_);
    info_.err = &errors_.pub;
    Guarded(errors_, [this] { jpeg_create_compress(&info_); });
    created_ = true;
    if (expected >= plat::kLargeBlockBytes) {
      block_ = plat::AllocateBlock(expected);
      block_bytes_ = expected;
      buffer_ = static_cast<unsigned char*>(block_);
      size_ = expected;
    }
    try {
      Run([this] { jpeg_mem_dest(&info_, &buffer_, &size_); });
    } catch (...) {
      jpeg_destroy_compress(&info_);  // the destructor does not run for a failed constructor
      throw;
    }
  }
  ~TCompressor() {
    if (created_) jpeg_destroy_compress(&info_);
    if (buffer_ != block_) std::free(buffer_);
    if (block_ != nullptr) plat::FreeBlock(block_, block_bytes_);
  }
  TCompressor(const TCompressor&) = delete;
  TCompressor& operator=(const TCompressor&) = delete;

  jpeg_compress_struct& Info() { return info_; }
  template <class Call>
  void Run(Call&& call) {
    Guarded(errors_, std::forward<Call>(call));
  }
  std::vector<uint8_t> Output() const { return std::vector<uint8_t>(buffer_, buffer_ + size_); }

 private:
  TErrorManager errors_;
  jpeg_compress_struct info_;
  void* block_ = nullptr;
  size_t block_bytes_ = 0;
  unsigned char* buffer_ = nullptr;
  unsigned long size_ = 0;
  bool created_ = false;
};

// ---- Pixels

constexpr int kQuantizedColours = 236;
constexpr int kMaxRowsPerCall = 16;

plat::TColorTable GreyPalette() {
  plat::TColorTable palette(256);
  for (int i = 0; i < 256; ++i) {
    uint8_t v = static_cast<uint8_t>(i);
    palette[i] = {v, v, v, 0};
  }
  return palette;
}

// Adobe CMYK as the library delivers it (inverted ink values) to blue, green, red.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, int width) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3)
    plat::CMYKToRGB(255 - cmyk[0], 255 - cmyk[1], 255 - cmyk[2], 255 - cmyk[3], bgr[2], bgr[1],
                    bgr[0]);
}

uint16_t DensityFromDotsPerCentimetre(unsigned value) {
  return static_cast<uint16_t>(std::min<int64_t>(65535, plat::RoundHalfEven(value * 2.54)));
}

uint8_t KindOfColorSpace(J_COLOR_SPACE space) {
  switch (space) {
    case JCS_GRAYSCALE:
      return kColorSpaceGrayscale;
    case JCS_RGB:
      return kColorSpaceRGB;
    case JCS_YCbCr:
      return kColorSpaceYCbCr;
    case JCS_CMYK:
    case JCS_YCCK:
      return kColorSpaceCMYK;
    default:
      return kColorSpaceOther;
  }
}

// (B + G + R) div 3 into an 8-bit image with the identity grey palette.
void ConvertToGrayscale(TBMPImage& bitmap) {
  TBMPImage colour;
  colour.Assign(bitmap);
  colour.SetPixelFormat(plat::TPixelFormat::pf24bit);
  TBMPImage grey;
  grey.SetPixelFormat(plat::TPixelFormat::pf8bit);
  grey.SetSize(colour.Width(), colour.Height());
  grey.SetColorTable(GreyPalette());
  for (int y = 0; y < colour.Height(); ++y) {
    const uint8_t* in = colour.ScanLine(y);
    uint8_t* out = grey.ScanLine(y);
    for (int x = 0; x < colour.Width(); ++x, in += 3)
      out[x] = static_cast<uint8_t>((in[0] + in[1] + in[2]) / 3);
  }
  int32_t x_ppm = bitmap.GetXPelsPerMeter(), y_ppm = bitmap.GetYPelsPerMeter();
  bitmap.Assign(grey);
  bitmap.SetXPelsPerMeter(x_ppm);
  bitmap.SetYPelsPerMeter(y_ppm);
}

uint16_t DensityFromPels(int32_t pels) {
  return static_cast<uint16_t>(std::clamp<int64_t>(plat::DpiByFactor(pels), 0, 65535));
}

}  // namespace

TJPEGImageExtra::TJPEGImageExtra() : image_(std::make_shared<TJPEGExtraData>()) {}

TJPEGImageExtra::~TJPEGImageExtra() = default;

void TJPEGImageExtra::NewImage() {
  image_ = std::make_shared<TJPEGExtraData>();
}

// Copy on write: the data is shared by Assign, and a change must never reach the other side.
TJPEGExtraData& TJPEGImageExtra::MutableImage() {
  if (image_.use_count() > 1) image_ = std::make_shared<TJPEGExtraData>(*image_);
  return *image_;
}

void TJPEGImageExtra::Assign(const plat::TGraphic& source) {
  if (const auto* jpeg = dynamic_cast<const TJPEGImageExtra*>(&source)) {
    if (jpeg == this) return;
    image_ = jpeg->image_;
    bitmap_.reset();
    if (jpeg->bitmap_) {
      bitmap_ = std::make_unique<TBMPImage>();
      bitmap_->Assign(*jpeg->bitmap_);
      SetXDensity(DensityFromPels(bitmap_->GetXPelsPerMeter()));
      SetYDensity(DensityFromPels(bitmap_->GetYPelsPerMeter()));
    }
    FileInfo.CopyFrom(jpeg->FileInfo);
    Exif.CopyFrom(jpeg->Exif);
    return;
  }
  if (const auto* bitmap = dynamic_cast<const plat::TBitmap*>(&source)) {
    NewImage();
    bitmap_ = std::make_unique<TBMPImage>();
    bitmap_->Assign(*bitmap);
    if (const auto* bmp = dynamic_cast<const TBMPImage*>(bitmap)) {
      bitmap_->SetXPelsPerMeter(bmp->GetXPelsPerMeter());
      bitmap_->SetYPelsPerMeter(bmp->GetYPelsPerMeter());
      image_->XDensity = DensityFromPels(bmp->GetXPelsPerMeter());
      image_->YDensity = DensityFromPels(bmp->GetYPelsPerMeter());
    }
    return;
  }
  plat::TGraphic::Assign(source);
}

void TJPEGImageExtra::AssignTo(plat::TGraphic& dest) const {
  auto* bitmap = dynamic_cast<plat::TBitmap*>(&dest);
  if (!bitmap) return plat::TGraphic::AssignTo(dest);
  bitmap->Assign(static_cast<const plat::TBitmap&>(GetBitmap()));
  if (auto* bmp = dynamic_cast<TBMPImage*>(bitmap)) {
    bmp->SetXPelsPerMeter(static_cast<int32_t>(plat::PelsPerMetreByFactor(GetXDensity())));
    bmp->SetYPelsPerMeter(static_cast<int32_t>(plat::PelsPerMetreByFactor(GetYDensity())));
  }
}

bool TJPEGImageExtra::Equals(const plat::TGraphic& other) const {
  const auto* jpeg = dynamic_cast<const TJPEGImageExtra*>(&other);
  if (!jpeg) return false;
  if (image_->Data && jpeg->image_->Data) return *image_->Data == *jpeg->image_->Data;
  return image_ == jpeg->image_;
}

bool TJPEGImageExtra::GetEmpty() const {
  if (image_->Data) return false;
  return !bitmap_ || bitmap_->GetEmpty();
}

int TJPEGImageExtra::GetWidth() const {
  return bitmap_ ? bitmap_->Width() : image_->Width;
}
int TJPEGImageExtra::GetHeight() const {
  return bitmap_ ? bitmap_->Height() : image_->Height;
}

void TJPEGImageExtra::SetWidth(int) {
  throw plat::EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}
void TJPEGImageExtra::SetHeight(int) {
  throw plat::EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImageExtra::SetPixelFormat(TJPEGPixelFormat value) {
  if (value == pixel_format_) return;
  bitmap_.reset();
  pixel_format_ = value;
  Changed();
}

void TJPEGImageExtra::LoadFromStream(plat::TStream& stream) {
  ReadStream(stream.Size() - stream.Position(), stream);
}

void TJPEGImageExtra::ReadStream(int64_t size, plat::TStream& stream) {
  NewImage();
  bitmap_.reset();
  if (size < 0 || size > stream.Size() - stream.Position())
    throw plat::EReadError("JPEG data ends early");
  auto data = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(size));
  stream.ReadBuffer(data->data(), size);
  image_->Data = std::move(data);
  if (size == 0) return;
  ReadHeader();
  Changed();
  ReadMetadata();
}

void TJPEGImageExtra::ReadHeader() {
  TDecompressor decompressor;
  decompressor.ReadHeader(*image_->Data);
  jpeg_decompress_struct& info = decompressor.Info();
  image_->Width = static_cast<int>(info.image_width);
  image_->Height = static_cast<int>(info.image_height);
  image_->Grayscale = info.jpeg_color_space == JCS_GRAYSCALE;
  ProgressiveEncoding = jpeg_has_multiple_scans(&info);
  ColorSpaceKind = KindOfColorSpace(info.jpeg_color_space);
  // Unit 1 is dots per inch, 2 dots per centimetre; 0 gives only an aspect ratio, which counts
  // as unknown (1, 1) so that the EXIF resolution can take over.
  switch (info.density_unit) {
    case 1:
      image_->XDensity = info.X_density;
      image_->YDensity = info.Y_density;
      break;
    case 2:
      image_->XDensity = DensityFromDotsPerCentimetre(info.X_density);
      image_->YDensity = DensityFromDotsPerCentimetre(info.Y_density);
      break;
    default:
      image_->XDensity = 1;
      image_->YDensity = 1;
      break;
  }
}

void TJPEGImageExtra::ReadData(plat::TStream& stream) {
  uint8_t length[4];
  stream.ReadBuffer(length, 4);
  int64_t size = length[0] | length[1] << 8 | length[2] << 16 | int64_t{length[3]} << 24;
  ReadStream(size, stream);
}

void TJPEGImageExtra::WriteData(plat::TStream& stream) const {
  uint32_t size = image_->Data ? static_cast<uint32_t>(image_->Data->size()) : 0;
  uint8_t length[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                       static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
  stream.WriteBuffer(length, 4);
  if (size) stream.WriteBuffer(image_->Data->data(), size);
}

void TJPEGImageExtra::JPEGNeeded() const {
  if (!image_->Data) Compress();
}

const std::vector<uint8_t>& TJPEGImageExtra::CompressedData() const {
  static const std::vector<uint8_t> kNone;
  JPEGNeeded();
  return image_->Data ? *image_->Data : kNone;
}

const TBMPImage& TJPEGImageExtra::GetBitmap() const {
  if (!bitmap_) Decode();
  return *bitmap_;
}

void TJPEGImageExtra::Decode() const {
  auto bitmap = std::make_unique<TBMPImage>();
  if (!image_->Data || image_->Data->empty()) {
    bitmap_ = std::move(bitmap);
    return;
  }
  TDecompressor decompressor;
  decompressor.ReadHeader(*image_->Data);
  jpeg_decompress_struct& info = decompressor.Info();
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  bool grey = !cmyk && (info.jpeg_color_space == JCS_GRAYSCALE || grayscale_);
  bool quantize = !cmyk && !grey && pixel_format_ == TJPEGPixelFormat::jf8Bit;
  info.scale_num = 1;
  info.scale_denom = 1;
  info.do_block_smoothing = TRUE;
  info.dct_method = JDCT_FLOAT;
  info.out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : quantize ? JCS_RGB : JCS_EXT_BGR;
  if (quantize) {
    info.quantize_colors = TRUE;
    info.desired_number_of_colors = kQuantizedColours;
  }
  bitmap->SetPixelFormat(grey || quantize ? plat::TPixelFormat::pf8bit
                                          : plat::TPixelFormat::pf24bit);
  const int64_t pixels = int64_t{info.image_width} * info.image_height;
  plat::RequireDataJustifies(static_cast<int64_t>(image_->Data->size()), pixels,
                             plat::kJpegPixelsPerByte);
  bitmap->SetSizeForDecoding(static_cast<int>(info.image_width),
                             static_cast<int>(info.image_height));
  // The library's own buffers (a progressive file keeps every coefficient) share the budget.
  info.mem->max_memory_to_use =
      static_cast<long>(std::max<int64_t>(1, plat::PixelBudget() - plat::PixelBytesInUse()));
  decompressor.Run([&info] { jpeg_start_decompress(&info); });
  if (grey) bitmap->SetColorTable(GreyPalette());
  if (quantize) {
    plat::TColorTable palette(static_cast<size_t>(info.actual_number_of_colors));
    for (size_t i = 0; i < palette.size(); ++i)
      palette[i] = {info.colormap[2][i], info.colormap[1][i], info.colormap[0][i], 0};
    bitmap->SetColorTable(palette);
  }
  int width = static_cast<int>(info.output_width);
  int height = static_cast<int>(info.output_height);
  std::vector<uint8_t> cmyk_row(cmyk ? static_cast<size_t>(width) * 4 : 0);
  // The library refuses an image without rows in its header, so row 0 exists here.
  uint8_t* const top = bitmap->ScanLine(0);
  const int64_t row_bytes = bitmap->RowBytes();
  JSAMPROW rows[kMaxRowsPerCall];
  while (static_cast<int>(info.output_scanline) < height) {
    int first = static_cast<int>(info.output_scanline);
    int count = cmyk ? 1 : std::min(kMaxRowsPerCall, height - first);
    for (int i = 0; i < count; ++i)
      rows[i] = cmyk ? cmyk_row.data() : top + (first + i) * row_bytes;
    JDIMENSION read = 0;
    decompressor.Run(
        [&] { read = jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(count)); });
    if (read == 0) break;
    if (cmyk) CmykRowToBgr(cmyk_row.data(), top + first * row_bytes, width);
  }
  bitmap->ClearRowsFrom(static_cast<int>(info.output_scanline));
  try {
    decompressor.Run([&info] { jpeg_finish_decompress(&info); });
  } catch (const EJPEG&) {
    // Trailing garbage after the last scan does not spoil the pixels already decoded.
  }
  bitmap->SetXPelsPerMeter(static_cast<int32_t>(plat::PelsPerMetreByFactor(GetXDensity())));
  bitmap->SetYPelsPerMeter(static_cast<int32_t>(plat::PelsPerMetreByFactor(GetYDensity())));
  bitmap_ = std::move(bitmap);
}

void TJPEGImageExtra::Compress() const {
  if (!bitmap_ || bitmap_->Width() == 0 || bitmap_->Height() == 0) return;
  if (grayscale_) ConvertToGrayscale(*bitmap_);
  TBMPImage source;
  source.Assign(static_cast<const plat::TBitmap&>(*bitmap_));
  if (!grayscale_) source.SetPixelFormat(plat::TPixelFormat::pf24bit);
  // A quarter of the pixels' bytes holds most photos at any quality.
  TCompressor compressor(static_cast<size_t>(source.Width()) * source.Height() *
                         (grayscale_ ? 1 : 3) / 4);
  jpeg_compress_struct& info = compressor.Info();
  info.image_width = static_cast<JDIMENSION>(source.Width());
  info.image_height = static_cast<JDIMENSION>(source.Height());
  info.input_components = grayscale_ ? 1 : 3;
  info.in_color_space = grayscale_ ? JCS_GRAYSCALE : JCS_EXT_BGR;
  int quality = std::clamp<int>(Quality, 1, 100);
  bool progressive = ProgressiveEncoding;
  compressor.Run([&info, quality, progressive] {
    jpeg_set_defaults(&info);
    info.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
  });
  int height = source.Height();
  // Rows through the const view: source still shares the pixels with the image being saved, and
  // a writable row would copy them all first. The library only reads the rows it is given.
  const plat::TBitmap& pixels = source;
  JSAMPROW rows[kMaxRowsPerCall];
  while (static_cast<int>(info.next_scanline) < height) {
    int first = static_cast<int>(info.next_scanline);
    int count = std::min(kMaxRowsPerCall, height - first);
    for (int i = 0; i < count; ++i) rows[i] = const_cast<JSAMPROW>(pixels.ScanLine(first + i));
    compressor.Run([&] { jpeg_write_scanlines(&info, rows, static_cast<JDIMENSION>(count)); });
  }
  compressor.Run([&info] { jpeg_finish_compress(&info); });
  auto data = std::make_shared<std::vector<uint8_t>>(compressor.Output());
  image_ = std::make_shared<TJPEGExtraData>(*image_);
  image_->Data = std::move(data);
  image_->Width = source.Width();
  image_->Height = source.Height();
  image_->Grayscale = grayscale_;
}

void TJPEGImageExtra::SaveToStream(plat::TStream& stream) const {
  std::vector<uint8_t> bytes = FileBytes();
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

}  // namespace pictavo
