#include "control/activex/imagebox_table.h"

#include <strings.h>

#include <string>
#include <unordered_map>

namespace pictavo {

namespace {

template <typename... Params>
constexpr int CountOf(Params...) {
  return sizeof...(Params);
}

#define PICTAVO_UNPAREN(...) __VA_ARGS__
#define P(type, name)           \
  ParamInfo {                   \
#name, ArgType::type, false \
  }
#define O(type, name)          \
  ParamInfo {                  \
#name, ArgType::type, true \
  }

#define PICTAVO_ACCESS_Get \
  { false, true, false, false }
#define PICTAVO_ACCESS_GetPut \
  { false, true, true, false }
#define PICTAVO_ACCESS_GetPutPutRef \
  { false, true, true, true }

#define PICTAVO_METHOD(name, dispid, slot, result, params) \
  MemberInfo{#name,                                        \
             dispid,                                       \
             false,                                        \
             {true, false, false, false},                  \
             {slot, 0, 0, 0},                              \
             ArgType::result,                              \
             {PICTAVO_UNPAREN params},                     \
             CountOf(PICTAVO_UNPAREN params)},
#define PICTAVO_PROPERTY(name, dispid, access, get, put, putref, type, params) \
  MemberInfo{#name,                                                            \
             dispid,                                                           \
             true,                                                             \
             PICTAVO_ACCESS_##access,                                          \
             {0, get, put, putref},                                            \
             ArgType::type,                                                    \
             {PICTAVO_UNPAREN params},                                         \
             CountOf(PICTAVO_UNPAREN params)},

const MemberInfo kMembers[] = {
#include "control/activex/imagebox_rows.inc"
#if __has_include("control/activex/imagebox_rows_metadata.inc")
#include "control/activex/imagebox_rows_metadata.inc"
#endif
#if __has_include("control/activex/imagebox_rows_output.inc")
#include "control/activex/imagebox_rows_output.inc"
#endif
};

#undef PICTAVO_METHOD
#undef PICTAVO_PROPERTY
#undef P
#undef O

struct CaseInsensitiveHash {
  size_t operator()(const std::string& s) const {
    size_t h = 0;
    for (char c : s) h = h * 31 + static_cast<unsigned char>(std::tolower(c));
    return h;
  }
};
struct CaseInsensitiveEqual {
  bool operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
  }
};

}  // namespace

std::span<const MemberInfo> ImageBoxMembers() {
  return kMembers;
}

const MemberInfo* FindMember(std::string_view name) {
  static const auto* index = [] {
    auto* map = new std::unordered_map<std::string, const MemberInfo*, CaseInsensitiveHash,
                                       CaseInsensitiveEqual>;
    for (const MemberInfo& m : kMembers) map->emplace(m.name, &m);
    return map;
  }();
  const auto it = index->find(std::string(name));
  return it == index->end() ? nullptr : it->second;
}

const MemberInfo* FindMember(int32_t dispid) {
  static const auto* index = [] {
    auto* map = new std::unordered_map<int32_t, const MemberInfo*>;
    for (const MemberInfo& m : kMembers) map->emplace(m.dispid, &m);
    return map;
  }();
  const auto it = index->find(dispid);
  return it == index->end() ? nullptr : it->second;
}

std::optional<std::pair<const MemberInfo*, Accessor>> FindSlot(int slot) {
  for (const MemberInfo& m : kMembers)
    for (int a = 0; a < kAccessorCount; ++a)
      if (m.accessors[a] && m.slot_of[a] == slot) return std::pair{&m, static_cast<Accessor>(a)};
  return std::nullopt;
}

}  // namespace pictavo
