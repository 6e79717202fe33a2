#include "control/activex/imagebox.h"

#include <exception>
#include <utility>

#include "control/activex/about_box.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/text.h"
#include "platform/com/errorinfo.h"

namespace pictavo {

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

MemberOutcome TImageBox::NotAvailable(std::string_view member) {
  const std::string message = "Not available: " + std::string(member);
  plat::com::SetErrorInfoText(ax::IImageBox::kIid, kImageBoxSource, plat::Utf8ToUtf16(message));
  return {kENotImpl, message};
}

MemberOutcome TImageBox::Run(const std::function<void()>& body) {
  using namespace plat::com;
  std::string message;
  const HRESULT hr = SafeCall(ax::IImageBox::kIid, kImageBoxSource, [&] {
    try {
      body();
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
  return {hr, message.empty() ? std::string("Unexpected failure") : message};
}

void TImageBox::ShowAbout() {
  TImageBoxAbout about;
  about.exec();
}

}  // namespace pictavo
