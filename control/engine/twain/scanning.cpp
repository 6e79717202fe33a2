#include "control/engine/twain/scanning.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace pictavo {

TScanning::TScanning(std::string& app_name, std::function<bool()> design_mode, Events events)
    : app_name_(app_name), design_mode_(std::move(design_mode)), events_(std::move(events)) {}

TScanning::~TScanning() {
  TicTwain::Release(std::move(twain_));
}

bool TScanning::EnsureTwain() {
  const bool design_mode = design_mode_();
  if (twain_) {
    twain_->RefreshSources();
    return true;
  }
  if (design_mode) return false;
  twain_ = std::make_unique<TicTwain>();
  PushSettings();
  return true;
}

void TScanning::PushSettings() {
  TicTwain& t = *twain_;
  t.ShowInterface = use_interface_;
  t.ShowProgress = show_progress_;
  t.OnImageAcquired = [this](TicTwain& twain) {
    // The list holds the newest transfer only, so the image of index 1 is the one just made.
    if (const TicBitmap* image = twain.AcquiredImage())
      events_.ImageAcquired(std::make_unique<TicBitmap>(*image));
  };
  t.OnAcquireCancel = [this](TicTwain&) { events_.Cancelled(); };
  t.OnAcquireFinish = [this](TicTwain&) { events_.Finished(); };
  t.SetCurrentDevice(current_device_);
  t.SetAppName(app_name_);
  t.SetUseADF(use_adf_);
  t.MultiImage = multi_image_;
  t.SetImagesToRead(images_to_read_);
  t.SetImageIndex(1);
}

void TScanning::UnloadTwain() {
  TicTwain::Release(std::move(twain_));
}

void TScanning::Acquire() {
  if (!EnsureTwain()) return;
  twain_->Acquire();
  if (!WaitForAcquire) return;
  const std::weak_ptr<bool> alive = alive_;
  while (twain_ && !twain_->Finished()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (alive.expired()) return;  // a handler destroyed the control
  }
}

int32_t TScanning::CurrentTwainDevice() {
  if (twain_) current_device_ = twain_->DeviceIndex();
  return current_device_;
}

void TScanning::SetCurrentTwainDevice(int32_t index) {
  if (!EnsureTwain() || index < -1 || index >= twain_->GetDeviceCount()) return;
  current_device_ = index;
  twain_->SetCurrentDevice(index);
}

bool TScanning::UseTwainInterface() {
  return Loaded(use_interface_, &TicTwain::ShowInterface);
}
void TScanning::SetUseTwainInterface(bool value) {
  use_interface_ = value;
  if (twain_) twain_->ShowInterface = value;
}
bool TScanning::ShowTwainProgress() {
  return Loaded(show_progress_, &TicTwain::ShowProgress);
}
void TScanning::SetShowTwainProgress(bool value) {
  show_progress_ = value;
  if (twain_) twain_->ShowProgress = value;
}
bool TScanning::UseADF() {
  return Loaded(use_adf_, &TicTwain::GetUseADF);
}
void TScanning::SetUseADF(bool value) {
  use_adf_ = value;
  IfLoaded(&TicTwain::SetUseADF, value);
}
bool TScanning::TwainMultiImage() {
  return Loaded(multi_image_, &TicTwain::MultiImage);
}
void TScanning::SetTwainMultiImage(bool value) {
  multi_image_ = value;
  if (twain_) twain_->MultiImage = value;
}
int32_t TScanning::TwainImagesToRead() {
  return Loaded(images_to_read_, &TicTwain::ImagesToRead);
}
void TScanning::SetTwainImagesToRead(int32_t value) {
  images_to_read_ = value;
  IfLoaded(&TicTwain::SetImagesToRead, value);
}
std::string TScanning::TwainAppName() const {
  return twain_ ? twain_->GetAppName() : app_name_;
}
void TScanning::SetTwainAppName(const std::string& name) {
  app_name_ = name;
  IfLoaded(&TicTwain::SetAppName, name);
}

}  // namespace pictavo
