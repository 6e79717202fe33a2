#pragma once
// The program's task pane: the themed ucTaskPane behind the task-pane interface. The pane fills
// this widget, which the window places where the pane belongs; the pane docks at its container's
// left edge, so its own docking and the window's placing agree.
#include "app/controls/task_pane.h"
#include "app/controls/task_pane_interface.h"

namespace velmora {

class PropertyBag;

class ThemedTaskPane : public ITaskPane {
 public:
  // `stored`: the properties the pane reads at start-up (its font, character set and text drawing).
  explicit ThemedTaskPane(const PropertyBag& stored, QWidget* parent = nullptr);

  ucTaskPane& Pane() const { return *pane_; }

  void DisableUpdates(bool disable) override;
  void ClearStructure() override;
  void SetImageList(ImageList* images) override;
  void AddSpecialGroup(const QString& caption, const QPixmap& icon) override;
  void AddItem(const QString& groupKey, const QString& itemKey, const QString& caption,
               const QString& iconKey) override;
  void AddGroup(const QString& groupKey, const QString& caption, int type) override;
  void SetGroupChild(const QString& groupKey, QWidget* child) override;
  void SetGroupCaption(const QString& groupKey, const QString& caption) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  ucTaskPane* pane_;
};

}  // namespace velmora
