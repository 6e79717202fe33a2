#include "app/browse/folder_browser.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTreeWidget>

#include "app/browse/list_sort.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/paths.h"
#include "app/shell/settings.h"
#include "platform/base/workers.h"
#include "platform/com/errorinfo.h"

namespace browse {
namespace {

constexpr int kDetailIconSide = 16;

// Rows worked on ahead of the last one appended, per worker: enough to keep every worker busy
// while the GUI thread appends, few enough to keep the thumbnails in flight small.
constexpr int kRowsAheadPerWorker = 2;

enum Column { kName, kResolution, kSize, kPages, kType, kCreated, kModified, kAccessed };

FolderRowRequest CurrentRequest() {
  FolderRowRequest request;
  request.View =
      shell::gSetup.FolderListOptions.View == kThumbnailView ? kThumbnailView : kDetailsView;
  request.ThumbWidth = shell::glThumbWidth;
  request.ThumbHeight = shell::glThumbHeight;
  request.FileSizeFormat = static_cast<uint8_t>(shell::gSetup.FolderListOptions.FileSizeFormat);
  return request;
}

bool ThumbnailViewChosen() {
  return shell::gSetup.FolderListOptions.View == kThumbnailView;
}

}  // namespace

int32_t PagesOrOne(const std::function<int32_t()>& countPages) {
  try {
    return countPages();
  } catch (const plat::com::EOleSysError& e) {
    if (e.ErrorCode() != plat::com::E_UNEXPECTED) throw;
    return 1;
  }
}

FolderBrowser::FolderBrowser(const FolderBrowserWidgets& widgets, FolderBrowserOptions options,
                             QObject* parent)
    : QObject(parent),
      w_(widgets),
      options_(std::move(options)),
      detailIcon_(QApplication::style()->standardIcon(QStyle::SP_FileIcon)),
      failureIcon_(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)),
      mnuContextFolderParent_(new QMenu(QStringLiteral("Context Folder"), w_.lvFolder)) {
  pool_.setMaxThreadCount(plat::WorkerCount());
  timerShowFiles_.setSingleShot(true);
  timerShowFiles_.setInterval(options_.ShowDelayMs);
  connect(&timerShowFiles_, &QTimer::timeout, this, &FolderBrowser::timerShowFiles_Timer);
  mnuContextFolderParent_->addAction(QStringLiteral("Add to basket"), this,
                                     &FolderBrowser::mnuContextFolder_Click);
  w_.pbQueue->hide();
  w_.pbQueue->installEventFilter(this);
  w_.cmdCancelListing->hide();
  connect(w_.cmdCancelListing, &QPushButton::clicked, this, [this] { pbQueue_MouseDown(); });
  ConnectList();
  timerShowFiles_.start();
}

FolderBrowser::~FolderBrowser() {
  if (listing_ != nullptr) listing_->Cancel();
  pool_.clear();
  pool_.waitForDone();
}

void FolderBrowser::ConnectList() {
  QTreeWidget* list = w_.lvFolder;
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setDragEnabled(true);
  list->viewport()->setAcceptDrops(true);
  list->installEventFilter(this);
  list->viewport()->installEventFilter(this);
  list->header()->setSectionsClickable(true);
  connect(list->header(), &QHeaderView::sectionClicked, this,
          [list](int column) { subSortByColumn(list, column); });
  connect(list, &QTreeWidget::itemClicked, this, [this] { lvFolder_ItemClick(); });
  connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { AddToBasket(); });
}

void FolderBrowser::ftvBrowse_FolderSelected(const QString& path) {
  if (path.isEmpty()) return;
  mbCancel = true;
  mstrShowFolder = path;
  timerShowFiles_.start();
}

void FolderBrowser::timerShowFiles_Timer() {
  timerShowFiles_.stop();
  if (!mstrShowFolder.isEmpty()) subShowFilesInFolder(mstrShowFolder);
}

void FolderBrowser::subShowFilesInFolder(const QString& folder) {
  // A listing still running belongs to the folder before: it ends here, rows and all.
  if (listing_ != nullptr) EndListing(false);
  shell::SetActivity(shell::Activity::ShowingFilesFromFolder);
  const QString temp = shell::TempFolder();
  if (!shell::fncPathExists(temp, true)) shell::subCreateFolder(temp);
  w_.folderPanel->setText(QStringLiteral("Current Folder - ") + folder);
  w_.lvFolder->clear();
  ilFolder_.clear();
  currentFolder_ = folder;
  emit ListingStarted(folder);
  if (const QString refusal = FolderRefusal(folder); !refusal.isEmpty()) {
    w_.folderPanel->setText(QStringLiteral("Cannot list ") + folder + QStringLiteral(": ") +
                            refusal);
    EndListing(false);
    return;
  }
  const QStringList names = fncFolderEntries(folder, shell::MainWindow::fileMainPattern());
  QStringList paths;
  for (const QString& name : names) paths << fncEntryPath(folder, name);
  StartListing(paths);
}

void FolderBrowser::StartListing(const QStringList& paths) {
  mbCancel = false;
  if (paths.isEmpty()) {
    EndListing(true);
    return;
  }
  w_.pbQueue->setRange(0, static_cast<int>(paths.size()));
  w_.pbQueue->setValue(0);
  w_.pbQueue->show();
  w_.cmdCancelListing->show();
  const int ahead = kRowsAheadPerWorker * pool_.maxThreadCount();
  listing_ = new OrderedRows(
      pool_, paths, CurrentRequest(), options_.MakeRow, ahead,
      [this](int index, FolderRow&& row) { TakeRow(index, std::move(row)); },
      [this] { EndListing(true); }, this);
  listing_->Start();
}

void FolderBrowser::TakeRow(int index, FolderRow&& row) {
  shell::gstrCurrentActivity = QStringLiteral("Displaying files from selected folder - '") +
                               QString::number(w_.pbQueue->maximum()) + QStringLiteral("' ") +
                               QStringLiteral(" - ") + QFileInfo(row.FullPath).fileName();
  if (mbCancel) {
    EndListing(false);
    return;
  }
  // A folder that went away ends the listing without a word.
  if (!QDir(currentFolder_).exists()) {
    EndListing(false);
    return;
  }
  const std::optional<shell::TrappedError> error =
      shell::RunTrapped([&] { AppendRow(row); }, __LINE__);
  if (error) {
    EndListing(false);
    shell::subGlobalErrorHandler(error->description, error->number, error->line,
                                 shell::RoutineLabel(shell::Routine::FrmMain_subShowFilesInFolder));
    return;
  }
  w_.pbQueue->setValue(index + 1);
}

int32_t FolderBrowser::PagesOf(const FolderRow& row) const {
  if (!IsTiffExtension(row.Extension) || !options_.CountPages) return 1;
  return PagesOrOne([&] { return options_.CountPages(row.FullPath); });
}

void FolderBrowser::AppendRow(const FolderRow& row) {
  // A file that vanished since the folder was read.
  if (!row.Listed || row.Name.isEmpty()) return;
  const int32_t pages = PagesOf(row);
  auto* item =
      new SortableRow(QStringList{row.Name, row.Resolution, row.Size, QString::number(pages),
                                  row.Type, row.Created, row.Modified, row.Accessed});
  item->setData(kName, kRowTagRole, row.FullPath);
  SetSortValue(item, kSize, QVariant::fromValue<qint64>(row.Bytes));
  SetSortValue(item, kCreated, row.CreatedAt);
  SetSortValue(item, kModified, row.ModifiedAt);
  SetSortValue(item, kAccessed, row.AccessedAt);
  if (!row.Thumbnail.isNull()) {
    item->setData(kName, kRowThumbnailRole, static_cast<int>(ilFolder_.size()));
    ilFolder_.append(QPixmap::fromImage(row.Thumbnail));
  }
  // A file the listing could not show keeps its row, marked, with the reason on hover.
  if (!row.Failure.isEmpty()) {
    item->setData(kName, kRowFailureRole, row.Failure);
    for (int column = 0; column < w_.lvFolder->columnCount(); ++column)
      item->setToolTip(column, row.Failure);
  }
  ApplyViewIcon(item);
  w_.lvFolder->addTopLevelItem(item);
}

QPixmap FolderBrowser::RowThumbnail(const QTreeWidgetItem* row) const {
  const QVariant index = row->data(kName, kRowThumbnailRole);
  if (!index.isValid() || index.toInt() >= ilFolder_.size()) return {};
  return ilFolder_.at(index.toInt());
}

void FolderBrowser::ApplyViewIcon(QTreeWidgetItem* row) const {
  if (row->data(kName, kRowFailureRole).isValid()) {
    row->setIcon(kName, failureIcon_);
    return;
  }
  const bool thumbnails = ThumbnailViewChosen() && !ilFolder_.isEmpty();
  row->setIcon(kName, thumbnails ? QIcon(RowThumbnail(row)) : detailIcon_);
}

void FolderBrowser::ApplyViewToRows() {
  const bool thumbnails = ThumbnailViewChosen() && !ilFolder_.isEmpty();
  w_.lvFolder->setIconSize(thumbnails ? QSize(shell::glThumbWidth, shell::glThumbHeight)
                                      : QSize(kDetailIconSide, kDetailIconSide));
  for (int i = 0; i < w_.lvFolder->topLevelItemCount(); ++i)
    ApplyViewIcon(w_.lvFolder->topLevelItem(i));
}

void FolderBrowser::EndListing(bool complete) {
  if (listing_ != nullptr) {
    listing_->Cancel();
    listing_->deleteLater();
    listing_ = nullptr;
  }
  w_.pbQueue->hide();
  w_.cmdCancelListing->hide();
  ApplyViewToRows();
  mbCancel = false;
  emit ListingEnded(currentFolder_, complete);
}

void FolderBrowser::cmdDetailFolder_Click() {
  shell::gSetup.FolderListOptions.View = kDetailsView;
  ApplyViewToRows();
}

void FolderBrowser::cmdThumbnailFolder_Click() {
  shell::gSetup.FolderListOptions.View = kThumbnailView;
  if (ilFolder_.isEmpty())
    subShowFilesInFolder(currentFolder_);
  else
    ApplyViewToRows();
}

void FolderBrowser::mnuContextFolder_Click() {
  AddToBasket();
}

void FolderBrowser::AddToBasket() {
  if (AddToBasketHook) AddToBasketHook();
}

void FolderBrowser::ShowSelectedRow() {
  if (mbSuppressShow) return;
  QTreeWidgetItem* row = w_.lvFolder->currentItem();
  if (row != nullptr && ShowRowHook) ShowRowHook(row);
  if (ResizeHook) ResizeHook();
}

void FolderBrowser::lvFolder_ItemClick() {
  mintSelectedCount = static_cast<int>(w_.lvFolder->selectedItems().size());
  if (mintSelectedCount < 2) mbSuppressShow = false;
}

void FolderBrowser::lvFolder_KeyUp(int key) {
  if (IsArrowKey(key)) ShowSelectedRow();
}

bool FolderBrowser::lvFolder_KeyPress(int key, Qt::KeyboardModifiers modifiers) {
  if (w_.lvFolder->topLevelItemCount() == 0) return false;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    AddToBasket();
    return true;
  }
  if (key == Qt::Key_A && modifiers.testFlag(Qt::ControlModifier)) {
    w_.lvFolder->selectAll();
    return true;
  }
  return false;
}

// The list settles its selection and reports the item click while it handles the release, so
// the release goes to the list first: the first click after start-up already shows its row.
void FolderBrowser::ThenOnTheList(QMouseEvent* event) {
  {
    const QScopedValueRollback<bool> guard(forwarding_, true);
    QCoreApplication::sendEvent(w_.lvFolder->viewport(), event);
  }
  event->accept();
  lvFolder_MouseUp(event->button());
}

void FolderBrowser::lvFolder_MouseUp(Qt::MouseButton button) {
  if (w_.lvFolder->topLevelItemCount() == 0) return;
  if (button == Qt::RightButton) {
    mnuContextFolderParent_->popup(QCursor::pos());
    return;
  }
  ShowSelectedRow();
  w_.lvFolder->setFocus();
}

bool FolderBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == w_.pbQueue) {
    if (event->type() == QEvent::MouseButtonPress) pbQueue_MouseDown();
    return false;
  }
  switch (event->type()) {
    case QEvent::FocusIn:
      if (watched == w_.lvFolder) mstrFocusedList = QStringLiteral("lvFolder");
      return false;
    case QEvent::KeyRelease:
      if (watched == w_.lvFolder) lvFolder_KeyUp(static_cast<QKeyEvent*>(event)->key());
      return false;
    case QEvent::KeyPress: {
      if (watched != w_.lvFolder) return false;
      const auto* key = static_cast<QKeyEvent*>(event);
      return lvFolder_KeyPress(key->key(), key->modifiers());
    }
    case QEvent::MouseButtonRelease:
      if (watched != w_.lvFolder->viewport() || forwarding_) return false;
      ThenOnTheList(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::Drop:
      if (watched == w_.lvFolder->viewport()) mbSuppressShow = true;
      return false;
    default:
      return false;
  }
}

}  // namespace browse
