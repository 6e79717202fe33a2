// The image's side of its animations: creating painters, waiting for them, and stopping them
// whenever the frames, the size or the colours change.
#include <algorithm>
#include <thread>

#include "control/formats/gif/gif_image.h"
#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

// Lets a threaded painter finish its step that waits for this thread.
void ServePainters() {
  if (!plat::CheckSynchronize()) std::this_thread::yield();
}

const char* FailureMessage(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "";
  }
}

}  // namespace

void TGIFImage::Changed() {
  if (OnChange) OnChange(*this);
}

void TGIFImage::DropRenderedBitmap() {
  StopActivePainter();
}

TGIFPainter* TGIFImage::ActivePainter() {
  std::lock_guard lock(painter_lock_);
  return active_painter_;
}

TGIFPainter* TGIFImage::CreatePainter(TGIFPainter** reference, plat::TCanvas& canvas,
                                      uint16_t flags, const plat::TRect& rect) {
  if (GetEmpty() || rect.IsEmpty()) {
    if (reference) *reference = nullptr;
    return nullptr;
  }
  if (frames_.ItemCount() == 1) flags &= ~(paThreaded | paAnimate);
  auto painter = std::make_unique<TGIFPainter>(reference, flags, rect, canvas, *this);
  painter->OnRunBegin = OnRunBegin;
  painter->OnLoopBegin = OnLoopBegin;
  painter->OnFrameBegin = OnFrameBegin;
  painter->OnFrameDone = OnFrameDone;
  painter->OnRunEnd = OnRunEnd;
  if (flags & paThreaded) {
    painter->Priority = PainterPriority;
    return painter.release();  // frees itself when its thread ends
  }
  painter->Execute();
  painter.reset();
  RaisePainterFailure();
  return nullptr;
}

void TGIFImage::DrawAnimation(plat::TCanvas& canvas, const plat::TRect& rect) {
  std::unique_lock lock(painter_lock_);
  if (active_painter_ && active_canvas_ == &canvas && active_rect_ == rect) return;
  lock.unlock();
  StopActivePainter();
  lock.lock();
  const bool direct = PaintFlags & paDirect;
  plat::TCanvas& target = direct ? canvas : PrepareRenderedBitmap(canvas, rect);
  const plat::TRect target_rect = direct ? rect : plat::TRect{0, 0, GetWidth(), GetHeight()};
  TGIFPainter* painter = CreatePainter(&active_painter_, target, PaintFlags, target_rect);
  active_canvas_ = &canvas;
  active_rect_ = rect;
  if (painter) painter->Start();
  lock.unlock();
  if (direct) return;
  if (painter) WaitForFirstFrame();
  if (rendered_bitmap_) LayOutRenderedBitmap(canvas, rect);
}

plat::TCanvas& TGIFImage::PrepareRenderedBitmap(plat::TCanvas& canvas, const plat::TRect& rect) {
  rendered_bitmap_ =
      std::make_unique<plat::TBitmap>(GetWidth(), GetHeight(), plat::TPixelFormat::pf24bit);
  // The animation starts on what the canvas shows already.
  rendered_bitmap_->Canvas().CopyRect({0, 0, GetWidth(), GetHeight()}, canvas, rect);
  return rendered_bitmap_->Canvas();
}

void TGIFImage::WaitForFirstFrame() {
  for (;;) {
    {
      std::lock_guard lock(painter_lock_);
      if (!active_painter_ || active_painter_->FirstFrameShown()) break;
    }
    ServePainters();
  }
  RaisePainterFailure();
}

void TGIFImage::PainterShowed(plat::TCanvas& canvas) {
  if (rendered_bitmap_ && &canvas == &rendered_bitmap_->Canvas()) Changed();
}

void TGIFImage::StopActivePainter() {
  for (;;) {
    std::unique_lock lock(painter_lock_);
    TGIFPainter* painter = active_painter_;
    if (!painter) break;
    painter->Stop();
    if (!(painter->PaintFlags() & paThreaded)) break;
    lock.unlock();
    ServePainters();
  }
  JoinEndedPainters();
  rendered_bitmap_.reset();
  RaisePainterFailure();
}

void TGIFImage::JoinEndedPainters() {
  // An ended painter's thread is joined and freed on this thread; only then is it gone.
  for (;;) {
    {
      std::lock_guard lock(painter_lock_);
      const auto listed =
          std::count_if(painter_list_.begin(), painter_list_.end(),
                        [](TGIFPainter* p) { return p->PaintFlags() & paThreaded; });
      if (*live_painters_ <= listed) return;
    }
    ServePainters();
  }
}

void TGIFImage::StopAllPainters() {
  StopPainters(true);
}

void TGIFImage::StopPainters(bool may_raise) {
  for (;;) {
    std::unique_lock lock(painter_lock_);
    if (painter_list_.empty()) break;
    int threaded = 0;
    for (TGIFPainter* painter : painter_list_) {
      painter->Stop();
      if (painter->PaintFlags() & paThreaded) ++threaded;
    }
    lock.unlock();
    if (threaded == 0) break;
    ServePainters();
  }
  JoinEndedPainters();
  rendered_bitmap_.reset();
  if (may_raise) RaisePainterFailure();
}

void TGIFImage::KeepPainterFailure(std::exception_ptr failure) {
  std::lock_guard lock(painter_lock_);
  painter_failure_ = std::move(failure);
}

void TGIFImage::RaisePainterFailure() {
  std::exception_ptr failure;
  {
    std::lock_guard lock(painter_lock_);
    failure.swap(painter_failure_);
  }
  if (failure) std::rethrow_exception(failure);
}

void TGIFImage::ReportPainterFailure() {
  std::exception_ptr failure;
  failure.swap(painter_failure_);
  if (failure) ReportWarning(this, 0, FailureMessage(failure));
}

}  // namespace pictavo
