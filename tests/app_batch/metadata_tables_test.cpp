// The attribute-name tables: membership ignores letter case and surrounding blanks of the name.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/metadata/metadata_tables.h"

namespace {

using namespace metadata;

TEST(MetadataTables, HoldTheProgramTitleAndTheNamesInOrder) {
  subInitMetadataTables();
  EXPECT_EQ(gstrSoftwareName, QCoreApplication::applicationName());
  EXPECT_EQ(gstrEditableExifAttributes.front(), "Make");
  EXPECT_EQ(gstrEditableExifAttributes.back(), "PixelYDimension");
  EXPECT_EQ(gstrExifDateAttributes[1], "DateTimeOriginal");
  EXPECT_EQ(gstrIptcDateAttributes[4], "Time Created");
}

TEST(MetadataTables, MembershipIgnoresCaseAndSurroundingBlanks) {
  subInitMetadataTables();
  struct Case {
    const char* name;
    bool editable, exifDate, iptcDate;
  } cases[] = {
      {"ImageDescription", true, false, false}, {"  IMAGEdescription ", true, false, false},
      {" datetime ", true, true, false},        {"Date", false, false, false},
      {"DateTimeDigitized", true, true, false}, {"Software", false, false, false},
      {"Time Created", false, false, true},     {" date released", false, false, true},
      {"DateReleased", false, false, false},    {"", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fncIsUserEditableEXIF(c.name), c.editable) << c.name;
    EXPECT_EQ(fncIsEXIFDateAttribute(c.name), c.exifDate) << c.name;
    EXPECT_EQ(fncIsIPTCDateAttribute(c.name), c.iptcDate) << c.name;
  }
}

}  // namespace
