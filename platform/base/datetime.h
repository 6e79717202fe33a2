#pragma once
// Automation dates: a double counting days from midnight, 30 December 1899; the fraction is the
// time of day. Before that day the integral part counts backwards while the fraction still adds
// time forwards (-1.25 is 29 December 1899, 06:00), as automation defines it.
#include <cstdint>
#include <string>

namespace plat {

using TDateTime = double;

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// False for a day or time that does not exist (years 1..9999).
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time);
bool TryEncodeDateTime(const DateParts& parts, TDateTime& value);

// Raise EConvertError when the parts form no valid date and time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDateTime(const DateParts& parts);

// The parts of a date-time value, milliseconds rounded to the nearest one.
DateParts DecodeDateTime(TDateTime value);

// "yyyy-mm-dd hh:nn:ss" (the time left out when it is midnight), for machine-readable text.
std::string DateTimeToIsoText(TDateTime value);
// Reads "yyyy-mm-dd" with an optional " hh:nn[:ss]"; false when it is not such a text.
bool TryIsoTextToDateTime(const std::string& text, TDateTime& value);

}  // namespace plat
