// Encoding a bitmap into a TIFF page and writing pages as little-endian directories.
#include <algorithm>
#include <charconv>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/support/icutils.h"
#include "control/formats/tiff/ccitt.h"
#include "control/formats/tiff/tif_image.h"
#include "control/formats/tiff/tiff_file.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/channel_order.h"
#include "platform/graphics/pixel_access.h"

namespace pictavo {

// One directory entry; values that do not fit in the entry go to `data` and are written after
// the directory, the entry then pointing at them.
struct TOutEntry {
  TOutEntry(uint16_t t, uint16_t ty, uint32_t n, uint32_t v = 0)
      : tag(t), type(ty), count(n), value(v) {}
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  uint32_t value;
  std::vector<uint8_t> data;
  int64_t valuePosition = 0;
};

namespace {

constexpr plat::TRGBQuad kBlack{0, 0, 0, 0};
constexpr plat::TRGBQuad kWhite{255, 255, 255, 0};

bool IsBlackWhitePalette(const plat::TColorTable& p) {
  return p.size() >= 2 &&
         ((p[0] == kBlack && p[1] == kWhite) || (p[0] == kWhite && p[1] == kBlack));
}

// The level an index of a grey palette stands for; indices past a short palette are black.
uint8_t GreyLevel(const plat::TColorTable& palette, size_t index) {
  return plat::PaletteEntryAt(palette, index).rgbRed;
}

// Little-endian values into a growing file.
class TOut {
 public:
  explicit TOut(plat::TStream& s) : s_(s) {}
  int64_t Position() { return s_.Position(); }
  void U16(uint16_t v) { Bytes({static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }
  void U32(uint32_t v) {
    Bytes({static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
           static_cast<uint8_t>(v >> 24)});
  }
  void Bytes(std::initializer_list<uint8_t> b) {
    s_.WriteBuffer(b.begin(), static_cast<int64_t>(b.size()));
  }
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
  plat::TStream& s_;
};

void AppendLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

TOutEntry Inline(uint16_t tag, uint16_t type, uint32_t value) {
  return {tag, type, 1, value};
}

// Values of four bytes or less sit in the entry itself, as the format requires.
TOutEntry Blob(uint16_t tag, uint16_t type, uint32_t count, std::vector<uint8_t> bytes) {
  TOutEntry e(tag, type, count);
  if (bytes.size() <= 4) {
    for (size_t i = 0; i < bytes.size(); ++i) e.value |= uint32_t{bytes[i]} << (8 * i);
  } else {
    e.data = std::move(bytes);
  }
  return e;
}

TOutEntry Values(uint16_t tag, uint16_t type, const std::vector<uint32_t>& values) {
  std::vector<uint8_t> bytes;
  // RATIONAL values are written as their two LONG halves.
  int size = type == kTypeRational ? 4 : static_cast<int>(TypeSize(type));
  for (uint32_t v : values) AppendLE(bytes, v, size);
  uint32_t count = static_cast<uint32_t>(type == kTypeRational ? values.size() / 2 : values.size());
  return Blob(tag, type, count, std::move(bytes));
}

uint32_t Dpi(int32_t dpi) {
  return static_cast<uint32_t>(std::clamp(dpi, 0, 4294967));
}

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
  } else if (format != plat::TPixelFormat::pf1bit && plat::IsGreyPalette(palette)) {
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
  bitsPerSample_.assign(samplesPerPixel_,
                        static_cast<uint16_t>(plat::BitsPerPixel(format) / samplesPerPixel_));
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
    if (format == plat::TPixelFormat::pf1bit) bitsPerSample_[0] = 4;
    // Readers take a map of any other length as no map at all: unused entries stay black.
    const size_t entries = size_t{1} << bitsPerSample_[0];
    colorMap_.assign(3 * entries, 0);
    for (size_t i = 0; i < std::min(palette.size(), entries); ++i) {
      colorMap_[i] = static_cast<uint16_t>(palette[i].rgbRed * 257);
      colorMap_[entries + i] = static_cast<uint16_t>(palette[i].rgbGreen * 257);
      colorMap_[2 * entries + i] = static_cast<uint16_t>(palette[i].rgbBlue * 257);
    }
  }

  plat::TLargeBytes stored;
  if (writeKind_ == 0 && Compression == 4) {
    plat::TMemoryStream strip;
    EncodeGroup4(*bitmap, strip);
    stored.assign(strip.Memory(), strip.Memory() + strip.Size());
  } else if (writeKind_ == 3 && Compression == 1) {
    // Colour rows are turned around straight into the strip.
    const size_t rowBytes = 3 * size_t{imageWidth_};
    stored.resize(rowBytes * imageLength_);
    for (int y = 0; y < bitmap->Height(); ++y)
      plat::SwapRedAndBlue(stored.data() + rowBytes * static_cast<size_t>(y), bitmap->ScanLine(y),
                           imageWidth_);
  } else {
    const size_t width = imageWidth_;
    std::vector<uint8_t> row;
    for (int y = 0; y < bitmap->Height(); ++y) {
      const uint8_t* line = bitmap->ScanLine(y);
      // Rows the file stores as the bitmap holds them go out without a copy.
      std::span<const uint8_t> bytes;
      if (writeKind_ == 0) {
        bytes = {line, (width + 7) / 8};
      } else if (writeKind_ == 3) {
        row.resize(3 * width);
        plat::SwapRedAndBlue(row.data(), line, width);
        bytes = row;
      } else if (format == plat::TPixelFormat::pf1bit) {  // palette: two indices a byte
        row.assign((width + 1) / 2, 0);
        for (size_t x = 0; x < width; ++x)
          plat::SetIndexAt(row.data(), x, 4, plat::IndexAt(line, x, 1));
        bytes = row;
      } else if (format == plat::TPixelFormat::pf4bit) {
        bytes = {line, (width + 1) / 2};
        if (writeKind_ == 1) {  // grey levels from the palette, not the indices
          row.assign(bytes.begin(), bytes.end());
          for (uint8_t& b : row)
            b = static_cast<uint8_t>((GreyLevel(palette, b >> 4) & 0xF0) |
                                     (GreyLevel(palette, b & 15) >> 4));
          bytes = row;
        }
      } else {
        bytes = {line, width};
        if (writeKind_ == 1) {
          row.resize(width);
          for (size_t x = 0; x < width; ++x) row[x] = GreyLevel(palette, line[x]);
          bytes = row;
        }
      }
      if (stored.empty())
        stored.reserve(static_cast<size_t>(PackBitsBound(static_cast<int64_t>(bytes.size()))) *
                       imageLength_);
      if (Compression == 32773)
        PackBits(stored, bytes.data(), static_cast<int64_t>(bytes.size()));
      else
        stored.insert(stored.end(), bytes.begin(), bytes.end());
    }
  }
  data_ = std::move(stored);
  strips_ = {{0, data_.size(), data_.size()}};
}

// Pages read from a file are copied as they are unless their pixels depend on something this
// writer does not put out: another byte order, FillOrder 2, a predictor other than horizontal
// differencing of 8- or 16-bit LZW samples, separate planes, Group 3 options, extra samples, a
// coding or colour model it does not know, or strips the file held only in part. Those are
// decoded and encoded again (or fail as their decoding fails).
bool TTIFImage::MustReencode() const {
  if (!loadedFromFile_) return false;
  const bool knownCoding = Compression == 1 || Compression == 2 || Compression == 4 ||
                           Compression == 5 || Compression == 32773;
  const size_t colourSamples = photometric_ == 2 ? 3 : photometric_ == 5 ? 4 : 1;
  return bigEndian_ || fillOrder_ != 1 || !CopyablePredictor() || planarConfiguration_ != 1 ||
         !knownCoding || photometric_ == 4 || photometric_ > 5 ||
         samplesPerPixel_ != colourSamples ||
         std::any_of(strips_.begin(), strips_.end(),
                     [](const TStrip& s) { return s.available != s.size; });
}

// Horizontal differencing travels with the stored LZW bytes as long as the tag goes with them.
bool TTIFImage::CopyablePredictor() const {
  if (predictor_ == 1) return true;
  const bool wholeBytes = std::all_of(bitsPerSample_.begin(), bitsPerSample_.end(),
                                      [](uint16_t bits) { return bits == 8 || bits == 16; });
  return predictor_ == 2 && Compression == 5 && wholeBytes;
}

int64_t TTIFImage::WriteIFD(plat::TStream& file) const {
  if (!MustReencode()) return WriteDirectory(file);
  TBMPImage pixels;
  AssignTo(pixels);
  TTIFImage page;
  page.Compression = IsFaxCompression(Compression) ? 4 : Compression == 32773 ? 32773 : 1;
  page.Assign(pixels);
  page.XDPI = XDPI;
  page.YDPI = YDPI;
  page.Exif.CopyFrom(Exif);
  page.FileInfo.CopyFrom(FileInfo);
  return page.WriteDirectory(file);
}

namespace {

// An 8-bit text with its terminating zero.
TOutEntry Ascii(uint16_t tag, const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  const uint32_t count = static_cast<uint32_t>(bytes.size());
  return Blob(tag, kTypeAscii, count, std::move(bytes));
}

std::optional<uint32_t> Integer(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Integers separated by commas (and "/" within a rational), exactly `count` of them.
std::optional<std::vector<uint32_t>> Integers(const std::string& text, size_t count) {
  std::vector<uint32_t> values;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != ',' && text[i] != '/') continue;
    std::optional<uint32_t> v = Integer(std::string_view(text).substr(start, i - start));
    if (!v) return std::nullopt;
    values.push_back(*v);
    start = i + 1;
  }
  if (values.size() != count) return std::nullopt;
  return values;
}

// Order in which the values of the entries follow the strips.
int ValueRank(const TOutEntry& e) {
  switch (e.tag) {
    case 279:
      return 1;
    case 282:
      return 2;
    case 283:
      return 3;
    case 320:
      return 4;
    case 34377:
      return 5;
    case 33723:
      return 6;
    default:
      return e.type == kTypeAscii ? 7 : 8;
  }
}

}  // namespace

void TTIFImage::AddMetadataEntries(std::vector<TOutEntry>& entries) const {
  auto text = [this](const char* name) { return Exif.Value(name); };
  for (auto [tag, name] : {std::pair<uint16_t, const char*>{270, "ImageDescription"},
                           {271, "Make"},
                           {272, "Model"},
                           {305, "Software"},
                           {306, "DateTime"},
                           {315, "Artist"},
                           {33432, "Copyright"}})
    if (!text(name).empty()) entries.push_back(Ascii(tag, text(name)));
  for (auto [tag, name] :
       {std::pair<uint16_t, const char*>{274, "Orientation"}, {531, "YCbCrPositioning"}})
    if (auto v = Integer(text(name))) entries.push_back(Inline(tag, kTypeShort, *v));
  if (auto v = Integers(text("YCbCrSubSampling"), 2))
    entries.push_back(Values(530, kTypeShort, *v));
  for (auto [tag, name, count] : {std::tuple<uint16_t, const char*, size_t>{318, "WhitePoint", 2},
                                  {319, "PrimaryChromaticities", 6},
                                  {529, "YCbCrCoefficients", 3},
                                  {532, "ReferenceBlackWhite", 6}})
    if (auto v = Integers(text(name), 2 * count)) entries.push_back(Values(tag, kTypeRational, *v));

  if (!FileInfo.HasFileInfo) return;
  TApp14Segment container = FileInfo.ToSegment();
  std::string resources = container.ResourceBytes();
  entries.push_back(Blob(34377, kTypeByte, static_cast<uint32_t>(resources.size()),
                         {resources.begin(), resources.end()}));
  // Tag 33723 holds the IPTC datasets alone: the data of the first block, after its 18-byte
  // header ("8BIM", id, name "Caption", size).
  if (container.BlockCount() > 0 && container.Block(0).ID() == kIptcResourceID) {
    size_t size = static_cast<size_t>(container.Block(0).DataSize());
    if (size > 0 && resources.size() >= 18 + size) {
      std::vector<uint8_t> iptc(resources.begin() + 18, resources.begin() + 18 + size);
      iptc.resize((iptc.size() + 3) / 4 * 4, 0);
      entries.push_back(Blob(33723, kTypeLong, static_cast<uint32_t>(iptc.size() / 4), iptc));
    }
  }
}

int64_t TTIFImage::WriteDirectory(plat::TStream& file) const {
  file.Seek(0, plat::SeekOrigin::End);
  TOut out(file);
  out.AlignWord();

  std::vector<uint32_t> bits(bitsPerSample_.begin(), bitsPerSample_.end());
  std::vector<uint32_t> counts;
  for (const TStrip& s : strips_) counts.push_back(static_cast<uint32_t>(s.size));

  std::vector<TOutEntry> entries;
  entries.push_back(Inline(256, kTypeLong, imageWidth_));
  entries.push_back(Inline(257, kTypeLong, imageLength_));
  entries.push_back(Values(258, kTypeShort, bits));
  entries.push_back(Inline(259, kTypeShort, Compression));
  entries.push_back(Inline(262, kTypeShort, photometric_));
  entries.push_back(TOutEntry(273, kTypeLong, static_cast<uint32_t>(strips_.size())));
  entries.push_back(Inline(277, kTypeShort, samplesPerPixel_));
  entries.push_back(Inline(278, kTypeLong, rowsPerStrip_));
  entries.push_back(Values(279, kTypeLong, counts));
  entries.push_back(Values(282, kTypeRational, {Dpi(XDPI) * 1000, 1000}));
  entries.push_back(Values(283, kTypeRational, {Dpi(YDPI) * 1000, 1000}));
  entries.push_back(Inline(284, kTypeShort, 1));  // the strips hold whole pixels
  entries.push_back(Inline(296, kTypeShort, 2));
  if (predictor_ != 1) entries.push_back(Inline(317, kTypeShort, predictor_));
  if (photometric_ == 3)
    entries.push_back(Values(320, kTypeShort, {colorMap_.begin(), colorMap_.end()}));
  AddMetadataEntries(entries);
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TOutEntry& a, const TOutEntry& b) { return a.tag < b.tag; });

  const int64_t countPosition = out.Position();
  out.U16(0);
  for (TOutEntry& e : entries) {
    out.U16(e.tag);
    out.U16(e.type);
    out.U32(e.count);
    e.valuePosition = out.Position();
    out.U32(e.value);
  }
  int64_t nextIfdPosition = 0;
  int pointers = 0;
  Exif.WriteToStream(file, true, nextIfdPosition, pointers, out.Position());
  if (pointers == 0) {
    nextIfdPosition = out.Position();
    out.U32(0);
  }
  file.SetPosition(countPosition);
  out.U16(static_cast<uint16_t>(entries.size() + static_cast<size_t>(pointers)));
  file.Seek(0, plat::SeekOrigin::End);
  out.AlignWord();

  auto writeValue = [&out](const TOutEntry& e) {
    if (e.data.empty()) return;
    out.Patch32(e.valuePosition, static_cast<uint32_t>(out.Position()));
    out.Bytes(e.data);
    out.AlignWord();
  };
  auto entry = [&entries](uint16_t tag) -> TOutEntry& {
    return *std::find_if(entries.begin(), entries.end(),
                         [tag](const TOutEntry& e) { return e.tag == tag; });
  };
  writeValue(entry(258));
  std::vector<uint32_t> positions;
  for (const TStrip& s : strips_) {
    positions.push_back(static_cast<uint32_t>(out.Position()));
    out.Bytes(data_.data() + s.offset, static_cast<size_t>(s.size));
    out.AlignWord();
  }
  TOutEntry& offsets = entry(273);
  if (positions.size() == 1) {
    out.Patch32(offsets.valuePosition, positions[0]);
  } else {
    for (uint32_t p : positions) AppendLE(offsets.data, p, 4);
    writeValue(offsets);
  }
  std::vector<const TOutEntry*> rest;
  for (const TOutEntry& e : entries)
    if (e.tag != 258 && e.tag != 273) rest.push_back(&e);
  std::stable_sort(rest.begin(), rest.end(), [](const TOutEntry* a, const TOutEntry* b) {
    return ValueRank(*a) < ValueRank(*b);
  });
  for (const TOutEntry* e : rest) writeValue(*e);
  out.AlignWord();
  return nextIfdPosition;
}

void TTIFImage::SaveToStream(plat::TStream& stream) const {
  plat::TWriteWindow file(stream);
  TOut out(file);
  out.Bytes({'I', 'I'});
  out.U16(42);
  out.U32(8);
  WriteIFD(file);
}

}  // namespace pictavo
