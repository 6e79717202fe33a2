#include "app/shell/file_facts.h"

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QThread>
#include <array>

#include "app/shell/ui_service.h"
#include "platform/base/numbers.h"

namespace shell {
namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
    "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
constexpr std::array<const char*, 7> kWeekdayNames = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                                                      "FRIDAY", "SATURDAY", "SUNDAY"};
constexpr int kIconSize = 32;

bool IsNumeric(const QString& text) {
  double ignored = 0;
  return plat::TryStrToFloat(text.toStdString(), ignored);
}

// Two digits after a separator, or one digit with a leading zero; empty when neither is there.
QString TimePiece(const QString& rest) {
  if (rest.size() >= 2 && IsNumeric(rest.left(2))) return rest.left(2);
  if (!rest.isEmpty() && IsNumeric(rest.left(1))) return QStringLiteral("0") + rest.left(1);
  return QString();
}

bool ContainsAnyName(const QString& upper, const auto& names) {
  for (const char* name : names)
    if (upper.contains(QLatin1String(name))) return true;
  return false;
}

QString StripDate(const QString& text, bool fourDigitYear) {
  QString month, day;
  for (qsizetype length = 0; length <= text.size(); ++length) {
    const QString prefix = text.left(length);
    const QString monthHere = clsFileInfo::MonthFromText(prefix, false);
    if (!monthHere.isEmpty()) {
      month = monthHere;
    } else if (!month.isEmpty() && day.isEmpty()) {
      if (length >= 3 && prefix.endsWith(QLatin1Char(',')) &&
          IsNumeric(prefix.mid(length - 3, 2).trimmed()))
        day = prefix.mid(length - 3, 2).trimmed();
    } else if (!day.isEmpty() && prefix.endsWith(QLatin1Char(' ')) &&
               !prefix.endsWith(QLatin1String(", "))) {
      QString year = prefix.right(5).trimmed();
      if (!IsNumeric(year)) {
        year = prefix.right(3).trimmed();
        if (!IsNumeric(year)) continue;
        if (fourDigitYear)
          year.prepend(year.toInt() > 50 ? QLatin1String("19") : QLatin1String("20"));
      }
      return month + QLatin1Char('/') + day + QLatin1Char('/') + year;
    }
  }
  return QString();
}

QString StripTime(const QString& text) {
  QString marker, seconds, minutes;
  int colons = 0, blanks = 0;
  for (qsizetype length = 0; length <= text.size(); ++length) {
    const QString suffix = text.right(length);
    const QString lead = suffix.left(2).toUpper();
    if (lead == QLatin1String("AM") || lead == QLatin1String("PM")) {
      marker = lead;
    } else if (suffix.startsWith(QLatin1Char(':'))) {
      ++colons;
      if (colons == 1) seconds = TimePiece(suffix.mid(1));
      if (colons == 2) minutes = TimePiece(suffix.mid(1));
    } else if (suffix.startsWith(QLatin1Char(' ')) && ++blanks == 2) {
      return TimePiece(suffix.mid(1)) + QLatin1Char(':') + minutes + QLatin1Char(':') + seconds +
             QLatin1Char(' ') + marker;
    }
  }
  return QString();
}

// A fixed number of decimals without digit grouping, the user's decimal mark.
QString Decimals(double value, int places) {
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
  return locale.toString(value, 'f', places);
}

QString ShortSizeText(int64_t v) {
  const QLocale locale;
  if (v == -1) return QStringLiteral("0.0KB (0 bytes)");
  if (v < 1024) return locale.toString(static_cast<qlonglong>(v)) + QStringLiteral(" bytes");
  const int64_t k = v / 1024;
  const double kib = static_cast<double>(v) / 1024.0;
  const double mib = static_cast<double>(v) / 1048576.0;
  if (k < 10) return Decimals(kib, 2) + QStringLiteral("KB");
  if (k < 1000) return Decimals(kib, 1) + QStringLiteral("KB");
  if (k < 10000) return Decimals(mib, 2) + QStringLiteral("MB");
  if (k < 1000000) return Decimals(mib, 1) + QStringLiteral("MB");
  return Decimals(mib / 1024.0, 2) + QStringLiteral("GB");
}

}  // namespace

void clsFileInfo::FilePath(const QString& NewValue) {
  if (!CheckIfFileExists(NewValue)) return;
  ClearFileInfo();
  path32_ = NewValue;
  RefreshInfo();
}

void clsFileInfo::fATTR_ReadOnly(bool NewValue) {
  QFile::Permissions permissions = QFile::permissions(path32_);
  // Qt reports the owner's bit twice, as owner and as user when the user owns the file.
  permissions.setFlag(QFile::WriteOwner, !NewValue);
  permissions.setFlag(QFile::WriteUser, !NewValue);
  if (path32_.isEmpty() || !QFile::setPermissions(path32_, permissions)) return;
  readOnly_ = NewValue;
  normal_ = !readOnly_ && !hidden_;
}

void clsFileInfo::fATTR_Normal(bool NewValue) {
  if (NewValue) fATTR_ReadOnly(false);
}

QString clsFileInfo::fSizeFormated(uint8_t sz) {
  sizeForm_ = sz;
  return FormatSize(size_, sz);
}

QString clsFileInfo::fVersion_Rev() const {
  return QString::number(static_cast<double>(versionRevision_), 'g', 7);
}

void clsFileInfo::ClearFileInfo() {
  const uint8_t keptForm = sizeForm_;
  *this = clsFileInfo();
  sizeForm_ = keptForm;
}

void clsFileInfo::RefreshInfo() {
  if (path32_.isEmpty()) return;
  const QFileInfo entry(path32_);
  if (!entry.exists()) return;
  name32_ = StripFileFromPath(path32_);
  path16_ = ConvertLong2Short(path32_);
  name16_ = StripFileFromPath(path16_);
  location_ = path16_.left(path16_.size() - name16_.size());
  extension_ = StripFileExtention(name16_);
  size_ = entry.size();
  const QDateTime born = entry.birthTime();
  created_ = born.isValid() ? born : entry.lastModified();
  modified_ = entry.lastModified();
  accessed_ = entry.lastRead();
  icon_ = QFileIconProvider().icon(entry);
  const QMimeType mime = QMimeDatabase().mimeTypeForFile(entry, QMimeDatabase::MatchExtension);
  type_ = mime.isDefault() ? QString() : TrimAtNull(mime.comment());
  if (type_.trimmed().isEmpty()) type_ = (extension_.toUpper() + QStringLiteral(" File")).trimmed();
  ReadAttributes(entry);
  sizeCompressed_ = 0;
  sizeCompressedText_ = QStringLiteral("Not Compressed");
  // ELF files carry no version resource.
  targetOS_ = QStringLiteral("Undefined or Unknown");
}

void clsFileInfo::ReadAttributes(const QFileInfo& entry) {
  readOnly_ = !entry.permissions().testFlag(QFile::WriteOwner);
  hidden_ = entry.fileName().startsWith(QLatin1Char('.'));
  normal_ = !readOnly_ && !hidden_;
  system_ = archive_ = compressed_ = temporary_ = false;
}

void clsFileInfo::SplitVersion(const QString& text, int16_t& major, int16_t& minor,
                               float& revision) {
  if (text.isEmpty()) {
    major = minor = 0;
    revision = 0;
    return;
  }
  auto readInt16 = [](const QString& piece, int16_t& number) {
    int32_t value = 0;
    if (plat::TryStrToInt(piece.toStdString(), value) && value >= INT16_MIN && value <= INT16_MAX)
      number = static_cast<int16_t>(value);
  };
  int separators = 0;
  QString piece;
  for (QChar c : text) {
    if (c != QLatin1Char('.') && c != QLatin1Char(',')) {
      piece += c;
      continue;
    }
    ++separators;
    if (separators == 1) readInt16(piece, major);
    if (separators == 2) readInt16(piece, minor);
    piece.clear();
  }
  double value = 0;
  if (plat::TryStrToFloat(piece.toStdString(), value)) revision = static_cast<float>(value);
}

QString clsFileInfo::Strip_DateTime(const QString& FullDateTime, bool StripOutTime,
                                    bool StripOutDate, bool FourDigitYear) {
  if ((!StripOutDate && !StripOutTime) || FullDateTime.isEmpty()) return QString();
  const QString upper = FullDateTime.toUpper();
  if (!ContainsAnyName(upper, kWeekdayNames)) return QString();
  if (!FullDateTime.contains(QLatin1Char(',')) ||
      !(upper.contains(QLatin1String("AM")) || upper.contains(QLatin1String("PM"))))
    return QString();
  return StripOutDate ? StripDate(FullDateTime, FourDigitYear) : StripTime(FullDateTime);
}

QString clsFileInfo::MonthFromText(const QString& text, bool asName) {
  const QString upper = text.toUpper();
  for (size_t i = 0; i < kMonthNames.size(); ++i) {
    const QLatin1String name(kMonthNames[i]);
    if (!upper.endsWith(name)) continue;
    if (asName) return name.left(1) + QString(name.mid(1)).toLower();
    return QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
  }
  return QString();
}

bool clsFileInfo::CheckIfFileExists(const QString& strFullPath) {
  if (strFullPath.isEmpty()) return false;
  const QFileInfo entry(strFullPath);
  return entry.isFile() && entry.isReadable();
}

QString clsFileInfo::ConvertLong2Short(const QString& strFullPath) {
  if (CheckIfFileExists(strFullPath)) return strFullPath;
  Ui().Message(
      strFullPath + QStringLiteral("\r\rCould not find this file to convert to 16bit file name."),
      QStringLiteral("  File Not Found"), MessageIcon::Exclamation);
  return QString();
}

QString clsFileInfo::StripFileFromPath(const QString& strFullPath) {
  return strFullPath.mid(strFullPath.lastIndexOf(QLatin1Char('/')) + 1);
}

QString clsFileInfo::StripFileExtention(const QString& strFileName) {
  const qsizetype point = strFileName.lastIndexOf(QLatin1Char('.'));
  return point < 0 ? QString() : strFileName.mid(point + 1);
}

QString clsFileInfo::FormatSize(int64_t v, uint8_t form) {
  const QString text = ShortSizeText(v);
  if (form != 1 || v < 1024) return text;
  return text + QStringLiteral(" (") + QLocale().toString(static_cast<qlonglong>(v)) +
         QStringLiteral(" bytes)");
}

QString clsFileInfo::TrimAtNull(const QString& text) {
  const qsizetype nul = text.indexOf(QChar(u'\0'));
  return nul < 0 ? text.trimmed() : text.left(nul);
}

void clsFileInfo::GetFileIcon(QPainter* hdc, int32_t X, int32_t Y, const QIcon& hIcon) const {
  if (hIcon.isNull() || !hdc) return;
  icon_.paint(hdc, QRect(X, Y, kIconSize, kIconSize));
}

QString clsFileInfo::DateText(const QDateTime& value) {
  if (!value.isValid()) return QString();
  const QDateTime local = value.toLocalTime();
  const QLocale locale;
  return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         locale.toString(local.time(), QLocale::LongFormat);
}

clsFileInfo& gobjFileInfo() {
  Q_ASSERT(!QCoreApplication::instance() ||
           QThread::currentThread() == QCoreApplication::instance()->thread());
  static clsFileInfo shared;
  return shared;
}

}  // namespace shell
