#include "app/output/basket_acquire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>
#include <functional>

#include "app/shell/errors.h"
#include "app/shell/settings.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/types.h"

namespace output {

namespace {

// Above this the folder is taken as unusable rather than searched on.
constexpr int kMaxCounter = 100000;

void Tell(const QString& text) {
  shell::Ui().Message(text, shell::gstrApplicationName, shell::MessageIcon::Exclamation);
}

// Runs `bring` on an emptied control; true when it left an image there. What the control
// throws counts as no image.
bool BringImage(pictavo::ax::ImageBoxProxy& box, const std::function<void()>& bring) {
  try {
    box.Clear();
    bring();
    return box.get_ImageWidth() > 0 && box.get_ImageHeight() > 0;
  } catch (const std::exception&) {
    return false;
  }
}

// Writes the control's image as PNG under the target's next free name.
QStringList SaveImage(pictavo::ax::ImageBoxProxy& box, const shell::AcquireTarget& target) {
  const QString path = ReserveImageName(target);
  if (!path.isEmpty()) {
    try {
      box.SaveToFile(QDir::toNativeSeparators(path).toStdU16String());
      if (QFileInfo(path).size() > 0) return {path};
    } catch (const std::exception&) {
    }
    QFile::remove(path);
  }
  Tell(QStringLiteral("The image could not be saved in the folder \"%1\".\r\n"
                      "Choose another folder in Settings and try again.")
           .arg(target.Folder));
  return {};
}

}  // namespace

QString ReserveImageName(const shell::AcquireTarget& target) {
  const QDir folder(target.Folder);
  // A folder that is not there yet (the pictures folder of a new account) is made.
  if (target.Folder.isEmpty() || !QDir().mkpath(target.Folder)) return {};
  for (int counter = 1; counter <= kMaxCounter; ++counter) {
    const QString path = folder.filePath(target.GenericName + QString::number(counter) + ".png");
    if (QFileInfo::exists(path)) continue;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return path;
    if (!QFileInfo::exists(path)) return {};  // the folder takes no new file
  }
  return {};
}

QStringList ScanIntoFolder(pictavo::ax::ImageBoxProxy& box, const shell::AcquireTarget& target) {
  const int32_t devices = box.get_TwainDeviceCount();
  if (devices <= 0) {
    Tell(
        QStringLiteral("No scanner or camera was found.\r\n"
                       "Connect the device, switch it on and try again."));
    return {};
  }
  if (devices == 1) {
    box.put_CurrentTwainDevice(0);
  } else if (box.SelectTwainDevice() == plat::com::ToVariantBool(false)) {
    return {};  // the user closed the chooser: nothing was asked for
  }
  box.put_UseTwainInterface(plat::com::ToVariantBool(false));
  box.put_ShowTwainProgress(plat::com::ToVariantBool(true));
  if (!BringImage(box, [&box] { box.Acquire(); })) {
    Tell(
        QStringLiteral("No image was scanned.\r\n"
                       "The scan was cancelled or the device reported an error."));
    return {};
  }
  return SaveImage(box, target);
}

QStringList CaptureIntoFolder(pictavo::ax::ImageBoxProxy& box, const shell::AcquireTarget& target) {
  if (!BringImage(box, [&box] { box.CaptureScreen(); })) {
    Tell(
        QStringLiteral("The screen could not be captured.\r\n"
                       "Capturing needs an X11 display."));
    return {};
  }
  return SaveImage(box, target);
}

}  // namespace output
