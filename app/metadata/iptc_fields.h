#pragma once
// The IPTC file-info fields by the labels the pane shows: the control member each reads and
// writes, in the order of the IPTC list. The keyword and category lists have no single member.
#include <QString>
#include <span>

namespace pictavo::ax {
class ImageBoxProxy;
}

namespace metadata {

enum class IptcKind { Text, Date, Keywords, SupplementalCategories };

struct IptcField {
  const char* label;
  IptcKind kind;
  bool listed;  // has a row in the IPTC list ("Time Created" and "Time Released" have none)
  QString (*readText)(const pictavo::ax::ImageBoxProxy&);
  void (*writeText)(const pictavo::ax::ImageBoxProxy&, const QString&);
  double (*readDate)(const pictavo::ax::ImageBoxProxy&);
  void (*writeDate)(const pictavo::ax::ImageBoxProxy&, double);
};

// The 52 listed fields in list order, then the two unlisted times.
std::span<const IptcField> IptcFields();
// The field with exactly this label, or null.
const IptcField* IptcFieldByLabel(const QString& label);

}  // namespace metadata
