#include "app/browse/folder_pane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "app/browse/folder_browser.h"
#include "app/shell/main_window.h"
#include "app/shell/pictures.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace browse {
namespace {

QPushButton* MakeViewButton(QWidget* bar, shell::Picture picture, const QString& tip) {
  auto* button = new QPushButton(bar);
  button->setToolTip(tip);
  button->setFlat(true);
  bar->layout()->addWidget(button);
  shell::subAttachButtonPicture(button, picture, shell::ButtonWidth::ToCaption);
  return button;
}

// The two view buttons stand at the right end of the list's caption.
void AddViewButtons(shell::MainWindow& window, FolderBrowser* browser) {
  auto* row = new QHBoxLayout(window.lblFolder);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addStretch(1);
  QPushButton* details = MakeViewButton(window.lblFolder, shell::Picture::picDetailFolder,
                                        QStringLiteral("Detail view of files"));
  QPushButton* thumbnails = MakeViewButton(window.lblFolder, shell::Picture::picThumbnailFolder,
                                           QStringLiteral("Thumbnail view of files"));
  QObject::connect(details, &QPushButton::clicked, browser,
                   [browser] { browser->cmdDetailFolder_Click(); });
  QObject::connect(thumbnails, &QPushButton::clicked, browser,
                   [browser] { browser->cmdThumbnailFolder_Click(); });
}

}  // namespace

FolderBrowser* AttachFolderBrowser(shell::MainWindow& window) {
  FolderBrowserWidgets widgets;
  widgets.lvFolder = window.lvFolder;
  widgets.folderPanel = window.Panel(QStringLiteral("folder"));
  widgets.pbQueue = new QProgressBar(window.sbMain);
  widgets.pbQueue->setTextVisible(false);
  widgets.cmdCancelListing = new QPushButton(QStringLiteral("Cancel"), window.sbMain);
  window.sbMain->addPermanentWidget(widgets.pbQueue);
  window.sbMain->addPermanentWidget(widgets.cmdCancelListing);
  FolderBrowserOptions options;
  plat::com::ControlHost* ibMain = window.ibMain;
  options.CountPages = [ibMain](const QString& path) {
    return pictavo::ax::ImageBoxProxy(ibMain->Dispatch()).get_ImageCount(path.toStdU16String());
  };
  auto* browser = new FolderBrowser(widgets, std::move(options), &window);
  browser->ResizeHook = [&window] { window.subResize(); };
  AddViewButtons(window, browser);
  QObject::connect(window.ftvBrowse, &shell::FolderTree::FolderSelected, browser,
                   &FolderBrowser::ftvBrowse_FolderSelected);
  // The last folder may have been restored before the browser listened.
  browser->ftvBrowse_FolderSelected(window.ftvBrowse->SelectedPath());
  return browser;
}

}  // namespace browse
