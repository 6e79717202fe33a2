#include "app/shell/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/shell/errors.h"
#include "app/shell/ui_service.h"

namespace shell {
namespace {

// Directory entries that match path: the name part may carry "*" and "?" wildcards.
QFileInfoList MatchingEntries(const QString& path, QDir::Filters filters) {
  const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  if (name.isEmpty()) return {};
  const QString folder = fncGetFolderPart(path);
  const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
  const bool wildcard = name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
  if (wildcard) return dir.entryInfoList(QStringList{name}, filters);
  const QFileInfo entry(dir, name);
  if (!entry.exists()) return {};
  const bool hiddenAllowed = filters.testFlag(QDir::Hidden);
  const bool kindAllowed = entry.isDir() ? filters.testFlag(QDir::Dirs) : entry.isFile();
  if (!kindAllowed || (entry.isHidden() && !hiddenAllowed)) return {};
  return {entry};
}

}  // namespace

QString fncGetFileExtension(const QString& path) {
  return path.mid(path.lastIndexOf(QLatin1Char('.')) + 1);
}

QString fncRemoveExtension(const QString& path) {
  const qsizetype point = path.lastIndexOf(QLatin1Char('.'));
  if (point < 0) throw AppError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  return path.left(point);
}

QString fncGetFolderPart(const QString& path) {
  return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString fncAddTrailingBackslash(QString& path) {
  const QString trimmed = path.trimmed();
  if (trimmed.isEmpty()) return QString();
  if (!trimmed.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  return path;
}

bool subCreateFolder(const QString& path) {
  if (QDir().mkpath(path)) return true;
  Ui().Message(QStringLiteral("Error creating directory"), QCoreApplication::applicationName(),
               MessageIcon::None);
  return false;
}

bool fncFileExists(const QString& path) {
  if (path.trimmed().isEmpty()) return false;
  return !MatchingEntries(path, QDir::Files).isEmpty();
}

bool fncPathExists(const QString& path, bool folderToo) {
  const QDir::Filters any = QDir::Files | QDir::Hidden | QDir::System;
  return !MatchingEntries(path, folderToo ? any | QDir::Dirs | QDir::NoDotAndDotDot : any)
              .isEmpty();
}

QString gstrHelpFile;

QString fncAppPath() {
  QString folder = QCoreApplication::applicationDirPath();
  return fncAddTrailingBackslash(folder);
}

QString fncAppDataPath() {
  return QDir::cleanPath(fncAppPath() + QStringLiteral("../share/VelmoraJPEG2000B")) +
         QLatin1Char('/');
}

}  // namespace shell
