#include "app/controls/property_bag.h"

#include <algorithm>

namespace velmora {

size_t PropertyBag::IndexOf(const QString& name) const {
  const auto it = std::find_if(values_.begin(), values_.end(),
                               [&](const auto& entry) { return entry.first == name; });
  return static_cast<size_t>(it - values_.begin());
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const {
  const size_t index = IndexOf(name);
  return index == values_.size() ? defaultValue : values_[index].second;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value,
                                const QVariant& defaultValue) {
  const size_t index = IndexOf(name);
  const bool stored = index != values_.size();
  if (value == defaultValue) {
    if (stored) values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(index));
  } else if (stored) {
    values_[index].second = value;
  } else {
    values_.emplace_back(name, value);
  }
}

bool PropertyBag::Contains(const QString& name) const {
  return IndexOf(name) != values_.size();
}

std::vector<QString> PropertyBag::Names() const {
  std::vector<QString> names;
  names.reserve(values_.size());
  for (const auto& entry : values_) names.push_back(entry.first);
  return names;
}

}  // namespace velmora
