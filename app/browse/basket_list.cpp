#include "app/browse/basket_list.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "app/browse/basket_pages.h"
#include "app/browse/basket_rows.h"
#include "app/browse/folder_browser.h"
#include "app/browse/list_sort.h"
#include "app/browse/picture_handover.h"
#include "app/browse/picture_loader.h"
#include "app/browse/row_tag.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "app/shell/main_window.h"
#include "app/shell/paths.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"
#include "platform/graphics/handles.h"

namespace browse {
namespace {

enum FolderColumn { kFolderName, kFolderResolution, kFolderSize, kFolderPages, kFolderType };

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr int32_t kDialogFlags = 5;
const char* const kBasketFilter = "Image basket file (*.ibf)|*.ibf";

// The picture the control holds, fitted into the basket's thumbnail box.
QPixmap ControlThumbnail(pictavo::ax::ImageBoxProxy& box, int32_t width, int32_t height) {
  const auto handle = static_cast<plat::THandle>(box.get_BMPHandle());
  const QImage thumbnail =
      fncScalePicture(handle, width, height, kBitmapHandle, shell::glBasketThumbWidth,
                      shell::glBasketThumbHeight, kExactBox, kWhite, true);
  plat::DeleteBitmapHandle(handle);
  return QPixmap::fromImage(thumbnail);
}

// A thumbnail loaded from a file into the basket's box; the file's size comes back.
QPixmap FileThumbnail(const QString& path, int32_t& width, int32_t& height) {
  return QPixmap::fromImage(LoadPic(path, kExactBox, shell::glBasketThumbWidth,
                                    shell::glBasketThumbHeight, kWhite, width, height));
}

QString SizeText(int32_t width, int32_t height) {
  return QString::number(width) + QStringLiteral(" X ") + QString::number(height);
}

// A row whose "Size" and "Type" are those of the file it loads.
BasketItem RowOfFile(const QString& text, const QString& file, const QString& source, int32_t width,
                     int32_t height) {
  shell::clsFileInfo facts;
  facts.FilePath(file);
  BasketItem item;
  item.Text = text;
  item.Tag = file;
  item.Resolution = SizeText(width, height);
  item.Size = facts.fSizeFormated(0);
  item.Type = facts.fType();
  item.Path = source;
  return item;
}

void ShowBar(const BasketProgress& progress, int maximum, int value) {
  progress.bar->setRange(0, maximum);
  progress.bar->setValue(value);
  progress.bar->show();
  progress.cancel->show();
}

void HideBar(const BasketProgress& progress) {
  progress.bar->hide();
  progress.cancel->hide();
}

// The file the user chose in the basket file dialog; empty when cancelled.
QString ChooseBasketFile(const QString& title, void (*showDialog)()) {
  shell::gstrDlgTitle = title;
  shell::gstrDlgFileName.clear();
  shell::gstrDlgFilter = QString::fromLatin1(kBasketFilter);
  shell::glDlgFlags = kDialogFlags;
  showDialog();
  return shell::gstrDlgFileName;
}

void Inform(const QString& text) {
  shell::Ui().Message(text, shell::gstrApplicationName, shell::MessageIcon::Information);
}

bool IsTiffName(const QString& path) {
  const QString extension = QFileInfo(path).suffix().toLower();
  return extension == u"tif" || extension == u"tiff";
}

}  // namespace

// Marks an add, a drop or an open as running for as long as it lasts.
class BasketList::BusyScope {
 public:
  explicit BusyScope(BasketList& basket) : basket_(basket) {
    basket_.running_ = true;
    basket_.cancelled_ = false;
    basket_.ApplyBusy();
  }
  ~BusyScope() {
    basket_.running_ = false;
    basket_.ApplyBusy();
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  BasketList& basket_;
};

BasketList::BasketList(const BasketListWidgets& widgets, QObject* parent)
    : QObject(parent), w_(widgets) {
  HideBar(w_.pbAddToBasket);
  w_.pbQueue.cancel->hide();  // the bar itself is the file list's until a drop or an open
  ConnectList();
  ConnectButtons();
}

void BasketList::ConnectButtons() {
  connect(w_.cmdAddToQueue, &QPushButton::clicked, this, [this] { cmdAddToQueue_Click(); });
  connect(w_.cmdPagesNew, &QPushButton::clicked, this, [this] { cmdPagesNew_Click(); });
  connect(w_.cmdPagesOpen, &QPushButton::clicked, this, [this] { cmdPagesOpen_Click(); });
  connect(w_.cmdPagesSave, &QPushButton::clicked, this, [this] { cmdPagesSave_Click(); });
  connect(w_.cmdPagesDelete, &QPushButton::clicked, this, [this] { cmdPagesDelete_Click(); });
  for (const BasketProgress* progress : {&w_.pbAddToBasket, &w_.pbQueue})
    connect(progress->cancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void BasketList::SetLocked(bool locked) {
  locked_ = locked;
  ApplyBusy();
}

void BasketList::ApplyBusy() {
  const bool busy = IsBusy();
  for (QPushButton* command :
       {w_.cmdAddToQueue, w_.cmdPagesDelete, w_.cmdPagesNew, w_.cmdPagesOpen})
    command->setEnabled(!busy);
  if (busy == announcedBusy_) return;
  announcedBusy_ = busy;
  emit BusyChanged(busy);
}

bool BasketList::Yield() {
  QCoreApplication::processEvents();
  return !cancelled_;
}

// ---- Adding from the file list ----------------------------------------------------------------

void BasketList::cmdAddToQueue_Click() {
  if (IsBusy()) return;
  shell::SetActivity(shell::Activity::AddingFilesToBasket);
  w_.cmdAddToQueue->repaint();
  if (w_.lvFolder->topLevelItemCount() > 0) {
    BusyScope busy(*this);
    // An error ends the add where it happened; the rows added so far stay.
    shell::Trap(shell::Routine::FrmMain_cmdAddToQueue_Click, [this] { AddSelectedFileRows(); });
    w_.folderPanel->setText(CurrentFolderHook ? CurrentFolderHook() : QString());
    HideBar(w_.pbAddToBasket);
    ShowQueueCount();
  }
  w_.lvPages->clearSelection();
}

QList<BasketList::FileRow> BasketList::SelectedFileRows() const {
  QList<FileRow> rows;
  for (int i = 0; i < w_.lvFolder->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = w_.lvFolder->topLevelItem(i);
    if (!row->isSelected()) continue;
    rows.append({i, row->text(kFolderName), row->data(0, kRowTagRole).toString(),
                 row->text(kFolderResolution), row->text(kFolderSize), row->text(kFolderType),
                 row->text(kFolderPages).trimmed().toInt(),
                 FolderThumbnailHook ? FolderThumbnailHook(row) : QPixmap()});
  }
  return rows;
}

void BasketList::AddSelectedFileRows() {
  const int count = w_.lvFolder->topLevelItemCount();
  ShowBar(w_.pbAddToBasket, count, 0);
  for (const FileRow& row : SelectedFileRows()) {
    if (!Yield()) break;
    if (!InBasket(row.path)) {
      w_.folderPanel->setText(QStringLiteral("Adding file to basket - '") + row.text +
                              QStringLiteral("'"));
      PageSplit split;
      split.stem = row.text;
      split.textBefore = shell::fncRemoveExtension(row.text);
      split.progressText = QStringLiteral("Please wait... extracting multipage file - '");
      split.bar = &w_.pbAddToBasket;
      AddFileRow(row, split);
    }
    ShowBar(w_.pbAddToBasket, count, row.index);
  }
}

void BasketList::subAddDroppedFiles() {
  BusyScope busy(*this);
  w_.pbQueue.bar->setValue(0);
  const QList<FileRow> rows = SelectedFileRows();
  if (rows.isEmpty()) return;
  const int count = static_cast<int>(rows.size());
  ShowBar(w_.pbQueue, count, 0);
  // An error ends the drop without a word; what was added so far stays.
  (void)shell::RunTrapped(
      [&] {
        for (int j = 0; j < count; ++j) {
          if (!Yield()) break;
          const FileRow& row = rows[j];
          if (InBasket(row.path)) continue;
          PageSplit split;
          split.stem = shell::fncRemoveExtension(row.text);
          split.textBefore = split.stem + QLatin1Char('(');
          split.textAfter = QStringLiteral(")");
          split.progressText = QStringLiteral("Please wait... extracting multipage document - '");
          split.bar = &w_.pbQueue;
          split.thumbnailFromLoadedPage = false;
          QTreeWidgetItem* added = AddFileRow(row, split);
          if (added == nullptr) continue;
          added->setSelected(true);
          ShowBar(w_.pbQueue, count, j + 1);
        }
      },
      __LINE__);
  w_.folderPanel->clear();
  HideBar(w_.pbQueue);
}

bool BasketList::InBasket(const QString& path) const {
  for (int i = 0; i < w_.lvPages->topLevelItemCount(); ++i)
    if (w_.lvPages->topLevelItem(i)->text(kPath) == path) return true;
  return false;
}

// `split` holds the way's names; the file's own facts are filled in here.
QTreeWidgetItem* BasketList::AddFileRow(const FileRow& row, const PageSplit& split) {
  if (row.pages < 2) return AddOnePageRow(row);
  PageSplit file = split;
  file.source = row.path;
  file.pages = row.pages;
  file.name = row.text;
  return AddPageRows(file);
}

// The file list's own thumbnail of the row, rescaled; loaded from the file when the list has
// none (a details listing). The sizes are the file's when it was loaded, else left alone.
QPixmap BasketList::OnePageThumbnail(const FileRow& fileRow, int32_t& width,
                                     int32_t& height) const {
  if (fileRow.thumbnail.isNull()) return FileThumbnail(fileRow.path, width, height);
  return QPixmap::fromImage(fncScaleLoadedPicture(fileRow.thumbnail.toImage(), kExactBox,
                                                  shell::glBasketThumbWidth,
                                                  shell::glBasketThumbHeight, kWhite));
}

QTreeWidgetItem* BasketList::AddOnePageRow(const FileRow& fileRow) {
  int32_t width = 0;
  int32_t height = 0;
  const QPixmap thumbnail = OnePageThumbnail(fileRow, width, height);
  if (thumbnail.isNull()) return nullptr;
  QString resolution = fileRow.resolution;
  if (resolution.trimmed().isEmpty() && width > 0) {
    resolution = SizeText(width, height);
    SetFileListResolution(fileRow.path, resolution);
  }
  BasketItem item;
  item.Text = shell::fncRemoveExtension(fileRow.text);
  item.Tag = fileRow.path;
  item.Resolution = resolution;
  item.Size = fileRow.size;
  item.Type = fileRow.type;
  item.Path = fileRow.path;
  return AppendEntry(item, thumbnail);
}

// The row may have left the file list while the add yielded.
void BasketList::SetFileListResolution(const QString& path, const QString& resolution) {
  for (int i = 0; i < w_.lvFolder->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = w_.lvFolder->topLevelItem(i);
    if (row->data(0, kRowTagRole).toString() == path) row->setText(kFolderResolution, resolution);
  }
}

// Each page is decoded once, for its thumbnail; the page file is the page as stored in the
// source. A page without a thumbnail gets no row. The file is split whole: Cancel waits for it.
QTreeWidgetItem* BasketList::AddPageRows(const PageSplit& split) {
  pictavo::ax::ImageBoxProxy box(w_.ibPages->Dispatch());
  QTreeWidgetItem* last = nullptr;
  for (int page = 1; page <= split.pages; ++page) {
    Yield();
    if (!split.progressText.isEmpty())
      w_.folderPanel->setText(split.progressText + split.name + QStringLiteral("' Pages ") +
                              QString::number(page) + QStringLiteral(" of ") +
                              QString::number(split.pages));
    if (split.bar != nullptr) ShowBar(*split.bar, split.pages, page);
    SplitPage made;
    try {
      SplitAsStored(box, split, page, made);
    } catch (const plat::com::EOleSysError& e) {
      // A page the control cannot decode (16-bit samples under LZW, say) is read the way the
      // viewer reads it, and its page file written from that picture.
      if (e.ErrorCode() != plat::com::E_UNEXPECTED) throw;
      SplitThroughLoader(box, split, page, made);
    }
    if (made.thumbnail.isNull() || made.file.isEmpty()) continue;
    const QString text = split.textBefore + QString::number(page) + split.textAfter;
    last = AppendEntry(RowOfFile(text, made.file, split.source, made.width, made.height),
                       made.thumbnail);
  }
  return last;
}

void BasketList::SplitAsStored(pictavo::ax::ImageBoxProxy& box, const PageSplit& split, int page,
                               SplitPage& made) {
  if (split.thumbnailFromLoadedPage) {
    box.put_ReadImageNumber(page);
    box.LoadFromFile(split.source.toStdString());
    made.width = box.get_ImageWidth();
    made.height = box.get_ImageHeight();
    made.thumbnail = ControlThumbnail(box, made.width, made.height);
    if (made.thumbnail.isNull()) return;
    made.file = CreatePageFile(split.stem, page);
    if (!made.file.isEmpty()) CopyPage(box, split.source, page, split.pages, made.file);
  } else {
    made.file = CreatePageFile(split.stem, page);
    if (made.file.isEmpty()) return;
    CopyPage(box, split.source, page, split.pages, made.file);
    made.thumbnail = FileThumbnail(made.file, made.width, made.height);
  }
}

// `made` may already hold the page file the control began to write.
void BasketList::SplitThroughLoader(pictavo::ax::ImageBoxProxy& box, const PageSplit& split,
                                    int page, SplitPage& made) {
  made.thumbnail = QPixmap();
  const QImage picture = ReadFilePage(split.source, page, kWhite);
  if (!picture.isNull()) {
    HandOverPicture(*w_.ibPages, picture);
    made.width = picture.width();
    made.height = picture.height();
    made.thumbnail = ControlThumbnail(box, made.width, made.height);
  }
  if (made.thumbnail.isNull()) {
    if (!made.file.isEmpty()) QFile::remove(made.file);
    made.file.clear();
    return;
  }
  if (made.file.isEmpty()) made.file = CreatePageFile(split.stem, page);
  if (!made.file.isEmpty()) box.SaveToFile(made.file.toStdU16String());
}

// ---- Basket files -----------------------------------------------------------------------------

void BasketList::cmdPagesOpen_Click() {
  if (IsBusy()) return;
  if (w_.lvPages->topLevelItemCount() > 0 && !AskToReplaceRows()) return;
  const QString file =
      ChooseBasketFile(QStringLiteral("Open Image Basket"), &shell::subShowOpenDialog);
  if (file.isEmpty()) return;
  bool opened = false;
  {
    BusyScope busy(*this);
    opened = fncOpenImageBasket(file, *this);
  }
  if (!opened) {
    Inform(
        QStringLiteral("Error opening image basket!\r\n"
                       "Please select a valid image basket file."));
    return;
  }
  ShowQueueCount();
}

bool BasketList::AskToReplaceRows() const {
  return shell::Ui().Ask(QStringLiteral("There are currently files in the Basket!.\r\n"
                                        "Do you want to continue?"),
                         shell::gstrApplicationName, shell::MessageIcon::Information);
}

void BasketList::cmdPagesSave_Click() {
  if (w_.lvPages->topLevelItemCount() == 0) return;
  QString file = ChooseBasketFile(QStringLiteral("Save image basket"), &shell::subShowSaveDialog);
  if (file.isEmpty()) return;
  if (!fncSaveImageBasket(kBasketPaths, file, Rows()))
    Inform(QStringLiteral("Error saving image basket!\r\nPlease try again!"));
}

void BasketList::ClearBasket() {
  RemoveAllRows();
  ilPages_.clear();
}

void BasketList::subAddEntryToListView(const QString& path) {
  shell::Trap(shell::Routine::subAddEntryToListView, [&] {
    shell::SetActivity(shell::Activity::OpeningImageList);
    AddReopenedFile(path);
  });
}

void BasketList::AddFiles(const QStringList& paths) {
  if (IsBusy()) return;
  {
    BusyScope busy(*this);
    for (const QString& path : paths) subAddEntryToListView(path);
  }
  ShowQueueCount();
}

void BasketList::AddReopenedFile(const QString& path) {
  const QString name = shell::clsFileInfo::StripFileFromPath(path);
  const int pages =
      IsTiffName(path)
          ? pictavo::ax::ImageBoxProxy(w_.ibPages->Dispatch()).get_ImageCount(path.toStdU16String())
          : 1;
  if (pages >= 2) {
    PageSplit split;
    split.source = path;
    split.pages = pages;
    split.stem = name;
    // Named as the add button names them: the batch outputs build their names from the text.
    split.textBefore = shell::fncRemoveExtension(name);
    split.name = name;
    AddPageRows(split);
    return;
  }
  int32_t width = 0;
  int32_t height = 0;
  const QPixmap thumbnail = FileThumbnail(path, width, height);
  if (thumbnail.isNull()) return;
  AppendEntry(RowOfFile(shell::fncRemoveExtension(name), path, path, width, height), thumbnail);
}

void BasketList::StartProgress(int count) {
  ShowBar(w_.pbQueue, count, 1);
}

bool BasketList::ShowProgress(int done, int count) {
  ShowBar(w_.pbQueue, count, done);
  return Yield();
}

void BasketList::HideProgress() {
  HideBar(w_.pbQueue);
}

// ---- Rows -------------------------------------------------------------------------------------

QTreeWidgetItem* BasketList::AppendEntry(const BasketItem& item, const QPixmap& thumbnail) {
  ilPages_.append(thumbnail);
  BasketItem row = item;
  row.ThumbnailIndex = static_cast<int>(ilPages_.size() - 1);
  return AppendRow(row);
}

// The texts go in before the row joins the list, so only an edit reports a changed name.
QTreeWidgetItem* BasketList::AppendRow(const BasketItem& item) {
  auto* row =
      new SortableRow(QStringList{item.Text, item.Resolution, item.Size, item.Type, item.Path});
  row->setData(0, kRowTagRole, item.Tag);
  // "Size" describes the file the row loads.
  if (const QFileInfo file(item.Tag); file.isFile())
    SetSortValue(row, kSize, QVariant::fromValue<qint64>(file.size()));
  row->setData(0, kRowThumbnailRole, item.ThumbnailIndex);
  row->setData(0, kLastNameRole, item.Text);
  row->setIcon(0, ilPages_.value(item.ThumbnailIndex));
  row->setFlags(row->flags() | Qt::ItemIsEditable);
  w_.lvPages->addTopLevelItem(row);
  return row;
}

void BasketList::RemoveAllRows() {
  dropHighlight_ = nullptr;
  w_.lvPages->clear();
}

void BasketList::ShowRows(const QList<BasketItem>& rows) {
  RemoveAllRows();
  for (const BasketItem& row : rows) AppendRow(row);
}

QList<int> BasketList::SelectedIndexes() const {
  QList<int> selected;
  for (int i = 0; i < w_.lvPages->topLevelItemCount(); ++i)
    if (w_.lvPages->topLevelItem(i)->isSelected()) selected << i;
  return selected;
}

// Thumbnails and page files stay: other rows point at the thumbnails by index.
void BasketList::cmdPagesDelete_Click() {
  if (IsBusy()) return;
  w_.cmdPagesDelete->repaint();
  QList<BasketItem> rows = Rows();
  subRemoveSelectedRows(rows, SelectedIndexes());
  ShowRows(rows);
  ShowQueueCount();
}

void BasketList::cmdPagesNew_Click() {
  if (IsBusy()) return;
  // The rows and their page files go for good: ask first, as opening a basket file does.
  if (w_.lvPages->topLevelItemCount() > 0 && !AskToReplaceRows()) return;
  RemoveAllRows();
  ilPages_.clear();
  w_.queuePanel->setText(QStringLiteral("New Basket"));
  DeletePageFiles();
}

QList<BasketItem> BasketList::Rows() const {
  QList<BasketItem> rows;
  for (int i = 0; i < w_.lvPages->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = w_.lvPages->topLevelItem(i);
    rows.append({row->text(kName), row->data(0, kRowTagRole).toString(),
                 row->data(0, kRowThumbnailRole).toInt(), row->text(kResolution), row->text(kSize),
                 row->text(kType), row->text(kPath)});
  }
  return rows;
}

void BasketList::ShowQueueCount() {
  w_.queuePanel->setText(QString::number(w_.lvPages->topLevelItemCount()) +
                         QStringLiteral(" file(s) in basket"));
}

}  // namespace browse
