#include "app/metadata/metadata_tables.h"

#include <QCoreApplication>
#include <algorithm>
#include <span>

namespace metadata {

QString gstrSoftwareName;
std::array<QString, 11> gstrEditableExifAttributes;
std::array<QString, 3> gstrExifDateAttributes;
std::array<QString, 5> gstrIptcDateAttributes;

namespace {

bool IsListed(const QString& name, std::span<const QString> table) {
  const QString wanted = name.trimmed().toLower();
  return std::any_of(table.begin(), table.end(),
                     [&](const QString& entry) { return entry.toLower() == wanted; });
}

}  // namespace

void subInitMetadataTables() {
  gstrSoftwareName = QCoreApplication::applicationName();
  gstrEditableExifAttributes = {
      "Make",        "Model",           "DateTime",         "ImageDescription",
      "Artist",      "Copyright",       "DateTimeOriginal", "DateTimeDigitized",
      "UserComment", "PixelXDimension", "PixelYDimension"};
  gstrExifDateAttributes = {"DateTime", "DateTimeOriginal", "DateTimeDigitized"};
  gstrIptcDateAttributes = {"Date Created", "Date Released", "Time Released", "Reference Date",
                            "Time Created"};
}

bool fncIsUserEditableEXIF(const QString& name) {
  return IsListed(name, gstrEditableExifAttributes);
}

bool fncIsEXIFDateAttribute(const QString& name) {
  return IsListed(name, gstrExifDateAttributes);
}

bool fncIsIPTCDateAttribute(const QString& name) {
  return IsListed(name, gstrIptcDateAttributes);
}

}  // namespace metadata
