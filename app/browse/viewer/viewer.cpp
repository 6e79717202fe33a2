#include "app/browse/viewer/viewer.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <optional>

#include "app/browse/folder_rows.h"
#include "app/browse/picture_loader.h"
#include "app/metadata/metadata_service.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "app/shell/image_fit.h"
#include "app/shell/main_window.h"
#include "app/tasks/bitmap_merge.h"
#include "app/tasks/replay.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"
#include "platform/graphics/qimage_view.h"

namespace browse {

namespace {

using pictavo::ax::ImageBoxProxy;
using shell::Activity;
using shell::IgnoreErrors;

// The code with which the control reports any failure of its own.
constexpr int32_t kControlFailure = static_cast<int32_t>(0x8000FFFF);
constexpr auto kTiffSnapshot = pictavo::ax::TxGraphicsFormat(7);  // gfTIF
constexpr uint32_t kWhite = 0xFFFFFF;
// The container property both holders of the shown path carry.
constexpr char kTag[] = "Tag";
constexpr int kBestFit = 0;
constexpr int kOptimized = 1;

QString Lower(const QString& text) {
  return text.toLower();
}

bool ReadByTheControl(const QString& ext) {
  return ext == u"tiff" || ext == u"tif" || ext == u"jpg" || ext == u"jpeg";
}

QAction* Item(QMenu* menu, int index) {
  return menu->actions().value(index);
}

bool Ticked(QMenu* menu, int index) {
  QAction* item = Item(menu, index);
  return item && item->isChecked();
}

// Unticks every item and ticks item `index`; answers its caption.
QString TickOnly(QMenu* menu, int index) {
  for (QAction* item : menu->actions()) item->setChecked(false);
  QAction* item = Item(menu, index);
  if (!item) return {};
  item->setChecked(true);
  return item->text();
}

}  // namespace

Viewer::Viewer(shell::MainWindow& window, const tasks::TaskList& tasks,
               plat::com::ControlHost& maskScaler)
    : QObject(&window), w_(window), tasks_(tasks), maskScaler_(maskScaler) {
  WireMenus();
  connect(&w_, &shell::MainWindow::Ending, this, [this] { originalSnapshot_ = QByteArray(); });
}

// The handlers decide from the tick as it was before the click, so the menus do not tick by
// themselves: each item is put back as it was and the handler ticks.
void Viewer::WireMenus() {
  const auto wire = [this](QMenu* menu, void (Viewer::*handler)(int)) {
    const QList<QAction*> items = menu->actions();
    for (int index = 0; index < items.size(); ++index) {
      QAction* item = items[index];
      if (QActionGroup* group = item->actionGroup())
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
      connect(item, &QAction::triggered, this, [this, item, index, handler](bool checked) {
        item->setChecked(!checked);
        (this->*handler)(index);
      });
    }
  };
  wire(w_.mnuPreviewFit, &Viewer::mnuPreviewFit_Click);
  wire(w_.mnuPreviewType, &Viewer::mnuPreviewType_Click);
}

QString Viewer::ShownPath() const {
  return w_.PicTiff->property(kTag).toString();
}

void Viewer::subShowSelectedItem(ViewerRow& Item) {
  const QString path = Item.Path();
  if (path == ShownPath()) return;
  if (replaying_) {
    // The replay yields per row; reading now would let its next row land on the new image.
    stopReplay_ = true;
    pendingRow_ = Item.Clone();
    return;
  }
  // A replay edit mode runs on the image is not ours to stop: its remaining rows would land on
  // the new image.
  if (tasks::IsReplaying(*w_.ibMain)) return;
  IgnoreErrors([this] { ImageBoxProxy(w_.ibMain->Dispatch()).Clear(); });
  w_.lvExif->clear();
  w_.lvIPTC->clear();
  readFailure_.clear();
  fncReadFile(path, Item);
  if (!readFailure_.isEmpty()) ShowReadFailure(path);
  IgnoreErrors([&] { FillResolution(Item); });
  IgnoreErrors([&] { ShowMetadata(path); });
  IgnoreErrors([this] { ShowMetadataPanel(); });
  ShowPendingRow();
}

void Viewer::ShowPendingRow() {
  const std::unique_ptr<ViewerRow> row = std::move(pendingRow_);
  if (row && row->Listed()) subShowSelectedItem(*row);
}

void Viewer::FillResolution(ViewerRow& Item) {
  const QString resolution = Item.Resolution();
  if (resolution != u"0 X 0 X 0" && !resolution.isEmpty()) return;
  ImageBoxProxy box(w_.ibMain->Dispatch());
  Item.SetResolution(QStringLiteral("%1 X %2 X %3")
                         .arg(box.get_ImageWidth())
                         .arg(box.get_ImageHeight())
                         .arg(box.get_XDPI()));
}

void Viewer::ShowMetadata(const QString& Path) {
  shell::clsFileInfo& facts = shell::gobjFileInfo();
  facts.FilePath(Path);
  const QString ext = Lower(facts.fFileExtention());
  metadata::MetadataService* service = metadata::Metadata();
  QTabBar* tabs = w_.tbsMetadata->Tabs();
  if (ReadByTheControl(ext)) {
    w_.subShowMetadataPane(true, true);
    if (service) {
      service->ReadFileEXIFInfo(w_.ibMain, w_.lvExif, ShownPath());
      service->ReadFileIPTCInfo(w_.ibMain, w_.lvIPTC, ShownPath());
    }
    tabs->setCurrentIndex(0);
    w_.tbsMetadata->setEnabled(true);
  } else if (ext == u"psd") {
    w_.subShowMetadataPane(false, true);
    if (service) service->ReadFileIPTCInfo(w_.ibMain, w_.lvIPTC, ShownPath());
    tabs->setCurrentIndex(1);
    w_.tbsMetadata->setEnabled(false);
  } else {
    w_.subShowMetadataPane(false, false);
    w_.tbsMetadata->setEnabled(true);
  }
}

void Viewer::ShowMetadataPanel() {
  QString text = QStringLiteral("Metadata - ");
  bool any = false;
  if (w_.lvExif->topLevelItemCount() > 0) text += QStringLiteral("EXIF"), any = true;
  if (plat::com::IsTrue(ImageBoxProxy(w_.ibMain->Dispatch()).get_HasFileInfo()))
    text += QStringLiteral(" IPTC"), any = true;
  w_.Panel(QStringLiteral("metadata"))->setText(any ? text : QStringLiteral("No metadata"));
}

void Viewer::fncReadFile(const QString& Path, const ViewerRow& Shown) {
  const std::optional<shell::TrappedError> error = shell::RunTrapped(
      [&] {
        shell::SetActivity(Activity::ReadingSelectedImageFile);
        shell::gobjFileInfo().FilePath(Path);
        ImageBoxProxy(w_.ibMain->Dispatch()).Clear();
        // Until this read completes, nothing may name the file shown before.
        ForgetShownFile();
        ImageBoxProxy box(w_.ibMain->Dispatch());
        if (Ticked(w_.mnuPreviewFit, kBestFit))
          box.put_AutoZoom(true);
        else if (Ticked(w_.mnuPreviewFit, 1))
          box.put_AutoZoom(false);
        const QString ext = Lower(shell::gobjFileInfo().fFileExtention());
        if (ReadByTheControl(ext))
          ReadByControl(Path, Shown);
        else
          ReadByLoader(Path, Shown);
      },
      __LINE__);
  if (!error) return;
  if (error->number == kControlFailure) {
    // The control could not decode it: the loader tries once more; what fails there is the
    // caller's to ignore.
    IgnoreErrors([&] { ReadByLoader(Path, Shown); });
    return;
  }
  readFailure_ = error->description;
  shell::subGlobalErrorHandler(error->description, error->number, error->line,
                               shell::RoutineLabel(shell::Routine::FrmMain_fncReadFile));
}

void Viewer::ShowReadFailure(const QString& Path) {
  QLabel* panel = w_.Panel(QStringLiteral("filename"));
  panel->setText(QStringLiteral("Cannot show ") + QFileInfo(Path).fileName() +
                 QStringLiteral(": ") + readFailure_);
}

void Viewer::ForgetShownFile() {
  originalSnapshot_.clear();
  picTiff_ = QImage();
  w_.PicTiff->setProperty(kTag, QString());
  w_.ibMain->setProperty(kTag, QString());
  w_.Panel(QStringLiteral("filename"))->setText(QStringLiteral("No file selected"));
  w_.Panel(QStringLiteral("pages"))->clear();
  w_.Panel(QStringLiteral("resolution"))->clear();
}

void Viewer::ReadByControl(const QString& Path, const ViewerRow& Shown) {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  box.put_ReadImageNumber(1);
  box.LoadFromFile(Path.toStdString());
  // A blank white page stays loaded but is not taken as the shown file.
  if (plat::com::IsTrue(box.get_IsBlank())) return;
  FinishRead(Path, Shown);
}

void Viewer::ReadByLoader(const QString& Path, const ViewerRow& Shown) {
  int32_t width = 0;
  int32_t height = 0;
  picTiff_ = LoadPic(Path, kOwnSize, -1, -1, kWhite, width, height);
  if (picTiff_.isNull()) {
    w_.PicTiff->hide();
    readFailure_ = UnreadableReason(Path);
    return;
  }
  ImageBoxProxy box(w_.ibMain->Dispatch());
  tasks::LoadBitmap(box, plat::FromQImage(picTiff_));
  FinishRead(Path, Shown);
}

void Viewer::FinishRead(const QString& Path, const ViewerRow& Shown) {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  const QByteArray snapshot = plat::com::ToQVariant(box.WriteBinary(kTiffSnapshot)).toByteArray();
  if (w_.mbOptimizedView && !ReplayTasks()) return;
  shell::subFitImageToView(w_.PicViewImage, w_.ibMain, w_.hsbView, w_.vsbView);
  originalSnapshot_ = snapshot;
  w_.PicTiff->setProperty(kTag, Path);
  shell::gobjFileInfo().FilePath(Path);
  w_.Panel(QStringLiteral("filename"))->setText(shell::gobjFileInfo().fName32bit());
  ShowFilePanels(Shown);
  w_.ibMain->setVisible(true);
  w_.ibMain->setProperty(kTag, Path);
  shell::SetActivity(Activity::FittingImageToContainer);
}

// The panels describe the shown row, from whichever list it came.
void Viewer::ShowFilePanels(const ViewerRow& Shown) {
  const std::optional<QString> pages = Shown.Pages();
  w_.Panel(QStringLiteral("pages"))
      ->setText(pages ? *pages + QStringLiteral(" page(s)") : QString());
  w_.Panel(QStringLiteral("resolution"))
      ->setText(Shown.Resolution() + QStringLiteral("     ") + Shown.Size());
}

bool Viewer::ReplayTasks() {
  replaying_ = true;
  stopReplay_ = false;
  const tasks::ReplayEnd end = tasks::subProcessTaskBasket(
      tasks_, *w_.ibMain, maskScaler_, false, 0, [this](int, int) { return !stopReplay_; });
  replaying_ = false;
  const bool stopped = stopReplay_ || end == tasks::ReplayEnd::Cancelled;
  stopReplay_ = false;
  return !stopped;
}

void Viewer::subShowPreviousItem(QTreeWidget* List) {
  Step(List, -1);
}

void Viewer::subShowNextItem(QTreeWidget* List) {
  Step(List, +1);
}

void Viewer::Step(QTreeWidget* List, int offset) {
  const int count = List->topLevelItemCount();
  const QList<QTreeWidgetItem*> selected = List->selectedItems();
  if (count < 2 || selected.isEmpty()) return;
  const int target = List->indexOfTopLevelItem(selected.first()) + offset;
  if (target < 0 || target >= count) return;
  QTreeWidgetItem* item = List->topLevelItem(target);
  ListViewRow row(List, item, List == w_.lvPages ? RowList::Basket : RowList::FileList);
  subShowSelectedItem(row);
  IgnoreErrors([&] {
    List->clearSelection();
    List->setCurrentItem(item);
    item->setSelected(true);
    List->setFocus();
  });
}

void Viewer::DropImageSelection() {
  IgnoreErrors([this] { ImageBoxProxy(w_.ibMain->Dispatch()).CancelSelection(); });
  if (subClearSelection) IgnoreErrors(subClearSelection);
}

QTreeWidget* Viewer::FocusedList() const {
  return mstrFocusedList == u"lvPages" ? w_.lvPages : w_.lvFolder;
}

void Viewer::cmdPreviewPrevious_Click() {
  DropImageSelection();
  subShowPreviousItem(FocusedList());
}

void Viewer::cmdPreviewNext_Click() {
  DropImageSelection();
  subShowNextItem(FocusedList());
}

void Viewer::subFixedSizeTiff() {
  shell::Trap(shell::Routine::FrmMain_subFixedSizeTiff, [this] {
    shell::SetActivity(Activity::ResizingImageToPreviewSetting);
    if (ShownPath().isEmpty()) return;
    ImageBoxProxy box(w_.ibMain->Dispatch());
    if (Ticked(w_.mnuPreviewFit, kBestFit)) {
      box.put_AutoZoom(true);
    } else {
      box.put_AutoZoom(false);
      box.put_Zoom(100.0);
    }
    w_.vsbView->setValue(0);
    w_.hsbView->setValue(0);
    shell::subFitImageToView(w_.PicViewImage, w_.ibMain, w_.hsbView, w_.vsbView);
  });
}

void Viewer::mnuPreviewFit_Click(int Index) {
  if (Ticked(w_.mnuPreviewFit, Index)) return;
  const QString caption = TickOnly(w_.mnuPreviewFit, Index);
  w_.cmdPreviewView->setText(QStringLiteral("    ") + caption);
  w_.cmdPreviewView->repaint();
  subFixedSizeTiff();
  IgnoreErrors(
      [this] { shell::subFitImageToView(w_.PicViewImage, w_.ibMain, w_.hsbView, w_.vsbView); });
  IgnoreErrors([this] {
    w_.Panel(QStringLiteral("status"))
        ->setText(shell::ZoomText(ImageBoxProxy(w_.ibMain->Dispatch()).get_Zoom()));
  });
}

void Viewer::mnuPreviewType_Click(int Index) {
  if (Ticked(w_.mnuPreviewType, Index)) return;
  const QString caption = TickOnly(w_.mnuPreviewType, Index);
  w_.mbOptimizedView = Index == kOptimized;
  IgnoreErrors([this] {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    if (!plat::com::IsTrue(box.get_ImageLoaded())) return;
    if (w_.mbOptimizedView)
      ReplayTasks();
    else
      box.ReadBinary(kTiffSnapshot, plat::com::ToVariant(originalSnapshot_));
  });
  w_.cmdPreviewType->setText(QStringLiteral("     ") + caption);
  IgnoreErrors([this] { w_.subResize(); });
  ShowPendingRow();
}

}  // namespace browse
