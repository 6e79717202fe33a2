#include "platform/base/datetime.h"

#include <cmath>
#include <cstdio>

#include "platform/base/exceptions.h"
#include "platform/base/numbers.h"

namespace plat {
namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1 January of year 1 (day 1) to the given date, in the proleptic Gregorian calendar.
int64_t OrdinalDay(int year, int month, int day) {
  int64_t days = day;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  const int64_t y = year - 1;
  return days + y * 365 + y / 4 - y / 100 + y / 400;
}

const int64_t kEpochOrdinal = OrdinalDay(1899, 12, 30);

void OrdinalToDate(int64_t ordinal, DateParts& parts) {
  // 400 years hold 146097 days; walk down from there.
  int64_t n = ordinal - 1;
  const int64_t y400 = n / 146097;
  n %= 146097;
  int64_t y100 = n / 36524;
  if (y100 == 4) y100 = 3;
  n -= y100 * 36524;
  const int64_t y4 = n / 1461;
  n %= 1461;
  int64_t y1 = n / 365;
  if (y1 == 4) y1 = 3;
  n -= y1 * 365;
  parts.year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
  parts.month = 1;
  while (n >= DaysInMonth(parts.year, parts.month)) n -= DaysInMonth(parts.year, parts.month++);
  parts.day = static_cast<int>(n + 1);
}

std::string Two(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::string PartsText(const DateParts& p) {
  return IntToStr(p.year) + "-" + IntToStr(p.month) + "-" + IntToStr(p.day) + " " +
         IntToStr(p.hour) + ":" + IntToStr(p.minute) + ":" + IntToStr(p.second) + "." +
         IntToStr(p.millisecond);
}

}  // namespace

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  date = static_cast<double>(OrdinalDay(year, month, day) - kEpochOrdinal);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return false;
  time = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
  return true;
}

bool TryEncodeDateTime(const DateParts& p, TDateTime& value) {
  TDateTime date = 0, time = 0;
  if (!TryEncodeDate(p.year, p.month, p.day, date) ||
      !TryEncodeTime(p.hour, p.minute, p.second, p.millisecond, time))
    return false;
  // Before the epoch the time of day still counts forwards from the (negative) day.
  value = date < 0 ? date - time : date + time;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  return EncodeDateTime(DateParts{year, month, day, 0, 0, 0, 0});
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime t = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, t))
    throw EConvertError("'" + IntToStr(hour) + ":" + IntToStr(minute) + ":" + IntToStr(second) +
                        "." + IntToStr(millisecond) + "' is not a valid time");
  return t;
}

TDateTime EncodeDateTime(const DateParts& parts) {
  TDateTime v = 0;
  if (!TryEncodeDateTime(parts, v))
    throw EConvertError("'" + PartsText(parts) + "' is not a valid date and time");
  return v;
}

DateParts DecodeDateTime(TDateTime value) {
  DateParts p;
  const double day = std::trunc(value);
  int64_t ms = std::llround(std::fabs(value - day) * kMsPerDay);
  int64_t ordinal = static_cast<int64_t>(day) + kEpochOrdinal;
  if (ms >= static_cast<int64_t>(kMsPerDay)) {  // rounding reached the next midnight
    ms -= static_cast<int64_t>(kMsPerDay);
    ordinal += value < 0 ? -1 : 1;
  }
  if (ordinal < 1) ordinal = 1;
  OrdinalToDate(ordinal, p);
  p.millisecond = static_cast<int>(ms % 1000);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.hour = static_cast<int>(ms / 3600000);
  return p;
}

std::string DateTimeToIsoText(TDateTime value) {
  const DateParts p = DecodeDateTime(value);
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", p.year, p.month, p.day);
  if (p.hour == 0 && p.minute == 0 && p.second == 0) return date;
  return std::string(date) + " " + Two(p.hour) + ":" + Two(p.minute) + ":" + Two(p.second);
}

bool TryIsoTextToDateTime(const std::string& text, TDateTime& value) {
  DateParts p;
  char tail = 0;
  const int n = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &p.year, &p.month, &p.day,
                            &p.hour, &p.minute, &p.second, &tail);
  if (n != 3 && n != 5 && n != 6) return false;
  if (n == 3) p.hour = p.minute = 0;
  if (n != 6) p.second = 0;
  return TryEncodeDateTime(p, value);
}

}  // namespace plat
