#pragma once
// The scanning part of the view control: the settings a host may make before scanning is set up
// (they survive UnloadTwain and reach every new TicTwain), the lazily created TicTwain, and the
// answers each scanning member gives when scanning is not available.
#include <functional>
#include <memory>
#include <string>

#include "control/engine/twain/ictwain.h"

namespace pictavo {

class TScanning {
 public:
  struct Events {
    std::function<void(std::unique_ptr<TicBitmap>)> ImageAcquired;
    std::function<void()> Cancelled, Finished;
  };
  // app_name is the view's kept TwainAppName; design_mode works the host's mode out again.
  TScanning(std::string& app_name, std::function<bool()> design_mode, Events events);
  ~TScanning();

  // Sets scanning up unless in design mode (or refreshes the source list when it is); false
  // when there is no TicTwain afterwards.
  bool EnsureTwain();
  bool TwainLoaded() const { return twain_ != nullptr; }
  void UnloadTwain();

  // The answer of a TicTwain operation after setting scanning up, or fallback without one.
  template <class T, class Op, class... Args>
  T Loaded(T fallback, Op op, Args... args) {
    return EnsureTwain() ? static_cast<T>(std::invoke(op, *twain_, args...)) : fallback;
  }
  // Runs a TicTwain operation only when scanning is already set up.
  template <class Op, class... Args>
  void IfLoaded(Op op, Args... args) {
    if (twain_) std::invoke(op, *twain_, args...);
  }

  void Acquire();
  bool WaitForAcquire = true;

  int32_t CurrentTwainDevice();
  void SetCurrentTwainDevice(int32_t index);
  bool UseTwainInterface();
  void SetUseTwainInterface(bool value);
  bool ShowTwainProgress();
  void SetShowTwainProgress(bool value);
  bool UseADF();
  void SetUseADF(bool value);
  bool TwainMultiImage();
  void SetTwainMultiImage(bool value);
  int32_t TwainImagesToRead();
  void SetTwainImagesToRead(int32_t value);
  std::string TwainAppName() const;
  void SetTwainAppName(const std::string& name);

 private:
  void PushSettings();

  std::string& app_name_;
  std::function<bool()> design_mode_;
  Events events_;
  std::unique_ptr<TicTwain> twain_;
  int32_t current_device_ = -1;
  bool use_interface_ = true;
  bool show_progress_ = false;
  bool use_adf_ = false;
  bool multi_image_ = false;
  int32_t images_to_read_ = 0;
  // Expires with this object, so a wait loop notices that a handler destroyed the control.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace pictavo
