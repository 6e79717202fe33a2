#include "app/output/players/screensaver/saver_lock.h"

#include "app/output/players/support/player_support.h"

namespace players::screensaver {

SaverLock::SaverLock(const QString& own_file)
    : running_(PlayerLockPath(own_file)),
      preview_(PlayerLockPath(own_file + QStringLiteral("-preview"))) {}

bool SaverLock::Free(QLockFile& lock) {
  if (!lock.tryLock(0)) return false;
  lock.unlock();
  return true;
}

bool SaverLock::Acquire(SaverMode mode) {
  switch (mode) {
    case SaverMode::kFullScreen:
      return running_.tryLock(0);
    case SaverMode::kPreview:
      return Free(running_) && preview_.tryLock(0);
    case SaverMode::kConfigure:
      return Free(preview_) && running_.tryLock(0);
    case SaverMode::kEnd:
      return false;
  }
  return false;
}

}  // namespace players::screensaver
