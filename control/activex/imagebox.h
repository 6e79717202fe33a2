#pragma once
// TImageBox: the ImageBox control object. It owns one view control, runs every member of the
// table inside the member frame and fires the nine events to the one connected sink.
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "control/activex/imagebox_table.h"
#include "control/activex/member_body.h"
#include "control/engine/view/pvimage.h"

namespace pictavo {

// Dispatch ids of IImageBoxEvents.
enum EventDispId : int32_t {
  kOnMouseMove = 1,
  kOnMouseUp = 2,
  kOnMouseDown = 3,
  kOnClick = 4,
  kOnDblClick = 5,
  kOnScroll = 6,
  kOnAcquire = 7,
  kOnAcquireCancel = 8,
  kOnAcquireFinish = 9,
};

// Where the events go; the COM layer adapts the host's IImageBoxEvents sink to this.
class TEventSink {
 public:
  virtual ~TEventSink() = default;
  // Arguments in the order of the event's declaration: 16-bit values first where declared.
  virtual void Fire(int32_t dispid, std::span<const int32_t> args) = 0;
};

// The error source every failure of the control names.
inline constexpr char16_t kImageBoxSource[] = u"Pictavo.ImageBox";

// What a member call ended with.
struct MemberOutcome {
  int32_t hresult = 0;  // S_OK, E_NOTIMPL, E_UNEXPECTED or an OLE error's own code
  std::string message;  // the error description when it failed
};

inline constexpr int32_t kSOk = 0;
inline constexpr int32_t kENotImpl = static_cast<int32_t>(0x80004001);
inline constexpr int32_t kEUnexpected = static_cast<int32_t>(0x8000FFFF);

class TImageBox {
 public:
  TImageBox();
  ~TImageBox();
  TImageBox(const TImageBox&) = delete;
  TImageBox& operator=(const TImageBox&) = delete;

  TpvImage& View() { return *view_; }

  // The one event sink, or nullptr; the caller keeps it alive while connected.
  void SetEventSink(TEventSink* sink) { sink_ = sink; }
  TEventSink* EventSink() const { return sink_; }

  // The member frame around one call of a body, with its arguments already converted: an
  // exception becomes E_UNEXPECTED with its message as the thread's error info; running out of
  // memory fails the call with "Out of memory" and leaves the control usable.
  MemberOutcome Run(const std::function<void()>& body);
  // What a member without a body answers: E_NOTIMPL with "Not available: " and its name.
  static MemberOutcome NotAvailable(std::string_view member);

  // Shows the About box modally.
  void ShowAbout();

  // Window-control flags the host may set; nothing in the control reads them.
  bool DoubleBuffered = false;
  bool IsSubComponent = false;

 private:
  void Fire(int32_t dispid, std::initializer_list<int32_t> args);

  std::unique_ptr<TpvImage> view_;
  TEventSink* sink_ = nullptr;
};

}  // namespace pictavo
