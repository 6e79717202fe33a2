#pragma once
// Date-time values as the control exchanges them (the OLE DATE): days since 30 December 1899,
// the fraction being the time of day. 0 means "not set" in the metadata records.
#include <optional>

namespace pictavo {

struct TDateParts {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0;
};

// nullopt when the numbers form no valid date (years 1..9999) or time of day.
std::optional<double> EncodeDateTime(const TDateParts& parts);
// Whole seconds; the date part of a negative value counts towards zero, its time is the
// absolute fraction, as the DATE type defines it.
TDateParts DecodeDateTime(double value);

}  // namespace pictavo
