#include "app/metadata/metadata_dates.h"

#include <QRegularExpression>

#include "platform/base/datetime.h"

namespace metadata {

QString ShownExifDate(double date) {
  const plat::DateParts parts = plat::DecodeDateTime(date);
  const int hour12 = parts.hour % 12 == 0 ? 12 : parts.hour % 12;
  return QStringLiteral("%1/%2/%3 %4:%5:%6 %7")
      .arg(parts.month)
      .arg(parts.day)
      .arg(parts.year, 4, 10, QChar(u'0'))
      .arg(hour12)
      .arg(parts.minute, 2, 10, QChar(u'0'))
      .arg(parts.second, 2, 10, QChar(u'0'))
      .arg(parts.hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString ShownShortDate(double date) {
  if (date == 0) return {};
  const plat::DateParts parts = plat::DecodeDateTime(date);
  return QStringLiteral("%1/%2/%3")
      .arg(parts.month)
      .arg(parts.day)
      .arg(parts.year, 4, 10, QChar(u'0'));
}

namespace {

// The time of day from the hour, minute, second and AM/PM captures; false when none exists.
bool TimeOf(const QRegularExpressionMatch& m, int first, plat::DateParts& parts) {
  if (m.captured(first).isEmpty()) return true;
  parts.hour = m.captured(first).toInt();
  parts.minute = m.captured(first + 1).toInt();
  parts.second = m.captured(first + 2).isEmpty() ? 0 : m.captured(first + 2).toInt();
  const QString half = m.captured(first + 3).toUpper();
  if (half.isEmpty()) return true;
  if (parts.hour < 1 || parts.hour > 12) return false;
  parts.hour = parts.hour % 12 + (half == u"PM" ? 12 : 0);
  return true;
}

std::optional<double> Encoded(const plat::DateParts& parts) {
  plat::TDateTime value = 0;
  if (!plat::TryEncodeDateTime(parts, value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> ParseShownDate(const QString& text) {
  static const QRegularExpression kExif(
      QStringLiteral(R"(^(\d{4}):(\d{2}):(\d{2}) (\d{2}):(\d{2}):(\d{2})$)"));
  static const QString kTime =
      QStringLiteral(R"((\d{1,2}):(\d{2})(?::(\d{2}))?(?: *([AaPp][Mm]))?)");
  static const QRegularExpression kShown(QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{4})(?: +)") +
                                         kTime + QStringLiteral(")?$"));
  static const QRegularExpression kTimeAlone(QStringLiteral("^") + kTime + QStringLiteral("$"));
  const QString trimmed = text.trimmed();
  plat::DateParts parts;
  if (const QRegularExpressionMatch m = kExif.match(trimmed); m.hasMatch()) {
    parts = {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
             m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()};
    return Encoded(parts);
  }
  if (const QRegularExpressionMatch m = kShown.match(trimmed); m.hasMatch()) {
    parts.month = m.captured(1).toInt();
    parts.day = m.captured(2).toInt();
    parts.year = m.captured(3).toInt();
    if (!TimeOf(m, 4, parts)) return std::nullopt;
    return Encoded(parts);
  }
  if (const QRegularExpressionMatch m = kTimeAlone.match(trimmed); m.hasMatch()) {
    if (!TimeOf(m, 1, parts)) return std::nullopt;
    return Encoded(parts);
  }
  return std::nullopt;
}

}  // namespace metadata
