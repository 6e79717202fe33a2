#include "control/formats/pcx/pcx_image.h"

#include <algorithm>
#include <span>
#include <vector>

#include "control/formats/jpeg/be_stream.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/pixel_access.h"
#include "platform/graphics/pixel_budget.h"
#include "platform/graphics/resolution.h"

namespace pictavo {

namespace {

constexpr char kInvalid[] = "Invalid PCX File";
constexpr char kReadError[] = "Error reading PCX file.";
constexpr size_t kHeaderSize = 128;
constexpr size_t kTailPaletteSize = 768;
constexpr uint8_t kPaletteMarker = 12;
// A coded byte of 192 or more starts a run of up to 63 copies of the byte after it.
constexpr uint8_t kRunFlag = 0xC0;
constexpr size_t kMaxRun = 63;
constexpr plat::TRGBQuad kBlack{0, 0, 0, 0};
constexpr plat::TRGBQuad kWhite{255, 255, 255, 0};

[[noreturn]] void Fail(const char* message) {
  throw plat::EInvalidGraphic(message);
}

// A header or palette cut short by the end of the file.
[[noreturn]] void ShortRead(std::string_view) {
  Fail(kReadError);
}

enum class TLayout { Mono, Planes16, Indexed256, Colour24, Unknown };

TLayout LayoutOf(uint8_t bits, uint8_t planes) {
  if (bits == 1 && planes == 1) return TLayout::Mono;
  if (bits == 1 && planes == 4) return TLayout::Planes16;
  if (bits == 8 && planes == 1) return TLayout::Indexed256;
  if (bits == 8 && planes == 3) return TLayout::Colour24;
  return TLayout::Unknown;
}

plat::TPixelFormat FormatOf(TLayout layout) {
  switch (layout) {
    case TLayout::Mono:
      return plat::TPixelFormat::pf1bit;
    case TLayout::Planes16:
      return plat::TPixelFormat::pf4bit;
    case TLayout::Indexed256:
      return plat::TPixelFormat::pf8bit;
    default:
      return plat::TPixelFormat::pf24bit;
  }
}

// Reads red, green, blue triples into a colour table.
void ReadColours(plat::TByteCursor& cursor, plat::TColorTable& table, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t red = cursor.Byte();
    const uint8_t green = cursor.Byte();
    table[i] = {cursor.Byte(), green, red, 0};
  }
}

// The decoded bytes of the pixel data, one after the other. A run may cross the end of a plane
// line (some writers do that); its rest goes on in the next line.
class TRunReader {
 public:
  explicit TRunReader(std::span<const uint8_t> data) : data_(data) {}

  // False when the data has ended.
  bool Next(uint8_t& value) {
    while (left_ == 0) {
      if (position_ >= data_.size()) return false;
      const uint8_t code = data_[position_++];
      if (code < kRunFlag) {
        value = code;
        return true;
      }
      if (position_ >= data_.size()) return false;
      left_ = code - kRunFlag;
      value_ = data_[position_++];
    }
    --left_;
    value = value_;
    return true;
  }

 private:
  std::span<const uint8_t> data_;
  size_t position_ = 0;
  size_t left_ = 0;
  uint8_t value_ = 0;
};

int32_t PelsOfDpi(int dpi) {
  return static_cast<int32_t>(plat::PelsPerMetreByFactor(dpi));
}

int DpiOfPels(int32_t pels) {
  return static_cast<int>(plat::DpiByFactor(pels));
}

}  // namespace

int TPCXImage::GetXDPI() const {
  return DpiOfPels(PixelHolder.GetXPelsPerMeter());
}
int TPCXImage::GetYDPI() const {
  return DpiOfPels(PixelHolder.GetYPelsPerMeter());
}
void TPCXImage::SetXDPI(int dpi) {
  PixelHolder.SetXPelsPerMeter(PelsOfDpi(dpi));
}
void TPCXImage::SetYDPI(int dpi) {
  PixelHolder.SetYPelsPerMeter(PelsOfDpi(dpi));
}

void TPCXImage::LoadFromStream(plat::TStream& stream) {
  stream.SetPosition(0);
  const std::vector<uint8_t> bytes = stream.ReadRest();
  if (bytes.size() <= kHeaderSize) Fail(kInvalid);
  ReadHeader(bytes);
  DecodePixels(bytes);
  SetXDPI(HorizontalDPI);
  SetYDPI(VerticalDPI);
}

void TPCXImage::ReadHeader(const std::vector<uint8_t>& bytes) {
  plat::TByteCursor c(bytes, ShortRead, false);
  Manufacturer = c.Byte();
  Version = c.Byte();
  Encoding = c.Byte();
  BitsPerPixel = c.Byte();
  XMin = c.Word();
  YMin = c.Word();
  XMax = c.Word();
  YMax = c.Word();
  HorizontalDPI = c.Word();
  VerticalDPI = c.Word();
  const size_t header_palette = c.Position();
  c.Seek(65);
  Planes = c.Byte();
  BytesPerLine = c.Word();
  PaletteInfo = c.Word();

  PaletteTable.assign(256, {});
  PaletteCount = 0;
  if (BitsPerPixel == 1) {
    PaletteCount = 16;
    c.Seek(header_palette);
    ReadColours(c, PaletteTable, 16);
  } else if (BitsPerPixel == 8 && Planes == 1) {
    if (bytes.size() < kHeaderSize + kTailPaletteSize) Fail(kInvalid);
    PaletteCount = 256;
    c.Seek(bytes.size() - kTailPaletteSize);
    ReadColours(c, PaletteTable, 256);
  }

  if (Encoding != 1 || BitsPerPixel > 8 || XMax < XMin || YMax < YMin || Version > 5)
    Fail(kInvalid);
  // Shorter lines would leave pixels without data.
  const uint64_t width = uint64_t{XMax} - XMin + 1;
  if (BytesPerLine < (width * BitsPerPixel + 7) / 8) Fail(kInvalid);
}

void TPCXImage::DecodePixels(const std::vector<uint8_t>& bytes) {
  const TLayout layout = LayoutOf(BitsPerPixel, Planes);
  if (layout == TLayout::Unknown) Fail(kReadError);
  const int width = XMax - XMin + 1;
  const int height = YMax - YMin + 1;
  const std::span<const uint8_t> data = std::span<const uint8_t>(bytes).subspan(kHeaderSize);
  // Every plane line takes at least one coded byte per 63 bytes.
  const uint64_t least_coded = uint64_t(height) * Planes * ((BytesPerLine + kMaxRun - 1) / kMaxRun);
  if (least_coded > data.size()) Fail(kReadError);

  plat::RequirePixelBudget(plat::BytesPerRow(width, plat::BitsPerPixel(FormatOf(layout))) * height);
  PixelHolder = TBMPImage();
  try {
    PixelHolder.SetPixelFormat(FormatOf(layout));
    PixelHolder.SetSize(width, height);
  } catch (const plat::Exception&) {
    Fail(kInvalid);
  }
  switch (layout) {
    case TLayout::Mono: {
      const bool same = PaletteTable[0] == PaletteTable[1];  // old writers leave it empty
      PixelHolder.SetColorTable(same ? plat::TColorTable{kBlack, kWhite}
                                     : plat::TColorTable{PaletteTable[0], PaletteTable[1]});
      break;
    }
    case TLayout::Planes16:
      PixelHolder.SetColorTable(plat::TColorTable(PaletteTable.begin(), PaletteTable.begin() + 16));
      break;
    case TLayout::Indexed256:
      PixelHolder.SetColorTable(PaletteTable);
      break;
    default:
      break;
  }

  TRunReader runs(data);
  const size_t line_size = BytesPerLine;
  std::vector<uint8_t> lines(line_size * Planes);
  for (int y = 0; y < height; ++y) {
    for (uint8_t& b : lines)
      if (!runs.Next(b)) Fail(kReadError);
    uint8_t* row = PixelHolder.ScanLine(y);
    switch (layout) {
      case TLayout::Mono:
        std::copy_n(lines.begin(), (width + 7) / 8, row);
        break;
      case TLayout::Indexed256:
        std::copy_n(lines.begin(), width, row);
        break;
      case TLayout::Planes16:
        for (int x = 0; x < width; ++x) {
          uint8_t index = 0;
          for (size_t p = 0; p < 4; ++p)
            index |= static_cast<uint8_t>(plat::IndexAt(&lines[p * line_size], x, 1) << p);
          plat::SetIndexAt(row, x, 4, index);
        }
        break;
      default:
        for (int x = 0; x < width; ++x) {
          row[3 * x] = lines[2 * line_size + x];
          row[3 * x + 1] = lines[line_size + x];
          row[3 * x + 2] = lines[x];
        }
    }
  }
}

namespace {

void AppendColours(std::string& out, const plat::TColorTable& table, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const plat::TRGBQuad q = i < table.size() ? table[i] : kBlack;
    out += static_cast<char>(q.rgbRed);
    out += static_cast<char>(q.rgbGreen);
    out += static_cast<char>(q.rgbBlue);
  }
}

// Codes one plane line at `to`, which has room for twice its size; returns the end.
char* EncodeLine(char* to, const uint8_t* line, size_t size) {
  for (size_t i = 0; i < size;) {
    size_t run = 1;
    while (i + run < size && run < kMaxRun && line[i + run] == line[i]) ++run;
    if (run > 1 || line[i] >= kRunFlag) *to++ = static_cast<char>(kRunFlag + run);
    *to++ = static_cast<char>(line[i]);
    i += run;
  }
  return to;
}

// Splits one row of the holder into its plane lines; bytes past the width stay `pad`.
void SplitRow(const plat::TBitmap& image, TLayout layout, int y, size_t line_size,
              std::vector<uint8_t>& lines) {
  const uint8_t* row = image.ScanLine(y);
  const int width = image.Width();
  switch (layout) {
    case TLayout::Mono:
      std::copy_n(row, (width + 7) / 8, lines.begin());
      break;
    case TLayout::Indexed256:
      std::copy_n(row, width, lines.begin());
      break;
    case TLayout::Planes16:
      for (int x = 0; x < width; ++x) {
        const uint8_t index = plat::IndexAt(row, x, 4);
        for (size_t p = 0; p < 4; ++p)
          plat::SetIndexAt(&lines[p * line_size], x, 1, static_cast<uint8_t>(index >> p));
      }
      break;
    default:
      for (int x = 0; x < width; ++x) {
        lines[x] = row[3 * x + 2];
        lines[line_size + x] = row[3 * x + 1];
        lines[2 * line_size + x] = row[3 * x];
      }
  }
}

}  // namespace

void TPCXImage::SaveToStream(plat::TStream& stream) const {
  plat::TBitmap colour;
  const plat::TBitmap* image = &PixelHolder;
  TLayout layout = TLayout::Colour24;
  switch (PixelHolder.PixelFormat()) {
    case plat::TPixelFormat::pf1bit:
      layout = TLayout::Mono;
      break;
    case plat::TPixelFormat::pf4bit:
      layout = TLayout::Planes16;
      break;
    case plat::TPixelFormat::pf8bit:
      layout = TLayout::Indexed256;
      break;
    case plat::TPixelFormat::pf24bit:
      break;
    default:
      colour.Assign(PixelHolder);
      colour.SetPixelFormat(plat::TPixelFormat::pf24bit);
      image = &colour;
  }
  const int width = image->Width();
  const bool bit_planes = layout == TLayout::Mono || layout == TLayout::Planes16;
  const uint8_t planes = layout == TLayout::Planes16 ? 4 : layout == TLayout::Colour24 ? 3 : 1;
  size_t line_size = bit_planes ? (static_cast<size_t>(width) + 7) / 8 : width;
  line_size += line_size % 2;
  const plat::TColorTable& palette = image->Palette();

  std::string out;
  out += static_cast<char>(10);
  out += static_cast<char>(5);
  out += static_cast<char>(1);
  out += static_cast<char>(bit_planes ? 1 : 8);
  PutWordLE(out, 0);
  PutWordLE(out, 0);
  PutWordLE(out, static_cast<uint32_t>(width - 1));
  PutWordLE(out, static_cast<uint32_t>(image->Height() - 1));
  PutWordLE(out, static_cast<uint32_t>(std::clamp(GetXDPI(), 0, 65535)));
  PutWordLE(out, static_cast<uint32_t>(std::clamp(GetYDPI(), 0, 65535)));
  AppendColours(out, bit_planes ? palette : plat::TColorTable{}, 16);
  out += '\0';
  out += static_cast<char>(planes);
  PutWordLE(out, static_cast<uint32_t>(line_size));
  PutWordLE(out, 1);
  out.resize(kHeaderSize, '\0');

  // Padding is black: index 0 for bit planes (colour 0 in 16-colour images), the black entry
  // of a 256-colour palette.
  const uint8_t pad = layout == TLayout::Indexed256
                          ? static_cast<uint8_t>(plat::NearestPaletteIndex(palette, 0, 0, 0))
                          : 0;
  std::vector<uint8_t> lines(line_size * planes);
  // The coded rows go out in blocks of about 1 MiB, not as one string of the whole file.
  constexpr size_t kBlock = size_t{1} << 20;
  out.reserve(kBlock + 2 * lines.size());
  for (int y = 0; y < image->Height(); ++y) {
    std::fill(lines.begin(), lines.end(), pad);
    SplitRow(*image, layout, y, line_size, lines);
    const size_t at = out.size();
    out.resize(at + 2 * lines.size());
    char* end = out.data() + at;
    for (size_t p = 0; p < planes; ++p) end = EncodeLine(end, &lines[p * line_size], line_size);
    out.resize(static_cast<size_t>(end - out.data()));
    if (out.size() >= kBlock) {
      stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
      out.clear();
    }
  }
  if (layout == TLayout::Indexed256) {
    out += static_cast<char>(kPaletteMarker);
    AppendColours(out, palette, 256);
  }
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

void TPCXImage::Assign(const plat::TGraphic& source) {
  if (&source == this) return;
  const auto* bitmap = dynamic_cast<const plat::TBitmap*>(&source);
  if (bitmap == nullptr) return;
  PixelHolder = TBMPImage();
  PixelHolder.plat::TBitmap::Assign(*bitmap);
}

void TPCXImage::AssignTo(plat::TGraphic& dest) const {
  if (auto* bitmap = dynamic_cast<plat::TBitmap*>(&dest)) {
    bitmap->Assign(PixelHolder);
    return;
  }
  TGraphic::AssignTo(dest);
}

void TPCXImage::Draw(plat::TCanvas&, const plat::TRect&) const {
  throw plat::EInvalidGraphic("Function not supported");
}

void TPCXImage::LoadFromClipboardFormat(uint16_t, plat::THandle, plat::THandle) {
  throw plat::EInvalidGraphic("Clipboard functions not supported");
}

void TPCXImage::SaveToClipboardFormat(uint16_t&, plat::THandle&, plat::THandle&) const {
  throw plat::EInvalidGraphic("Clipboard functions not supported");
}

}  // namespace pictavo
