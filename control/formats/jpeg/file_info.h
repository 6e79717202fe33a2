#pragma once
// The IPTC file info an image carries, its mapping onto IPTC record-2 datasets and Photoshop
// resource blocks, and the file-info file (.ffo) the control saves and loads on request.
// Texts are 8-bit (Windows-1252) as stored in files; dates are DATE values (0 = not set).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "control/formats/jpeg/photoshop_resources.h"
#include "platform/base/streams.h"

namespace pictavo {

class TFileInfo {
 public:
  bool HasFileInfo = false;
  std::string Caption, CaptionWriter, Headline, SpecialInstructions, ObjectName;
  double DateCreated = 0;
  std::string City, ProvinceState, CountryName, Category;
  uint8_t Urgency = 0;
  std::string Byline, BylineTitle, Credit, Source, OTR, CopyrightNotice;
  bool CopyrightFlag = false;
  std::string ImageURL;
  std::vector<std::string> Keywords;
  std::vector<std::string> SuppCat;
  double TimeCreated = 0, DateReleased = 0, TimeReleased = 0;
  std::string EditStatus, FixtureIdentifier, ReferenceService;
  double ReferenceDate = 0;
  std::string ReferenceNumber, OriginatingProgram, ProgramVersion, ObjectCycle, Sublocation,
      CountryCode, LocalCaption;
  std::string CustomField1, CustomField2, CustomField3, CustomField4, CustomField5, CustomField6,
      CustomField7, CustomField8, CustomField9, CustomField10, CustomField11, CustomField12,
      CustomField13, CustomField14, CustomField15, CustomField16, CustomField17, CustomField18,
      CustomField19, CustomField20;
  std::string ImageNotes;

  void CopyFrom(const TFileInfo& source) { *this = source; }
  // Back to the state of a new object.
  void Clear() { *this = TFileInfo(); }

  // Fills the fields from a resource container; does not clear first.
  void FromSegment(const TApp14Segment& container);
  // A new container built from the fields: the IPTC block, then the URL and copyright blocks.
  TApp14Segment ToSegment() const;

  // The file-info file. Loading raises EJPEG "Info file not found." for a missing file and
  // "Invalid File Info." for one it cannot read; saving raises EJPEG when the URL is longer
  // than the file's one-byte length field allows or a dataset is too long.
  void LoadFromFile(const std::string& path);
  void LoadFromStream(plat::TStream& stream);
  void SaveToFile(const std::string& path) const;
  void SaveToStream(plat::TStream& stream) const;

 private:
  TApp14Segment BuildSegment(bool with_url_and_flag) const;
  // Fills the cleared fields from a whole file-info file; raises plat::Exception past its end.
  void ReadInfoFile(const std::vector<uint8_t>& bytes);
};

// The field lists that drive the reader, the writer, the control's members and the tests.
enum class TTextRule { FirstWins, LastWins };

struct TFileInfoText {
  const char* Name;
  std::string TFileInfo::*Field;
  uint8_t DataSet;
  TTextRule Rule;
};

enum class TDateKind { Date, TimeOfDay };

struct TFileInfoDate {
  const char* Name;
  double TFileInfo::*Field;
  uint8_t DataSet;
  TDateKind Kind;
};

// The 46 texts kept in IPTC datasets, in the order the writer emits them (ImageURL, the 47th
// text, lives in a resource block of its own).
constexpr size_t kFileInfoTextCount = 46;
std::span<const TFileInfoText> FileInfoTexts();
// The five dates and times, in the order the writer emits them.
std::span<const TFileInfoDate> FileInfoDates();

constexpr uint8_t kKeywordsDataSet = 25;
constexpr uint8_t kSuppCatDataSet = 20;
constexpr uint8_t kUrgencyDataSet = 10;
constexpr uint8_t kRecordVersionDataSet = 0;

// Longest URL the file-info file can hold (its length byte counts one more).
constexpr size_t kMaxInfoFileURL = 254;

}  // namespace pictavo
