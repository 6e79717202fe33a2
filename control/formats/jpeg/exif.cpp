#include "control/formats/jpeg/exif.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

#include "platform/base/datetime.h"
#include "platform/base/exceptions.h"
#include "platform/base/numbers.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

constexpr auto kByte = TExifDataType::Byte;
constexpr auto kAscii = TExifDataType::Ascii;
constexpr auto kShort = TExifDataType::Short;
constexpr auto kLong = TExifDataType::Long;
constexpr auto kRational = TExifDataType::Rational;
constexpr auto kUndefined = TExifDataType::Undefined;
constexpr auto kSRational = TExifDataType::SRational;
constexpr auto kIFD0 = TExifIFD::IFD0;
constexpr auto kExif = TExifIFD::Exif;
constexpr auto kGPS = TExifIFD::GPS;

constexpr std::array<TExifLookupRecord, 111> kTable = {{
    {"ImageDescription", 0x010E, kAscii, kIFD0, 0},
    {"Make", 0x010F, kAscii, kIFD0, 0},
    {"Model", 0x0110, kAscii, kIFD0, 0},
    {"Orientation", 0x0112, kShort, kIFD0, 1},
    {"XResolution", 0x011A, kRational, kIFD0, 1},
    {"YResolution", 0x011B, kRational, kIFD0, 1},
    {"ResolutionUnit", 0x0128, kShort, kIFD0, 1},
    {"Software", 0x0131, kAscii, kIFD0, 0},
    {"DateTime", 0x0132, kAscii, kIFD0, 20},
    {"WhitePoint", 0x013E, kRational, kIFD0, 2},
    {"PrimaryChromaticities", 0x013F, kRational, kIFD0, 6},
    {"YCbCrCoefficients", 0x0211, kRational, kIFD0, 3},
    {"YCbCrPositioning", 0x0213, kShort, kIFD0, 1},
    {"ReferenceBlackWhite", 0x0214, kRational, kIFD0, 6},
    {"Copyright", 0x8298, kAscii, kIFD0, 0},
    {"ExposureTime", 0x829A, kRational, kExif, 1},
    {"FNumber", 0x829D, kRational, kExif, 1},
    {"ExposureProgram", 0x8822, kShort, kExif, 1},
    {"ISOSpeedRatings", 0x8827, kShort, kExif, 0},
    {"ExifVersion", 0x9000, kUndefined, kExif, 4},
    {"DateTimeOriginal", 0x9003, kAscii, kExif, 20},
    {"DateTimeDigitized", 0x9004, kAscii, kExif, 20},
    {"ComponentsConfiguration", 0x9101, kUndefined, kExif, 0},
    {"CompressedBitsPerPixel", 0x9102, kRational, kExif, 1},
    {"ShutterSpeedValue", 0x9201, kSRational, kExif, 1},
    {"ApertureValue", 0x9202, kRational, kExif, 1},
    {"FlashPixVersion", 0xA000, kUndefined, kExif, 4},
    {"ColorSpace", 0xA001, kShort, kExif, 1},
    {"PixelXDimension", 0xA002, kShort, kExif, 1},
    {"PixelYDimension", 0xA003, kShort, kExif, 1},
    {"", 0xFFFF, kByte, kIFD0, 0},
    {"UserComment", 0x9286, kUndefined, kExif, 0},
    {"RelatedSoundFile", 0xA004, kAscii, kExif, 13},
    {"SubSecTime", 0x9290, kAscii, kExif, 0},
    {"SubSecTimeOriginal", 0x9291, kAscii, kExif, 0},
    {"SubSecTimeDigitized", 0x9292, kAscii, kExif, 0},
    {"SpectralSensitivity", 0x8824, kAscii, kExif, 0},
    {"OECF", 0x8828, kUndefined, kExif, 0},
    {"BrightnessValue", 0x9203, kSRational, kExif, 1},
    {"ExposureBiasValue", 0x9204, kSRational, kExif, 1},
    {"MaxApertureValue", 0x9205, kRational, kExif, 1},
    {"SubjectDistance", 0x9206, kRational, kExif, 1},
    {"MeteringMode", 0x9207, kShort, kExif, 1},
    {"LightSource", 0x9208, kShort, kExif, 1},
    {"Flash", 0x9209, kShort, kExif, 1},
    {"FocalLength", 0x920A, kRational, kExif, 1},
    {"FlashEnergy", 0xA20B, kRational, kExif, 1},
    {"SpatialFrequencyResponse", 0xA20C, kUndefined, kExif, 0},
    {"FocalPlaneXResolution", 0xA20E, kRational, kExif, 1},
    {"FocalPlaneYResolution", 0xA20F, kRational, kExif, 1},
    {"FocalPlaneResolutionUnit", 0xA210, kShort, kExif, 1},
    {"SubjectLocation", 0xA214, kShort, kExif, 2},
    {"ExposureIndex", 0xA215, kRational, kExif, 1},
    {"SensingMethod", 0xA217, kShort, kExif, 1},
    {"FileSource", 0xA300, kUndefined, kExif, 1},
    {"SceneType", 0xA301, kUndefined, kExif, 1},
    {"CFAPattern", 0xA302, kUndefined, kExif, 0},
    {"GPSVersionID", 0x0000, kByte, kGPS, 4},
    {"GPSLatitudeRef", 0x0001, kAscii, kGPS, 2},
    {"GPSLatitude", 0x0002, kRational, kGPS, 3},
    {"GPSLongitudeRef", 0x0003, kAscii, kGPS, 2},
    {"GPSLongitude", 0x0004, kRational, kGPS, 3},
    {"GPSAltitudeRef", 0x0005, kByte, kGPS, 1},
    {"GPSAltitude", 0x0006, kRational, kGPS, 1},
    {"GPSTimeStamp", 0x0007, kRational, kGPS, 3},
    {"GPSSatellites", 0x0008, kAscii, kGPS, 0},
    {"GPSStatus", 0x0009, kAscii, kGPS, 2},
    {"GPSMeasureMode", 0x000A, kAscii, kGPS, 2},
    {"GPSDOP", 0x000B, kRational, kGPS, 1},
    {"GPSSpeedRef", 0x000C, kAscii, kGPS, 2},
    {"GPSSpeed", 0x000D, kRational, kGPS, 1},
    {"GPSTrackRef", 0x000E, kAscii, kGPS, 2},
    {"GPSTrack", 0x000F, kRational, kGPS, 1},
    {"GPSImgDirectionRef", 0x0010, kAscii, kGPS, 2},
    {"GPSImgDirection", 0x0011, kRational, kGPS, 1},
    {"GPSMapDatum", 0x0012, kAscii, kGPS, 0},
    {"GPSDestLatitudeRef", 0x0013, kAscii, kGPS, 2},
    {"GPSDestLatitude", 0x0014, kRational, kGPS, 3},
    {"GPSDestLongitudeRef", 0x0015, kAscii, kGPS, 2},
    {"GPSDestLongitude", 0x0016, kRational, kGPS, 3},
    {"GPSDestBearingRef", 0x0017, kAscii, kGPS, 2},
    {"GPSDestBearing", 0x0018, kRational, kGPS, 1},
    {"GPSDestDistanceRef", 0x0019, kAscii, kGPS, 2},
    {"GPSDestDistance", 0x001A, kRational, kGPS, 1},
    {"ImageWidth", 0x0100, kShort, kIFD0, 1},
    {"ImageLength", 0x0101, kShort, kIFD0, 1},
    {"BitsPerSample", 0x0102, kShort, kIFD0, 3},
    {"Compression", 0x0103, kShort, kIFD0, 1},
    {"PhotometricInterpretation", 0x0106, kShort, kIFD0, 1},
    {"SamplesPerPixel", 0x0115, kShort, kIFD0, 1},
    {"PlanarConfiguration", 0x011C, kShort, kIFD0, 1},
    {"YCbCrSubSampling", 0x0212, kShort, kIFD0, 2},
    {"Artist", 0x013B, kAscii, kIFD0, 0},
    {"ImageUniqueID", 0xA420, kAscii, kExif, 33},
    {"SubjectArea", 0x9214, kShort, kExif, 4},
    {"CustomRendered", 0xA401, kShort, kExif, 1},
    {"ExposureMode", 0xA402, kShort, kExif, 1},
    {"WhiteBalance", 0xA403, kShort, kExif, 1},
    {"DigitalZoomRatio", 0xA404, kRational, kExif, 1},
    {"FocalLengthIn35mmFilm", 0xA405, kShort, kExif, 1},
    {"SceneCaptureType", 0xA406, kShort, kExif, 1},
    {"GainControl", 0xA407, kShort, kExif, 1},
    {"Contrast", 0xA408, kShort, kExif, 1},
    {"Saturation", 0xA409, kShort, kExif, 1},
    {"Sharpness", 0xA40A, kShort, kExif, 1},
    {"DeviceSettingDescription", 0xA40B, kUndefined, kExif, 0},
    {"SubjectDistanceRange", 0xA40C, kShort, kExif, 1},
    {"GPSProcessingMethod", 0x001B, kUndefined, kGPS, 0},
    {"GPSAreaInformation", 0x001C, kUndefined, kGPS, 0},
    {"GPSDateStamp", 0x001D, kAscii, kGPS, 11},
    {"GPSDifferential", 0x001E, kShort, kGPS, 1},
}};

// Entries with counts above this end the reading: no real attribute is that long, and it
// bounds what a damaged file can make us convert.
constexpr uint32_t kMaxReadCount = 4096;
constexpr size_t kJpegBase = 6;
constexpr uint32_t kRationalDenominatorLimit = 1000000000;

std::string_view NameOfLine(std::string_view line) {
  return line.substr(0, line.find('='));
}

const TExifLookupRecord* FindByName(std::string_view name) {
  for (const TExifLookupRecord& entry : kTable)
    if (plat::SameTextIgnoringCase(entry.Name, name)) return &entry;
  return nullptr;
}

[[noreturn]] void NotANumber(std::string_view text) {
  throw plat::EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// Items separated by spaces, commas and line breaks; quoted text is not split; empty items
// are dropped.
std::vector<std::string> ExtractItems(std::string_view text) {
  std::vector<std::string> items;
  std::string item;
  char quote = 0;
  for (char c : text) {
    if (quote == 0 && (c == ' ' || c == ',' || c == '\r' || c == '\n')) {
      if (!item.empty()) items.push_back(std::move(item));
      item.clear();
      continue;
    }
    if (c == '"' || c == '\'') quote = quote == 0 ? c : (quote == c ? 0 : quote);
    item += c;
  }
  if (!item.empty()) items.push_back(std::move(item));
  return items;
}

std::string HexByte(uint8_t byte, bool upper) {
  char text[4];
  std::snprintf(text, sizeof text, upper ? "%02X" : "%02x", byte);
  return text;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
  return out;
}

// ---- Reading

size_t ElementSize(TExifDataType type) {
  switch (type) {
    case kShort:
      return 2;
    case kLong:
      return 4;
    case kRational:
    case kSRational:
      return 8;
    default:
      return 1;
  }
}

TExifDataType TypeOfField(uint16_t field_type) {
  switch (field_type) {
    case 1:
      return kByte;
    case 2:
      return kAscii;
    case 3:
      return kShort;
    case 4:
      return kLong;
    case 5:
      return kRational;
    case 10:
      return kSRational;
    default:
      return kUndefined;
  }
}

std::string ValueText(TExifDataType type, std::span<const uint8_t> data, uint32_t count,
                      bool big_endian, bool convert_utf8) {
  plat::TByteCursor values = JpegCursor(data, big_endian);
  std::vector<std::string> items;
  switch (type) {
    case kAscii: {
      std::string text;
      for (uint8_t byte : data)
        if (byte != 0) text += static_cast<char>(byte);
      // Bytes that are not UTF-8 are taken as they stand: older writers stored the code page.
      return convert_utf8 && plat::IsValidUtf8(text) ? plat::Utf8ToAnsi(text) : text;
    }
    case kByte:
      for (uint8_t byte : data) items.push_back(std::to_string(byte));
      break;
    case kShort:
      for (uint32_t i = 0; i < count; ++i) items.push_back(std::to_string(values.Word()));
      break;
    case kLong:
      for (uint32_t i = 0; i < count; ++i) items.push_back(std::to_string(values.DWord()));
      break;
    case kRational:
    case kSRational:
      for (uint32_t i = 0; i < count; ++i) {
        uint32_t numerator = values.DWord();
        uint32_t denominator = values.DWord();
        std::string top = type == kSRational ? std::to_string(static_cast<int32_t>(numerator))
                                             : std::to_string(numerator);
        items.push_back(top + "/" + std::to_string(denominator));
      }
      break;
    case kUndefined:
      for (uint8_t byte : data) items.push_back(HexByte(byte, true));
      break;
  }
  return Joined(items);
}

// ---- Writing

struct TEncodedEntry {
  uint16_t Tag;
  uint16_t FieldType;
  uint32_t Count;
  std::string Data;
};

uint32_t UnsignedPart(std::string_view text) {
  return static_cast<uint32_t>(plat::StrToInt64(text) & 0xFFFFFFFF);
}

TEncodedEntry EncodeEntry(const TExifLookupRecord& entry, std::string_view value, bool utf8) {
  TEncodedEntry out{entry.Tag, static_cast<uint16_t>(TiffFieldType(entry.DataType)), 0, {}};
  if (entry.DataType == kAscii) {
    out.Data = utf8 ? plat::AnsiToUtf8(value) : std::string(value);
    out.Data += '\0';
    out.Count = static_cast<uint32_t>(out.Data.size());
    return out;
  }
  std::string rational;
  if ((entry.DataType == kRational || entry.DataType == kSRational) &&
      value.find('/') == std::string_view::npos) {
    rational = std::string(value) + "/1";
    value = rational;
  }
  for (std::string_view item : SplitAt(value, ',')) {
    ++out.Count;
    switch (entry.DataType) {
      case kByte:
        out.Data += static_cast<char>(plat::StrToInt64(item) & 0xFF);
        break;
      case kShort:
        PutWordLE(out.Data, static_cast<uint32_t>(plat::StrToInt64(item) & 0xFFFF));
        break;
      case kLong:
        PutDWordLE(out.Data, UnsignedPart(item));
        break;
      case kRational:
      case kSRational: {
        std::vector<std::string_view> parts = SplitAt(item, '/');
        if (parts.size() != 2) NotANumber(item);
        PutDWordLE(out.Data, UnsignedPart(parts[0]));
        PutDWordLE(out.Data, UnsignedPart(parts[1]));
        break;
      }
      case kUndefined: {
        unsigned byte = 0;
        int used = 0;
        if (item.empty() || item.size() > 2 ||
            std::sscanf(std::string(item).c_str(), "%2x%n", &byte, &used) != 1 ||
            used != static_cast<int>(item.size()))
          NotANumber(item);
        out.Data += static_cast<char>(byte);
        break;
      }
      case kAscii:
        break;
    }
  }
  return out;
}

uint32_t OutOfLineSize(const std::vector<TEncodedEntry>& entries) {
  uint64_t size = 0;
  for (const TEncodedEntry& e : entries)
    if (e.Data.size() > 4) size += e.Data.size();
  if (size > 0xFFFF0000u) throw plat::EConvertError("EXIF data too large");
  return static_cast<uint32_t>(size);
}

uint32_t IFDSize(size_t entries) {
  return static_cast<uint32_t>(2 + 12 * entries + 4);
}

void AppendEntry(std::string& out, const TEncodedEntry& e, uint32_t data_offset,
                 std::string& data_area) {
  PutWordLE(out, e.Tag);
  PutWordLE(out, e.FieldType);
  PutDWordLE(out, e.Count);
  if (e.Data.size() <= 4) {
    out += e.Data;
    out.append(4 - e.Data.size(), '\0');
  } else {
    PutDWordLE(out, data_offset + static_cast<uint32_t>(data_area.size()));
    data_area += e.Data;
  }
}

TEncodedEntry PointerEntry(uint16_t tag, uint32_t offset) {
  std::string value;
  PutDWordLE(value, offset);
  return {tag, 4, 1, value};
}

// An entry that still does not convert (a value stored behind SetAttribute's back, or one read
// from a file that no table type can hold) is left out: one bad attribute never costs the
// image or the other attributes.
std::optional<TEncodedEntry> EncodedOrNothing(const TExifLookupRecord& entry,
                                              std::string_view value, bool utf8) {
  try {
    return EncodeEntry(entry, value, utf8);
  } catch (const plat::EConvertError&) {
    return std::nullopt;
  }
}

// Tags that describe how the pixels of the file they were read from are laid out. The writers
// take them from the image they write, never from the store.
bool IsLayoutTag(uint16_t tag) {
  switch (tag) {
    case 0x0100:  // ImageWidth
    case 0x0101:  // ImageLength
    case 0x0102:  // BitsPerSample
    case 0x0103:  // Compression
    case 0x0106:  // PhotometricInterpretation
    case 0x0115:  // SamplesPerPixel
    case 0x011C:  // PlanarConfiguration
      return true;
    default:
      return false;
  }
}

// The lines grouped by IFD, each group in ascending tag order, names not in the table and
// layout tags left out.
std::array<std::vector<TEncodedEntry>, 3> EncodeLines(const std::vector<std::string>& lines,
                                                      bool utf8) {
  std::array<std::map<std::string, TEncodedEntry>, 3> sorted;
  for (const std::string& line : lines) {
    std::string_view name = NameOfLine(line);
    auto entry = std::find_if(kTable.begin(), kTable.end(), [&](const TExifLookupRecord& r) {
      return name == r.Name && !name.empty();
    });
    if (entry == kTable.end() || IsLayoutTag(entry->Tag)) continue;
    std::string value = name.size() < line.size() ? line.substr(name.size() + 1) : "";
    std::string key =
        HexByte(entry->Tag >> 8, true) + HexByte(entry->Tag & 0xFF, true) + "=" + std::string(name);
    auto& group = sorted[static_cast<int>(entry->IFD)];
    if (group.contains(key)) continue;
    if (std::optional<TEncodedEntry> encoded = EncodedOrNothing(*entry, value, utf8))
      group.emplace(key, std::move(*encoded));
  }
  std::array<std::vector<TEncodedEntry>, 3> out;
  for (int i = 0; i < 3; ++i)
    for (auto& [key, entry] : sorted[i]) out[i].push_back(std::move(entry));
  return out;
}

// The Exif and GPS IFDs starting at offset, followed by their data areas.
std::string SubIFDs(const std::vector<TEncodedEntry>& exif, const std::vector<TEncodedEntry>& gps,
                    uint32_t offset) {
  uint32_t exif_size = exif.empty() ? 0 : IFDSize(exif.size());
  uint32_t gps_size = gps.empty() ? 0 : IFDSize(gps.size());
  uint32_t data_offset = offset + exif_size + gps_size;
  std::string ifds, data_area;
  for (const auto* group : {&exif, &gps}) {
    if (group->empty()) continue;
    PutWordLE(ifds, static_cast<uint32_t>(group->size()));
    for (const TEncodedEntry& e : *group) AppendEntry(ifds, e, data_offset, data_area);
    PutDWordLE(ifds, 0);
  }
  return ifds + data_area;
}

}  // namespace

std::span<const TExifLookupRecord> ExifTagTable() {
  return kTable;
}

int TiffFieldType(TExifDataType type) {
  static constexpr int kFieldTypes[] = {1, 2, 3, 4, 5, 7, 10};
  return kFieldTypes[static_cast<int>(type)];
}

int TExif::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < Tags.size(); ++i)
    if (plat::SameTextIgnoringCase(NameOfLine(Tags[i]), name)) return static_cast<int>(i);
  return -1;
}

std::string TExif::Value(std::string_view name) const {
  int index = IndexOfName(name);
  if (index < 0) return {};
  const std::string& line = Tags[index];
  size_t equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

void TExif::SetValue(std::string_view name, std::string value) {
  std::string line = std::string(name) + "=" + value;
  int index = IndexOfName(name);
  if (index >= 0)
    Tags[index] = std::move(line);
  else
    Tags.push_back(std::move(line));
}

bool TExif::DeleteAttribute(std::string_view name) {
  int index = IndexOfName(name);
  if (index < 0) return false;
  Tags.erase(Tags.begin() + index);
  return true;
}

TExifLookupRecord TExif::Lookup(std::string_view name) const {
  for (const TExifLookupRecord& entry : kTable)
    if (name == entry.Name) return entry;
  return {};
}

std::string TExif::AttributeNameOf(int tag) const {
  for (const TExifLookupRecord& entry : kTable)
    if (entry.Tag == tag) return entry.Name;
  return {};
}

int TExif::AttributeDataCount(std::string_view name) const {
  const TExifLookupRecord* entry = FindByName(name);
  return entry ? entry->Count : 0;
}

int TExif::AttributeDataType(std::string_view name) const {
  const TExifLookupRecord* entry = FindByName(name);
  return entry ? TiffFieldType(entry->DataType) : 0;
}

namespace {

// Converts one item of a set value by the attribute's type; nullopt when it does not fit.
std::optional<std::string> ConvertItem(TExifDataType type, const std::string& item) {
  auto in_range = [&item](int64_t low, int64_t high) -> std::optional<std::string> {
    int64_t value = 0;
    if (!plat::TryStrToInt64(item, value) || value < low || value > high) return std::nullopt;
    return std::to_string(value);
  };
  switch (type) {
    case kByte:
      return in_range(0, 0xFF);
    case kShort:
      return in_range(0, 0xFFFF);
    case kLong:
      return in_range(0, 0xFFFFFFFF);
    case kUndefined:
      if (item.size() != 2 || !std::isxdigit(static_cast<unsigned char>(item[0])) ||
          !std::isxdigit(static_cast<unsigned char>(item[1])))
        return std::nullopt;
      return std::string{static_cast<char>(std::tolower(static_cast<unsigned char>(item[0]))),
                         static_cast<char>(std::tolower(static_cast<unsigned char>(item[1])))};
    case kRational:
    case kSRational: {
      bool is_signed = type == kSRational;
      std::vector<std::string_view> parts;
      for (std::string_view part : SplitAt(item, '/'))
        if (!part.empty()) parts.push_back(part);
      std::string text;
      if (parts.size() == 1) {
        double real = 0;
        if (!plat::TryStrToFloat(parts[0], real) || (!is_signed && real < 0)) return std::nullopt;
        text = RealToRational(real);
        parts = SplitAt(text, '/');
      } else if (parts.size() != 2 || parts[0].size() > 10 || parts[1].size() > 10) {
        return std::nullopt;
      }
      int64_t top = 0, bottom = 0;
      if (!plat::TryStrToInt64(parts[0], top) || !plat::TryStrToInt64(parts[1], bottom))
        return std::nullopt;
      int64_t top_low = is_signed ? INT32_MIN : 0, top_high = is_signed ? INT32_MAX : UINT32_MAX;
      int64_t bottom_low = is_signed ? INT32_MIN : 1,
              bottom_high = is_signed ? INT32_MAX : UINT32_MAX;
      if (top < top_low || top > top_high || bottom < bottom_low || bottom > bottom_high ||
          bottom == 0)
        return std::nullopt;
      // A signed denominator is kept as its unsigned 32-bit form, as reading gives it back.
      return std::to_string(top) + "/" + std::to_string(static_cast<uint32_t>(bottom));
    }
    case kAscii:
      return item;
  }
  return std::nullopt;
}

// A value read from a file in the form the table's type gives it, so that it can be written
// again. Bytes stored under another one-byte type (an ASCII ExifVersion "0230") are read again
// as the table's type; numbers stored under another numeric type are converted item by item.
// What does not convert stays as read: the writer leaves that entry out.
std::string TableFormText(TExifDataType table, TExifDataType stored, std::span<const uint8_t> data,
                          uint32_t count, bool big_endian, bool convert_utf8) {
  if (stored != table && ElementSize(stored) == 1 && ElementSize(table) == 1)
    return ValueText(table, data, count, big_endian, convert_utf8);
  std::string text = ValueText(stored, data, count, big_endian, convert_utf8);
  if (stored == table || table == kAscii || table == kUndefined || stored == kAscii ||
      stored == kUndefined)
    return text;
  std::vector<std::string> converted;
  for (std::string_view item : SplitAt(text, ',')) {
    std::optional<std::string> one = ConvertItem(table, std::string(item));
    if (!one) return text;
    converted.push_back(std::move(*one));
  }
  return Joined(converted);
}

}  // namespace

bool TExif::SetAttribute(std::string_view name, std::u16string_view value) {
  const TExifLookupRecord* entry = name.empty() ? nullptr : FindByName(name);
  if (!entry) return false;
  std::string text = plat::Utf16ToAnsi(value);
  std::vector<std::string> items = ExtractItems(text);
  bool any_count = entry->Count == 0 || entry->DataType == kAscii || entry->DataType == kUndefined;
  if (items.empty() || (!any_count && items.size() != entry->Count)) return false;
  std::string stored;
  if (entry->DataType == kAscii) {
    stored = text;
    if (entry->Count > 0) stored.resize(entry->Count - 1, ' ');
  } else {
    std::vector<std::string> converted;
    for (const std::string& item : items) {
      std::optional<std::string> one = ConvertItem(entry->DataType, item);
      if (!one) return false;
      converted.push_back(std::move(*one));
    }
    stored = Joined(converted);
  }
  int index = IndexOfName(entry->Name);
  if (index >= 0) Tags.erase(Tags.begin() + index);
  Tags.push_back(std::string(entry->Name) + "=" + stored);
  SetValue("ExifVersion", "30,32,32,30");
  bool has_gps = std::any_of(Tags.begin(), Tags.end(), [](const std::string& line) {
    const TExifLookupRecord* e = FindByName(NameOfLine(line));
    return e && e->IFD == kGPS && e->Name[0] != '\0';
  });
  if (has_gps) SetValue("GPSVersionID", "2,2,0,0");
  return true;
}

void TExif::ReadFromStream(TBEMemoryStream& stream, bool& found, bool tiffForm) {
  found = false;
  int64_t size = stream.Size();
  if (size <= 19) return;
  plat::TByteCursor cursor =
      JpegCursor({stream.Memory(), static_cast<size_t>(size)}, stream.BigEndian);
  if (tiffForm) {
    found = true;
    ReadIFDs(cursor, 0, static_cast<uint64_t>(stream.Position()));
    return;
  }
  std::span<const uint8_t> head = cursor.Bytes(8);
  if (std::string(head.begin(), head.begin() + 6) != std::string("Exif\0\0", 6)) return;
  std::string order(head.begin() + 6, head.end());
  if (order != "MM" && order != "II") return;
  stream.BigEndian = order == "MM";
  cursor.SetBigEndian(stream.BigEndian);
  if (cursor.Word() != 42) return;
  found = true;
  Tags.clear();
  uint64_t offset = 0;
  try {
    offset = cursor.DWord();
  } catch (const plat::Exception&) {
    return;
  }
  if (offset + kJpegBase > static_cast<uint64_t>(size)) return;
  ReadIFDs(cursor, kJpegBase, offset + kJpegBase);
}

void TExif::ReadTiffIFD(std::span<const uint8_t> file, bool bigEndian, uint64_t ifd) {
  if (file.size() <= 19) return;
  plat::TByteCursor cursor = JpegCursor(file, bigEndian);
  ReadIFDs(cursor, 0, ifd);
}

void TExif::ReadIFDs(plat::TByteCursor& cursor, uint64_t base, uint64_t first) {
  Tags.clear();
  try {
    cursor.Seek(first);
    uint64_t exif_offset = 0, gps_offset = 0;
    if (!ReadIFD(cursor, base, exif_offset, gps_offset)) return;
    for (uint64_t offset : {exif_offset, gps_offset}) {
      if (offset == 0) continue;
      if (offset + base >= cursor.Size()) return;
      cursor.Seek(offset + base);
      uint64_t unused_exif = 0, unused_gps = 0;
      if (!ReadIFD(cursor, base, unused_exif, unused_gps)) return;
    }
  } catch (const plat::Exception&) {
    // What was read before the damaged part stays.
  }
}

bool TExif::ReadIFD(plat::TByteCursor& cursor, uint64_t base, uint64_t& exif_offset,
                    uint64_t& gps_offset) {
  uint16_t entries = cursor.Word();
  if (entries == 0) return false;
  for (uint16_t i = 0; i < entries; ++i) {
    uint16_t tag = cursor.Word();
    uint16_t field_type = cursor.Word();
    uint32_t count = cursor.DWord();
    size_t value_field = cursor.Position();
    uint32_t offset = cursor.DWord();
    if (tag == kExifIFDPointerTag || tag == kGPSIFDPointerTag) {
      (tag == kExifIFDPointerTag ? exif_offset : gps_offset) = offset;
      continue;
    }
    std::string name = AttributeNameOf(tag);
    if (name.empty() || count == 0) continue;
    if (count > kMaxReadCount) return false;
    const TExifDataType type = TypeOfField(field_type);
    uint64_t total = uint64_t{count} * ElementSize(type);
    uint64_t start = total <= 4 ? value_field : base + offset;
    if (!cursor.Holds(start, total)) return false;
    size_t resume = cursor.Position();
    cursor.Seek(start);
    std::span<const uint8_t> data = cursor.Bytes(total);
    cursor.Seek(resume);
    Tags.push_back(
        name + "=" +
        TableFormText(Lookup(name).DataType, type, data, count, cursor.BigEndian(), ConvertUTF8));
  }
  return true;
}

std::string TExif::JpegPayload() const {
  if (Tags.empty()) return {};
  auto [ifd0, exif, gps] = EncodeLines(Tags, ConvertUTF8);
  if (ifd0.empty() && exif.empty() && gps.empty()) return {};
  size_t entries0 = ifd0.size() + !exif.empty() + !gps.empty();
  uint32_t ifd0_data = static_cast<uint32_t>(12 * entries0 + 14);
  uint32_t sub_ifds = ifd0_data + OutOfLineSize(ifd0);
  std::string tiff = std::string("II\x2A\x00", 4);
  PutDWordLE(tiff, 8);
  std::string data_area;
  PutWordLE(tiff, static_cast<uint32_t>(entries0));
  for (const TEncodedEntry& e : ifd0) AppendEntry(tiff, e, ifd0_data, data_area);
  if (!exif.empty()) AppendEntry(tiff, PointerEntry(kExifIFDPointerTag, sub_ifds), 0, data_area);
  uint32_t gps_ifd = sub_ifds + (exif.empty() ? 0 : IFDSize(exif.size()));
  if (!gps.empty()) AppendEntry(tiff, PointerEntry(kGPSIFDPointerTag, gps_ifd), 0, data_area);
  PutDWordLE(tiff, 0);
  return std::string("Exif\0\0", 6) + tiff + data_area + SubIFDs(exif, gps, sub_ifds);
}

void TExif::WriteToStream(plat::TStream& stream, bool tiffForm, int64_t& nextIFDPosition,
                          int& pointerCount, int64_t baseOffset) const {
  if (!tiffForm) {
    std::string payload = JpegPayload();
    stream.SetPosition(0);
    stream.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
    return;
  }
  pointerCount = 0;
  auto groups = EncodeLines(Tags, ConvertUTF8);
  const auto& exif = groups[1];
  const auto& gps = groups[2];
  if (exif.empty() && gps.empty()) return;
  pointerCount = !exif.empty() + !gps.empty();
  uint32_t sub_ifds = static_cast<uint32_t>(baseOffset + 12 * pointerCount + 4);
  std::string out, unused;
  if (!exif.empty()) AppendEntry(out, PointerEntry(kExifIFDPointerTag, sub_ifds), 0, unused);
  uint32_t gps_ifd = sub_ifds + (exif.empty() ? 0 : IFDSize(exif.size()));
  if (!gps.empty()) AppendEntry(out, PointerEntry(kGPSIFDPointerTag, gps_ifd), 0, unused);
  nextIFDPosition = stream.Position() + static_cast<int64_t>(out.size());
  PutDWordLE(out, 0);
  out += SubIFDs(exif, gps, sub_ifds);
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

double RationalToReal(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::string_view part : SplitAt(text, '/'))
    if (!part.empty()) parts.push_back(part);
  if (parts.size() == 1) {
    double value = 0;
    if (!plat::TryStrToFloat(parts[0], value))
      throw plat::EConvertError("Conversion error - value is not a number.");
    return value;
  }
  if (parts.size() != 2) return 0;
  int64_t numerator = plat::StrToInt64(parts[0]);
  int64_t denominator = plat::StrToInt64(parts[1]);
  if (denominator == 0) throw plat::EConvertError("Conversion error - division by zero.");
  return static_cast<double>(numerator) / static_cast<double>(denominator);
}

std::string RealToRational(double value) {
  double sign = value < 0 ? -1 : 1;
  double a = std::fabs(value);
  double h = std::floor(a), k = 1, h_prev = 1, k_prev = 0;
  double f = a - std::floor(a);
  while (f != 0 && 1 / f < kRationalDenominatorLimit) {
    double d = 1 / f;
    double q = std::floor(d);
    f = d - q;
    double h_next = q * h + h_prev, k_next = q * k + k_prev;
    if (k_next <= kRationalDenominatorLimit && h_next <= 2147483647.0) {
      h_prev = h;
      k_prev = k;
      h = h_next;
      k = k_next;
      continue;
    }
    // The next convergent is too big: the best semi-convergent may still come closer.
    double m = std::floor((kRationalDenominatorLimit - k_prev) / k);
    if (m > 0 && m * h + h_prev < 2147483647.0) {
      double h_semi = m * h + h_prev, k_semi = m * k + k_prev;
      if (std::fabs(h_semi / k_semi - a) < std::fabs(h / k - a)) {
        h = h_semi;
        k = k_semi;
      }
    }
    break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.0f/%.0f", sign * h, k);
  return text;
}

double ExifStringToDate(std::string_view text) {
  if (text.size() != 19) return 0;
  static constexpr size_t kStarts[] = {0, 5, 8, 11, 14, 17};
  static constexpr size_t kLengths[] = {4, 2, 2, 2, 2, 2};
  int numbers[6];
  for (int i = 0; i < 6; ++i)
    if (!plat::TryStrToInt(text.substr(kStarts[i], kLengths[i]), numbers[i])) return 0;
  plat::DateParts parts{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5], 0};
  plat::TDateTime date = 0;
  if (!plat::TryEncodeDateTime(parts, date))
    throw plat::EConvertError("'" + std::string(text) + "' is not a valid date and time");
  return date;
}

std::string ExifDateToString(double date) {
  if (!std::isfinite(date) || date < -693593 || date >= 2958466) return {};
  plat::DateParts p = plat::DecodeDateTime(date);
  char text[32];
  std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                p.minute, p.second);
  return text;
}

}  // namespace pictavo
