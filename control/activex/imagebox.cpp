#include "control/activex/imagebox.h"

#include <QString>
#include <exception>
#include <map>
#include <utility>

#include "control/activex/about_box.h"

namespace pictavo {

namespace {

using BodyKey = std::pair<const MemberInfo*, Accessor>;

std::map<BodyKey, MemberBody>& Bodies() {
  static std::map<BodyKey, MemberBody> bodies;
  return bodies;
}

}  // namespace

BodyRegistrar::BodyRegistrar(const char* name, Accessor accessor, MemberBody body) {
  const MemberInfo* member = FindMember(name);
  if (!member || !member->Has(accessor) ||
      !Bodies().emplace(BodyKey{member, accessor}, body).second) {
    std::fprintf(stderr, "ImageBox body for an unknown or repeated member: %s\n", name);
    std::abort();
  }
}

MemberBody FindBody(const MemberInfo& member, Accessor accessor) {
  const auto it = Bodies().find(BodyKey{&member, accessor});
  return it == Bodies().end() ? nullptr : it->second;
}

std::string MemberCall::Utf8(size_t i) const {
  return QString::fromStdU16String(Text(i)).toStdString();
}

std::string MemberCall::Ansi(size_t i) const {
  std::string bytes;
  for (char16_t c : Text(i)) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return bytes;
}

void MemberCall::ReturnUtf8(const std::string& text) {
  result = QString::fromStdString(text).toStdU16String();
}

void MemberCall::ReturnAnsi(const std::string& text) {
  std::u16string wide;
  for (char c : text) wide.push_back(static_cast<unsigned char>(c));
  result = std::move(wide);
}

TImageBox::TImageBox() : view_(std::make_unique<TpvImage>()) {
  TpvImage& v = *view_;
  v.OnMouseMove = [this](int16_t shift, int32_t x, int32_t y) {
    Fire(kOnMouseMove, {shift, x, y});
  };
  v.OnMouseUp = [this](int16_t button, int16_t shift, int32_t x, int32_t y) {
    Fire(kOnMouseUp, {button, shift, x, y});
  };
  v.OnMouseDown = [this](int16_t button, int16_t shift, int32_t x, int32_t y) {
    Fire(kOnMouseDown, {button, shift, x, y});
  };
  v.OnClick = [this] { Fire(kOnClick, {}); };
  v.OnDblClick = [this] { Fire(kOnDblClick, {}); };
  v.OnScroll = [this] { Fire(kOnScroll, {}); };
  v.OnAcquire = [this] { Fire(kOnAcquire, {}); };
  v.OnAcquireCancel = [this] { Fire(kOnAcquireCancel, {}); };
  v.OnAcquireFinish = [this] { Fire(kOnAcquireFinish, {}); };
}

TImageBox::~TImageBox() = default;

void TImageBox::Fire(int32_t dispid, std::initializer_list<int32_t> args) {
  if (!sink_) return;
  sink_->Fire(dispid, std::span<const int32_t>(args.begin(), args.size()));
}

MemberOutcome TImageBox::Invoke(const MemberInfo& member, Accessor accessor, MemberCall& call) {
  const MemberBody body = FindBody(member, accessor);
  if (!body) return {kENotImpl, std::string("Not available: ") + member.name};
  std::string failure;
  try {
    body(*this, call);
    return {};
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "Unexpected error";
  }
  // A failed call leaves empty results, never stale ones.
  call.result = {};
  for (TCallValue& out : call.outs) out = {};
  return {kEUnexpected, failure};
}

void TImageBox::ShowAbout() {
  TImageBoxAbout about;
  about.exec();
}

}  // namespace pictavo
