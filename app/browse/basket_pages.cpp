#include "app/browse/basket_pages.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include "app/shell/main_window.h"

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

void DeletePageFiles() {
  QDir folder(shell::TempFolder());
  for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.tif")}, QDir::Files))
    QFile::remove(file.absoluteFilePath());
}

}  // namespace browse
