#include "app/controls/plain_task_pane.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace velmora {
namespace {

constexpr int kIconSize = 16;

QLabel* TitleBar(const QString& caption, QWidget* parent) {
  auto* title = new QLabel(caption, parent);
  title->setAutoFillBackground(true);
  title->setBackgroundRole(QPalette::Highlight);
  title->setForegroundRole(QPalette::HighlightedText);
  QFont font = title->font();
  font.setBold(true);
  title->setFont(font);
  title->setContentsMargins(6, 3, 6, 3);
  return title;
}

}  // namespace

PlainTaskPane::PlainTaskPane(QWidget* parent)
    : ITaskPane(parent), scroll_(new QScrollArea(this)), column_(new QWidget) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll_);
  scroll_->setWidgetResizable(true);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setFrameShape(QFrame::NoFrame);
  columnLayout_ = new QVBoxLayout(column_);
  columnLayout_->setContentsMargins(4, 4, 4, 4);
  columnLayout_->setSpacing(8);
  columnLayout_->addStretch();
  scroll_->setWidget(column_);
}

void PlainTaskPane::DisableUpdates(bool disable) {
  setUpdatesEnabled(!disable);
  if (disable) QTimer::singleShot(0, this, [this] { setUpdatesEnabled(true); });
}

void PlainTaskPane::ClearStructure() {
  for (const Group& group : std::as_const(groups_)) {
    // Bodies the program owns go back to it hidden rather than dying with the group.
    for (QWidget* child : group.frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (child != group.title && child->property("velmoraGroupChild").toBool()) {
        child->hide();
        child->setParent(this);
      }
    delete group.frame;
  }
  groups_.clear();
  order_.clear();
}

void PlainTaskPane::SetImageList(const TaskImageList& images) {
  images_ = images;
}

PlainTaskPane::Group& PlainTaskPane::NewGroup(const QString& key, const QString& caption,
                                              const QPixmap& icon) {
  Group group;
  group.frame = new QFrame(column_);
  static_cast<QFrame*>(group.frame)->setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(group.frame);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->setSpacing(2);
  group.title = TitleBar(caption, group.frame);
  if (!icon.isNull()) {
    auto* row = new QHBoxLayout;
    auto* picture = new QLabel(group.frame);
    picture->setPixmap(icon);
    row->addWidget(picture);
    row->addWidget(group.title, 1);
    layout->addLayout(row);
  } else {
    layout->addWidget(group.title);
  }
  group.body = new QVBoxLayout;
  group.body->setContentsMargins(4, 0, 4, 0);
  layout->addLayout(group.body);
  columnLayout_->insertWidget(columnLayout_->count() - 1, group.frame);
  order_.append(key);
  return groups_[key] = group;
}

void PlainTaskPane::AddSpecialGroup(const QString& caption, const QPixmap& icon) {
  NewGroup(kSpecialGroupKey, caption, icon);
}

void PlainTaskPane::AddGroup(const QString& groupKey, const QString& caption, int) {
  NewGroup(groupKey, caption, QPixmap());
}

void PlainTaskPane::AddItem(const QString& groupKey, const QString& itemKey, const QString& caption,
                            const QString& iconKey) {
  const auto group = groups_.constFind(groupKey);
  if (group == groups_.constEnd()) return;
  auto* item = new QToolButton(group->frame);
  item->setObjectName(itemKey);
  item->setText(caption);
  item->setIcon(QIcon(images_.value(iconKey)));
  item->setIconSize(QSize(kIconSize, kIconSize));
  item->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  item->setAutoRaise(true);
  item->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  group->body->addWidget(item);
  connect(item, &QToolButton::clicked, this, [this, groupKey, itemKey] {
    emit ItemClick(groupKey, itemKey);
    ShowGroupAfter(groupKey);
  });
}

void PlainTaskPane::SetGroupChild(const QString& groupKey, QWidget* child) {
  const auto group = groups_.constFind(groupKey);
  if (group == groups_.constEnd() || !child) return;
  child->setProperty("velmoraGroupChild", true);
  // Containers place their children by hand: their own size is the size they need.
  if (child->minimumHeight() == 0) child->setMinimumHeight(child->height());
  group->body->addWidget(child);
  child->show();
}

void PlainTaskPane::SetGroupCaption(const QString& groupKey, const QString& caption) {
  const auto group = groups_.constFind(groupKey);
  if (group != groups_.constEnd()) group->title->setText(caption);
}

QString PlainTaskPane::GroupCaption(const QString& groupKey) const {
  const auto group = groups_.constFind(groupKey);
  return group == groups_.constEnd() ? QString() : group->title->text();
}

QStringList PlainTaskPane::GroupKeys() const {
  return order_;
}

int PlainTaskPane::ScrollPosition() const {
  return scroll_->verticalScrollBar()->value();
}

void PlainTaskPane::ShowGroupAfter(const QString& groupKey) {
  const qsizetype next = order_.indexOf(groupKey) + 1;
  if (next <= 0 || next >= order_.size()) return;
  column_->adjustSize();
  scroll_->verticalScrollBar()->setValue(groups_.value(order_.at(next)).frame->y());
}

}  // namespace velmora
