#include "app/metadata/metadata_dates.h"

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

}  // namespace metadata
