#pragma once
// The date forms the metadata lists show, the same on every machine so that an exported list
// reads back anywhere and an edited value parses as it was shown: EXIF date-times as
// "m/d/yyyy h:mm:ss AM/PM", IPTC dates as the short date "m/d/yyyy". Dates are automation dates.
#include <QString>

namespace metadata {

// "7/4/2003 1:05:09 PM".
QString ShownExifDate(double date);
// "7/4/2003"; the zero date (unset) shows empty.
QString ShownShortDate(double date);

}  // namespace metadata
