#include "control/formats/jpeg/date_time.h"

#include <cmath>
#include <cstdint>

namespace pictavo {

namespace {

constexpr int64_t kDaysFrom1970To1899 = 25569;
constexpr int64_t kSecondsPerDay = 86400;

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, TDateParts& parts) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  parts.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  parts.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  parts.Year = static_cast<int>(yoe + era * 400 + (parts.Month <= 2));
}

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<double> EncodeDateTime(const TDateParts& p) {
  if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 ||
      p.Day > DaysInMonth(p.Year, p.Month))
    return std::nullopt;
  if (p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 || p.Second < 0 || p.Second > 59)
    return std::nullopt;
  double days = static_cast<double>(DaysFromCivil(p.Year, p.Month, p.Day) + kDaysFrom1970To1899);
  double time = (p.Hour * 3600.0 + p.Minute * 60.0 + p.Second) / kSecondsPerDay;
  // A date before 1899-12-30 carries its time of day as a negative fraction.
  return days < 0 ? days - time : days + time;
}

TDateParts DecodeDateTime(double value) {
  TDateParts parts;
  if (!std::isfinite(value) || std::fabs(value) > 3e6) return parts;
  double whole = std::trunc(value);
  int64_t seconds = std::llround(std::fabs(value - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) seconds = kSecondsPerDay - 1;
  CivilFromDays(static_cast<int64_t>(whole) - kDaysFrom1970To1899, parts);
  parts.Hour = static_cast<int>(seconds / 3600);
  parts.Minute = static_cast<int>(seconds / 60 % 60);
  parts.Second = static_cast<int>(seconds % 60);
  return parts;
}

}  // namespace pictavo
