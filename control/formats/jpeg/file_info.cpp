#include "control/formats/jpeg/file_info.h"

#include <array>
#include <cstdio>
#include <utility>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/jpeg_errors.h"
#include "platform/base/datetime.h"
#include "platform/base/numbers.h"

namespace pictavo {

namespace {

using F = TFileInfo;
constexpr TTextRule kFirst = TTextRule::FirstWins;
constexpr TTextRule kLast = TTextRule::LastWins;

constexpr std::array<TFileInfoText, kFileInfoTextCount> kTexts = {{
    {"Caption", &F::Caption, 120, kFirst},
    {"CaptionWriter", &F::CaptionWriter, 122, kFirst},
    {"Headline", &F::Headline, 105, kFirst},
    {"SpecialInstructions", &F::SpecialInstructions, 40, kFirst},
    {"ObjectName", &F::ObjectName, 5, kFirst},
    {"City", &F::City, 90, kFirst},
    {"ProvinceState", &F::ProvinceState, 95, kFirst},
    {"CountryName", &F::CountryName, 101, kFirst},
    {"Category", &F::Category, 15, kFirst},
    {"Byline", &F::Byline, 80, kFirst},
    {"BylineTitle", &F::BylineTitle, 85, kFirst},
    {"Credit", &F::Credit, 110, kFirst},
    {"Source", &F::Source, 115, kFirst},
    {"OTR", &F::OTR, 103, kFirst},
    {"CopyrightNotice", &F::CopyrightNotice, 116, kFirst},
    {"EditStatus", &F::EditStatus, 7, kLast},
    {"FixtureIdentifier", &F::FixtureIdentifier, 22, kLast},
    {"ReferenceService", &F::ReferenceService, 45, kLast},
    {"ReferenceNumber", &F::ReferenceNumber, 50, kLast},
    {"OriginatingProgram", &F::OriginatingProgram, 65, kLast},
    {"ProgramVersion", &F::ProgramVersion, 70, kLast},
    {"ObjectCycle", &F::ObjectCycle, 75, kLast},
    {"Sublocation", &F::Sublocation, 92, kLast},
    {"CountryCode", &F::CountryCode, 100, kLast},
    {"LocalCaption", &F::LocalCaption, 121, kLast},
    {"CustomField1", &F::CustomField1, 200, kLast},
    {"CustomField2", &F::CustomField2, 201, kLast},
    {"CustomField3", &F::CustomField3, 202, kLast},
    {"CustomField4", &F::CustomField4, 203, kLast},
    {"CustomField5", &F::CustomField5, 204, kLast},
    {"CustomField6", &F::CustomField6, 205, kLast},
    {"CustomField7", &F::CustomField7, 206, kLast},
    {"CustomField8", &F::CustomField8, 207, kLast},
    {"CustomField9", &F::CustomField9, 208, kLast},
    {"CustomField10", &F::CustomField10, 209, kLast},
    {"CustomField11", &F::CustomField11, 210, kLast},
    {"CustomField12", &F::CustomField12, 211, kLast},
    {"CustomField13", &F::CustomField13, 212, kLast},
    {"CustomField14", &F::CustomField14, 213, kLast},
    {"CustomField15", &F::CustomField15, 214, kLast},
    {"CustomField16", &F::CustomField16, 215, kLast},
    {"CustomField17", &F::CustomField17, 216, kLast},
    {"CustomField18", &F::CustomField18, 217, kLast},
    {"CustomField19", &F::CustomField19, 218, kLast},
    {"CustomField20", &F::CustomField20, 219, kLast},
    {"ImageNotes", &F::ImageNotes, 230, kLast},
}};

constexpr std::array<TFileInfoDate, 5> kDates = {{
    {"DateCreated", &F::DateCreated, 55, TDateKind::Date},
    {"DateReleased", &F::DateReleased, 30, TDateKind::Date},
    {"TimeCreated", &F::TimeCreated, 60, TDateKind::TimeOfDay},
    {"TimeReleased", &F::TimeReleased, 35, TDateKind::TimeOfDay},
    {"ReferenceDate", &F::ReferenceDate, 47, TDateKind::Date},
}};

constexpr uint8_t kInfoFileMagic0 = 0xAA;
constexpr uint8_t kInfoFileMagic1 = 0x01;
constexpr size_t kInfoFileMinimum = 9;

std::string TwoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// Year without leading zeros, then month and day as two digits each.
std::string DateText(double value) {
  plat::DateParts parts = plat::DecodeDateTime(value);
  return std::to_string(parts.year) + TwoDigits(parts.month) + TwoDigits(parts.day);
}

std::string TimeText(double value) {
  plat::DateParts parts = plat::DecodeDateTime(value);
  return TwoDigits(parts.hour) + ":" + TwoDigits(parts.minute) + ":" + TwoDigits(parts.second);
}

// The digits at [first, first + count) of a text; false when they are not all there or no number.
bool NumberAt(std::string_view text, size_t first, size_t count, int& value) {
  return first < text.size() && plat::TryStrToInt(text.substr(first, count), value);
}

// CCYYMMDD; 0 when the text does not form a valid date.
double ParseDateText(std::string_view text) {
  plat::DateParts parts;
  plat::TDateTime date = 0;
  if (!NumberAt(text, 0, 4, parts.year) || !NumberAt(text, 4, 2, parts.month) ||
      !NumberAt(text, 6, 2, parts.day) || !plat::TryEncodeDateTime(parts, date))
    return 0;
  return date;
}

// HH:MM:SS as this library writes it, or the standard HHMMSS+-HHMM (the zone is ignored).
double ParseTimeText(std::string_view text) {
  size_t step = text.size() > 2 && text[2] == ':' ? 3 : 2;
  plat::DateParts parts;
  plat::TDateTime time = 0;
  if (!NumberAt(text, 0, 2, parts.hour) || !NumberAt(text, step, 2, parts.minute) ||
      !NumberAt(text, 2 * step, 2, parts.second) || !plat::TryEncodeDateTime(parts, time))
    return 0;
  return time;
}

const TFileInfoText* TextOfDataSet(uint8_t number) {
  for (const TFileInfoText& text : kTexts)
    if (text.DataSet == number) return &text;
  return nullptr;
}

const TFileInfoDate* DateOfDataSet(uint8_t number) {
  for (const TFileInfoDate& date : kDates)
    if (date.DataSet == number) return &date;
  return nullptr;
}

}  // namespace

std::span<const TFileInfoText> FileInfoTexts() {
  return kTexts;
}
std::span<const TFileInfoDate> FileInfoDates() {
  return kDates;
}

void TFileInfo::FromSegment(const TApp14Segment& container) {
  for (const TBIMSegment& block : container.Blocks) {
    if (block.ID() == kIptcResourceID && block.DataSets.empty()) return;
    for (const TSegmentData& set : block.DataSets) {
      if (const TFileInfoText* text = TextOfDataSet(set.DataSet)) {
        std::string& field = this->*(text->Field);
        if (text->Rule == TTextRule::LastWins || field.empty()) field = set.Value;
      } else if (const TFileInfoDate* date = DateOfDataSet(set.DataSet)) {
        this->*(date->Field) =
            date->Kind == TDateKind::Date ? ParseDateText(set.Value) : ParseTimeText(set.Value);
      } else if (set.DataSet == kKeywordsDataSet) {
        Keywords.push_back(set.Value);
      } else if (set.DataSet == kSuppCatDataSet) {
        SuppCat.push_back(set.Value);
      } else if (set.DataSet == kUrgencyDataSet) {
        int64_t urgency = 0;
        Urgency =
            plat::TryStrToInt64(set.Value, urgency) ? static_cast<uint8_t>(urgency & 0xFF) : 0;
      }
    }
    if (block.ID() == kCopyrightFlagResourceID)
      CopyrightFlag = !block.Data.empty() && block.Data[0] == 1;
    else if (block.ID() == kImageURLResourceID)
      ImageURL = block.Data;
  }
}

TApp14Segment TFileInfo::BuildSegment(bool with_url_and_flag) const {
  TApp14Segment container;
  container.Header = "Photoshop 3.0";
  TBIMSegment& iptc = container.AddBlock();
  iptc.IDHigh = kIptcResourceID >> 8;
  iptc.IDLow = kIptcResourceID & 0xFF;
  iptc.Name = "Caption";
  auto add = [&iptc](uint8_t number, std::string value) {
    TSegmentData& set = iptc.AddDataSet();
    set.DataSet = number;
    set.Value = std::move(value);
  };
  add(kRecordVersionDataSet, std::string("\x00\x02", 2));
  for (const TFileInfoText& text : kTexts)
    if (!(this->*(text.Field)).empty()) add(text.DataSet, this->*(text.Field));
  for (const TFileInfoDate& date : kDates) {
    double value = this->*(date.Field);
    if (value != 0)
      add(date.DataSet, date.Kind == TDateKind::Date ? DateText(value) : TimeText(value));
  }
  for (const std::string& keyword : Keywords)
    if (!keyword.empty()) add(kKeywordsDataSet, keyword);
  for (const std::string& category : SuppCat)
    if (!category.empty()) add(kSuppCatDataSet, category);
  if (Urgency != 0) add(kUrgencyDataSet, std::to_string(Urgency));
  if (with_url_and_flag && !ImageURL.empty()) {
    TBIMSegment& url = container.AddBlock();
    url.IDHigh = kImageURLResourceID >> 8;
    url.IDLow = kImageURLResourceID & 0xFF;
    url.Name = "Image URL";
    url.Data = ImageURL;
  }
  if (with_url_and_flag && CopyrightFlag) {
    TBIMSegment& flag = container.AddBlock();
    flag.IDHigh = kCopyrightFlagResourceID >> 8;
    flag.IDLow = kCopyrightFlagResourceID & 0xFF;
    flag.Name = "Copyright Flag";
    flag.Data = std::string(1, '\x01');
  }
  return container;
}

TApp14Segment TFileInfo::ToSegment() const {
  return BuildSegment(true);
}

void TFileInfo::SaveToStream(plat::TStream& stream) const {
  if (ImageURL.size() > kMaxInfoFileURL)
    throw EJPEG("The image URL is longer than 254 characters.");
  std::string out;
  out += static_cast<char>(kInfoFileMagic0);
  out += static_cast<char>(kInfoFileMagic1);
  out += static_cast<char>(CopyrightFlag ? 1 : 0);
  out.append(3, '\0');
  out += static_cast<char>(ImageURL.size() + 1);
  for (char c : ImageURL) {
    out += '\0';
    out += c;
  }
  out.append(2, '\0');
  // The IPTC block alone, datasets without the block header and pad.
  TBIMSegment iptc = BuildSegment(false).Blocks.front();
  std::string block;
  iptc.AppendTo(block);
  size_t header = 4 + 2 + 1 + iptc.Name.size() + (iptc.Name.size() % 2 == 0 ? 1 : 0) + 4;
  out.append(block, header, iptc.DataSize());
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

void TFileInfo::SaveToFile(const std::string& path) const {
  plat::WriteFileReplacing(path, [this](plat::TStream& stream) { SaveToStream(stream); });
}

void TFileInfo::LoadFromStream(plat::TStream& stream) {
  std::vector<uint8_t> bytes = stream.ReadRest();
  if (bytes.size() < kInfoFileMinimum) throw EJPEG("Invalid File Info.");
  // The fields are replaced only by a file read to its end: a damaged one leaves them as they were.
  TFileInfo read;
  try {
    read.ReadInfoFile(bytes);
  } catch (const plat::Exception&) {
    throw EJPEG("Invalid File Info.");
  }
  *this = std::move(read);
}

void TFileInfo::ReadInfoFile(const std::vector<uint8_t>& bytes) {
  plat::TByteCursor cursor = JpegCursor(bytes);
  cursor.Seek(2);
  CopyrightFlag = cursor.Byte() == 1;
  cursor.Seek(6);
  uint8_t n = cursor.Byte();
  for (int i = 1; i < n; ++i) {
    cursor.Byte();
    ImageURL += static_cast<char>(cursor.Byte());
  }
  cursor.Skip(2);
  if (cursor.AtEnd()) return;
  TApp14Segment container;
  TBIMSegment& iptc = container.AddBlock();
  iptc.IDHigh = kIptcResourceID >> 8;
  iptc.IDLow = kIptcResourceID & 0xFF;
  iptc.ReadDataSets(cursor.Bytes(cursor.Remaining()));
  FromSegment(container);
  HasFileInfo = true;
}

void TFileInfo::LoadFromFile(const std::string& path) {
  if (!plat::FileExists(path)) throw EJPEG("Info file not found.");
  plat::TMemoryStream stream(plat::ReadWholeFile(path));
  LoadFromStream(stream);
}

}  // namespace pictavo
