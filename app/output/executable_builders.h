#pragma once
// The builders of the self-showing executables: a player program with the basket's images (a
// slide show or a screensaver) or the shown image (a greeting or a single-image screensaver)
// appended as a package. Every image goes through a temporary JPEG made on the hidden control,
// optionally after the recorded tasks were replayed on it. A package replaces its target only
// when it is complete, and is made executable.
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "app/browse/basket_item.h"
#include "app/output/package/package_format.h"

class QWidget;

namespace plat::com {
class ControlHost;
}
namespace tasks {
class TaskList;
}
namespace shell {
class frmStatus;
}

namespace modScreensaver {

// What a build works with: the hidden control, the picture box that keeps a loaded picture, the
// recorded tasks and the window that owns the status window.
struct BuildTools {
  plat::com::ControlHost& ibTemp;
  QImage& pTemp;
  const tasks::TaskList& taskList;
  QWidget* owner = nullptr;
};

// The message a build refuses an empty package with.
QString NoImageMessage();

// Writes the player resource name ("SLIDESHOW", "SCREENSAVER" or "GREETING") to "plugin.tmp" in
// the program's temporary folder and returns its path; empty (reported) when it cannot.
QString fncGetExtractPluginPath(const QString& name);

// The system's temporary folder, ending with "/".
QString fncGetTempPath();

// Loads path into the hidden control (directly or through the picture loader), replays the tasks
// when replayFlag is 1 and saves it as "temp000<imageNumber>.jpg" in the temporary folder at
// quality. Returns that path, or empty when the picture cannot be read or saved.
QString SaveTempJPEG(BuildTools& tools, const QString& path, int16_t imageNumber, int16_t quality,
                     uint8_t replayFlag);

// What one package carries besides its player.
struct PackageJob {
  QList<browse::BasketItem> rows;
  int16_t quality = 75;
  uint8_t replayFlag = 0;
  // A slide show's options record; none for the other kinds.
  std::optional<output::package::SlideShowOptions> options;
  // A single-image build: its entry is named "Single", and an image that cannot be read stops it.
  bool single = false;
};

// Writes player + job as a package to outPath, replacing it only once complete. A basket build
// shows its rows in status (when given), yields once a row and ends early, with the images so
// far, on gbCancel, which it clears. Rows that cannot be read are left out and named in `skipped`.
// Throws shell::AppError on an error; the old file then stays as it was.
void WritePackage(BuildTools& tools, const QByteArray& player, const PackageJob& job,
                  const QString& outPath, shell::frmStatus* status, QStringList& skipped);

// The "already exists" question: true to go on (the target is replaced only by a complete
// package). Without ask, always true.
bool MayReplace(const QString& path, bool ask, const QString& question);

// A slide show of the basket: asks for the name itself.
void MkSlideShow(BuildTools& tools, const QList<browse::BasketItem>& basket,
                 const output::package::SlideShowOptions& options, int16_t quality,
                 uint8_t replayFlag);
// A screensaver of the basket with the screensaver options of the settings.
void subGenerateScreenSaver(BuildTools& tools, const QList<browse::BasketItem>& basket,
                            const QString& templatePath, const QString& outPath, bool ask);
// A greeting or screensaver of one image.
void subMakeSingleScreensaver(BuildTools& tools, const QString& templatePath,
                              const QString& outPath, const QString& imagePath, int16_t quality,
                              uint8_t replayFlag, bool ask);

}  // namespace modScreensaver
