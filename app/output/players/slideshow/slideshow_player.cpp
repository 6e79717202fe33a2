#include "app/output/players/slideshow/slideshow_player.h"

#include <QApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QMessageBox>
#include <QScreen>

#include "app/output/players/slideshow/slideshow_command.h"
#include "app/output/players/slideshow/slideshow_window.h"
#include "app/output/players/support/player_support.h"

namespace players::slideshow {

namespace {

int ShowFault(const QString& title, const QString& text) {
  FaultBox(title, text)->exec();
  return 1;
}

int Configure() {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Config"),
                  QStringLiteral("No Configurations Can Be Made."), QMessageBox::Ok);
  box.exec();
  return 0;
}

int Show(const QString& own_file) {
  const QString title = QFileInfo(own_file).completeBaseName();
  const std::unique_ptr<OwnPackage> package = OpenOwnPackage(
      own_file, output::package::PackageKind::kSlideShow, QStringLiteral("slide show"), title,
      QFileInfo(own_file).fileName() + QStringLiteral(": "));
  if (!package) return 1;
  SlideShowWindow window(package->Reader(), QApplication::primaryScreen()->geometry().size());
  window.setWindowTitle(title);
  int status = 0;
  QObject::connect(&window, &SlideShowWindow::failed, &window, [&](const QString& message) {
    status = ShowFault(title, message);
    window.close();
  });
  if (!window.Start()) return status;
  window.showFullScreen();
  const int ended = QApplication::exec();
  return status != 0 ? status : ended;
}

}  // namespace

int RunSlideShow(const QString& own_file, const QStringList& arguments) {
  QLockFile lock(PlayerLockPath(own_file));
  if (!lock.tryLock(0)) return 0;
  const Command command = ParseCommandLine(arguments);
  switch (command.mode) {
    case Mode::kShow:
      return Show(own_file);
    case Mode::kConfigure:
      return Configure();
    case Mode::kPreview:
    case Mode::kEnd:
      return 0;
  }
  return 0;
}

}  // namespace players::slideshow
