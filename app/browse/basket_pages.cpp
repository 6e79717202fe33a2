#include "app/browse/basket_pages.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include "app/shell/main_window.h"
#include "control/activex/imagebox_interface.h"

namespace browse {

namespace {

// Far more draws than a full folder of one stem and page could need.
constexpr int kNameDraws = 1000;

}  // namespace

QString CreatePageFile(const QString& stem, int page) {
  const QString folder = shell::TempFolder();
  if (!QDir().mkpath(folder)) return QString();
  for (int draw = 0; draw < kNameDraws; ++draw) {
    const int random = static_cast<int>(QRandomGenerator::global()->bounded(9999));
    QFile file(QStringLiteral("%1/%2%3_%4.tif").arg(folder, stem).arg(page).arg(random));
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return file.fileName();
    if (!file.exists()) return QString();  // not a taken name: the folder refuses new files
  }
  return QString();
}

// Two cuts of the file, the pages after the wanted one and then those before it: the control
// deletes only one run of pages at a time, and keeps the pages it leaves as they are stored.
void CopyPage(pictavo::ax::ImageBoxProxy& box, const QString& source, int page, int pages,
              const QString& pageFile) {
  QString from = source;
  if (page < pages) {
    box.DeleteTIF(source.toStdU16String(), pageFile.toStdU16String(), page + 1, pages - page);
    from = pageFile;
  }
  if (page > 1) box.DeleteTIF(from.toStdU16String(), pageFile.toStdU16String(), 1, page - 1);
}

void DeletePageFiles() {
  QDir folder(shell::TempFolder());
  for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.tif")}, QDir::Files))
    QFile::remove(file.absoluteFilePath());
}

}  // namespace browse
