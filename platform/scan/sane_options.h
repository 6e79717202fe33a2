#pragma once
// The options of an open SANE device, looked up by name, read and written as numbers (integer
// and fixed-point options alike) or texts. Descriptors are fetched at each access because a
// write may change which options are active and what they allow.
#include <sane/sane.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::scan {

class TSaneOptions {
 public:
  explicit TSaneOptions(SANE_Handle handle) : handle_(handle) {}

  int Count() const;
  const SANE_Option_Descriptor* Descriptor(int index) const;
  // The index of the active option of that name; -1 when there is none.
  int Find(std::string_view name) const;
  bool Has(std::string_view name) const { return Find(name) >= 0; }
  // Whether the option holds one boolean, integer or fixed-point value the user may set.
  bool IsSimpleNumber(int index) const;

  std::optional<double> Number(int index) const;
  std::optional<double> Number(std::string_view name) const { return Number(Find(name)); }
  std::optional<std::string> Text(int index) const;
  std::optional<std::string> Text(std::string_view name) const { return Text(Find(name)); }

  // Writes a value, brought into the option's range first; false when the backend refuses.
  bool SetNumber(int index, double value);
  bool SetNumber(std::string_view name, double value) { return SetNumber(Find(name), value); }
  bool SetText(int index, const std::string& value);
  bool SetText(std::string_view name, const std::string& value) {
    return SetText(Find(name), value);
  }

  struct TRange {
    double min = 0, max = 0, step = 0;
  };
  // The range of a number option, or the lowest and highest entry of its word list.
  std::optional<TRange> Range(int index) const;
  std::optional<TRange> Range(std::string_view name) const { return Range(Find(name)); }
  // The entries of a word list, ascending; empty for other constraints.
  std::vector<double> Words(int index) const;
  // The entries of a string list.
  std::vector<std::string> Strings(int index) const;
  std::vector<std::string> Strings(std::string_view name) const { return Strings(Find(name)); }

 private:
  double FromWord(const SANE_Option_Descriptor& d, SANE_Word word) const;
  SANE_Word ToWord(const SANE_Option_Descriptor& d, double value) const;

  SANE_Handle handle_;
};

}  // namespace plat::scan
