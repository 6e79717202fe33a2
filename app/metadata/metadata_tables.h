#pragma once
// The attribute names the metadata code treats specially, and the program's title that every
// metadata change signs itself with. Filled once at start-up, before any metadata routine runs.
#include <QString>
#include <array>

namespace metadata {

extern QString gstrSoftwareName;
extern std::array<QString, 11> gstrEditableExifAttributes;
extern std::array<QString, 3> gstrExifDateAttributes;
// Row labels of the IPTC list, not control member names.
extern std::array<QString, 5> gstrIptcDateAttributes;

void subInitMetadataTables();

// Each compares the name lower-cased and trimmed with the lower-cased entries.
bool fncIsUserEditableEXIF(const QString& name);
bool fncIsEXIFDateAttribute(const QString& name);
bool fncIsIPTCDateAttribute(const QString& name);

}  // namespace metadata
