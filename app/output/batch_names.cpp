#include "app/output/batch_names.h"

#include <QDir>
#include <QFileInfo>

#include "app/shell/paths.h"
#include "app/tasks/editing_task.h"

namespace output {

namespace {

const QString kStartingOne = QStringLiteral("[Starting 1]");
const QString kStartingThousandOne = QStringLiteral("[Starting 1001]");

bool IsUnsafe(QChar c) {
  return c == QLatin1Char('/') || c.category() == QChar::Other_Control;
}

QString SafePart(QString part) {
  for (QChar& c : part)
    if (IsUnsafe(c)) c = QLatin1Char('_');
  return part;
}

// The longest prefix of stem whose UTF-8 takes at most limit bytes, never splitting a character.
QString ShortenedStem(const QString& stem, qsizetype limit) {
  QString kept;
  qsizetype bytes = 0;
  for (qsizetype i = 0; i < stem.size();) {
    const qsizetype units = stem.at(i).isHighSurrogate() && i + 1 < stem.size() ? 2 : 1;
    const QString character = stem.mid(i, units);
    bytes += character.toUtf8().size();
    if (bytes > limit) break;
    kept += character;
    i += units;
  }
  return kept;
}

QString WithTrailingSlash(const QString& folder) {
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

}  // namespace

QString OutputExtension(const BatchOptions& options) {
  return options.Jpeg2000Format != 0 ? QStringLiteral("jpc") : QStringLiteral("jp2");
}

QString OutputFolder(const BatchOptions& options, const QString& entryPath) {
  QString folder = options.DestinationMode != 0 ? options.DestinationFolder.trimmed()
                                                : shell::fncGetFolderPart(entryPath);
  return shell::fncAddTrailingBackslash(folder);
}

int32_t CounterOf(const QString& counterStart, int32_t position) {
  if (counterStart == kStartingOne) return position;
  const double start = counterStart == kStartingThousandOne ? 1001 : tasks::Whole(counterStart);
  return tasks::WholeOf(start + position - 1);
}

std::optional<QString> ComposeOutputPath(const QString& folder, const QStringList& parts,
                                         const QString& ext) {
  QString stem;
  for (const QString& part : parts) stem += SafePart(part);
  if (stem.isEmpty() || stem == QLatin1String(".") || stem == QLatin1String(".."))
    stem = QStringLiteral("_");
  const QString suffix = QLatin1Char('.') + SafePart(ext);
  stem = ShortenedStem(stem, kLongestFileName - suffix.toUtf8().size());
  const QString path = WithTrailingSlash(folder) + stem + suffix;
  if (QDir::cleanPath(QFileInfo(path).path()) != QDir::cleanPath(folder)) return std::nullopt;
  return path;
}

}  // namespace output
