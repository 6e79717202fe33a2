#include "app/controls/themed_task_pane.h"

#include "app/controls/image_list.h"
#include "app/controls/property_bag.h"

namespace velmora {

ThemedTaskPane::ThemedTaskPane(const PropertyBag& stored, QWidget* parent)
    : ITaskPane(parent), pane_(new ucTaskPane(this)) {
  pane_->ReadProperties(stored);
  pane_->resize(size());
  connect(pane_, &ucTaskPane::ItemClick, this, &ITaskPane::ItemClick);
}

void ThemedTaskPane::resizeEvent(QResizeEvent* event) {
  // The pane follows this widget's height itself; its width it takes from here.
  pane_->resize(width(), height());
  ITaskPane::resizeEvent(event);
}

void ThemedTaskPane::DisableUpdates(bool disable) {
  pane_->DisableUpdates(disable);
}

void ThemedTaskPane::ClearStructure() {
  pane_->ClearStructure();
}

void ThemedTaskPane::SetImageList(ImageList* images) {
  pane_->SetImageList(images);
}

void ThemedTaskPane::AddSpecialGroup(const QString& caption, const QPixmap& icon) {
  pane_->AddSpecialGroup(caption, icon);
}

void ThemedTaskPane::AddItem(const QString& groupKey, const QString& itemKey,
                             const QString& caption, const QString& iconKey) {
  pane_->AddItem(groupKey, itemKey, caption, PaneArg(iconKey));
}

void ThemedTaskPane::AddGroup(const QString& groupKey, const QString& caption, int type) {
  pane_->AddGroup(groupKey, caption, static_cast<int16_t>(type));
}

void ThemedTaskPane::SetGroupChild(const QString& groupKey, QWidget* child) {
  pane_->SetGroupChild(groupKey, child);
}

void ThemedTaskPane::SetGroupCaption(const QString& groupKey, const QString& caption) {
  pane_->SetGroupCaption(groupKey, caption);
}

}  // namespace velmora
