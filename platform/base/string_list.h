#pragma once
// An ordered list of 8-bit strings with the Name=Value convention: an entry "a=1=2" has the name
// "a" and the value "1=2" (only the first '=' separates). Names compare without regard to ASCII
// case. Unsorted; duplicates allowed. A bad index raises EListError
// "List index out of bounds (<index>)".
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> items) : items_(items) {}

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& operator[](int index) const;
  const std::string& Strings(int index) const { return (*this)[index]; }
  void Put(int index, std::string text);

  // Returns the index of the new entry.
  int Add(std::string text);
  // index == Count() appends.
  void Insert(int index, std::string text);
  void Delete(int index);
  void Clear() { items_.clear(); }
  int IndexOf(std::string_view text) const;  // exact, case-insensitive as names are; -1 if absent

  // Name=Value access.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  int IndexOfName(std::string_view name) const;  // first entry with that name, -1 if none
  // The value of the first entry with that name; empty when none.
  std::string Values(std::string_view name) const;
  // Replaces the first entry with that name, or appends "name=value"; an empty value deletes it.
  void SetValue(std::string_view name, std::string_view value);

  // The entries joined with CR LF after each; SetText splits at CR LF, LF or CR.
  std::string Text() const;
  void SetText(std::string_view text);

  const std::vector<std::string>& Items() const { return items_; }

 private:
  void Check(int index, int limit) const;

  std::vector<std::string> items_;
};

}  // namespace plat
