#pragma once
// The stored properties of a control: named values, kept in the order they were written. A value
// equal to its default is not written, and reading a name that is absent gives the default, so
// a control that never changed a property stores nothing for it.
#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace velmora {

class PropertyBag {
 public:
  // The stored value of `name`, or `defaultValue` when none is stored.
  QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;

  // Stores `value` under `name`; a value equal to `defaultValue` removes the name instead.
  void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = {});

  bool Contains(const QString& name) const;
  // The stored names, in the order they were first written.
  std::vector<QString> Names() const;

 private:
  // The position of `name` in values_, or values_.size() when it is not stored.
  size_t IndexOf(const QString& name) const;

  std::vector<std::pair<QString, QVariant>> values_;
};

}  // namespace velmora
