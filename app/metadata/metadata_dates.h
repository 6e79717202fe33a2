#pragma once
// The date forms the metadata lists show, the same on every machine so that an exported list
// reads back anywhere and an edited value parses as it was shown: EXIF date-times as
// "m/d/yyyy h:mm:ss AM/PM", IPTC dates as the short date "m/d/yyyy". Dates are automation dates.
#include <QString>
#include <optional>

namespace metadata {

// "7/4/2003 1:05:09 PM".
QString ShownExifDate(double date);
// "7/4/2003"; the zero date (unset) shows empty.
QString ShownShortDate(double date);

// Reads back what the lists show, and the EXIF form "yyyy:mm:dd hh:mm:ss": a date with an
// optional time ("h:mm[:ss]" with an optional AM or PM), or a time alone (on the zero date).
// Nothing for any other text or a day or time that does not exist.
std::optional<double> ParseShownDate(const QString& text);

}  // namespace metadata
