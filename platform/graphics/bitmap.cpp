#include "platform/graphics/bitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/base/exceptions.h"
#include "platform/base/worker_pool.h"
#include "platform/graphics/bitmap_image.h"
#include "platform/graphics/bmp_format.h"
#include "platform/graphics/canvas.h"

namespace plat {

int BitsPerPixel(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf1bit:
      return 1;
    case TPixelFormat::pf4bit:
      return 4;
    case TPixelFormat::pf8bit:
      return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit:
      return 16;
    case TPixelFormat::pf24bit:
    case TPixelFormat::pfDevice:
      return 24;
    case TPixelFormat::pf32bit:
    case TPixelFormat::pfCustom:
      return 32;
  }
  return 24;
}

int PaletteSizeOf(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf1bit:
      return 2;
    case TPixelFormat::pf4bit:
      return 16;
    case TPixelFormat::pf8bit:
      return 256;
    default:
      return 0;
  }
}

int64_t BytesPerRow(int64_t width, int bits) {
  return ((width * bits + 31) / 32) * 4;
}

namespace {

// Clears bytes in blocks of 1 MiB shared by the worker pool, so the page faults of a large fresh
// block are taken by all workers; a block below 1 MiB is cleared on the calling thread.
void ClearOnWorkers(TPixelBytes& bytes) {
  constexpr int64_t kBlock = int64_t{1} << 20;
  const auto size = static_cast<int64_t>(bytes.size());
  ParallelFor((size + kBlock - 1) / kBlock, 1, [&](int64_t first, int64_t last) {
    const int64_t begin = first * kBlock, end = std::min(size, last * kBlock);
    std::memset(bytes.data() + begin, 0, static_cast<size_t>(end - begin));
  });
}

// The bytes after each row's last pixel, which no decoder writes: a reused block must not show
// what an earlier image left there when the bitmap is saved or copied whole.
void ClearRowPadding(TPixelBytes& bytes, int width, int height, int bits, int64_t row_bytes) {
  const int64_t used = (int64_t{width} * bits + 7) / 8;
  if (used == row_bytes) return;
  for (int y = 0; y < height; ++y)
    std::memset(bytes.data() + y * row_bytes + used, 0, static_cast<size_t>(row_bytes - used));
}

}  // namespace

void TBitmap::Image::Allocate(int w, int h, TPixelFormat f, TFill fill) {
  if (w < 0 || h < 0) throw EInvalidGraphicOperation("Invalid image size");
  const int64_t new_row_bytes = BytesPerRow(w, BitsPerPixel(f));
  // No budget holds more than 64 bits can count, and the product must not overflow first.
  if (h > 0 && new_row_bytes > INT64_MAX / h) throw EImageTooLarge(kImageTooLarge);
  TPixelReservation held(new_row_bytes * h);
  TPixelBytes storage(static_cast<size_t>(new_row_bytes * h));
  if (fill == TFill::kZero)
    ClearOnWorkers(storage);
  else
    ClearRowPadding(storage, w, h, BitsPerPixel(f), new_row_bytes);
  width = w;
  height = h;
  format = f;
  row_bytes = new_row_bytes;
  pixels = std::move(storage);
  reservation = std::move(held);
}

TBitmap::TBitmap() : image_(std::make_shared<Image>()) {}

TBitmap::TBitmap(int width, int height, TPixelFormat format) : TBitmap() {
  image_->Allocate(width, height, format);
  image_->palette = DefaultPalette(format);
}

TBitmap::TBitmap(const TBitmap& other) : TGraphic(other), image_(other.image_) {}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  TGraphic::operator=(other);
  image_ = other.image_;
  return *this;
}

TBitmap::~TBitmap() {
  DeleteOwnedHandle();
}

TBitmap::Image& TBitmap::Mutable() {
  if (image_.use_count() > 1) image_ = std::make_shared<Image>(*image_);
  return *image_;
}

void TBitmap::Assign(const TGraphic& source) {
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
    image_ = bitmap->image_;
    SetTransparent(bitmap->GetTransparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TBitmap::GetEmpty() const {
  return image_->width == 0 || image_->height == 0;
}
int TBitmap::GetWidth() const {
  return image_->width;
}
int TBitmap::GetHeight() const {
  return image_->height;
}
void TBitmap::SetWidth(int width) {
  SetSize(width, image_->height);
}
void TBitmap::SetHeight(int height) {
  SetSize(image_->width, height);
}

void TBitmap::SetSize(int width, int height) {
  if (width == image_->width && height == image_->height) return;
  Image resized;
  resized.Allocate(width, height, image_->format);
  resized.palette = image_->palette;
  int64_t copy = std::min(resized.row_bytes, image_->row_bytes);
  for (int y = 0; y < std::min(height, image_->height) && copy > 0; ++y)
    std::memcpy(resized.pixels.data() + y * resized.row_bytes,
                image_->pixels.data() + y * image_->row_bytes, static_cast<size_t>(copy));
  image_ = std::make_shared<Image>(std::move(resized));
  Changed();
}

void TBitmap::SetSizeForDecoding(int width, int height) {
  Image fresh;
  fresh.Allocate(width, height, image_->format, Image::TFill::kPaddingOnly);
  fresh.palette = image_->palette;
  image_ = std::make_shared<Image>(std::move(fresh));
  Changed();
}

void TBitmap::ClearRowsFrom(int row) {
  if (row < 0 || row >= image_->height) return;
  Image& img = Mutable();
  std::memset(img.pixels.data() + row * img.row_bytes, 0,
              static_cast<size_t>((img.height - row) * img.row_bytes));
}

TPixelFormat TBitmap::PixelFormat() const {
  return image_->format;
}

int64_t TBitmap::RowBytes() const {
  return image_->row_bytes;
}

uint8_t* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= image_->height)
    throw EInvalidGraphicOperation("Scan line index out of range");
  Image& img = Mutable();
  return img.pixels.data() + row * img.row_bytes;
}

const uint8_t* TBitmap::ScanLine(int row) const {
  if (row < 0 || row >= image_->height)
    throw EInvalidGraphicOperation("Scan line index out of range");
  return image_->pixels.data() + row * image_->row_bytes;
}

const TColorTable& TBitmap::Palette() const {
  return image_->palette;
}

void TBitmap::SetColorTable(const TColorTable& palette) {
  Mutable().palette = palette;
  Changed();
}

void TBitmap::Clear() {
  Image empty;
  empty.Allocate(0, 0, image_->format);
  empty.palette = image_->palette;
  image_ = std::make_shared<Image>(std::move(empty));
  Changed();
}

void TBitmap::DeleteOwnedHandle() {
  if (owned_handle_ != 0) DeleteBitmapHandle(owned_handle_);
  owned_handle_ = 0;
}

THandle TBitmap::GetHandle() {
  std::shared_ptr<TBitmap> held = BitmapOfHandle(owned_handle_);
  if (held)
    held->image_ = image_;
  else
    owned_handle_ = NewBitmapHandle(*this);
  return owned_handle_;
}

void TBitmap::SetHandle(THandle handle) {
  if (handle == owned_handle_ && handle != 0) return;
  DeleteOwnedHandle();
  std::shared_ptr<TBitmap> held = BitmapOfHandle(handle);
  if (held) {
    image_ = held->image_;
    owned_handle_ = handle;
  } else {
    Image empty;
    empty.Allocate(0, 0, image_->format);
    image_ = std::make_shared<Image>(std::move(empty));
  }
  Changed();
}

THandle TBitmap::ReleaseHandle() {
  const THandle handle = GetHandle();
  owned_handle_ = 0;
  return handle;
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>(*this);
  return *canvas_;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) const {
  canvas.StretchDraw(rect, *this);
}

void TBitmap::LoadFromClipboardFormat(uint16_t format, THandle data, THandle) {
  std::shared_ptr<TBitmap> held = format == CF_BITMAP ? BitmapOfHandle(data) : nullptr;
  if (!held) throw EInvalidGraphic("Unsupported clipboard format");
  Assign(*held);
}

void TBitmap::SaveToClipboardFormat(uint16_t& format, THandle& data, THandle& palette) const {
  format = CF_BITMAP;
  data = NewBitmapHandle(*this);
  palette = 0;
}

void TBitmap::LoadFromStream(TStream& stream) {
  ReadBmp(stream, *this);
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) const {
  WriteBmp(*this, stream);
}

}  // namespace plat
