#include "control/formats/gif/gif_painter.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <set>
#include <thread>

#include "control/formats/gif/gif_extensions.h"
#include "control/formats/gif/gif_image.h"
#include "platform/base/exceptions.h"
#include "platform/base/message_pump.h"
#include "platform/graphics/system_colors.h"

namespace pictavo {

namespace {

class TSteadyPainterClock : public TPainterClock {
 public:
  int64_t Milliseconds() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  bool WaitForWake(plat::TAutoResetEvent& event, int milliseconds) override {
    return event.WaitFor(milliseconds);
  }
  void Sleep(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

constexpr int kWaitWithoutEnd = -1;
// The wait used when the pace gives no sensible delay.
constexpr int kFallbackDelay = 12000;
// A painter running inside Draw looks at its stop request at least this often.
constexpr int kLongestSleep = 100;
constexpr plat::TColor kWindowColour = plat::kSystemColorFlag | 5;

// Reserved disposal values leave the frame in place, as GIF readers do.
int KnownDisposal(int disposal) {
  return disposal > 3 ? 1 : disposal;
}

plat::TRect Offset(const plat::TRect& rect, int dx, int dy) {
  return {rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
}

}  // namespace

std::shared_ptr<TPainterClock> SteadyPainterClock() {
  return std::make_shared<TSteadyPainterClock>();
}

struct TGIFPainter::RunState {
  int loops_left = 1;
  int loop_start = 0;
  bool loop_seen = false;
  int delay = 0;
  int64_t last_time = 0;
  int64_t lag = 0;
};

TGIFPainter::TGIFPainter(TGIFPainter** reference, uint16_t flags, const plat::TRect& rect,
                         plat::TCanvas& canvas, TGIFImage& image)
    : owner_image_(&image),
      target_canvas_(canvas),
      target_rect_(rect),
      paint_flags_(flags),
      owner_reference_(reference),
      alive_(image.LivePainters()) {
  if (Threaded()) ++*alive_;
  FreeOnTerminate = true;
  OnTerminate = [this] { CleanUp(); };
  AnimationPace = image.AnimationPace;
  // Taken here, while the creator's canvas is surely alive, not later on the painter's thread.
  if (Has(paCheckCanvas)) target_dc_ = canvas.Liveness();
  Clock = image.PainterClock;
  if (Has(paThreaded) && Has(paAnimate) && FrameCount() > 1 && AnimationPace >= 0)
    wake_event_ = std::make_unique<plat::TAutoResetEvent>();
  background_ = BackgroundColour(image);
  SetUpBuffers(image);
  std::lock_guard lock(image.PainterLock());
  if (owner_reference_) *owner_reference_ = this;
  image.PainterList().push_back(this);
}

TGIFPainter::~TGIFPainter() {
  if (Threaded())
    --*alive_;
  else
    CleanUp();
}

bool TGIFPainter::Threaded() const {
  return Has(paThreaded);
}

plat::TColor TGIFPainter::BackgroundColour(TGIFImage& image) const {
  if (image.PaintBackground != kNoColor) return image.PaintBackground;
  if (image.GlobalColorMap().EntryCount() == 0) return plat::ColorToRGB(kWindowColour);
  return image.ScreenBackground();
}

void TGIFPainter::SetUpBuffers(TGIFImage& image) {
  std::set<int> disposals;
  for (int i = 0; i < image.Frames().ItemCount(); ++i)
    if (const auto* control = image.Frames().FrameAt(i)->ControlExtension())
      disposals.insert(KnownDisposal(control->DisposalMethod()));
  if (Has(paClearOnLoop)) disposals.insert(2);
  if (disposals.contains(2) && Has(paTransparent)) saved_background_ = CopyOfTarget();
  if (!disposals.contains(2) && !disposals.contains(3)) return;
  compose_buffer_ = CopyOfTarget();
  scratch_buffer_ = std::make_unique<plat::TBitmap>(target_rect_.Width(), target_rect_.Height(),
                                                    plat::TPixelFormat::pf24bit);
  for (plat::TBitmap* buffer : {compose_buffer_.get(), scratch_buffer_.get()}) {
    buffer->Canvas().Brush.Color = background_;
    buffer->Canvas().Brush.Style = plat::TBrushStyle::bsSolid;
  }
}

std::unique_ptr<plat::TBitmap> TGIFPainter::CopyOfTarget() const {
  auto copy = std::make_unique<plat::TBitmap>(target_rect_.Width(), target_rect_.Height(),
                                              plat::TPixelFormat::pf24bit);
  copy->Canvas().CopyRect({0, 0, target_rect_.Width(), target_rect_.Height()}, target_canvas_,
                          target_rect_);
  return copy;
}

void TGIFPainter::Start() {
  if (Threaded()) Resume();
}

void TGIFPainter::Stop() {
  Terminate();
  if (!Threaded()) return;
  if (wake_event_) wake_event_->Set();
  Priority = 3;
  Resume();
}

void TGIFPainter::CleanUp() {
  if (!owner_image_) return;
  {
    std::lock_guard lock(owner_image_->PainterLock());
    if (owner_reference_ && *owner_reference_ == this) *owner_reference_ = nullptr;
    std::erase(owner_image_->PainterList(), this);
    if (stored_exception_) owner_image_->KeepPainterFailure(stored_exception_);
    owner_image_ = nullptr;
  }
  compose_buffer_.reset();
  scratch_buffer_.reset();
  saved_background_.reset();
  wake_event_.reset();
}

TGIFSubImage& TGIFPainter::Frame(int index) const {
  return *owner_image_->Frames().FrameAt(index);
}

int TGIFPainter::FrameCount() const {
  return owner_image_->Frames().ItemCount();
}

void TGIFPainter::Execute() {
  try {
    if (!Terminated()) Run();
    ActiveFrame = -1;
    Fire(OnRunEnd);
  } catch (const plat::Exception&) {
    Terminate();
    stored_exception_ = std::current_exception();
  }
}

void TGIFPainter::Run() {
  ActiveFrame = 0;
  Fire(OnRunBegin);
  first_frame_shown_ = false;
  RunState state;
  state.delay = Threaded() ? 0 : 1;
  previous_disposal_ = 1;
  state.last_time = Clock->Milliseconds();
  while ((state.loops_left != 0 || Has(paLoopForever)) && !Terminated())
    if (!Pass(state)) return;
}

bool TGIFPainter::Pass(RunState& state) {
  ActiveFrame = state.loop_start;
  if (first_frame_shown_) Fire(OnLoopBegin);
  while (ActiveFrame >= 0 && ActiveFrame < FrameCount() && !Terminated() &&
         !Frame(ActiveFrame).IsEmpty()) {
    WaitBeforeFrame(state);
    if (Terminated()) break;
    Fire(OnFrameBegin);
    if (Terminated()) break;
    ScanExtensions(state, Frame(ActiveFrame));
    Synchronized([this] { PaintFrame(); });
    previous_disposal_ = current_disposal_;
    if (Terminated()) break;
    state.delay = NextDelay(Frame(ActiveFrame));
    const int shown = ActiveFrame;
    Fire(OnFrameDone);
    if (Terminated()) break;
    if (ActiveFrame == shown) ++ActiveFrame;
    if (!Has(paAnimate)) break;
  }
  if (state.loops_left > 0) --state.loops_left;
  return Has(paAnimate) && Has(paLoop);
}

void TGIFPainter::WaitBeforeFrame(RunState& state) {
  if (state.delay <= 0) return std::this_thread::yield();
  // Decoding is part of the frame's time, and stays on the thread that owns the frames.
  Synchronized([this] { Frame(ActiveFrame).RenderBitmap(); });
  const int64_t now = Clock->Milliseconds();
  if (AnimationPace > 0) {
    const int64_t wanted =
        int64_t{state.delay} * kDelayUnit - (now - state.last_time - state.lag) / 2;
    const int64_t limit = std::numeric_limits<int>::max() / 100;
    const bool fits = wanted >= -limit && wanted <= limit;
    state.delay = fits ? MulDiv(static_cast<int>(wanted), 100, AnimationPace) : kFallbackDelay;
    state.lag = fits ? state.delay : 0;
  } else {
    state.delay = Threaded() ? kWaitWithoutEnd : kFallbackDelay;
  }
  state.last_time = now;
  if (Threaded())
    WaitThreaded(state);
  else
    SleepWithMessages(state.delay);
}

void TGIFPainter::WaitThreaded(RunState& state) {
  if (!wake_event_ || (state.delay <= 0 && AnimationPace != 0)) return;
  if (!Clock->WaitForWake(*wake_event_, state.delay)) return;
  state.lag = 0;
  state.last_time = Clock->Milliseconds();
}

void TGIFPainter::SleepWithMessages(int delay) {
  delay = std::max(delay, 1);
  while (delay > 0 && !Terminated()) {
    const int64_t before = Clock->Milliseconds();
    Clock->Sleep(std::min(delay, kLongestSleep));
    delay -= static_cast<int>(Clock->Milliseconds() - before);
    plat::PumpMessagesFor(0);
  }
}

void TGIFPainter::ScanExtensions(RunState& state, TGIFSubImage& frame) {
  current_disposal_ = 1;
  TGIFExtensionList& extensions = frame.Extensions();
  for (int i = 0; i < extensions.ItemCount(); ++i) {
    TGIFExtension* extension = extensions.ItemAt(i);
    if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(extension); loop && !state.loop_seen) {
      state.loop_seen = true;
      const bool endless = (loop->LoopCount == 0 || Has(paLoopForever)) && Threaded();
      state.loops_left = endless ? -1 : loop->LoopCount;
      state.loop_start = ActiveFrame;
    } else if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension)) {
      current_disposal_ = KnownDisposal(control->DisposalMethod());
    }
  }
}

int TGIFPainter::NextDelay(TGIFSubImage& frame) const {
  const TGIFGraphicControlExtension* control = frame.ControlExtension();
  if (!control || control->DelayHundredths() == 0) return kDefaultDelay;
  const int delay = std::max(control->DelayHundredths(), kMinimumDelay);
  return Threaded() ? delay : std::min(delay, kMaximumDelay);
}

void TGIFPainter::Synchronized(const std::function<void()>& call) {
  if (Terminated()) return;
  if (Threaded())
    Synchronize(call);
  else
    call();
}

void TGIFPainter::Fire(const TPainterEvent& event) {
  if (!event) return;
  Synchronized([&] { event(*this); });
}

void TGIFPainter::PaintFrame() {
  // Painting straight onto the target needs the same guard as composing: both write into it.
  if (TargetGone()) return Terminate();
  TGIFSubImage& frame = Frame(ActiveFrame);
  if (compose_buffer_)
    PaintComposed(frame);
  else
    PaintDirect(frame);
  first_frame_shown_ = true;
  owner_image_->PainterShowed(target_canvas_);
}

bool TGIFPainter::TargetGone() const {
  return Has(paCheckCanvas) && target_dc_.expired();
}

void TGIFPainter::PaintDirect(TGIFSubImage& frame) {
  frame.Draw(target_canvas_, target_rect_, Has(paTile), Has(paTransparent));
}

void TGIFPainter::PaintComposed(TGIFSubImage& frame) {
  const bool clear_first = Has(paClearOnLoop) && ActiveFrame == 0;
  const plat::TRect whole{0, 0, target_rect_.Width(), target_rect_.Height()};
  const bool keep_composition = current_disposal_ == 3;
  if (keep_composition && previous_disposal_ < 2) {
    if (clear_first) ClearFrameArea(frame);
    return PaintDirect(frame);
  }
  plat::TBitmap& drawn = keep_composition ? *scratch_buffer_ : *compose_buffer_;
  if (keep_composition) drawn.Canvas().CopyRect(whole, compose_buffer_->Canvas(), whole);
  if (clear_first) ClearFrameArea(frame);
  frame.Draw(drawn.Canvas(), whole, Has(paTile), Has(paTransparent));
  Show(drawn.Canvas());
  if (current_disposal_ == 2) ClearFrameArea(frame);
}

void TGIFPainter::Show(plat::TCanvas& source) {
  const plat::TCopyMode mode = target_canvas_.CopyMode;
  target_canvas_.CopyMode = plat::TCopyMode::cmSrcCopy;
  target_canvas_.CopyRect(target_rect_, source,
                          {0, 0, target_rect_.Width(), target_rect_.Height()});
  target_canvas_.CopyMode = mode;
}

void TGIFPainter::ClearFrameArea(TGIFSubImage& frame) {
  // The buffers hold the target rectangle from their own origin, so areas are measured there.
  const plat::TRect whole{0, 0, target_rect_.Width(), target_rect_.Height()};
  plat::TCanvas& canvas = compose_buffer_->Canvas();
  const auto clear = [&](const plat::TRect& area) {
    if (Has(paTransparent) && saved_background_)
      canvas.CopyRect(area, saved_background_->Canvas(), area);
    else
      canvas.FillRect(area);
  };
  if (!Has(paTile)) return clear(frame.MapToTarget(whole));
  ForEachTile(whole, 0, 0, owner_image_->GetWidth(), owner_image_->GetHeight(),
              [&](int x, int y) { clear(Offset(frame.BoundsRect(), x, y)); });
}

}  // namespace pictavo
