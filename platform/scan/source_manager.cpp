#include "platform/scan/source_manager.h"

#include <QCoreApplication>

namespace plat::scan {

namespace {

TSourceManagerFactory& InstalledFactory() {
  static TSourceManagerFactory factory;
  return factory;
}

}  // namespace

void SetSourceManagerFactory(TSourceManagerFactory factory) {
  InstalledFactory() = std::move(factory);
}

std::unique_ptr<TSourceManager> LoadSourceManager() {
  const auto& factory = InstalledFactory();
  return factory ? factory() : nullptr;
}

QEvent::Type TSourceMessage::Type() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostSourceMessage(QObject* window, int32_t code) {
  QCoreApplication::postEvent(window, new TSourceMessage(code));
}

}  // namespace plat::scan
