#pragma once
// The data source manager behind the scanning logic: one entry point taking origin, destination,
// data group, data argument type, message and data, as TWAIN's manager library offers it.
// Creating a manager stands for loading that library: SANE's, unless a test installs another
// backend. A backend that gives no manager stands for the missing library, and the scanning logic
// then answers its defaults.
//
// A source talks back by posting source messages to the parent window the application handed
// over with MSG_OPENDSM (a QObject*). They arrive on that window's thread from the event loop,
// and the application passes each one back to the manager with MSG_PROCESSEVENT.
#include <QEvent>
#include <QObject>
#include <functional>
#include <memory>

#include "platform/scan/twain_types.h"

namespace plat::scan {

class TSourceManager {
 public:
  virtual ~TSourceManager() = default;
  virtual TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                          TW_UINT16 data_type, TW_UINT16 message, void* data) = 0;
};

using TSourceManagerFactory = std::function<std::unique_ptr<TSourceManager>()>;

// Installs the backend that LoadSourceManager creates (an empty factory restores SANE's).
void SetSourceManagerFactory(TSourceManagerFactory factory);
// A new manager of the installed backend; nullptr for the missing library.
std::unique_ptr<TSourceManager> LoadSourceManager();

// A message a source posts to the application's parent window.
class TSourceMessage : public QEvent {
 public:
  explicit TSourceMessage(int32_t code) : QEvent(Type()), code_(code) {}
  int32_t Code() const { return code_; }
  static QEvent::Type Type();

 private:
  int32_t code_;
};

// Queues a source message for window (delivered from its thread's event loop).
void PostSourceMessage(QObject* window, int32_t code);

}  // namespace plat::scan
