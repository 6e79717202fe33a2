#pragma once
// The members of a task pane the program calls: titled groups, the special group of clickable
// items with icons, and groups whose body is a container of the program's own.
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "app/controls/task_pane_model.h"

namespace velmora {

class ImageList;

class ITaskPane : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  // True suspends the pane's repainting while it is built; it paints again once the event loop
  // runs (or on False).
  virtual void DisableUpdates(bool disable) = 0;
  // Removes every group and item.
  virtual void ClearStructure() = 0;
  // The icons AddItem's icon keys name; the list must live as long as the pane draws from it.
  virtual void SetImageList(ImageList* images) = 0;
  // Creates the special group (key kSpecialGroupKey) with a caption and an icon.
  virtual void AddSpecialGroup(const QString& caption, const QPixmap& icon) = 0;
  // Appends an item to a group; an unknown group key adds nothing.
  virtual void AddItem(const QString& groupKey, const QString& itemKey, const QString& caption,
                       const QString& iconKey) = 0;
  virtual void AddGroup(const QString& groupKey, const QString& caption, int type) = 0;
  // Shows `child` as the body of the group; the pane takes it as its own child.
  virtual void SetGroupChild(const QString& groupKey, QWidget* child) = 0;
  // An unknown key changes nothing.
  virtual void SetGroupCaption(const QString& groupKey, const QString& caption) = 0;

 signals:
  void ItemClick(const QString& groupKey, const QString& itemKey);
};

}  // namespace velmora
