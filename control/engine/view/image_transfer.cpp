#include "control/engine/view/image_transfer.h"

#include <new>

#include "control/engine/raster/pixels.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/bmp_format.h"

namespace pictavo {

namespace {

constexpr char kOutOfMemory[] = "Out of memory while transferring image";

// Runs a transfer, reporting a lack of memory (or of pixel budget) the way the host expects.
template <typename Transfer>
std::unique_ptr<TicBitmap> Transferring(const Transfer& transfer) {
  try {
    return transfer();
  } catch (const plat::EOutOfMemory&) {
    throw ETwainError(kOutOfMemory);
  } catch (const std::bad_alloc&) {
    throw ETwainError(kOutOfMemory);
  }
}

constexpr int64_t kCoreHeader = 12;
constexpr int64_t kCoreBitsAt = 10;
constexpr int64_t kBitsAt = 14;
constexpr int64_t kCompressionAt = 16;
constexpr int64_t kColorsUsedAt = 32;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

uint32_t Get16(const uint8_t* at) {
  return at[0] | (uint32_t{at[1]} << 8);
}

// Where the pixels start in a packed DIB: behind the header, the masks a 40-byte header keeps
// outside itself, and the colour table.
std::optional<int64_t> PixelsOffset(const uint8_t* dib, int64_t size) {
  if (size < 4) return std::nullopt;
  const int64_t header = plat::bmp::Get32(dib);
  if (header == kCoreHeader) {
    if (size < kCoreHeader) return std::nullopt;
    const uint32_t bits = Get16(dib + kCoreBitsAt);
    return header + (bits <= 8 ? int64_t{3} << bits : 0);
  }
  if (header < plat::bmp::kInfoHeaderSize || size < plat::bmp::kInfoHeaderSize) return std::nullopt;
  const uint32_t bits = Get16(dib + kBitsAt);
  const uint32_t compression = plat::bmp::Get32(dib + kCompressionAt);
  const int64_t used = plat::bmp::Get32(dib + kColorsUsedAt);
  int64_t masks = 0;
  if (header == plat::bmp::kInfoHeaderSize && compression == kBitFields) masks = 12;
  if (header == plat::bmp::kInfoHeaderSize && compression == kAlphaBitFields) masks = 16;
  const int64_t entries = used > 0 ? used : bits <= 8 ? int64_t{1} << bits : 0;
  return header + masks + 4 * entries;
}

bool IsWhite(const plat::TRGBQuad& e) {
  return e.rgbRed == 255 && e.rgbGreen == 255 && e.rgbBlue == 255;
}
bool IsBlack(const plat::TRGBQuad& e) {
  return e.rgbRed == 0 && e.rgbGreen == 0 && e.rgbBlue == 0;
}

// Hosts expect 1-bit pictures black first; a white-first one gets its bits inverted with the
// palette so that it keeps its look.
void MakeBlackFirst(TicBitmap& image) {
  const plat::TColorTable& palette = image.Palette();
  if (image.PixelFormat() != plat::TPixelFormat::pf1bit || palette.size() != 2 ||
      !IsWhite(palette[0]) || !IsBlack(palette[1]))
    return;
  image.SetColorTable({palette[1], palette[0]});
  const int64_t bytes = DataBytesPerRow(image.Width(), 1);
  for (int y = 0; y < image.Height(); ++y) {
    uint8_t* row = image.ScanLine(y);
    for (int64_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
  }
}

// The image's own pixel layouts are 1, 4, 8 and 24 bits; others are widened to 24.
void KeepOwnLayout(TicBitmap& image) {
  if (!IsMovableFormat(image.PixelFormat())) image.SetPixelFormat(plat::TPixelFormat::pf24bit);
}

std::unique_ptr<TicBitmap> ImageOfBitmap(const plat::TBitmap& bitmap) {
  auto image = std::make_unique<TicBitmap>();
  ReplacePixels(*image, bitmap);
  KeepOwnLayout(*image);
  image->UpdateColorFormat();
  return image;
}

}  // namespace

std::unique_ptr<TicBitmap> ImageOfFile(const std::string& file_name, bool use_lzw, int page) {
  TicBitmap loaded;
  loaded.UseLZW = use_lzw;
  loaded.LoadImageFile(file_name, page);
  auto image = std::make_unique<TicBitmap>(loaded);
  image->Transparent = loaded.Transparent;
  image->BGColor = loaded.BGColor;
  return image;
}

std::unique_ptr<TicBitmap> ImageOfBytes(uint8_t format, const uint8_t* data, int64_t size,
                                        bool use_lzw, int read_image_number) {
  if (format == gfGIF && !use_lzw) throw EInvalidFormat("Reading of GIF format not supported");
  TicBitmap loaded;
  loaded.UseLZW = use_lzw;
  const int page = format == gfTIF && read_image_number > 1 ? read_image_number : 1;
  loaded.LoadFromBytes(data, size, page);
  auto image = std::make_unique<TicBitmap>(loaded);
  image->UpdateColorFormat();
  return image;
}

std::optional<std::vector<uint8_t>> BmpFileOfPackedDib(const uint8_t* data, int64_t size) {
  const std::optional<int64_t> pixels = PixelsOffset(data, size);
  if (!pixels || *pixels > size) return std::nullopt;
  std::vector<uint8_t> file(static_cast<size_t>(plat::bmp::kFileHeaderSize + size));
  plat::bmp::Put16(file.data(), plat::bmp::kSignature);
  plat::bmp::Put32(file.data() + plat::bmp::kFileSizeAt, static_cast<uint32_t>(file.size()));
  plat::bmp::Put32(file.data() + plat::bmp::kPixelsOffsetAt,
                   static_cast<uint32_t>(plat::bmp::kFileHeaderSize + *pixels));
  std::copy(data, data + size, file.begin() + plat::bmp::kFileHeaderSize);
  return file;
}

std::unique_ptr<TicBitmap> ImageOfPackedDib(const uint8_t* data, int64_t size) {
  return Transferring([&]() -> std::unique_ptr<TicBitmap> {
    const auto file = BmpFileOfPackedDib(data, size);
    if (!file) return nullptr;
    auto image = std::make_unique<TicBitmap>();
    plat::TReadOnlyMemoryStream stream(file->data(), static_cast<int64_t>(file->size()));
    try {
      image->LoadFromStream(stream);
    } catch (const plat::EOutOfMemory&) {
      throw;
    } catch (const plat::Exception&) {
      return nullptr;
    }
    KeepOwnLayout(*image);
    MakeBlackFirst(*image);
    image->UpdateColorFormat();
    return image;
  });
}

std::unique_ptr<TicBitmap> ImageOfHandle(plat::THandle handle, bool release_bitmap) {
  if (const auto bitmap = plat::BitmapOfHandle(handle); bitmap && bitmap->Width() > 0) {
    // Taken over: deleted exactly once, also when the copy fails.
    struct Unless {
      plat::THandle handle;
      bool released;
      ~Unless() {
        if (!released) plat::DeleteBitmapHandle(handle);
      }
    } take_over{handle, release_bitmap};
    return Transferring([&] { return ImageOfBitmap(*bitmap); });
  }
  const auto block = plat::MemoryOfHandle(handle);
  if (!block) return nullptr;
  // The block is ours whatever it holds; the shared pointer keeps it readable meanwhile.
  plat::FreeMemoryHandle(handle);
  return ImageOfPackedDib(block->data(), static_cast<int64_t>(block->size()));
}

}  // namespace pictavo
