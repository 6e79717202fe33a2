#pragma once
// Where a program keeps the lock file that lets only one copy of it run.
#include <QString>

namespace plat {

// The lock file `name`.lock in $XDG_RUNTIME_DIR, or, where that is unset, in the folder
// `cache_folder` of the user's cache folder (created when missing).
QString InstanceLockPath(const QString& cache_folder, const QString& name);

}  // namespace plat
