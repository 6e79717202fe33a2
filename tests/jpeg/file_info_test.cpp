#include <gtest/gtest.h>

#include <filesystem>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/file_info.h"
#include "control/formats/jpeg/jpeg_errors.h"
#include "platform/base/datetime.h"

namespace pictavo {
namespace {

using Bytes = std::string;

Bytes Str(const plat::TMemoryStream& stream) {
  return Bytes(stream.Bytes().begin(), stream.Bytes().end());
}

double Date(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  return plat::EncodeDateTime({y, m, d, h, mi, s, 0});
}

TBIMSegment IptcBlock(std::initializer_list<std::pair<uint8_t, Bytes>> sets) {
  TBIMSegment block;
  block.IDHigh = 4;
  block.IDLow = 4;
  for (const auto& [number, value] : sets) block.DataSets.push_back({number, value});
  return block;
}

TEST(FileInfo, CaptionOnlyGivesTheDocumentedDatasetsAndInfoFile) {
  TFileInfo info;
  info.Caption = "abc";
  const Bytes datasets = Bytes(
      "\x1C\x02\x00\x00\x02\x00\x02\x1C\x02\x78\x00\x03"
      "abc",
      15);
  Bytes segment = info.ToSegment().APP13Bytes();
  EXPECT_EQ(segment.substr(4, 14), Bytes("Photoshop 3.0\0", 14));
  EXPECT_EQ(segment.substr(36), datasets + '\0');  // the odd block size gets a pad byte
  plat::TMemoryStream file;
  info.SaveToStream(file);
  EXPECT_EQ(Str(file), Bytes("\xAA\x01\x00\x00\x00\x00\x01\x00\x00", 9) + datasets);
}

// Every field of the tables survives the trip through a resource container and the info file.
TEST(FileInfo, EveryFieldRoundTripsThroughContainerAndInfoFile) {
  TFileInfo info;
  for (const TFileInfoText& text : FileInfoTexts())
    info.*(text.Field) = std::string(text.Name) + " \xE9";
  for (size_t i = 0; i < FileInfoDates().size(); ++i) {
    const TFileInfoDate& date = FileInfoDates()[i];
    info.*(date.Field) = date.Kind == TDateKind::Date
                             ? Date(2004, 5, 6 + static_cast<int>(i))
                             : Date(1899, 12, 30, 9, 5, static_cast<int>(i));
  }
  info.Keywords = {"one", "two", "one"};
  info.SuppCat = {"cat"};
  info.Urgency = 7;
  info.ImageURL = "http://example.invalid/x";
  info.CopyrightFlag = true;
  info.HasFileInfo = true;

  TFileInfo from_container;
  TApp14Segment container;
  container.LoadFromAPP13(AsBytes(info.ToSegment().APP13Bytes().substr(4)));
  from_container.FromSegment(container);
  from_container.HasFileInfo = true;

  plat::TMemoryStream file;
  info.SaveToStream(file);
  file.SetPosition(0);
  TFileInfo from_file;
  from_file.LoadFromStream(file);

  for (const TFileInfo* copy : {&from_container, &from_file}) {
    for (const TFileInfoText& text : FileInfoTexts())
      EXPECT_EQ(copy->*(text.Field), info.*(text.Field)) << text.Name;
    for (const TFileInfoDate& date : FileInfoDates())
      EXPECT_DOUBLE_EQ(copy->*(date.Field), info.*(date.Field)) << date.Name;
    EXPECT_EQ(copy->Keywords, info.Keywords);
    EXPECT_EQ(copy->SuppCat, info.SuppCat);
    EXPECT_EQ(copy->Urgency, 7);
    EXPECT_EQ(copy->ImageURL, info.ImageURL);
    EXPECT_TRUE(copy->CopyrightFlag);
    EXPECT_TRUE(copy->HasFileInfo);
  }
}

TEST(FileInfo, DatesAndTimesUseTheirTextForms) {
  TFileInfo info;
  info.DateCreated = Date(2004, 5, 6, 13, 0, 0);
  info.TimeCreated = Date(2010, 1, 1, 9, 5, 0);
  TApp14Segment container = info.ToSegment();
  const auto& sets = container.Block(0).DataSets;
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[1].DataSet, 55);
  EXPECT_EQ(sets[1].Value, "20040506");
  EXPECT_EQ(sets[2].DataSet, 60);
  EXPECT_EQ(sets[2].Value, "09:05:00");
}

TEST(FileInfo, ReadsTimesInBothForms) {
  struct Case {
    Bytes text;
    double expected;
  };
  const Case cases[] = {
      {"09:05:07", Date(1899, 12, 30, 9, 5, 7)},
      {"090507+0100", Date(1899, 12, 30, 9, 5, 7)},
      {"235959-0500", Date(1899, 12, 30, 23, 59, 59)},
      {"25:00:00", 0},
      {"ab", 0},
  };
  for (const Case& c : cases) {
    TApp14Segment container;
    container.Blocks.push_back(IptcBlock({{60, c.text}}));
    TFileInfo info;
    info.FromSegment(container);
    EXPECT_DOUBLE_EQ(info.TimeCreated, c.expected) << c.text;
  }
}

TEST(FileInfo, FirstOrLastDatasetWinsAsTheFieldSays) {
  TApp14Segment container;
  container.Blocks.push_back(
      IptcBlock({{120, "first"}, {120, "second"}, {22, "one"}, {22, "two"}, {10, "300"}}));
  TFileInfo info;
  info.FromSegment(container);
  EXPECT_EQ(info.Caption, "first");
  EXPECT_EQ(info.FixtureIdentifier, "two");
  EXPECT_EQ(info.Urgency, 44);
}

TEST(FileInfo, AnEmptyIptcBlockEndsTheReading) {
  TApp14Segment container;
  container.Blocks.push_back(IptcBlock({}));
  TBIMSegment& flag = container.AddBlock();
  flag.IDHigh = 4;
  flag.IDLow = 10;
  flag.Data = "\x01";
  TFileInfo info;
  info.FromSegment(container);
  EXPECT_FALSE(info.CopyrightFlag);
}

TEST(FileInfo, SavingAnInfoFileKeepsFlagAndUrlAndLoadingRestoresThem) {
  TFileInfo info;
  info.CopyrightFlag = true;
  info.ImageURL = "ab";
  plat::TMemoryStream file;
  info.SaveToStream(file);
  EXPECT_TRUE(info.CopyrightFlag);
  EXPECT_EQ(info.ImageURL, "ab");
  EXPECT_EQ(Str(file).substr(0, 13), Bytes("\xAA\x01\x01\x00\x00\x00\x03\x00"
                                           "a\x00"
                                           "b\x00\x00",
                                           13));
  file.SetPosition(0);
  TFileInfo loaded;
  loaded.LoadFromStream(file);
  EXPECT_TRUE(loaded.CopyrightFlag);
  EXPECT_EQ(loaded.ImageURL, "ab");
}

TEST(FileInfo, InfoFileErrors) {
  TFileInfo info;
  info.ImageURL.assign(kMaxInfoFileURL + 1, 'u');
  plat::TMemoryStream out;
  EXPECT_THROW(info.SaveToStream(out), EJPEG);
  info.ImageURL.resize(kMaxInfoFileURL);
  EXPECT_NO_THROW(info.SaveToStream(out));

  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"eight bytes", Bytes(8, '\0')},
      {"url past the end", Bytes("\xAA\x01\x00\x00\x00\x00\x09\x00"
                                 "a",
                                 9)},
      {"dataset past the end", Bytes("\xAA\x01\x00\x00\x00\x00\x01\x00\x00\x1C\x02\x78\x00\x09"
                                     "ab",
                                     16)},
  };
  info.City = "Oslo";
  info.Keywords = {"fjord"};
  info.HasFileInfo = true;
  for (const Case& c : cases) {
    plat::TMemoryStream stream(std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()));
    try {
      info.LoadFromStream(stream);
      ADD_FAILURE() << c.what;
    } catch (const EJPEG& e) {
      EXPECT_STREQ(e.what(), "Invalid File Info.") << c.what;
    }
    // A damaged file leaves the fields as they were.
    EXPECT_EQ(info.City, "Oslo") << c.what;
    EXPECT_EQ(info.Keywords, std::vector<std::string>{"fjord"}) << c.what;
    EXPECT_EQ(info.ImageURL, std::string(kMaxInfoFileURL, 'u')) << c.what;
    EXPECT_TRUE(info.HasFileInfo) << c.what;
  }
  try {
    info.LoadFromFile((std::filesystem::temp_directory_path() / "no-such-file.ffo").string());
    ADD_FAILURE();
  } catch (const EJPEG& e) {
    EXPECT_STREQ(e.what(), "Info file not found.");
  }
}

}  // namespace
}  // namespace pictavo
