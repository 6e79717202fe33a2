#include "app/browse/basket_files.h"

#include <QSet>

#include "app/browse/cls_file.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"

namespace browse {

namespace {

using shell::Routine;

bool EndsWithExtension(const QString& fileName, QLatin1StringView extension) {
  return fileName.right(4).toLower() == extension;
}

void AppendExtension(QString& fileName, QLatin1StringView extension) {
  if (!EndsWithExtension(fileName, extension)) fileName += extension;
}

// A line holds one quoted path; a quote inside it was written doubled.
QString PathOfBasketLine(const QString& line) {
  const QString trimmed = line.trimmed();
  if (trimmed.size() < 2)
    throw shell::AppError(shell::kErrInvalidProcedureCall, "Invalid procedure call or argument");
  QString path = trimmed.mid(1, trimmed.size() - 2);
  if (trimmed.front() == QLatin1Char('"') && trimmed.back() == QLatin1Char('"'))
    path.replace(QStringLiteral("\"\""), QStringLiteral("\""));
  return path;
}

QStringList ReadPathLines(clsFile& file) {
  QStringList paths;
  while (!file.fEof()) paths.append(PathOfBasketLine(file.readLine()));
  return paths;
}

// Descriptions are not kept: no list shows them.
QStringList ReadDescribedPaths(clsFile& file) {
  QStringList paths;
  QString path, description;
  while (!file.fEof()) {
    file.read_ImageBasket(path, description);
    paths.append(path);
  }
  return paths;
}

void FillBasket(const QStringList& paths, BasketFiller& basket) {
  struct HideWhenDone {
    BasketFiller& basket;
    ~HideWhenDone() { basket.HideProgress(); }
  } hide{basket};
  const int count = static_cast<int>(paths.size());
  if (count > 0) basket.StartProgress(count);
  for (int k = 0; k < count; ++k) {
    if (shell::clsFileInfo::CheckIfFileExists(paths[k])) basket.subAddEntryToListView(paths[k]);
    if (!basket.ShowProgress(k + 1, count)) return;
  }
}

// Nothing when the file cannot be opened or is not a task basket: a record cut short by the end
// of the file, or a task id that is not a number. The caller's message is all the user needs to
// hear of it, so it is not reported as a fault.
std::optional<QList<tasks::TaskRow>> ReadTaskRows(const QString& fileName) {
  clsFile file;
  if (!file.OpenForRead(fileName)) return std::nullopt;
  QList<tasks::TaskRow> rows;
  try {
    while (!file.fEof()) {
      tasks::TaskRow row;
      file.read_EditingList(row);
      (void)tasks::Short(row.Text);  // the lists name the task by its id: a bad id spoils the file
      rows.append(row);
    }
  } catch (const shell::AppError&) {
    return std::nullopt;
  }
  return rows;
}

}  // namespace

QStringList UniqueSourcePaths(const QList<BasketItem>& rows) {
  QStringList paths;
  QSet<QString> seen;
  for (const BasketItem& row : rows) {
    if (seen.contains(row.Path)) continue;
    seen.insert(row.Path);
    paths.append(row.Path);
  }
  return paths;
}

std::optional<QStringList> ReadImageBasketPaths(const QString& fileName) {
  clsFile file;
  if (!file.OpenForRead(fileName)) return std::nullopt;
  if (EndsWithExtension(fileName, QLatin1StringView(".ibf"))) return ReadPathLines(file);
  if (EndsWithExtension(fileName, QLatin1StringView(".ibd"))) return ReadDescribedPaths(file);
  return QStringList();
}

bool fncSaveImageBasket(int kind, QString& fileName, const QList<BasketItem>& rows) {
  return shell::Trap(Routine::modSaveOpenImageList_fncSaveImageBasket, [&] {
    if (rows.isEmpty()) return false;
    const QStringList paths = UniqueSourcePaths(rows);
    AppendExtension(fileName, QLatin1StringView(kind == kBasketPaths ? ".ibf" : ".ibd"));
    clsFile file;
    if (!file.OpenForWrite(fileName)) return false;
    for (const QString& path : paths) {
      if (kind == kBasketPaths)
        file.writeline(path);
      else
        file.write_ImageBasket(path, QString());
    }
    return file.closefile();
  });
}

bool fncOpenImageBasket(const QString& fileName, BasketFiller& basket) {
  return shell::Trap(Routine::modSaveOpenImageList_fncOpenImageBasket, [&] {
    const std::optional<QStringList> paths = ReadImageBasketPaths(fileName);
    if (!paths) return false;
    basket.ClearBasket();
    FillBasket(*paths, basket);
    return true;
  });
}

bool fncSaveTaskBasket(QString& fileName, const tasks::TaskList& list) {
  return shell::Trap(Routine::modSaveOpenImageList_fncSaveTaskBasket, [&] {
    if (list.Count() == 0) return false;
    AppendExtension(fileName, QLatin1StringView(".tbf"));
    clsFile file;
    if (!file.OpenForWrite(fileName)) return false;
    for (const tasks::TaskRow& row : list.Rows()) file.write_EditingList(row);
    return file.closefile();
  });
}

bool fncOpenTaskBasket(const QString& fileName, tasks::TaskList& list) {
  return shell::Trap(Routine::modSaveOpenImageList_fncOpenTaskBasket, [&] {
    const std::optional<QList<tasks::TaskRow>> rows = ReadTaskRows(fileName);
    if (!rows) return false;
    list.Clear();
    for (const tasks::TaskRow& row : *rows) list.AppendRow(row);
    return true;
  });
}

}  // namespace browse
