#include "platform/com/member_table.h"

#include <stdexcept>

#include "platform/base/text.h"
#include "platform/com/object.h"

namespace plat::com {
namespace {

std::u16string Folded(std::u16string_view name) {
  std::u16string out(name);
  for (char16_t& c : out) c = AsciiLower(c);
  return out;
}

std::string Describe(const MemberEntry& e) {
  return Utf16ToUtf8(e.name) + " (slot " + std::to_string(e.slot) + ")";
}

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The minimal type info: the members of one table.
class TableTypeInfo final : public ComObject<TableTypeInfo, ITypeInfo> {
 public:
  explicit TableTypeInfo(const MemberTable& table) : table_(table) {}

  HRESULT GetGuid(IID* iid) override { return iid ? (*iid = table_.Iid(), S_OK) : E_POINTER; }
  HRESULT GetFuncCount(uint32_t* count) override {
    return count ? (*count = static_cast<uint32_t>(table_.Entries().size()), S_OK) : E_POINTER;
  }
  HRESULT GetFuncDesc(uint32_t index, FUNCDESC* desc) override {
    if (!desc) return E_POINTER;
    if (index >= table_.Entries().size()) return TYPE_E_ELEMENTNOTFOUND;
    const MemberEntry& e = table_.Entries()[index];
    *desc = FUNCDESC{e.dispid,     InvokeKindOf(e.kind), static_cast<int16_t>(e.slot),
                     e.paramCount, e.resultType,         e.paramTypes};
    return S_OK;
  }
  HRESULT GetNames(DISPID id, BSTR* names, uint32_t maxNames, uint32_t* count) override {
    if (!names || !count) return E_POINTER;
    const MemberEntry* e = table_.Find(id, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    if (!e) e = table_.Find(id, DISPATCH_PROPERTYPUT);
    if (!e) return TYPE_E_ELEMENTNOTFOUND;
    std::vector<std::u16string> all{std::u16string(e->name)};
    for (auto& p : table_.ParamNames(*e)) all.push_back(std::move(p));
    *count = 0;
    for (const auto& n : all) {
      if (*count == maxNames) break;
      names[(*count)++] = BstrFromUtf16(n);
    }
    return S_OK;
  }
  HRESULT GetIDsOfNames(const char16_t* const* names, uint32_t count, DISPID* ids) override {
    return table_.GetIDsOfNames(names, count, ids);
  }

 private:
  const MemberTable& table_;
};

}  // namespace

MemberTable::MemberTable(const IID& iid, std::u16string_view interfaceName,
                         std::initializer_list<MemberEntry> entries)
    : iid_(iid), name_(interfaceName), entries_(entries) {
  int expectedSlot = 7;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const MemberEntry& e = entries_[i];
    if (e.slot != expectedSlot++)
      throw std::logic_error("member table out of slot order at " + Describe(e));
    if (!by_id_.emplace(std::pair(e.dispid, e.kind), i).second)
      throw std::logic_error("dispatch id and kind used twice at " + Describe(e));
    const auto [at, added] = ids_by_name_.emplace(Folded(e.name), e.dispid);
    if (!added && at->second != e.dispid)
      throw std::logic_error("one name with two dispatch ids at " + Describe(e));
  }
  for (const MemberEntry& e : entries_) {
    // Accessors of one property share one id; nothing else may.
    for (const MemberEntry& other : entries_)
      if (&other != &e && other.dispid == e.dispid && !SameTextIgnoringCase(other.name, e.name))
        throw std::logic_error("dispatch id shared by two members at " + Describe(e));
  }
}

const MemberEntry* MemberTable::Find(DISPID id, uint16_t flags) const {
  auto lookup = [&](MemberKind k) -> const MemberEntry* {
    const auto it = by_id_.find(std::pair(id, k));
    return it == by_id_.end() ? nullptr : &entries_[it->second];
  };
  const MemberEntry* e = nullptr;
  if (flags & DISPATCH_PROPERTYPUT) {
    e = lookup(MemberKind::Put);
    if (!e) e = lookup(MemberKind::PutRef);
  } else if (flags & DISPATCH_PROPERTYPUTREF) {
    e = lookup(MemberKind::PutRef);
    if (!e) e = lookup(MemberKind::Put);
  } else {
    if (flags & DISPATCH_METHOD) {
      e = lookup(MemberKind::Method);
      if (!e) e = lookup(MemberKind::Function);
    }
    if (!e && (flags & DISPATCH_PROPERTYGET)) e = lookup(MemberKind::Get);
  }
  return e;
}

HRESULT MemberTable::GetIDsOfNames(const char16_t* const* names, uint32_t count,
                                   DISPID* ids) const {
  if (!names || !ids) return E_POINTER;
  if (count == 0) return S_OK;
  HRESULT hr = S_OK;
  const auto it = names[0] ? ids_by_name_.find(Folded(names[0])) : ids_by_name_.end();
  ids[0] = it == ids_by_name_.end() ? DISPID_UNKNOWN : it->second;
  if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  // Arguments are positional only, so no parameter name has an id.
  for (uint32_t i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT MemberTable::Invoke(void* self, DISPID id, uint16_t flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* excepInfo, uint32_t* argErr) const {
  if (!params || (params->cArgs > 0 && !params->rgvarg)) return E_INVALIDARG;
  const MemberEntry* e = Find(id, flags);
  if (!e) return DISP_E_MEMBERNOTFOUND;
  CallArgs args;
  if (IsPut(e->kind)) {
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs < 1)
      return DISP_E_PARAMNOTOPTIONAL;
    args.putValue = &params->rgvarg[0];
    args.reversed = params->rgvarg + 1;
    args.count = params->cArgs - 1;
    args.offset = 1;
  } else {
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    args.reversed = params->rgvarg;
    args.count = params->cArgs;
  }
  const HRESULT hr = e->thunk(self, args, HasRetval(e->kind) ? result : nullptr, argErr);
  if (Succeeded(hr) || !args.memberFailed) return hr;
  if (excepInfo) FillExcepInfoFromErrorInfo(excepInfo, hr);
  return DISP_E_EXCEPTION;
}

std::vector<std::u16string> MemberTable::ParamNames(const MemberEntry& entry) const {
  std::vector<std::u16string> names;
  std::string_view list = entry.params;
  if (list.size() >= 2 && list.front() == '(' && list.back() == ')')
    list = list.substr(1, list.size() - 2);
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string_view one = list.substr(0, comma);
    while (!one.empty() && !IsIdentifierChar(one.back())) one.remove_suffix(1);
    size_t start = one.size();
    while (start > 0 && IsIdentifierChar(one[start - 1])) --start;
    if (start < one.size()) names.push_back(Utf8ToUtf16(one.substr(start)));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return names;
}

ITypeInfo* MemberTable::NewTypeInfo() const {
  return MakeObject<TableTypeInfo>(*this).Detach();
}

Variant DispatchClient::Invoke(DISPID id, uint16_t flags, std::span<VARIANT> args) const {
  if (!dispatch_) throw EOleSysError("No object to call", E_POINTER);
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<uint32_t>(args.size()),
                    put ? 1u : 0u};
  Variant result;
  EXCEPINFO excep{};
  uint32_t argErr = 0;
  const HRESULT hr =
      dispatch_->Invoke(id, GUID{}, 0, flags, &params, put ? nullptr : &result, &excep, &argErr);
  if (Failed(hr)) {
    EOleException error = MakeOleException(hr, &excep);
    ClearExcepInfo(&excep);
    throw error;
  }
  return result;
}

Variant DispatchClient::Invoke(DISPID id, uint16_t flags,
                               std::initializer_list<Variant> args) const {
  std::vector<VARIANT> borrowed(args.begin(), args.end());
  return Invoke(id, flags, std::span<VARIANT>(borrowed));
}

DISPID DispatchClient::IdOfName(std::u16string_view name) const {
  if (!dispatch_) throw EOleSysError("No object to call", E_POINTER);
  const std::u16string text(name);
  const char16_t* names[] = {text.c_str()};
  DISPID id = DISPID_UNKNOWN;
  OleCheck(dispatch_->GetIDsOfNames(GUID{}, names, 1, 0, &id));
  return id;
}

}  // namespace plat::com
