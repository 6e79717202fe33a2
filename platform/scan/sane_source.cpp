#include "platform/scan/sane_source.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cstring>

#include "platform/graphics/handles.h"
#include "platform/scan/source_manager.h"

namespace plat::scan {

namespace {

constexpr TW_UINT16 kUnknownPending = 0xFFFF;  // -1: more pages, how many is not known

}  // namespace

std::unique_ptr<TSaneSource> TSaneSource::Open(const std::string& device, const std::string& title,
                                               QObject* parent) {
  SANE_Handle handle = nullptr;
  if (sane_open(device.c_str(), &handle) != SANE_STATUS_GOOD || !handle) return nullptr;
  return std::unique_ptr<TSaneSource>(new TSaneSource(handle, title, parent));
}

TSaneSource::TSaneSource(SANE_Handle handle, const std::string& title, QObject* parent)
    : handle_(handle),
      title_(title),
      parent_(parent),
      options_(handle),
      capabilities_(options_),
      receiver_(std::make_unique<QObject>()) {}

TSaneSource::~TSaneSource() {
  Disable();
  sane_close(handle_);
}

bool TSaneSource::Reading() const {
  return reader_ && reader_->Phase() != TPageReader::TPhase::kDone;
}

TW_UINT16 TSaneSource::Capability(TW_UINT16 message, TW_CAPABILITY& capability) {
  // The backend is busy with the reader's thread: its options wait for the page.
  if (Reading()) return TWRC_FAILURE;
  if (message == MSG_GET) return capabilities_.Get(capability);
  if (message == MSG_SET) return capabilities_.Set(capability);
  return TWRC_FAILURE;
}

TW_UINT16 TSaneSource::Layout(TW_UINT16 message, TW_IMAGELAYOUT& layout) {
  if (Reading()) return TWRC_FAILURE;
  if (message == MSG_GET) return capabilities_.GetLayout(layout);
  if (message == MSG_SET) return capabilities_.SetLayout(layout);
  return TWRC_FAILURE;
}

TW_UINT16 TSaneSource::Enable(const TW_USERINTERFACE& ui) {
  if (enabled_) return TWRC_FAILURE;
  enabled_ = true;
  if (!ui.ShowUI) {
    StartScanning();
    return TWRC_SUCCESS;
  }
  dialog_ = std::make_unique<TSourceDialog>(
      options_, QString::fromStdString(title_), nullptr, [this] { StartScanning(); },
      [this] { PostSourceMessage(parent_, MSG_CLOSEDSREQ); });
  if (ui.ModalUI) dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->show();
  return TWRC_SUCCESS;
}

TW_UINT16 TSaneSource::Disable() {
  dialog_.reset();
  FinishScanning();
  enabled_ = false;
  announce_ready_ = false;
  more_pages_ = false;
  return TWRC_SUCCESS;
}

TW_UINT16 TSaneSource::ProcessEvent(TW_EVENT& event) {
  auto* message = static_cast<QEvent*>(event.pEvent);
  if (!enabled_ || !message || message->type() != TSourceMessage::Type()) return TWRC_NOTDSEVENT;
  event.TWMessage = static_cast<TW_UINT16>(static_cast<TSourceMessage*>(message)->Code());
  return TWRC_DSEVENT;
}

void TSaneSource::StartScanning() {
  announce_ready_ = true;
  more_pages_ = capabilities_.FeederSelected();
  StartPage();
}

void TSaneSource::StartPage() {
  scanning_ = true;
  QObject* receiver = receiver_.get();
  reader_ = std::make_unique<TPageReader>(
      handle_, capabilities_.XDpi(), capabilities_.YDpi(), [this, receiver] {
        QMetaObject::invokeMethod(
            receiver, [this] { OnReaderChanged(); }, Qt::QueuedConnection);
      });
  if (!capabilities_.Indicators()) return;
  progress_ = std::make_unique<QProgressDialog>(QStringLiteral("Scanning..."),
                                                QStringLiteral("Cancel"), 0, 0);
  progress_->setWindowTitle(QString::fromStdString(title_));
  progress_->setObjectName(QStringLiteral("scanProgress"));
  progress_->setAutoReset(false);
  progress_->setAutoClose(false);
  progress_->setMinimumDuration(0);
  QObject::connect(progress_.get(), &QProgressDialog::canceled, receiver, [this] {
    if (reader_) reader_->Cancel();
  });
  progress_->show();
}

void TSaneSource::OnReaderChanged() {
  if (!reader_) return;
  UpdateProgress();
  if (reader_->Phase() != TPageReader::TPhase::kDone) return;
  progress_.reset();
  if (!announce_ready_) return;
  announce_ready_ = false;
  PostSourceMessage(parent_, MSG_XFERREADY);
}

void TSaneSource::UpdateProgress() {
  if (!progress_) return;
  int64_t held = 0, expected = 0;
  reader_->Progress(held, expected);
  if (expected <= 0) {
    progress_->setRange(0, 0);
    return;
  }
  progress_->setRange(0, 1000);
  progress_->setValue(static_cast<int>(std::min<int64_t>(held * 1000 / expected, 1000)));
}

void TSaneSource::WaitFor(const std::function<bool()>& ready) {
  // Every change of the reader posts to the receiver, so each wait ends with the change it needs.
  while (!ready()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

TW_UINT16 TSaneSource::NativeTransfer(TW_HANDLE& handle) {
  if (!enabled_ || !scanning_ || announce_ready_) return TWRC_FAILURE;
  if (!reader_) {
    if (!more_pages_) return TWRC_FAILURE;
    StartPage();
  }
  WaitFor([this] { return reader_->Phase() == TPageReader::TPhase::kDone; });
  const SANE_Status status = reader_->Status();
  const std::vector<uint8_t> dib = reader_->TakeDib();
  reader_.reset();
  progress_.reset();
  if (status != SANE_STATUS_GOOD) {
    // A jam, an error or an empty feeder ends the batch.
    more_pages_ = false;
    return status == SANE_STATUS_CANCELLED ? TWRC_CANCEL : TWRC_FAILURE;
  }
  handle = NewMemoryHandle(static_cast<int64_t>(dib.size()));
  std::memcpy(MemoryOfHandle(handle)->data(), dib.data(), dib.size());
  return TWRC_XFERDONE;
}

TW_UINT16 TSaneSource::EndTransfer(TW_PENDINGXFERS& pending) {
  if (!enabled_) return TWRC_FAILURE;
  if (more_pages_ && capabilities_.HasPageSensor()) {
    more_pages_ = capabilities_.PageLoaded();
  } else if (more_pages_ && !reader_) {
    // Without a sensor only starting the next page tells whether the feeder holds one.
    StartPage();
    WaitFor([this] { return reader_->Phase() != TPageReader::TPhase::kStarting; });
    if (reader_->StartStatus() == SANE_STATUS_NO_DOCS) more_pages_ = false;
  }
  return Pending(pending, more_pages_);
}

TW_UINT16 TSaneSource::ResetTransfers(TW_PENDINGXFERS& pending) {
  more_pages_ = false;
  return Pending(pending, false);
}

TW_UINT16 TSaneSource::Pending(TW_PENDINGXFERS& pending, bool more) {
  if (!more) FinishScanning();
  pending.Count = more ? kUnknownPending : 0;
  return TWRC_SUCCESS;
}

void TSaneSource::FinishScanning() {
  progress_.reset();
  reader_.reset();
  if (scanning_) sane_cancel(handle_);
  scanning_ = false;
}

}  // namespace plat::scan
