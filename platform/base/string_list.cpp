#include "platform/base/string_list.h"

#include "platform/base/exceptions.h"
#include "platform/base/text.h"

namespace plat {

void TStringList::Check(int index, int limit) const {
  if (index < 0 || index >= limit)
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TStringList::operator[](int index) const {
  Check(index, Count());
  return items_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, std::string text) {
  Check(index, Count());
  items_[static_cast<size_t>(index)] = std::move(text);
}

int TStringList::Add(std::string text) {
  items_.push_back(std::move(text));
  return Count() - 1;
}

void TStringList::Insert(int index, std::string text) {
  Check(index, Count() + 1);
  items_.insert(items_.begin() + index, std::move(text));
}

void TStringList::Delete(int index) {
  Check(index, Count());
  items_.erase(items_.begin() + index);
}

int TStringList::IndexOf(std::string_view text) const {
  for (int i = 0; i < Count(); ++i)
    if (SameTextIgnoringCase(items_[static_cast<size_t>(i)], text)) return i;
  return -1;
}

std::string TStringList::Names(int index) const {
  const std::string& s = (*this)[index];
  const size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& s = (*this)[index];
  const size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = items_[static_cast<size_t>(i)];
    const size_t eq = s.find('=');
    if (eq != std::string::npos && SameTextIgnoringCase(std::string_view(s).substr(0, eq), name))
      return i;
  }
  return -1;
}

std::string TStringList::Values(std::string_view name) const {
  const int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
  const int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string entry = std::string(name) + "=" + std::string(value);
  if (i >= 0)
    Put(i, std::move(entry));
  else
    Add(std::move(entry));
}

std::string TStringList::Text() const {
  std::string out;
  for (const auto& s : items_) out += s + "\r\n";
  return out;
}

void TStringList::SetText(std::string_view text) {
  items_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    items_.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
}

}  // namespace plat
