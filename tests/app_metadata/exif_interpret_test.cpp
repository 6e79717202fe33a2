// Readable EXIF values and display names: computed values, every enumerated table at its first
// and last entry and a number it lacks, damaged values (shown raw, no report), and the display
// names written out by hand from the name table.
#include <gtest/gtest.h>

#include <QString>
#include <ostream>
#include <string>
#include <vector>

#include "app/metadata/exif_interpret.h"
#include "app/shell/errors.h"
#include "support/qstring_print.h"

namespace {

using metadata::fncEXIFInterpret;
using metadata::fncFormattedAttributed;
using metadata::fncRationalDenominator;
using metadata::fncRationalNumerator;

struct Case {
  const char* name;
  const char* value;
  const char* shown;
};

void ExpectInterpreted(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(fncEXIFInterpret(QString::fromUtf8(c.name), QString::fromUtf8(c.value)),
              QString::fromUtf8(c.shown))
        << c.name << " " << c.value;
}

TEST(RationalParts, SplitAtTheLastSlashWithBlanksAndBankersRounding) {
  struct Parts {
    const char* text;
    int32_t numerator, denominator;
  };
  const Parts cases[] = {
      {"10/1250", 10, 1250}, {"-2/3", -2, 3},         {"5", 0, 5},      {"1/2/4", 0, 4},
      {" 7 / 2 ", 7, 2},     {"2.5/3.5", 2, 4},       {"abc/x", 0, 0},  {"", 0, 0},
      {"1/", 1, 0},          {"99999999999/1", 0, 1}, {"-0.5/1", 0, 1}, {"1.5/0.5", 2, 0},
  };
  for (const Parts& c : cases) {
    EXPECT_EQ(fncRationalNumerator(QString::fromUtf8(c.text)), c.numerator) << c.text;
    EXPECT_EQ(fncRationalDenominator(QString::fromUtf8(c.text)), c.denominator) << c.text;
  }
}

TEST(ExifInterpret, ComputedValues) {
  ExpectInterpreted({
      {"ExposureTime", "10/1250", "1/125 s"},
      {"ExposureTime", "1/60", "1/60 s"},
      {"ExposureTime", "1/3", "1/3 s"},
      {"ExposureTime", "2/1", "1/0.5 s"},
      {"ExposureTime", "0/10", "1s"},
      {"ExposureTime", "0/0", ""},
      {"FNumber", "28/10", "f/2.8"},
      {"FNumber", "0/0", ""},
      {"ExposureBiasValue", "-2/3", "-0.67 EV"},
      {"ExposureBiasValue", "1/3", "0.33 EV"},
      {"ExposureBiasValue", "0/1", "0.00 EV"},
      {"ApertureValue", "3/1", "f/2.8"},
      {"MaxApertureValue", "6/1", "f/8"},
      {"ShutterSpeedValue", "7/1", "1/128 s"},
      {"ShutterSpeedValue", "-1/1", "1/0.5 s"},
      {"FocalLength", "63/10", "6.3 mm"},
      {"FocalLength", "1/3", "0.333333333333333 mm"},
      {"ExposureIndex", "5/2", "5"},
      {"CompressedBitsPerPixel", "4/1", "4"},
      {"DigitalZoomRatio", "100/100", "100:100"},
      {"FocalLengthIn35mmFilm", "28", "28 mm"},
      {"ExifVersion", "30,32,32,30", "2.2"},
      {"ExifVersion", "30,32", ""},
      {"FlashPixVersion", " 30,31,30,30 ", "1.0"},
      {"FlashPixVersion", "30,31,30,31", ""},
      {"ComponentsConfiguration", "01,02,03,00", "YCrCb"},
      {"ComponentsConfiguration", " 04,05,06,00 ", "RGB"},
      {"ComponentsConfiguration", "03,02,01", "YCrCb"},
      {"ComponentsConfiguration", "00", "Does not exist"},
      {"ComponentsConfiguration", "02", "Cr"},
      {"ComponentsConfiguration", "06", "Blue"},
      {"ComponentsConfiguration", "07", ""},
  });
}

// Overflow and zero divisors give no text, never a report.
TEST(ExifInterpret, DamagedValuesShowRawWithoutAReport) {
  shell::gstrErrorRoutine.clear();
  ExpectInterpreted({
      {"Orientation", "abc", ""},
      {"Flash", "", ""},
      {"MeteringMode", "1,2", ""},
      {"FNumber", "28/0", ""},
      {"FocalLength", "1/0", ""},
      {"ExposureBiasValue", "1/0", ""},
      {"ApertureValue", "1/0", ""},
      {"ShutterSpeedValue", "99999/1", ""},
      {"exposuretime", "1/60", ""},
      {"Artist", "Ann", ""},
  });
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty()) << shell::gstrErrorRoutine.toStdString();
}

TEST(ExifInterpret, SetsTheActivityItReports) {
  fncEXIFInterpret(QStringLiteral("FNumber"), QStringLiteral("28/10"));
  EXPECT_EQ(shell::gstrCurrentActivity,
            QStringLiteral("Read exif attribute - 'FNumber' with Value '28/10' and interpret it "
                           "to readable format"));
}

// First and last entry of each table, a number it lacks, and the catch-alls.
TEST(ExifInterpret, EnumeratedTables) {
  ExpectInterpreted({
      {"Orientation", "1", "Upper Left"},
      {"Orientation", "3", "Bottom Right"},
      {"Orientation", "8", "Left bottom"},
      {"Orientation", "9", ""},
      {"ResolutionUnit", "1", "No unit"},
      {"ResolutionUnit", "3", "Centimeters"},
      {"ResolutionUnit", "0", ""},
      {"YCbCrPositioning", "1", "Center of pixel array"},
      {"YCbCrPositioning", "2", "Datum point(co-sited)"},
      {"YCbCrPositioning", "3", ""},
      {"ExposureProgram", "1", "Manual control"},
      {"ExposureProgram", "8", "Landscape mode"},
      {"ExposureProgram", "0", ""},
      {"MeteringMode", "0", "Unknown"},
      {"MeteringMode", "255", "Other"},
      {"MeteringMode", "7", ""},
      {"LightSource", "0", "Unknown"},
      {"LightSource", "24", "ISO studio tungesten"},
      {"LightSource", "255", "Other light source"},
      {"LightSource", "16", ""},
      {"ColorSpace", "1", "sRGB"},
      {"ColorSpace", "65535", "Uncalibrated"},
      {"ColorSpace", "2", ""},
      {"SceneType", "1", "Directly photographed image"},
      {"SceneType", "01", "Directly photographed image"},
      {"SceneType", "2", "Unknown"},
      {"SceneType", "xy", ""},
      {"FileSource", "03", "DSC (Digital Still Camera)"},
      {"FileSource", "0", "DSC (Digital Still Camera)"},
      {"FileSource", "01", "Other"},
      {"CustomRendered", "0", "Normal process"},
      {"CustomRendered", "1", "Custom process"},
      {"CustomRendered", "2", ""},
      {"ExposureMode", "0", "Easy Shooting"},
      {"ExposureMode", "5", "A-DEP"},
      {"ExposureMode", "6", ""},
      {"WhiteBalance", "0", "Auto"},
      {"WhiteBalance", "6", "Custom"},
      {"WhiteBalance", "7", ""},
      {"SceneCaptureType", "0", "Standard"},
      {"SceneCaptureType", "3", "Night Scene"},
      {"SceneCaptureType", "4", ""},
      {"Contrast", "0", "Normal"},
      {"Contrast", "2", "Hard"},
      {"Contrast", "3", ""},
      {"Saturation", "0", "Normal"},
      {"Saturation", "2", "High saturation"},
      {"Saturation", "3", ""},
      {"Sharpness", "0", "Normal"},
      {"Sharpness", "2", "Hard"},
      {"Sharpness", "3", ""},
      {"ISOSpeedRatings", "0", "See ISOSpeedRatings Tag"},
      {"ISOSpeedRatings", "19", "400"},
      {"ISOSpeedRatings", "100", ""},
      {"SensingMethod", "1", "Not defined"},
      {"SensingMethod", "8", "Color sequential linear sensor"},
      {"SensingMethod", "6", ""},
      {"GainControl", "0", "None"},
      {"GainControl", "4", "High gain down"},
      {"GainControl", "5", ""},
      {"SubjectDistanceRange", "0", "Unknown"},
      {"SubjectDistanceRange", "3", "Distant view"},
      {"SubjectDistanceRange", "4", ""},
      {"FocalPlaneResolutionUnit", "1", "pixels"},
      {"FocalPlaneResolutionUnit", "3", "dpcm"},
      {"FocalPlaneResolutionUnit", "4", ""},
      {"NewSubfileType", "1", "Reduced Resolution"},
      {"NewSubfileType", "4", "Transparency Mask"},
      {"NewSubfileType", "0", ""},
      {"SubfileType", "1", "Full Resolution"},
      {"SubfileType", "3", "Single Page"},
      {"SubfileType", "4", ""},
      {"Compression", "1", "Uncompressed"},
      {"Compression", "32773", "PackBits"},
      {"Compression", "7", ""},
      {"PhotometricInterpretation", "0", "WhiteIsZero"},
      {"PhotometricInterpretation", "8", "CIELab"},
      {"PhotometricInterpretation", "7", ""},
      {"Threshholding", "1", "No Dithering"},
      {"Threshholding", "3", "Randomized"},
      {"Threshholding", "4", ""},
      {"FillOrder", "1", "Low in High"},
      {"FillOrder", "2", "High in Low"},
      {"FillOrder", "3", ""},
      {"PlanarConfiguration", "1", "Chunky"},
      {"PlanarConfiguration", "2", "Planar"},
      {"PlanarConfiguration", "3", ""},
      {"Flash", "0", "Flash did not fire"},
      {"Flash", "16", "Flash did not fire, compulsory flash mode"},
      {"Flash", "95", "Flash fired, auto mode, return light detected, red-eye reduction mode"},
      {"Flash", "2", ""},
      {"Flash", " 1 ", "Flash fired"},
  });
}

// Every name of the table, written out as a reader expects it; the rule's examples among them.
TEST(DisplayNames, TheWholeTable) {
  const std::pair<const char*, const char*> names[] = {
      {"CFARepeatPatternDim", "CFA Repeat Pattern Dimension"},
      {"FNumber", "F-Number"},
      {"DateTime", "Date/Time"},
      {"DateTimeOriginal", "Date/Time Original"},
      {"DateTimeDigitized", "Date/Time Digitized"},
      {"CompressedBitsPerPixel", "Compressed BPP"},
      {"MaxApertureValue", "Max. Aperture Value"},
      {"SubSecTime", "Sub-Second Time"},
      {"SubSecTimeOriginal", "Sub-Second Time Original"},
      {"SubSecTimeDigitized", "Sub-Second Time Digitized"},
      {"FocalLengthIn35mmFilm", "FocalLength In 35mm Film"},
      {"YCbCrCoefficients", "YCbCr Coefficients"},
      {"YCbCrSubSampling", "YCbCr SubSampling"},
      {"YCbCrPositioning", "YCbCr Positioning"},
      {"ReferenceBlackWhite", "Reference Black/White"},
      {"CFAPattern", "CFA Pattern"},
      {"BatteryLevel", "Battery Level"},
      {"ExposureTime", "Exposure Time"},
      {"ExifOffset", "Exif Offset"},
      {"InterColorProfile", "Inter Color Profile"},
      {"ExposureProgram", "Exposure Program"},
      {"SpectralSensitivity", "Spectral Sensitivity"},
      {"ISOSpeedRatings", "ISO Speed Ratings"},
      {"ExifVersion", "Exif Version"},
      {"ComponentsConfiguration", "Components Configuration"},
      {"ShutterSpeedValue", "Shutter Speed Value"},
      {"ApertureValue", "Aperture Value"},
      {"BrightnessValue", "Brightness Value"},
      {"ExposureBiasValue", "Exposure Bias Value"},
      {"SubjectDistance", "Subject Distance"},
      {"MeteringMode", "Metering Mode"},
      {"LightSource", "Light Source"},
      {"FocalLength", "Focal Length"},
      {"SubjectArea", "Subject Area"},
      {"MakerNote", "Maker Note"},
      {"UserComment", "User Comment"},
      {"FlashPixVersion", "Flash Pix Version"},
      {"ColorSpace", "Color Space"},
      {"ExifImageWidth", "Exif Image Width"},
      {"ExifImageLength", "Exif Image Length"},
      {"RelatedAudioFile", "Related Audio File"},
      {"InteroperabilityOffset", "Interoperability Offset"},
      {"FlashEnergy", "Flash Energy"},
      {"SpatialFrequencyResponse", "Spatial Frequency Response"},
      {"FocalPlaneXResolution", "Focal Plane X Resolution"},
      {"FocalPlaneYResolution", "Focal Plane Y Resolution"},
      {"FocalPlaneResolutionUnit", "Focal Plane Resolution Unit"},
      {"SubjectLocation", "Subject Location"},
      {"ExposureIndex", "Exposure Index"},
      {"SensingMethod", "Sensing Method"},
      {"FileSource", "File Source"},
      {"SceneType", "Scene Type"},
      {"CustomRendered", "Custom Rendered"},
      {"ExposureMode", "Exposure Mode"},
      {"WhiteBalance", "White Balance"},
      {"DigitalZoomRatio", "Digital Zoom Ratio"},
      {"SceneCaptureType", "Scene Capture Type"},
      {"GainControl", "Gain Control"},
      {"DeviceSettingDescription", "Device Setting Description"},
      {"SubjectDistanceRange", "Subject Distance Range"},
      {"ImageUniqueID", "Image Unique ID"},
      {"NewSubfileType", "New Subfile Type"},
      {"SubfileType", "Subfile Type"},
      {"BitsPerSample", "Bits Per Sample"},
      {"PhotometricInterpretation", "Photometric Interpretation"},
      {"FillOrder", "Fill Order"},
      {"ImageDescription", "Image Description"},
      {"StripOffsets", "Strip Offsets"},
      {"SamplesPerPixel", "Samples Per Pixel"},
      {"RowsPerStrip", "Rows Per Strip"},
      {"StripByteCounts", "Strip Byte Counts"},
      {"XResolution", "X Resolution"},
      {"YResolution", "Y Resolution"},
      {"PlanarConfiguration", "Planar Configuration"},
      {"ResolutionUnit", "Resolution Unit"},
      {"PageNumber", "Page Number"},
      {"TransferFunction", "Transfer Function"},
      {"WhitePoint", "White Point"},
      {"PrimaryChromaticities", "Primary Chromaticities"},
      {"ColorMap", "Color Map"},
      {"JPEGInterchangeFormat", "JPEG Interchange Format"},
      {"JPEGInterchangeFormatLength", "JPEG Interchange Format Length"},
      {"GPSInfo", "GPS Info"},
      {"PixelXDimension", "Pixel X Dimension"},
      {"PixelYDimension", "Pixel Y Dimension"},
  };
  ASSERT_EQ(std::size(names), 85u);
  for (const auto& [raw, shown] : names)
    EXPECT_EQ(fncFormattedAttributed(QString::fromUtf8(raw)), QString::fromUtf8(shown)) << raw;
}

TEST(DisplayNames, NamesOutsideTheTableAndOtherCaseHaveNone) {
  for (const char* name : {"Make", "Model", "Artist", "Copyright", "Orientation", "Software",
                           "exposuretime", "GPSLatitude", ""})
    EXPECT_EQ(fncFormattedAttributed(QString::fromUtf8(name)), QString()) << name;
}

}  // namespace
