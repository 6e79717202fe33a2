#include "app/browse/basket_pane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "app/shell/main_window.h"
#include "app/shell/pictures.h"
#include "platform/com/control_host.h"

namespace browse {
namespace {

constexpr int kBarButtonWidth = 30;
constexpr int kBarButtonHeight = 28;
constexpr int kProgressWidth = 80;

QPushButton* MakeButton(QWidget* parent, const char* name, shell::Picture picture,
                        const QString& tip, const QRect& place = QRect()) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(tip);
  if (place.isValid()) button->setGeometry(place);
  shell::subAttachButtonPicture(
      button, picture,
      place.isValid() ? shell::ButtonWidth::AsPlaced : shell::ButtonWidth::ToCaption);
  return button;
}

QPushButton* MakeCancel(QWidget* parent, const char* name) {
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), parent);
  cancel->setObjectName(QString::fromLatin1(name));
  return cancel;
}

QProgressBar* MakeBar(QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(QStringLiteral("pbAddToBasket"));
  bar->setTextVisible(false);
  bar->setFixedWidth(kProgressWidth);
  return bar;
}

// The toolbar beside the list: one button under the other.
QPushButton* AddBarButton(QWidget* bar, int index, const char* name, shell::Picture picture,
                          const QString& tip) {
  return MakeButton(bar, name, picture, tip,
                    QRect(0, index * kBarButtonHeight, kBarButtonWidth, kBarButtonHeight));
}

plat::com::ControlHost* MakeHiddenImageBox(QWidget* parent) {
  auto* host = new plat::com::ControlHost(parent);
  shell::CreateImageBox(host);
  host->hide();
  return host;
}

}  // namespace

BasketListWidgets AttachBasketWidgets(shell::MainWindow& window, QProgressBar* pbQueue) {
  BasketListWidgets widgets;
  widgets.lvPages = window.lvPages;
  widgets.lvFolder = window.lvFolder;
  widgets.folderPanel = window.Panel(QStringLiteral("folder"));
  widgets.queuePanel = window.Panel(QStringLiteral("queue"));

  // The caption row the window laid out with its scan and capture buttons: the basket's progress
  // and its Cancel go before them, the add button at the right end.
  QLabel* caption = window.lblQueue;
  auto* row = qobject_cast<QHBoxLayout*>(caption->layout());
  widgets.pbAddToBasket = {MakeBar(caption), MakeCancel(caption, "cmdCancelAdd")};
  widgets.cmdAddToQueue = MakeButton(
      caption, "cmdAddToQueue", shell::Picture::picAddToQueue,
      QStringLiteral("Add the selected files from the folder view to the image basket."));
  widgets.cmdAddToQueue->setFlat(true);
  row->insertWidget(1, widgets.pbAddToBasket.bar);
  row->insertWidget(2, widgets.pbAddToBasket.cancel);
  row->addWidget(widgets.cmdAddToQueue);

  QWidget* bar = window.picLiveBar;
  widgets.cmdPagesNew = AddBarButton(bar, 0, "cmdPagesNew", shell::Picture::IconEditbarNew,
                                     QStringLiteral("Create a new image basket"));
  widgets.cmdPagesOpen =
      AddBarButton(bar, 1, "cmdPagesOpen", shell::Picture::IconEditbarOpen,
                   QStringLiteral("Open an existing image basket from file (.IBF)"));
  widgets.cmdPagesSave =
      AddBarButton(bar, 2, "cmdPagesSave", shell::Picture::IconEditbarSave,
                   QStringLiteral("Save the current image basket to file (.IBF)"));
  widgets.cmdPagesDelete =
      AddBarButton(bar, 3, "cmdPagesDelete", shell::Picture::IconEditbarRemove,
                   QStringLiteral("Remove the selected file items from the image basket"));

  QPushButton* cancelQueue = MakeCancel(window.sbMain, "cmdCancelQueue");
  window.sbMain->addPermanentWidget(cancelQueue);
  widgets.pbQueue = {pbQueue, cancelQueue};
  widgets.ibPages = MakeHiddenImageBox(&window);
  return widgets;
}

}  // namespace browse
