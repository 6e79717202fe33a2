#include "platform/scan/sane_options.h"

#include <algorithm>
#include <cmath>

namespace plat::scan {

int TSaneOptions::Count() const {
  SANE_Int count = 0;
  if (sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
    return 0;
  return std::max<SANE_Int>(count, 0);
}

const SANE_Option_Descriptor* TSaneOptions::Descriptor(int index) const {
  if (index <= 0 || index >= Count()) return nullptr;
  return sane_get_option_descriptor(handle_, index);
}

int TSaneOptions::Find(std::string_view name) const {
  const int count = Count();
  for (int i = 1; i < count; ++i) {
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle_, i);
    if (d && d->name && name == d->name && SANE_OPTION_IS_ACTIVE(d->cap)) return i;
  }
  return -1;
}

bool TSaneOptions::IsSimpleNumber(int index) const {
  const SANE_Option_Descriptor* d = Descriptor(index);
  return d &&
         (d->type == SANE_TYPE_BOOL || d->type == SANE_TYPE_INT || d->type == SANE_TYPE_FIXED) &&
         d->size == sizeof(SANE_Word);
}

double TSaneOptions::FromWord(const SANE_Option_Descriptor& d, SANE_Word word) const {
  return d.type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : static_cast<double>(word);
}

SANE_Word TSaneOptions::ToWord(const SANE_Option_Descriptor& d, double value) const {
  if (d.type == SANE_TYPE_FIXED) return SANE_FIX(value);
  return static_cast<SANE_Word>(std::nearbyint(value));
}

std::optional<double> TSaneOptions::Number(int index) const {
  if (!IsSimpleNumber(index)) return std::nullopt;
  const SANE_Option_Descriptor& d = *Descriptor(index);
  SANE_Word word = 0;
  if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, &word, nullptr) !=
      SANE_STATUS_GOOD)
    return std::nullopt;
  return FromWord(d, word);
}

std::optional<std::string> TSaneOptions::Text(int index) const {
  const SANE_Option_Descriptor* d = Descriptor(index);
  if (!d || d->type != SANE_TYPE_STRING || d->size <= 0) return std::nullopt;
  std::string value(static_cast<size_t>(d->size), '\0');
  if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
      SANE_STATUS_GOOD)
    return std::nullopt;
  value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
  return value;
}

bool TSaneOptions::SetNumber(int index, double value) {
  if (!IsSimpleNumber(index)) return false;
  const SANE_Option_Descriptor& d = *Descriptor(index);
  if (!SANE_OPTION_IS_SETTABLE(d.cap)) return false;
  if (const auto range = Range(index)) value = std::clamp(value, range->min, range->max);
  SANE_Word word = ToWord(d, value);
  if (d.constraint_type == SANE_CONSTRAINT_WORD_LIST) {
    // The nearest entry: backends refuse values outside their list.
    const std::vector<double> words = Words(index);
    const auto nearest = std::min_element(words.begin(), words.end(), [&](double a, double b) {
      return std::fabs(a - value) < std::fabs(b - value);
    });
    if (nearest != words.end()) word = ToWord(d, *nearest);
  }
  return sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, &word, nullptr) ==
         SANE_STATUS_GOOD;
}

bool TSaneOptions::SetText(int index, const std::string& value) {
  const SANE_Option_Descriptor* d = Descriptor(index);
  if (!d || d->type != SANE_TYPE_STRING || !SANE_OPTION_IS_SETTABLE(d->cap) ||
      value.size() >= static_cast<size_t>(std::max<SANE_Int>(d->size, 0)))
    return false;
  std::string buffer = value;
  buffer.resize(static_cast<size_t>(d->size), '\0');
  return sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr) ==
         SANE_STATUS_GOOD;
}

std::optional<TSaneOptions::TRange> TSaneOptions::Range(int index) const {
  if (!IsSimpleNumber(index)) return std::nullopt;
  const SANE_Option_Descriptor& d = *Descriptor(index);
  if (d.constraint_type == SANE_CONSTRAINT_RANGE && d.constraint.range) {
    const SANE_Range& r = *d.constraint.range;
    return TRange{FromWord(d, r.min), FromWord(d, r.max), FromWord(d, r.quant)};
  }
  const std::vector<double> words = Words(index);
  if (words.empty()) return std::nullopt;
  return TRange{words.front(), words.back(), 0};
}

std::vector<double> TSaneOptions::Words(int index) const {
  std::vector<double> words;
  const SANE_Option_Descriptor* d = Descriptor(index);
  if (!d || d->constraint_type != SANE_CONSTRAINT_WORD_LIST || !d->constraint.word_list)
    return words;
  // The first word is the number of entries that follow.
  const SANE_Word* list = d->constraint.word_list;
  for (SANE_Word i = 1; i <= list[0]; ++i) words.push_back(FromWord(*d, list[i]));
  std::sort(words.begin(), words.end());
  return words;
}

std::vector<std::string> TSaneOptions::Strings(int index) const {
  std::vector<std::string> strings;
  const SANE_Option_Descriptor* d = Descriptor(index);
  if (!d || d->constraint_type != SANE_CONSTRAINT_STRING_LIST || !d->constraint.string_list)
    return strings;
  for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s) strings.emplace_back(*s);
  return strings;
}

}  // namespace plat::scan
