#pragma once
// Saving the image basket and the recorded task list to files and reading them back. A file is
// parsed whole before the lists change, so a file that cannot be read leaves them as they were.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "app/browse/basket_item.h"
#include "app/tasks/task_list.h"

namespace browse {

// 1: ".ibf", the source paths; 2: ".ibd", each path with an (empty) description.
enum BasketFileKind { kBasketPaths = 1, kBasketDescribed = 2 };

// The basket list as the opener fills it.
class BasketFiller {
 public:
  virtual ~BasketFiller() = default;
  // Removes every row and thumbnail.
  virtual void ClearBasket() = 0;
  // Adds a file as one row, or one row per page of a multipage file.
  virtual void subAddEntryToListView(const QString& path) = 0;
  // Shows the progress of count paths, before the first.
  virtual void StartProgress(int count) = 0;
  // Progress after done of count paths; False when the user cancelled.
  virtual bool ShowProgress(int done, int count) = 0;
  virtual void HideProgress() = 0;
};

// The distinct source paths of the rows, in basket order.
QStringList UniqueSourcePaths(const QList<BasketItem>& rows);
// The paths an image basket file lists; nothing when it cannot be opened or is malformed
// (raises for a malformed file).
std::optional<QStringList> ReadImageBasketPaths(const QString& fileName);

// fileName gains the kind's extension unless it already ends in it, in any case.
bool fncSaveImageBasket(int kind, QString& fileName, const QList<BasketItem>& rows);
bool fncOpenImageBasket(const QString& fileName, BasketFiller& basket);
bool fncSaveTaskBasket(QString& fileName, const tasks::TaskList& list);
// False, without an error report, for a file that cannot be opened or holds no task basket.
bool fncOpenTaskBasket(const QString& fileName, tasks::TaskList& list);

}  // namespace browse
