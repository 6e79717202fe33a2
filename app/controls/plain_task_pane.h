#pragma once
// A task pane from stock widgets: each group a title bar over its body, the items as flat buttons
// with their icons, the whole column scrolling when it is taller than the pane.
#include <QLabel>
#include <QMap>
#include <QVBoxLayout>

#include "app/controls/task_pane_interface.h"

class QScrollArea;

namespace velmora {

class PlainTaskPane : public ITaskPane {
 public:
  explicit PlainTaskPane(QWidget* parent = nullptr);

  void DisableUpdates(bool disable) override;
  void ClearStructure() override;
  void SetImageList(const TaskImageList& images) override;
  void AddSpecialGroup(const QString& caption, const QPixmap& icon) override;
  void AddItem(const QString& groupKey, const QString& itemKey, const QString& caption,
               const QString& iconKey) override;
  void AddGroup(const QString& groupKey, const QString& caption, int type) override;
  void SetGroupChild(const QString& groupKey, QWidget* child) override;
  void SetGroupCaption(const QString& groupKey, const QString& caption) override;

  // The caption a group shows; empty for an unknown key.
  QString GroupCaption(const QString& groupKey) const;
  QStringList GroupKeys() const;
  // The pane's scroll position, from the top of the first group.
  int ScrollPosition() const;

 private:
  struct Group {
    QWidget* frame = nullptr;
    QLabel* title = nullptr;
    QVBoxLayout* body = nullptr;
  };
  // Choosing an item brings the group after its own to the top: there its options appear.
  void ShowGroupAfter(const QString& groupKey);
  Group& NewGroup(const QString& key, const QString& caption, const QPixmap& icon);

  QScrollArea* scroll_;
  QWidget* column_;
  QVBoxLayout* columnLayout_;
  TaskImageList images_;
  QMap<QString, Group> groups_;
  QStringList order_;
};

}  // namespace velmora
