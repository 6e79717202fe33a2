#pragma once
// Shows a GIF image's frames on a canvas: once, or as an animation with the frames' delays,
// disposal methods and loop count, either inside the caller's Draw or on a thread of its own.
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "platform/base/thread.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace pictavo {

class TGIFImage;
class TGIFSubImage;
class TGIFPainter;

using TPainterEvent = std::function<void(TGIFPainter& sender)>;

// The painter's sense of time: the millisecond clock, the wait between frames of a threaded
// painter and the sleeps of one running inside Draw.
class TPainterClock {
 public:
  virtual ~TPainterClock() = default;
  virtual int64_t Milliseconds() = 0;
  // Whether the event (not the time) ended the wait; a negative time waits without end.
  virtual bool WaitForWake(plat::TAutoResetEvent& event, int milliseconds) = 0;
  virtual void Sleep(int milliseconds) = 0;
};

// The steady clock and real waits.
std::shared_ptr<TPainterClock> SteadyPainterClock();

// Milliseconds per stored hundredth of a second at pace 100, and the delays in hundredths.
constexpr int kDelayUnit = 12;
constexpr int kDefaultDelay = 10;
constexpr int kMinimumDelay = 3;
constexpr int kMaximumDelay = 1000;

class TGIFPainter : public plat::TThread {
 public:
  // Registers itself with the image and in reference; buffers are made for the frames'
  // disposal methods, from what the canvas shows in rect.
  TGIFPainter(TGIFPainter** reference, uint16_t flags, const plat::TRect& rect,
              plat::TCanvas& canvas, TGIFImage& image);
  ~TGIFPainter() override;

  // Runs the thread of a threaded painter; the creator runs any other one through Execute.
  void Start();
  // Ends the run at its next check.
  void Stop();
  void Execute() override;

  TGIFImage* OwnerImage() const { return owner_image_; }
  plat::TCanvas& TargetCanvas() const { return target_canvas_; }
  const plat::TRect& TargetRect() const { return target_rect_; }
  uint16_t PaintFlags() const { return paint_flags_; }
  int AnimationPace = 100;
  // The frame shown; -1 outside a run. An OnFrameDone handler may set it to jump.
  int ActiveFrame = -1;
  bool FirstFrameShown() const { return first_frame_shown_; }
  std::shared_ptr<TPainterClock> Clock;
  TPainterEvent OnRunBegin, OnFrameBegin, OnFrameDone, OnLoopBegin, OnRunEnd;

 private:
  struct RunState;
  void Run();
  bool Pass(RunState& state);
  void WaitBeforeFrame(RunState& state);
  void WaitThreaded(RunState& state);
  void SleepWithMessages(int delay);
  void ScanExtensions(RunState& state, TGIFSubImage& frame);
  int NextDelay(TGIFSubImage& frame) const;
  void Synchronized(const std::function<void()>& call);
  void Fire(const TPainterEvent& event);
  void PaintFrame();
  bool TargetGone() const;
  void PaintDirect(TGIFSubImage& frame);
  void PaintComposed(TGIFSubImage& frame);
  void ClearFrameArea(TGIFSubImage& frame);
  void Show(plat::TCanvas& source);
  void SetUpBuffers(TGIFImage& image);
  plat::TColor BackgroundColour(TGIFImage& image) const;
  std::unique_ptr<plat::TBitmap> CopyOfTarget() const;
  TGIFSubImage& Frame(int index) const;
  int FrameCount() const;
  void CleanUp();
  bool Threaded() const;
  bool Has(uint16_t flag) const { return (paint_flags_ & flag) != 0; }

  TGIFImage* owner_image_;
  plat::TCanvas& target_canvas_;
  plat::TRect target_rect_;
  uint16_t paint_flags_;
  // With paCheckCanvas: expires when the target canvas is destroyed.
  std::weak_ptr<const void> target_dc_;
  int current_disposal_ = 1;
  int previous_disposal_ = 1;
  std::unique_ptr<plat::TBitmap> compose_buffer_, scratch_buffer_, saved_background_;
  std::atomic<bool> first_frame_shown_{false};
  TGIFPainter** owner_reference_;
  std::unique_ptr<plat::TAutoResetEvent> wake_event_;
  plat::TColor background_ = 0;
  std::exception_ptr stored_exception_;
  // The image's count of threaded painters not yet freed.
  std::shared_ptr<std::atomic<int>> alive_;
};

}  // namespace pictavo
