#include "app/output/naming_tokens.h"

#include <QVariant>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "app/metadata/metadata_tables.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/datetime.h"
#include "platform/com/control_host.h"

namespace output {
namespace {

using pictavo::ax::ImageBoxProxy;

// What a token stands for; Literal entries yield their own text.
enum class Meaning {
  Literal,
  Nothing,
  WhiteSpace,
  ResultingResolution,
  ResultingSize,
  TodayDateTime,
  TodayDate,
  SourceResolution,
  SourceSize,
  SourceCreated,
  SourceModified,
  SourceAccessed,
  ExifDescription,
  ExifArtist,
  ExifDate,
  ExifDateTime,
  ExifMake,
  ExifModel,
  ExifMakeModel,
  ExifDimensions,
  IptcHeadline,
  IptcCaption,
  IptcAuthor,
  IptcCreated,
  IptcReleased,
  IptcReferenceDate,
  IptcReferenceNumber,
};

struct Token {
  const char* text;
  TokenList list;
  Meaning meaning;
};

// clang-format off
constexpr std::array<Token, 37> kTokens{{
    {"[No Prefix]", TokenList::Naming, Meaning::Nothing},
    {"[Resulting resolution]", TokenList::Naming, Meaning::ResultingResolution},
    {"[Resulting size]", TokenList::Naming, Meaning::ResultingSize},
    {"[Date Today-Time]", TokenList::Naming, Meaning::TodayDateTime},
    {"[Date Today]", TokenList::Naming, Meaning::TodayDate},
    {"[Source resolution]", TokenList::Naming, Meaning::SourceResolution},
    {"[Source size]", TokenList::Naming, Meaning::SourceSize},
    {"[Source Date Created]", TokenList::Naming, Meaning::SourceCreated},
    {"[Source Date Modified]", TokenList::Naming, Meaning::SourceModified},
    {"[Source Date Accessed]", TokenList::Naming, Meaning::SourceAccessed},
    {"[EXIF Image Description]", TokenList::Naming, Meaning::ExifDescription},
    {"[EXIF Artist]", TokenList::Naming, Meaning::ExifArtist},
    {"[EXIF Date]", TokenList::Naming, Meaning::ExifDate},
    {"[EXIF Date-Time]", TokenList::Naming, Meaning::ExifDateTime},
    {"[EXIF Make]", TokenList::Naming, Meaning::ExifMake},
    {"[EXIF Model]", TokenList::Naming, Meaning::ExifModel},
    {"[EXIF Make & Model]", TokenList::Naming, Meaning::ExifMakeModel},
    {"[EXIF X-Y Dimension]", TokenList::Naming, Meaning::ExifDimensions},
    {"[IPTC Headline]", TokenList::Naming, Meaning::IptcHeadline},
    {"[IPTC Caption]", TokenList::Naming, Meaning::IptcCaption},
    {"[IPTC Author]", TokenList::Naming, Meaning::IptcAuthor},
    {"[IPTC Date Created]", TokenList::Naming, Meaning::IptcCreated},
    {"[IPTC Date Released]", TokenList::Naming, Meaning::IptcReleased},
    {"[IPTC Ref. Date]", TokenList::Naming, Meaning::IptcReferenceDate},
    {"[IPTC Ref. Number]", TokenList::Naming, Meaning::IptcReferenceNumber},
    {"_", TokenList::Separator, Meaning::Literal},
    {"-", TokenList::Separator, Meaning::Literal},
    {"=", TokenList::Separator, Meaning::Literal},
    {",", TokenList::Separator, Meaning::Literal},
    {".", TokenList::Separator, Meaning::Literal},
    {";", TokenList::Separator, Meaning::Literal},
    {"!", TokenList::Separator, Meaning::Literal},
    {"AND", TokenList::Separator, Meaning::Literal},
    {"[WhiteSpace]", TokenList::Separator, Meaning::WhiteSpace},
    {"[No Separator]", TokenList::Separator, Meaning::Nothing},
    {"[Starting 1]", TokenList::Counter, Meaning::Literal},
    {"[Starting 1001]", TokenList::Counter, Meaning::Literal},
}};

// The output extensions "[Resulting size]" can ask the control about, with their format codes.
struct SizeFormat {
  const char* extension;
  uint8_t format;
};
constexpr std::array<SizeFormat, 16> kSizeFormats{{
    {"tif", 7}, {"tiff", 7}, {"pdf", 8}, {"jpg", 2}, {"jpeg", 2}, {"jpe", 2}, {"psd", 6},
    {"pcx", 3}, {"wbmp", 5}, {"wap", 5}, {"wbm", 5}, {"bmp", 0}, {"gif", 1}, {"png", 4},
}};
// clang-format on

std::function<QDateTime()>& Clock() {
  static std::function<QDateTime()> clock;
  return clock;
}

QDateTime Now() {
  return Clock() ? Clock()() : QDateTime::currentDateTime();
}

Meaning MeaningOf(const QString& token, TokenList list) {
  const auto found = std::find_if(kTokens.begin(), kTokens.end(), [&](const Token& entry) {
    return entry.list == list && token == QLatin1String(entry.text);
  });
  return found == kTokens.end() ? Meaning::Literal : found->meaning;
}

QString Text(const plat::com::Bstr& value) {
  return QString::fromStdString(value.Utf8());
}

std::string Utf8(const QString& text) {
  return text.toStdString();
}

QString ResultingSize(const ImageBoxProxy& box, const QString& ext) {
  const auto found = std::find_if(kSizeFormats.begin(), kSizeFormats.end(),
                                  [&](const auto& f) { return ext == QLatin1String(f.extension); });
  if (found == kSizeFormats.end()) return {};
  const int32_t bytes = box.NewFileSize(pictavo::ax::TxGraphicsFormat{found->format});
  return QString::number(static_cast<int64_t>(std::nearbyint(bytes / 1024.0))) + "Kb";
}

// EXIF marks a date it does not know by keeping the colons and filling the numbers with zeros or
// blanks; such a date names no day, so it gives no text rather than an error report.
bool IsUnknownExifDate(const QString& value) {
  static constexpr QLatin1String kShape("nnnn:nn:nn nn:nn:nn");
  if (value.size() != kShape.size()) return false;
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar want = kShape.at(i), got = value.at(i);
    if (want == QLatin1Char('n') ? (got != QLatin1Char('0') && got != QLatin1Char(' '))
                                 : got != want)
      return false;
  }
  return true;
}

QString ExifDate(const ImageBoxProxy& box, bool withTime) {
  const int32_t count = box.get_ExifCount();
  if (count == 0) return {};
  for (int32_t index = 0; index < count; ++index) {
    if (!metadata::fncIsEXIFDateAttribute(Text(box.get_ExifName(index)))) continue;
    const QString value = Text(box.get_ExifValueByIndex(index));
    if (IsUnknownExifDate(value)) return {};
    const QDateTime date = FromAutomationDate(box.ExifStringToDate(Utf8(value.trimmed())).value);
    return withTime ? NamingDateTime(date) : NamingDate(date);
  }
  return withTime ? NamingDateTime(Now()) : NamingDate(Now());
}

QString ExifPair(const ImageBoxProxy& box, const char* first, const char* joint,
                 const char* second) {
  const QString pair = Text(box.get_ExifValueByName(std::string(first))) + joint +
                       Text(box.get_ExifValueByName(std::string(second)));
  return pair.trimmed() == QLatin1String(joint) ? QString() : pair;
}

QString ExifValue(const ImageBoxProxy& box, const char* name) {
  return Text(box.get_ExifValueByName(std::string(name)));
}

QString SourceFact(const QString& sourcePath, Meaning meaning) {
  shell::clsFileInfo& facts = shell::gobjFileInfo();
  facts.FilePath(sourcePath);
  switch (meaning) {
    case Meaning::SourceSize:
      return facts.fSizeFormated(0);
    case Meaning::SourceCreated:
      return NamingDateTime(facts.DateCreatedValue());
    case Meaning::SourceModified:
      return NamingDateTime(facts.DateModifiedValue());
    default:
      return NamingDateTime(facts.DateAccessedValue());
  }
}

QString IptcText(const ImageBoxProxy& box, Meaning meaning) {
  if (!plat::com::IsTrue(box.get_HasFileInfo())) return {};
  switch (meaning) {
    case Meaning::IptcHeadline:
      return Text(box.get_FFO_Headline());
    case Meaning::IptcCaption:
      return Text(box.get_FFO_Caption());
    case Meaning::IptcAuthor:
      return Text(box.get_FFO_Author());
    case Meaning::IptcCreated:
      return NamingDateTime(FromAutomationDate(box.get_FFO_DateCreated().value));
    case Meaning::IptcReleased:
      return NamingDateTime(FromAutomationDate(box.get_FFO_DateReleased().value));
    case Meaning::IptcReferenceDate:
      return NamingDateTime(FromAutomationDate(box.get_FFO_ReferenceDate().value));
    default:
      return Text(box.get_FFO_ReferenceNumber());
  }
}

QString Resolve(plat::com::ControlHost& control, const QString& token, const QString& sourcePath,
                const QString& ext) {
  const ImageBoxProxy box(control.Dispatch());
  if (!plat::com::IsTrue(box.get_ImageLoaded())) return {};
  const int32_t width = box.get_ImageWidth(), height = box.get_ImageHeight();
  const Meaning meaning = MeaningOf(token, TokenList::Naming);
  switch (meaning) {
    case Meaning::Nothing:
      return {};
    case Meaning::ResultingResolution:
      return QString::number(width) + "x" + QString::number(height);
    case Meaning::ResultingSize:
      return ResultingSize(box, ext);
    case Meaning::TodayDateTime:
      return NamingDateTime(Now());
    case Meaning::TodayDate:
      return NamingDate(Now());
    case Meaning::SourceResolution:
      return control.property(kContainerTag).toString();
    case Meaning::SourceSize:
    case Meaning::SourceCreated:
    case Meaning::SourceModified:
    case Meaning::SourceAccessed:
      return SourceFact(sourcePath, meaning);
    case Meaning::ExifDescription:
      return ExifValue(box, "ImageDescription");
    case Meaning::ExifArtist:
      return ExifValue(box, "Artist");
    case Meaning::ExifDate:
    case Meaning::ExifDateTime:
      return ExifDate(box, meaning == Meaning::ExifDateTime);
    case Meaning::ExifMake:
      return ExifValue(box, "Make");
    case Meaning::ExifModel:
      return ExifValue(box, "Model");
    case Meaning::ExifMakeModel:
      return ExifPair(box, "Make", "-", "Model");
    case Meaning::ExifDimensions:
      return ExifPair(box, "PixelXDimension", "x", "PixelYDimension");
    case Meaning::IptcHeadline:
    case Meaning::IptcCaption:
    case Meaning::IptcAuthor:
    case Meaning::IptcCreated:
    case Meaning::IptcReleased:
    case Meaning::IptcReferenceDate:
    case Meaning::IptcReferenceNumber:
      return IptcText(box, meaning);
    default:
      return token;
  }
}

QString DatePart(const QDate& date) {
  return QStringLiteral("%1.%2.%3")
      .arg(date.month())
      .arg(date.day())
      .arg(date.year(), 4, 10, QLatin1Char('0'));
}

}  // namespace

QStringList TokensOf(TokenList list) {
  QStringList texts;
  for (const Token& entry : kTokens)
    if (entry.list == list) texts << QString::fromLatin1(entry.text);
  return texts;
}

QString fncSeparatorText(const QString& token) {
  switch (MeaningOf(token, TokenList::Separator)) {
    case Meaning::WhiteSpace:
      return QStringLiteral(" ");
    case Meaning::Nothing:
      return {};
    default:
      return token;
  }
}

QString fncRetrieveNamingString(plat::com::ControlHost& control, const QString& token,
                                const QString& sourcePath, const QString& ext) {
  return shell::Trap(shell::Routine::fncRetrieveNamingString,
                     [&] { return Resolve(control, token, sourcePath, ext); });
}

QString NamingDate(const QDateTime& value) {
  return DatePart(value.date());
}

QString NamingDateTime(const QDateTime& value) {
  const QTime time = value.time();
  const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
  return DatePart(value.date()) + QStringLiteral(" %1.%2.%3 %4")
                                      .arg(hour12)
                                      .arg(time.minute(), 2, 10, QLatin1Char('0'))
                                      .arg(time.second(), 2, 10, QLatin1Char('0'))
                                      .arg(time.hour() < 12 ? "AM" : "PM");
}

QDateTime FromAutomationDate(double date) {
  const plat::DateParts parts = plat::DecodeDateTime(date);
  return QDateTime(QDate(parts.year, parts.month, parts.day),
                   QTime(parts.hour, parts.minute, parts.second));
}

void SetNamingClock(std::function<QDateTime()> clock) {
  Clock() = std::move(clock);
}

}  // namespace output
