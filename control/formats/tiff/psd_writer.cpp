// Writing a Photoshop file: one flat, uncompressed image in the colour mode its pixels need,
// with the file info and the resolution as image resources and an empty layer section.
#include <string>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/photoshop_resources.h"
#include "control/formats/tiff/psd_image.h"
#include "platform/base/streams.h"
#include "platform/graphics/pixel_access.h"

namespace pictavo {

namespace {

constexpr char kNotSaved[] = "PSD file not saved";
constexpr int kMaxSide = 30000;
constexpr plat::TRGBQuad kBlack{0, 0, 0, 0};
constexpr plat::TRGBQuad kWhite{255, 255, 255, 0};

enum class TWriteMode : uint16_t { Bitmap = 0, Grayscale = 1, Indexed = 2, RGB = 3 };

[[noreturn]] void NotSaved() {
  throw EFileNotSaved(kNotSaved);
}

TWriteMode ModeOf(const TBMPImage& image) {
  const plat::TColorTable& palette = image.Palette();
  switch (image.PixelFormat()) {
    case plat::TPixelFormat::pf24bit:
      return TWriteMode::RGB;
    case plat::TPixelFormat::pf1bit:
      if (palette.size() >= 2 && ((palette[0] == kBlack && palette[1] == kWhite) ||
                                  (palette[0] == kWhite && palette[1] == kBlack)))
        return TWriteMode::Bitmap;
      return TWriteMode::Indexed;
    case plat::TPixelFormat::pf4bit:
    case plat::TPixelFormat::pf8bit:
      return image.IsGrayscalePalette() ? TWriteMode::Grayscale : TWriteMode::Indexed;
    default:
      NotSaved();
  }
}

void AppendHeader(std::string& out, const TBMPImage& image, TWriteMode mode) {
  out += "8BPS";
  PutWordBE(out, 1);
  out.append(6, '\0');
  PutWordBE(out, mode == TWriteMode::RGB ? 3 : 1);
  PutDWordBE(out, static_cast<uint32_t>(image.Height()));
  PutDWordBE(out, static_cast<uint32_t>(image.Width()));
  PutWordBE(out, mode == TWriteMode::Bitmap ? 1 : 8);
  PutWordBE(out, static_cast<uint32_t>(mode));
}

// All red values, then all green, then all blue, for 256 entries.
void AppendColourModeData(std::string& out, const TBMPImage& image, TWriteMode mode) {
  if (mode != TWriteMode::Indexed) {
    PutDWordBE(out, 0);
    return;
  }
  PutDWordBE(out, 768);
  const plat::TColorTable& palette = image.Palette();
  auto channel = [&](uint8_t plat::TRGBQuad::*field) {
    for (size_t i = 0; i < 256; ++i)
      out += static_cast<char>(i < palette.size() ? palette[i].*field : 0);
  };
  channel(&plat::TRGBQuad::rgbRed);
  channel(&plat::TRGBQuad::rgbGreen);
  channel(&plat::TRGBQuad::rgbBlue);
}

// The 38-byte block: "8BIM", id, the name "Resolution", 16 bytes of data (pixels per inch,
// shown as inches).
std::string ResolutionBlock(int32_t x_dpi, int32_t y_dpi) {
  std::string block = "8BIM";
  PutWordBE(block, 0x03ED);
  block += '\x0A';
  block += "Resolution";
  block += '\0';
  PutDWordBE(block, 16);
  for (int32_t dpi : {x_dpi, y_dpi}) {
    PutDWordBE(block, static_cast<uint32_t>(dpi) << 16);
    PutWordBE(block, 1);
    PutWordBE(block, 2);
  }
  return block;
}

void AppendResources(std::string& out, const TFileInfo& file_info, int32_t x_dpi, int32_t y_dpi) {
  std::string blocks;
  if (file_info.HasFileInfo) {
    try {
      blocks = file_info.ToSegment().ResourceBytes();
    } catch (const plat::Exception&) {
      NotSaved();
    }
  }
  auto in_range = [](int32_t dpi) { return dpi >= 1 && dpi <= 65535; };
  if (in_range(x_dpi) && in_range(y_dpi)) blocks += ResolutionBlock(x_dpi, y_dpi);
  if (blocks.size() > UINT32_MAX) NotSaved();
  PutDWordBE(out, static_cast<uint32_t>(blocks.size()));
  out += blocks;
}

void AppendBitmapRows(std::string& out, const TBMPImage& image) {
  const int width = image.Width();
  const size_t row = (static_cast<size_t>(width) + 7) / 8;
  // The format's 1 is black: rows whose 0 is black are inverted.
  const bool as_is = image.Palette()[0] == kWhite;
  const auto last_mask = static_cast<uint8_t>(0xFF << ((8 - width % 8) % 8));
  for (int y = 0; y < image.Height(); ++y) {
    const uint8_t* line = image.ScanLine(y);
    for (size_t i = 0; i < row; ++i) {
      uint8_t b = as_is ? line[i] : static_cast<uint8_t>(~line[i]);
      if (!as_is && i + 1 == row) b &= last_mask;
      out += static_cast<char>(b);
    }
  }
}

void AppendIndexRows(std::string& out, const TBMPImage& image, bool grey_values) {
  const int bits = plat::BitsPerPixel(image.PixelFormat());
  const plat::TColorTable& palette = image.Palette();
  for (int y = 0; y < image.Height(); ++y) {
    const uint8_t* line = image.ScanLine(y);
    for (int x = 0; x < image.Width(); ++x) {
      const uint8_t index = plat::IndexAt(line, x, bits);
      out +=
          static_cast<char>(grey_values && index < palette.size() ? palette[index].rgbRed : index);
    }
  }
}

void AppendColourPlanes(std::string& out, const TBMPImage& image) {
  for (int plane = 2; plane >= 0; --plane)  // red, green, blue of blue-green-red pixels
    for (int y = 0; y < image.Height(); ++y) {
      const uint8_t* line = image.ScanLine(y);
      for (int x = 0; x < image.Width(); ++x) out += static_cast<char>(line[3 * x + plane]);
    }
}

}  // namespace

void TPSDImage::SaveToStream(plat::TStream& stream) const {
  const TWriteMode mode = ModeOf(Image);
  if (Image.Width() < 1 || Image.Width() > kMaxSide || Image.Height() < 1 ||
      Image.Height() > kMaxSide)
    NotSaved();
  std::string out;
  AppendHeader(out, Image, mode);
  AppendColourModeData(out, Image, mode);
  AppendResources(out, FileInfo, XDPI, YDPI);
  PutDWordBE(out, 0);  // no layers
  PutWordBE(out, 0);   // raw image data
  switch (mode) {
    case TWriteMode::Bitmap:
      AppendBitmapRows(out, Image);
      break;
    case TWriteMode::Grayscale:
    case TWriteMode::Indexed:
      AppendIndexRows(out, Image, mode == TWriteMode::Grayscale);
      break;
    case TWriteMode::RGB:
      AppendColourPlanes(out, Image);
      break;
  }
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

}  // namespace pictavo
