#include "app/metadata/exif_interpret.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>

#include "app/shell/errors.h"

namespace metadata {

namespace {

// A number in the program's own forms: blanks round it allowed, "." as decimal separator.
std::optional<double> ToNumber(const QString& text) {
  bool ok = false;
  const double value = QLocale::c().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

// A whole number as a conversion to a 32-bit integer gives it: halves round to even, and a
// value out of range does not convert.
std::optional<int32_t> ToWhole(const QString& text) {
  const std::optional<double> value = ToNumber(text);
  if (!value) return std::nullopt;
  const double whole = std::nearbyint(*value);
  if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(whole);
}

// A double as the program writes it: at most 15 significant digits, no trailing zeros; an
// overflow gives no text.
QString Written(double value) {
  if (!std::isfinite(value)) return {};
  return QString::number(value, 'G', 15);
}

double RoundedToOneDecimal(double value) {
  return std::nearbyint(value * 10) / 10;
}

struct Rational {
  double n = 0;
  double d = 0;
  // A zero divisor gives no number (the caller shows the raw value).
  std::optional<double> Quotient() const {
    if (d == 0) return std::nullopt;
    return n / d;
  }
};

Rational RationalOf(const QString& value) {
  return {static_cast<double>(fncRationalNumerator(value)),
          static_cast<double>(fncRationalDenominator(value))};
}

QString WithUnit(std::optional<double> number, const QString& prefix, const QString& suffix) {
  if (!number) return {};
  const QString text = Written(*number);
  return text.isEmpty() ? QString() : prefix + text + suffix;
}

QString ExposureTime(const QString& value) {
  const Rational r = RationalOf(value);
  if (r.n == 0) return r.d == 0 ? QString() : QStringLiteral("1s");
  return WithUnit(r.d / r.n, QStringLiteral("1/"), QStringLiteral(" s"));
}

QString ExposureBias(const QString& value) {
  const std::optional<double> bias = RationalOf(value).Quotient();
  if (!bias) return {};
  return QString::number(*bias, 'f', 2) + QStringLiteral(" EV");
}

QString PowerOf(double base, const QString& value, const QString& prefix, const QString& suffix) {
  const std::optional<double> exponent = RationalOf(value).Quotient();
  if (!exponent) return {};
  return WithUnit(RoundedToOneDecimal(std::pow(base, *exponent)), prefix, suffix);
}

QString ExifVersion(const QString& value) {
  // "30,32,32,30": the second and third bytes' digits are the major and minor version.
  if (value.size() < 8) return {};
  return value.mid(4, 1) + QStringLiteral(".") + value.mid(7, 1);
}

QString FlashPixVersion(const QString& value) {
  static const QStringList kVersionOne = {
      QStringLiteral("30,31,30,30"), QStringLiteral("30,30,31,30"), QStringLiteral("30,30,30,31"),
      QStringLiteral("31,30,30,30")};
  return kVersionOne.contains(value.trimmed()) ? QStringLiteral("1.0") : QString();
}

QString ComponentsConfiguration(const QString& value) {
  static const QStringList kRgb = {QStringLiteral("04,05,06,00"), QStringLiteral("00,06,05,04"),
                                   QStringLiteral("00,04,05,06"), QStringLiteral("04,05,06"),
                                   QStringLiteral("06,05,04")};
  static const QStringList kYCrCb = {QStringLiteral("01,02,03,00"), QStringLiteral("00,03,02,01"),
                                     QStringLiteral("00,01,02,03"), QStringLiteral("01,02,03"),
                                     QStringLiteral("03,02,01")};
  static const QStringList kSingle = {QStringLiteral("Does not exist"),
                                      QStringLiteral("Y"),
                                      QStringLiteral("Cr"),
                                      QStringLiteral("Cb"),
                                      QStringLiteral("Red"),
                                      QStringLiteral("Green"),
                                      QStringLiteral("Blue")};
  const QString trimmed = value.trimmed();
  if (kRgb.contains(trimmed)) return QStringLiteral("RGB");
  if (kYCrCb.contains(trimmed)) return QStringLiteral("YCrCb");
  for (qsizetype i = 0; i < kSingle.size(); ++i)
    if (trimmed == QStringLiteral("0%1").arg(i)) return kSingle[i];
  return {};
}

// An attribute whose whole-number value names one of a few texts.
struct Enumeration {
  const char* name;
  std::initializer_list<std::pair<int32_t, const char*>> texts;
  const char* otherwise = nullptr;  // the text of any number not listed, if the table has one
};

// clang-format off
const Enumeration kEnumerations[] = {
    {"Orientation", {{1, "Upper Left"}, {2, "Upper Right"}, {3, "Bottom Right"}, {4, "Bottom Left"},
                     {5, "Left Upper"}, {6, "Right Upper"}, {7, "Right bottom"}, {8, "Left bottom"}}},
    {"ResolutionUnit", {{1, "No unit"}, {2, "Inches"}, {3, "Centimeters"}}},
    {"YCbCrPositioning", {{1, "Center of pixel array"}, {2, "Datum point(co-sited)"}}},
    {"ExposureProgram", {{1, "Manual control"}, {2, "Normal program"}, {3, "Aperture priority"},
                         {4, "Shutter priority"}, {5, "Program creative (slow program)"},
                         {6, "Program action(high-speed program)"}, {7, "Portrait mode"},
                         {8, "Landscape mode"}}},
    {"MeteringMode", {{0, "Unknown"}, {1, "Average"}, {2, "Center weighted average"}, {3, "Spot"},
                      {4, "Multi-spot"}, {5, "Multi-segment"}, {6, "Partial"}, {255, "Other"}}},
    {"LightSource", {{0, "Unknown"}, {1, "Daylight"}, {2, "Fluorescent"}, {3, "Tungsten"},
                     {4, "Flash"}, {9, "Fine weather"}, {10, "Cloudy weather"}, {11, "Shade"},
                     {12, "Daylight fluorescent (D 5700-7100K)"},
                     {13, "Day white fluorescent (N 4600-5400K)"},
                     {14, "Cool white fluorescent (W 3900-4500K)"},
                     {15, "White fluorescent (WW 3200-3700K)"}, {17, "Standard light A"},
                     {18, "Standard light B"}, {19, "Standard light C"}, {20, "D55"}, {21, "D65"},
                     {22, "D75"}, {23, "D50"}, {24, "ISO studio tungesten"},
                     {255, "Other light source"}}},
    {"ColorSpace", {{1, "sRGB"}, {65535, "Uncalibrated"}}},
    {"SceneType", {{1, "Directly photographed image"}}, "Unknown"},
    {"FileSource", {{0, "DSC (Digital Still Camera)"}, {3, "DSC (Digital Still Camera)"}}, "Other"},
    {"CustomRendered", {{0, "Normal process"}, {1, "Custom process"}}},
    {"ExposureMode", {{0, "Easy Shooting"}, {1, "Program"}, {2, "Tv-priority"}, {3, "Av-priority"},
                      {4, "Manual"}, {5, "A-DEP"}}},
    {"WhiteBalance", {{0, "Auto"}, {1, "Sunny"}, {2, "Cloudy"}, {3, "Tungsten"}, {4, "Fluorescent"},
                      {5, "Flash"}, {6, "Custom"}}},
    {"SceneCaptureType", {{0, "Standard"}, {1, "Landscape"}, {2, "Portrait"}, {3, "Night Scene"}}},
    {"Contrast", {{0, "Normal"}, {1, "Soft"}, {2, "Hard"}}},
    {"Saturation", {{0, "Normal"}, {1, "Low saturation"}, {2, "High saturation"}}},
    {"Sharpness", {{0, "Normal"}, {1, "Soft"}, {2, "Hard"}}},
    {"ISOSpeedRatings", {{0, "See ISOSpeedRatings Tag"}, {15, "Auto"}, {16, "50"}, {17, "100"},
                         {18, "200"}, {19, "400"}}},
    {"SensingMethod", {{1, "Not defined"}, {2, "One-chip color area sensor"},
                       {3, "Two-chip color area sensor"}, {4, "Three-chip color area sensor"},
                       {5, "Color sequential area sensor"}, {7, "Trilinear sensor"},
                       {8, "Color sequential linear sensor"}}},
    {"GainControl", {{0, "None"}, {1, "Low gain up"}, {2, "High gain up"}, {3, "Low gain down"},
                     {4, "High gain down"}}},
    {"SubjectDistanceRange", {{0, "Unknown"}, {1, "Macro"}, {2, "Close view"}, {3, "Distant view"}}},
    {"FocalPlaneResolutionUnit", {{1, "pixels"}, {2, "dpi"}, {3, "dpcm"}}},
    {"NewSubfileType", {{1, "Reduced Resolution"}, {2, "Single Page"}, {4, "Transparency Mask"}}},
    {"SubfileType", {{1, "Full Resolution"}, {2, "Reduced Resolution"}, {3, "Single Page"}}},
    {"Compression", {{1, "Uncompressed"}, {2, "CCITT Group3"}, {3, "CCITT T4"}, {4, "CCITT T6"},
                     {5, "LZW"}, {6, "JPEG"}, {32773, "PackBits"}}},
    {"PhotometricInterpretation", {{0, "WhiteIsZero"}, {1, "BlackIsZero"}, {2, "RGB"},
                                   {3, "RGB Palette"}, {4, "Transparency Mask"}, {5, "CMYK"},
                                   {6, "YCbCr"}, {8, "CIELab"}}},
    {"Threshholding", {{1, "No Dithering"}, {2, "Ordered Dither"}, {3, "Randomized"}}},
    {"FillOrder", {{1, "Low in High"}, {2, "High in Low"}}},
    {"PlanarConfiguration", {{1, "Chunky"}, {2, "Planar"}}},
    {"Flash", {{0, "Flash did not fire"}, {1, "Flash fired"}, {5, "Strobe return light not detected"},
               {7, "Strobe return light detected"}, {9, "Flash fired, compulsory flash mode"},
               {13, "Flash fired, compulsory flash mode, return light not detected"},
               {15, "Flash fired, compulsory flash mode, return light detected"},
               {16, "Flash did not fire, compulsory flash mode"},
               {24, "Flash did not fire, auto mode"}, {25, "Flash fired, auto mode"},
               {29, "Flash fired, auto mode, return light not detected"},
               {31, "Flash fired, auto mode, return light detected"}, {32, "No flash function"},
               {65, "Flash fired, red-eye reduction mode"},
               {69, "Flash fired, red-eye reduction mode, return light not detected"},
               {71, "Flash fired, red-eye reduction mode, return light detected"},
               {73, "Flash fired, compulsory flash mode, red-eye reduction mode"},
               {77, "Flash fired, compulsory flash mode, red-eye reduction mode, return light not "
                    "detected"},
               {79, "Flash fired, compulsory flash mode, red-eye reduction mode, return light "
                    "detected"},
               {89, "Flash fired, auto mode, red-eye reduction mode"},
               {93, "Flash fired, auto mode, return light not detected, red-eye reduction mode"},
               {95, "Flash fired, auto mode, return light detected, red-eye reduction mode"}}},
};
// clang-format on

const Enumeration* EnumerationOf(const QString& name) {
  for (const Enumeration& table : kEnumerations)
    if (name == QLatin1String(table.name)) return &table;
  return nullptr;
}

// A value that is not a whole number shows raw.
QString Enumerated(const Enumeration& table, const QString& value) {
  const std::optional<int32_t> number = ToWhole(value);
  if (!number) return {};
  for (const auto& [code, text] : table.texts)
    if (code == *number) return QString::fromLatin1(text);
  return table.otherwise ? QString::fromLatin1(table.otherwise) : QString();
}

QString Computed(const QString& name, const QString& value) {
  if (name == u"ExposureTime") return ExposureTime(value);
  if (name == u"FNumber") return WithUnit(RationalOf(value).Quotient(), QStringLiteral("f/"), {});
  if (name == u"ExposureBiasValue") return ExposureBias(value);
  if (name == u"MaxApertureValue" || name == u"ApertureValue")
    return PowerOf(std::sqrt(2.0), value, QStringLiteral("f/"), {});
  if (name == u"ShutterSpeedValue")
    return PowerOf(2.0, value, QStringLiteral("1/"), QStringLiteral(" s"));
  if (name == u"FocalLength")
    return WithUnit(RationalOf(value).Quotient(), {}, QStringLiteral(" mm"));
  if (name == u"ExposureIndex" || name == u"CompressedBitsPerPixel")
    return QString::number(fncRationalNumerator(value));
  if (name == u"DigitalZoomRatio")
    return QStringLiteral("%1:%2")
        .arg(fncRationalNumerator(value))
        .arg(fncRationalDenominator(value));
  if (name == u"FocalLengthIn35mmFilm") return value + QStringLiteral(" mm");
  if (name == u"ExifVersion") return ExifVersion(value);
  if (name == u"FlashPixVersion") return FlashPixVersion(value);
  if (name == u"ComponentsConfiguration") return ComponentsConfiguration(value);
  return {};
}

// The names whose display name is not made by breaking them at word boundaries.
// clang-format off
const std::pair<const char*, const char*> kExactNames[] = {
    {"CFARepeatPatternDim", "CFA Repeat Pattern Dimension"}, {"FNumber", "F-Number"},
    {"DateTime", "Date/Time"}, {"DateTimeOriginal", "Date/Time Original"},
    {"DateTimeDigitized", "Date/Time Digitized"}, {"CompressedBitsPerPixel", "Compressed BPP"},
    {"MaxApertureValue", "Max. Aperture Value"}, {"SubSecTime", "Sub-Second Time"},
    {"SubSecTimeOriginal", "Sub-Second Time Original"},
    {"SubSecTimeDigitized", "Sub-Second Time Digitized"},
    {"FocalLengthIn35mmFilm", "FocalLength In 35mm Film"},
    {"YCbCrCoefficients", "YCbCr Coefficients"}, {"YCbCrSubSampling", "YCbCr SubSampling"},
    {"YCbCrPositioning", "YCbCr Positioning"}, {"ReferenceBlackWhite", "Reference Black/White"},
};

const char* const kWordBrokenNames[] = {
    "CFAPattern", "BatteryLevel", "ExposureTime", "ExifOffset", "InterColorProfile",
    "ExposureProgram", "SpectralSensitivity", "ISOSpeedRatings", "ExifVersion",
    "ComponentsConfiguration", "ShutterSpeedValue", "ApertureValue", "BrightnessValue",
    "ExposureBiasValue", "SubjectDistance", "MeteringMode", "LightSource", "FocalLength",
    "SubjectArea", "MakerNote", "UserComment", "FlashPixVersion", "ColorSpace", "ExifImageWidth",
    "ExifImageLength", "RelatedAudioFile", "InteroperabilityOffset", "FlashEnergy",
    "SpatialFrequencyResponse", "FocalPlaneXResolution", "FocalPlaneYResolution",
    "FocalPlaneResolutionUnit", "SubjectLocation", "ExposureIndex", "SensingMethod", "FileSource",
    "SceneType", "CustomRendered", "ExposureMode", "WhiteBalance", "DigitalZoomRatio",
    "SceneCaptureType", "GainControl", "DeviceSettingDescription", "SubjectDistanceRange",
    "ImageUniqueID", "NewSubfileType", "SubfileType", "BitsPerSample", "PhotometricInterpretation",
    "FillOrder", "ImageDescription", "StripOffsets", "SamplesPerPixel", "RowsPerStrip",
    "StripByteCounts", "XResolution", "YResolution", "PlanarConfiguration", "ResolutionUnit",
    "PageNumber", "TransferFunction", "WhitePoint", "PrimaryChromaticities", "ColorMap",
    "JPEGInterchangeFormat", "JPEGInterchangeFormatLength", "GPSInfo", "PixelXDimension",
    "PixelYDimension",
};
// clang-format on

// A blank before each capital that starts a word: after a lower-case letter or a digit, and
// before the last capital of a run when a lower-case letter follows it ("ISOSpeed").
QString BrokenAtWords(const QString& name) {
  QString shown;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QChar c = name[i];
    if (i > 0 && c.isUpper()) {
      const QChar before = name[i - 1];
      const bool afterLowerOrDigit = before.isLower() || before.isDigit();
      const bool endsCapitalRun = before.isUpper() && i + 1 < name.size() && name[i + 1].isLower();
      if (afterLowerOrDigit || endsCapitalRun) shown += u' ';
    }
    shown += c;
  }
  return shown;
}

}  // namespace

int32_t fncRationalNumerator(const QString& value) {
  const qsizetype slash = value.lastIndexOf(u'/');
  if (slash < 0) return 0;
  return ToWhole(value.left(slash)).value_or(0);
}

int32_t fncRationalDenominator(const QString& value) {
  return ToWhole(value.mid(value.lastIndexOf(u'/') + 1)).value_or(0);
}

QString fncEXIFInterpret(const QString& name, const QString& value) {
  shell::gstrCurrentActivity = QStringLiteral("Read exif attribute - '") + name +
                               QStringLiteral("' with Value '") + value +
                               QStringLiteral("' and interpret it to readable format");
  if (const Enumeration* table = EnumerationOf(name)) return Enumerated(*table, value);
  return Computed(name, value);
}

QString fncFormattedAttributed(const QString& name) {
  shell::SetActivity(shell::Activity::FormattingExifAttributeName);
  for (const auto& [raw, shown] : kExactNames)
    if (name == QLatin1String(raw)) return QString::fromLatin1(shown);
  const bool known = std::any_of(std::begin(kWordBrokenNames), std::end(kWordBrokenNames),
                                 [&](const char* raw) { return name == QLatin1String(raw); });
  return known ? BrokenAtWords(name) : QString();
}

}  // namespace metadata
