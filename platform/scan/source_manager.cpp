#include "platform/scan/source_manager.h"

#include <QCoreApplication>

#include "platform/scan/sane_source_manager.h"

namespace plat::scan {

namespace {

TSourceManagerFactory& InstalledFactory() {
  static TSourceManagerFactory factory = SaneSourceManagerFactory();
  return factory;
}

}  // namespace

void SetSourceManagerFactory(TSourceManagerFactory factory) {
  InstalledFactory() = factory ? std::move(factory) : SaneSourceManagerFactory();
}

std::unique_ptr<TSourceManager> LoadSourceManager() {
  return InstalledFactory()();
}

QEvent::Type TSourceMessage::Type() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostSourceMessage(QObject* window, int32_t code) {
  QCoreApplication::postEvent(window, new TSourceMessage(code));
}

}  // namespace plat::scan
