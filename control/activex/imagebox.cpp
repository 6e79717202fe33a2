#include "control/activex/imagebox.h"

#include <exception>
#include <map>
#include <utility>

#include "control/activex/about_box.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/text.h"
#include "platform/com/errorinfo.h"

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
  using namespace plat::com;
  const IID& iid = ax::IImageBox::kIid;
  const MemberBody body = FindBody(member, accessor);
  if (!body) {
    const std::string message = "Not available: " + member.name;
    SetErrorInfoText(iid, kImageBoxSource, plat::Utf8ToUtf16(message));
    return {E_NOTIMPL, message};
  }
  return RunBody(body, call);
}

MemberOutcome TImageBox::RunBody(MemberBody body, MemberCall& call) {
  using namespace plat::com;
  const IID& iid = ax::IImageBox::kIid;
  std::string message;
  const HRESULT hr = SafeCall(iid, kImageBoxSource, [&] {
    try {
      body(*this, call);
    } catch (const std::bad_alloc&) {
      // The frame's own text: the library's "std::bad_alloc" tells a host nothing.
      message = "Out of memory";
      throw;
    } catch (const std::exception& e) {
      message = e.what();
      throw;
    }
  });
  if (Succeeded(hr)) return {};
  call.result = {};
  for (TCallValue& out : call.outs) out = {};
  return {hr, message.empty() ? std::string("Unexpected failure") : message};
}

void TImageBox::ShowAbout() {
  TImageBoxAbout about;
  about.exec();
}

}  // namespace pictavo
