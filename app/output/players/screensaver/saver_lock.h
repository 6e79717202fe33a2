#pragma once
// Only one copy of a screensaver runs, except that a full-screen start may run beside a preview
// (the host previews while the screensaver itself comes on). The lock a copy holds records its
// mode: previews hold one lock file, every other copy the other.
#include <QLockFile>
#include <QString>

#include "app/output/players/screensaver/saver_command.h"

namespace players::screensaver {

class SaverLock {
 public:
  explicit SaverLock(const QString& own_file);
  // Takes the lock of `mode`; false when the rule above refuses this copy.
  bool Acquire(SaverMode mode);

 private:
  static bool Free(QLockFile& lock);

  QLockFile running_;
  QLockFile preview_;
};

}  // namespace players::screensaver
