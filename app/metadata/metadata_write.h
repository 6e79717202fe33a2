#pragma once
// Changes made in the metadata pane: applied to the image control's metadata and written back
// into the file at once. JPEG files get their metadata segments rewritten by the control; TIFF
// and PSD files get their metadata blocks replaced in place; other files keep the change in the
// control only. Each routine reports its errors itself and then answers false; a change already
// made in the control stays there.
#include <QString>
#include <QVariant>
#include <cstdint>

class QTreeWidget;
namespace plat::com {
class ControlHost;
}

namespace metadata {

inline constexpr uint8_t kExifKind = 0;  // any other kind is IPTC

// How a file receives the metadata held by the control, by its extension (any letter case).
enum class WriteBack { JpegSegments, InPlace, ControlOnly };
WriteBack WriteBackFor(const QString& path);
// Writes the control's metadata into the file at `path` by that rule; raises shell::AppError
// when the file cannot take it.
void WriteMetadataBack(const QString& path, plat::com::ControlHost* control);

// Sets the EXIF attribute or the IPTC field of the list label `name` and writes back. An EXIF
// date takes the forms the lists show and the EXIF form. False without a report when the control
// refuses an EXIF value.
bool fncUpdateAttribute(const QString& path, uint8_t kind, const QString& name,
                        const QVariant& value, plat::com::ControlHost* control);
// Removes the EXIF attribute, writes back to the EXIF list's file and removes the list's
// selected row. False without a report when the image has no such attribute.
bool fncDeleteAttribute(const QString& name, plat::com::ControlHost* control, QTreeWidget* list);
// Empties "Keywords" or "Supplemental Categories" and writes back; false for any other label.
bool fncDeleteIPTC_Keywords_suppCat(const QString& path, const QString& label,
                                    plat::com::ControlHost* control);

}  // namespace metadata
