#include "platform/base/instance_lock.h"

#include <QDir>
#include <QStandardPaths>

namespace plat {

QString InstanceLockPath(const QString& cache_folder, const QString& name) {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty())
    folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
             QLatin1Char('/') + cache_folder;
  QDir().mkpath(folder);
  return folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

}  // namespace plat
