// Encoding a bitmap into a TIFF page and writing pages as little-endian directories.
#include <algorithm>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/support/icutils.h"
#include "control/formats/tiff/ccitt.h"
#include "control/formats/tiff/tif_image.h"
#include "control/formats/tiff/tiff_file.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"

namespace pictavo {

namespace {

constexpr plat::TRGBQuad kBlack{0, 0, 0, 0};
constexpr plat::TRGBQuad kWhite{255, 255, 255, 0};

bool IsBlackWhitePalette(const plat::TColorTable& p) {
  return p.size() >= 2 && ((p[0] == kBlack && p[1] == kWhite) || (p[0] == kWhite && p[1] == kBlack));
}

bool IsGrayPalette(const plat::TColorTable& p) {
  return std::all_of(p.begin(), p.end(), [](const plat::TRGBQuad& q) {
    return q.rgbRed == q.rgbGreen && q.rgbGreen == q.rgbBlue;
  });
}

// Little-endian values into a growing file.
class TOut {
 public:
  explicit TOut(plat::TMemoryStream& s) : s_(s) {}
  int64_t Position() { return s_.Position(); }
  void U16(uint16_t v) { Bytes({static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }
  void U32(uint32_t v) {
    Bytes({static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
           static_cast<uint8_t>(v >> 24)});
  }
  void Bytes(std::initializer_list<uint8_t> b) { s_.WriteBuffer(b.begin(), static_cast<int64_t>(b.size())); }
  void Bytes(const uint8_t* p, size_t n) { s_.WriteBuffer(p, static_cast<int64_t>(n)); }
  void Bytes(const std::vector<uint8_t>& b) { Bytes(b.data(), b.size()); }
  void Patch32(int64_t at, uint32_t v) {
    int64_t here = s_.Position();
    s_.SetPosition(at);
    U32(v);
    s_.SetPosition(here);
  }
  // Keeps every block that follows on an even offset.
  void AlignWord() {
    if (s_.Position() & 1) Bytes({0});
  }

 private:
  plat::TMemoryStream& s_;
};

// One directory entry; values that do not fit in the entry go to `data` and are written after
// the directory, the entry then pointing at them.
struct TOutEntry {
  TOutEntry(uint16_t t, uint16_t ty, uint32_t n, uint32_t v = 0) : tag(t), type(ty), count(n), value(v) {}
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  uint32_t value;
  std::vector<uint8_t> data;
  int64_t valuePosition = 0;
};

void AppendLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

TOutEntry Inline(uint16_t tag, uint16_t type, uint32_t value) { return {tag, type, 1, value}; }

TOutEntry Values(uint16_t tag, uint16_t type, const std::vector<uint32_t>& values) {
  TOutEntry e{tag, type, static_cast<uint32_t>(values.size())};
  int size = static_cast<int>(TypeSize(type));
  if (values.size() * size <= 4) {
    for (size_t i = 0; i < values.size(); ++i) e.value |= values[i] << (8 * size * i);
  } else {
    for (uint32_t v : values) AppendLE(e.data, v, size);
  }
  return e;
}

uint32_t Dpi(int32_t dpi) { return static_cast<uint32_t>(std::clamp(dpi, 0, 4294967)); }

}  // namespace

void TTIFImage::Assign(const plat::TGraphic& source) {
  const auto* bitmap = dynamic_cast<const plat::TBitmap*>(&source);
  if (bitmap == nullptr) return;
  const plat::TPixelFormat format = bitmap->PixelFormat();
  if (format != plat::TPixelFormat::pf1bit && format != plat::TPixelFormat::pf4bit &&
      format != plat::TPixelFormat::pf8bit && format != plat::TPixelFormat::pf24bit)
    return;
  const plat::TColorTable& palette = bitmap->Palette();
  if (format == plat::TPixelFormat::pf24bit) {
    writeKind_ = 3;
  } else if (format == plat::TPixelFormat::pf1bit && IsBlackWhitePalette(palette)) {
    writeKind_ = 0;
  } else if (format != plat::TPixelFormat::pf1bit && IsGrayPalette(palette)) {
    writeKind_ = 1;
  } else {
    writeKind_ = 2;
  }
  // Only bilevel pages can be coded as fax; the others are written uncompressed then.
  if (Compression != 32773 && (Compression != 4 || writeKind_ != 0)) Compression = 1;

  imageWidth_ = static_cast<uint32_t>(bitmap->Width());
  imageLength_ = static_cast<uint32_t>(bitmap->Height());
  rowsPerStrip_ = imageLength_;
  samplesPerPixel_ = writeKind_ == 3 ? 3 : 1;
  bitsPerSample_.assign(samplesPerPixel_, static_cast<uint16_t>(plat::BitsPerPixel(format) /
                                                               samplesPerPixel_));
  bigEndian_ = false;
  fillOrder_ = 1;
  predictor_ = 1;
  planarConfiguration_ = 1;
  t4Options_ = 0;
  loadedFromFile_ = false;
  colorMap_.clear();

  const bool zeroIsWhite = writeKind_ == 0 && palette[0] == kWhite;
  switch (writeKind_) {
    case 0:  // the fax codings call the value 0 white, the uncompressed rows call it black
      photometric_ = (Compression == 4) != zeroIsWhite ? 0 : 1;
      break;
    case 1:
      photometric_ = 1;
      break;
    case 2:
      photometric_ = 3;
      break;
    default:
      photometric_ = 2;
  }

  if (writeKind_ == 2) {
    size_t entries = std::max<size_t>(16, palette.size());
    if (format == plat::TPixelFormat::pf1bit) bitsPerSample_[0] = 4;
    colorMap_.assign(3 * entries, 0);
    for (size_t i = 0; i < palette.size(); ++i) {
      colorMap_[i] = static_cast<uint16_t>(palette[i].rgbRed * 257);
      colorMap_[entries + i] = static_cast<uint16_t>(palette[i].rgbGreen * 257);
      colorMap_[2 * entries + i] = static_cast<uint16_t>(palette[i].rgbBlue * 257);
    }
  }

  plat::TMemoryStream strip;
  if (writeKind_ == 0 && Compression == 4) {
    EncodeGroup4(*bitmap, strip);
  } else {
    const size_t width = imageWidth_;
    std::vector<uint8_t> row;
    for (int y = 0; y < bitmap->Height(); ++y) {
      const uint8_t* line = bitmap->ScanLine(y);
      if (writeKind_ == 0) {
        row.assign(line, line + (width + 7) / 8);
      } else if (writeKind_ == 3) {
        row.resize(3 * width);
        for (size_t x = 0; x < width; ++x) {
          row[3 * x] = line[3 * x + 2];
          row[3 * x + 1] = line[3 * x + 1];
          row[3 * x + 2] = line[3 * x];
        }
      } else if (format == plat::TPixelFormat::pf1bit) {  // palette: two indices a byte
        row.assign((width + 1) / 2, 0);
        for (size_t x = 0; x < width; ++x)
          if ((line[x >> 3] >> (7 - (x & 7))) & 1) row[x >> 1] |= (x & 1) ? 0x01 : 0x10;
      } else if (format == plat::TPixelFormat::pf4bit) {
        row.assign(line, line + (width + 1) / 2);
        if (writeKind_ == 1)  // grey levels from the palette, not the indices
          for (uint8_t& b : row)
            b = static_cast<uint8_t>((palette[b >> 4].rgbRed & 0xF0) |
                                     (palette[b & 15].rgbRed >> 4));
      } else {
        row.assign(line, line + width);
        if (writeKind_ == 1)
          for (uint8_t& b : row) b = palette[b].rgbRed;
      }
      if (Compression == 32773)
        PackBits(strip, row.data(), static_cast<int64_t>(row.size()));
      else
        strip.WriteBuffer(row.data(), static_cast<int64_t>(row.size()));
    }
  }
  data_ = strip.TakeBytes();
  strips_ = {{0, data_.size(), data_.size()}};
}

// Pages read from a file are copied as they are unless their pixels depend on something this
// writer does not put out: another byte order, FillOrder 2, a predictor, separate planes,
// Group 3 options, or strips the file held only in part.
bool TTIFImage::MustReencode() const {
  if (!loadedFromFile_) return false;
  return bigEndian_ || fillOrder_ != 1 || predictor_ != 1 || planarConfiguration_ != 1 ||
         Compression == 3 ||
         std::any_of(strips_.begin(), strips_.end(),
                     [](const TStrip& s) { return s.available != s.size; });
}

int64_t TTIFImage::WriteIFD(plat::TMemoryStream& file) const {
  if (!MustReencode()) return WriteDirectory(file);
  TBMPImage pixels;
  AssignTo(pixels);
  TTIFImage page;
  page.Compression = IsFaxCompression(Compression) ? 4 : Compression == 32773 ? 32773 : 1;
  page.Assign(pixels);
  page.XDPI = XDPI;
  page.YDPI = YDPI;
  return page.WriteDirectory(file);
}

int64_t TTIFImage::WriteDirectory(plat::TMemoryStream& file) const {
  file.Seek(0, plat::SeekOrigin::End);
  TOut out(file);

  std::vector<uint32_t> bits(bitsPerSample_.begin(), bitsPerSample_.end());
  std::vector<uint32_t> counts;
  for (const TStrip& s : strips_) counts.push_back(static_cast<uint32_t>(s.size));

  std::vector<TOutEntry> entries;
  entries.push_back(Inline(256, kTypeLong, imageWidth_));
  entries.push_back(Inline(257, kTypeLong, imageLength_));
  entries.push_back(Values(258, kTypeShort, bits));
  entries.push_back(Inline(259, kTypeShort, Compression));
  entries.push_back(Inline(262, kTypeShort, photometric_));
  const size_t stripOffsetsIndex = entries.size();
  entries.push_back({273, kTypeLong, static_cast<uint32_t>(strips_.size())});
  entries.push_back(Inline(277, kTypeShort, samplesPerPixel_));
  entries.push_back(Inline(278, kTypeLong, rowsPerStrip_));
  entries.push_back(Values(279, kTypeLong, counts));
  entries.push_back(Values(282, kTypeRational, {Dpi(XDPI) * 1000, 1000}));
  entries.push_back(Values(283, kTypeRational, {Dpi(YDPI) * 1000, 1000}));
  entries.push_back(Inline(284, kTypeShort, 1));
  entries.push_back(Inline(296, kTypeShort, 2));
  if (photometric_ == 3)
    entries.push_back(Values(320, kTypeShort, {colorMap_.begin(), colorMap_.end()}));

  out.U16(static_cast<uint16_t>(entries.size()));
  for (TOutEntry& e : entries) {
    out.U16(e.tag);
    out.U16(e.type);
    out.U32(e.count);
    e.valuePosition = out.Position();
    out.U32(e.value);
  }
  const int64_t nextIfdPosition = out.Position();
  out.U32(0);

  // Values in the order: BitsPerSample, strips, StripByteCounts, resolutions, ColorMap.
  auto writeValue = [&out](TOutEntry& e) {
    if (e.data.empty()) return;
    out.Patch32(e.valuePosition, static_cast<uint32_t>(out.Position()));
    out.Bytes(e.data);
    out.AlignWord();
  };
  writeValue(entries[2]);
  std::vector<uint32_t> positions;
  for (const TStrip& s : strips_) {
    positions.push_back(static_cast<uint32_t>(out.Position()));
    out.Bytes(data_.data() + s.offset, static_cast<size_t>(s.size));
    out.AlignWord();
  }
  TOutEntry& offsets = entries[stripOffsetsIndex];
  if (positions.size() == 1) {
    out.Patch32(offsets.valuePosition, positions[0]);
  } else {
    for (uint32_t p : positions) AppendLE(offsets.data, p, 4);
    writeValue(offsets);
  }
  for (size_t i = stripOffsetsIndex + 1; i < entries.size(); ++i) writeValue(entries[i]);
  out.AlignWord();
  file.SetSize(out.Position());
  return nextIfdPosition;
}

void TTIFImage::SaveToStream(plat::TStream& stream) const {
  plat::TMemoryStream file;
  TOut out(file);
  out.Bytes({'I', 'I'});
  out.U16(42);
  out.U32(8);
  WriteIFD(file);
  stream.WriteBuffer(file.Memory(), file.Size());
}

}  // namespace pictavo
