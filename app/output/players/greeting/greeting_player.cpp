#include "app/output/players/greeting/greeting_player.h"

#include <QApplication>
#include <QFileInfo>
#include <QLockFile>

#include "app/output/players/fireworks/sound_player.h"
#include "app/output/players/greeting/greeting_window.h"
#include "app/output/players/support/player_support.h"

namespace players::greeting {

int RunGreeting(const QString& own_file) {
  QLockFile lock(PlayerLockPath(own_file));
  if (!lock.tryLock(0)) return 0;
  const QFileInfo file(own_file);
  const QString fault =
      file.fileName() + QStringLiteral(": the greeting's picture cannot be shown: ");
  const std::unique_ptr<OwnPackage> package =
      OpenOwnPackage(own_file, output::package::PackageKind::kImages, QStringLiteral("greeting"),
                     file.completeBaseName(), fault);
  if (!package) return 1;
  QImage picture;
  try {
    picture = DecodeJpeg(package->Reader().Entry(0));
  } catch (const std::exception& e) {
    FaultBox(file.completeBaseName(), fault + QString::fromStdString(e.what()))->exec();
    return 1;
  }
  fireworks::SoundPlayer sound(fireworks::SoundPlayer::FireworkSound());
  GreetingWindow window(picture, [&sound] { sound.Play(); });
  window.setWindowTitle(file.fileName());
  window.show();
  return QApplication::exec();
}

}  // namespace players::greeting
