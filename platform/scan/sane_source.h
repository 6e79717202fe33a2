#pragma once
// One open SANE device acting as a TWAIN data source: its capabilities, its dialog, the pages
// read on a worker thread, and the native transfers that hand them over. Runs on the thread of
// the application's parent window; only the page reader's thread calls sane_start and sane_read.
#include <QObject>
#include <QProgressDialog>
#include <functional>
#include <memory>
#include <string>

#include "platform/scan/sane_capabilities.h"
#include "platform/scan/sane_dialogs.h"
#include "platform/scan/sane_options.h"
#include "platform/scan/sane_page_reader.h"

namespace plat::scan {

class TSaneSource {
 public:
  // Opens the device; nullptr when SANE refuses. parent receives the source's messages.
  static std::unique_ptr<TSaneSource> Open(const std::string& device, const std::string& title,
                                           QObject* parent);
  // Cancels a page still being read and waits for its thread before closing the device.
  ~TSaneSource();
  TSaneSource(const TSaneSource&) = delete;
  TSaneSource& operator=(const TSaneSource&) = delete;

  TW_UINT16 Capability(TW_UINT16 message, TW_CAPABILITY& capability);
  TW_UINT16 Layout(TW_UINT16 message, TW_IMAGELAYOUT& layout);
  TW_UINT16 Enable(const TW_USERINTERFACE& ui);
  TW_UINT16 Disable();
  TW_UINT16 ProcessEvent(TW_EVENT& event);
  TW_UINT16 NativeTransfer(TW_HANDLE& handle);
  TW_UINT16 EndTransfer(TW_PENDINGXFERS& pending);
  TW_UINT16 ResetTransfers(TW_PENDINGXFERS& pending);
  // A page is being read: the backend belongs to the reader's thread meanwhile.
  bool Reading() const;

 private:
  TSaneSource(SANE_Handle handle, const std::string& title, QObject* parent);

  void StartScanning();
  void StartPage();
  void OnReaderChanged();
  void UpdateProgress();
  void WaitFor(const std::function<bool()>& ready);
  // Ends the scan: cancels a page still being read, joins its thread, and lets the backend
  // know the batch is over.
  void FinishScanning();
  TW_UINT16 Pending(TW_PENDINGXFERS& pending, bool more);

  SANE_Handle handle_;
  std::string title_;
  QObject* parent_;
  TSaneOptions options_;
  TSaneCapabilities capabilities_;
  // Lives on the parent's thread: the reader's changes arrive through it.
  std::unique_ptr<QObject> receiver_;
  std::unique_ptr<TSourceDialog> dialog_;
  std::unique_ptr<QProgressDialog> progress_;
  std::unique_ptr<TPageReader> reader_;
  bool enabled_ = false;
  bool scanning_ = false;        // sane_start was called since the last sane_cancel
  bool announce_ready_ = false;  // the first page of the scan is not announced yet
  bool more_pages_ = false;      // the feeder may hold another page
};

}  // namespace plat::scan
