#include "app/metadata/metadata_pane.h"

#include <QApplication>
#include <QHeaderView>
#include <QTabBar>
#include <QTreeWidget>

#include "app/browse/list_sort.h"
#include "app/controls/popup_menu.h"
#include "app/metadata/attribute_dialogs.h"
#include "app/metadata/control_text.h"
#include "app/metadata/exif_set_file.h"
#include "app/metadata/iptc_fields.h"
#include "app/metadata/iptc_list_dialogs.h"
#include "app/metadata/metadata_dates.h"
#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_write.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "app/shell/main_window.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace metadata {

namespace {

using pictavo::ax::ImageBoxProxy;
using shell::Activity;
using shell::Routine;

constexpr char kTag[] = "Tag";
const QString kFfoFilter = QStringLiteral("IPTC File Info (*.ffo)|*.ffo");

QString Title() {
  return QApplication::applicationName();
}

bool Confirmed(const QString& text) {
  return shell::Ui().AskYesNoCancel(text + QStringLiteral("\r\nDo you want to continue?"), Title(),
                                    shell::MessageIcon::Information) == shell::Answer::Yes;
}

void ShowError(const QString& text) {
  shell::Ui().Message(text, Title(), shell::MessageIcon::Error);
}

// The selected row of `list`, or null when it has none.
QTreeWidgetItem* SelectedItem(const QTreeWidget* list) {
  const QList<QTreeWidgetItem*> selected = list->selectedItems();
  if (!selected.isEmpty()) return selected.front();
  return list->currentItem();
}

QString FileDialog(const QString& title, void (*show)()) {
  return AskForFile(title, kFfoFilter, show);
}

bool IsIptcDate(const QString& label) {
  const IptcField* field = IptcFieldByLabel(label);
  return field && field->kind == IptcKind::Date;
}

QString Extension(const QString& path) {
  shell::gobjFileInfo().FilePath(path);
  return shell::gobjFileInfo().fFileExtention().toLower();
}

}  // namespace

void MetadataPane::Attach(shell::MainWindow* window) {
  w_ = window;
  auto* tabs = w_->tbsMetadata->Tabs();
  // Selection from code (the viewer's PSD case) switches the lists as a click does.
  QObject::connect(tabs, &QTabBar::currentChanged, w_,
                   [this](int index) { shell::IgnoreErrors([&] { tbsMetadata_Click(index); }); });
  velmora::OnClick(w_->lblMetadata, [this] { lblMetadata_Click(); });
  for (QTreeWidget* list : {w_->lvExif, w_->lvIPTC}) {
    list->header()->setSectionsClickable(true);
    QObject::connect(list->header(), &QHeaderView::sectionClicked, list, [list](int column) {
      shell::IgnoreErrors([&] { browse::subSortByColumn(list, column); });
    });
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, list,
                     [this] { shell::IgnoreErrors([this] { subEditAttribute(); }); });
  }
  tbsMetadata_Click(tabs->currentIndex());
}

void MetadataPane::subInitMetadataTables() {
  reader_.subInitMetadataTables();
}

void MetadataPane::ReadFileEXIFInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                                    const QString& path) {
  reader_.ReadFileEXIFInfo(imageControl, list, path);
}

void MetadataPane::ReadFileIPTCInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                                    const QString& path) {
  reader_.ReadFileIPTCInfo(imageControl, list, path);
}

void MetadataPane::cmdEXIFBar_Click(int16_t index) {
  if (!w_) return;
  static void (MetadataPane::*const commands[])() = {
      &MetadataPane::subEditAttribute,   &MetadataPane::subAddExifAttribute,
      &MetadataPane::subDeleteAttribute, &MetadataPane::subClearAllAttributes,
      &MetadataPane::subOpenExifSet,     &MetadataPane::subSaveExifSet};
  if (index < 0 || index >= static_cast<int16_t>(std::size(commands))) return;
  (this->*commands[index])();
}

void MetadataPane::cmdIPTCBar_Click(int16_t index) {
  if (!w_) return;
  static void (MetadataPane::*const commands[])() = {
      &MetadataPane::subEditAttribute, &MetadataPane::subImportFileInfo,
      &MetadataPane::subExportFileInfo, &MetadataPane::subDeleteAttribute,
      &MetadataPane::subClearAllAttributes};
  if (index < 0 || index >= static_cast<int16_t>(std::size(commands))) return;
  (this->*commands[index])();
}

void MetadataPane::subOpenExifSet() {
  fncOpenEXIF(w_->lvExif, w_->ibMain);
}

void MetadataPane::subSaveExifSet() {
  fncSaveEXIF(w_->lvExif, w_->ibMain);
}

void MetadataPane::tbsMetadata_Click(int index) {
  const bool exif = index == 0;
  w_->lvExif->setVisible(exif);
  w_->picEXIFBar->setVisible(exif);
  w_->lvIPTC->setVisible(!exif);
  w_->picIPTCBar->setVisible(!exif);
  shell::gbytMetadataTab = exif ? 0 : 1;
}

void MetadataPane::lblMetadata_Click() {
  const bool exif = w_->tbsMetadata->Tabs()->currentIndex() == 0;
  velmora::PopUpBelow(exif ? w_->frmFrameDummy->mnuEXIF : w_->frmFrameDummy->mnuIPTC,
                      w_->lblMetadata);
}

QString MetadataPane::ShownPath() const {
  return w_->PicTiff->property(kTag).toString();
}

QString MetadataPane::ControlPath() const {
  return w_->ibMain->property(kTag).toString();
}

void MetadataPane::subEditAttribute() {
  shell::Trap(Routine::FrmMain_subEditAttribute, [this] {
    shell::SetActivity(Activity::EditingMetadata);
    PaneState& state = gPaneState;
    QTreeWidget* list = shell::gbytMetadataTab == 0 ? w_->lvExif : w_->lvIPTC;
    QTreeWidgetItem* item = SelectedItem(list);
    if (!item) return;
    const MetadataRow row(item);
    if (shell::gbytMetadataTab == 0) {
      if (row.Key().isEmpty()) return;
      state.gstrAttributeName = row.Tag();
    } else {
      state.gstrAttributeName = row.Text();
    }
    state.gstrAttributeValue = row.Value();
    if (state.gstrAttributeName == u"Supplemental Categories") {
      frmIPTCCategory dialog(*this, w_);
      dialog.subSetup(w_->ibMain);
      dialog.exec();
    } else if (state.gstrAttributeName == u"Keywords") {
      frmIPTCKeywords dialog(*this, w_);
      dialog.subSetup(w_->ibMain);
      dialog.exec();
    } else {
      EditInDialog();
    }
  });
  gPaneState.gbAttributeOK = false;
}

void MetadataPane::EditInDialog() {
  PaneState& state = gPaneState;
  state.gbAttributeOK = false;
  frmExifEditAttribute dialog(state, {}, w_);
  dialog.subSetup();
  dialog.exec();
  if (!state.gbAttributeOK) return;
  const uint8_t kind = shell::gbytMetadataTab;
  QTreeWidget* list = kind == 0 ? w_->lvExif : w_->lvIPTC;
  QString shown = state.gstrAttributeValue;
  QVariant value = shown;
  if (kind != 0 && IsIptcDate(state.gstrAttributeName)) {
    const std::optional<double> date = ParseShownDate(shown);
    if (!date) throw shell::AppError(13, "Type mismatch");
    value = *date;
    shown = ShownShortDate(*date);
  }
  if (!fncUpdateAttribute(ShownPath(), kind, state.gstrAttributeName, value, w_->ibMain)) {
    if (kind == 0) ShowError(QStringLiteral("The value is not valid for this attribute!"));
    return;
  }
  if (QTreeWidgetItem* item = SelectedItem(list)) MetadataRow(item).SetValue(shown);
}

void MetadataPane::subAddExifAttribute() {
  shell::Trap(Routine::FrmMain_subAddExifAttribute, [this] {
    shell::SetActivity(Activity::AddingMetadataAttribute);
    const QString path = ShownPath();
    if (path.isEmpty() || shell::gbytMetadataTab != 0) return;
    if (WriteBackFor(path) == WriteBack::ControlOnly || Extension(path) == u"psd") return;
    PaneState& state = gPaneState;
    state.gbAttributeOK = false;
    frmExifNewAttribute dialog(w_->lvExif, state, {}, w_);
    dialog.subSetup();
    dialog.exec();
    if (!state.gbAttributeOK) return;
    if (!fncUpdateAttribute(path, kExifKind, state.gstrAttributeName, state.gstrAttributeValue,
                            w_->ibMain)) {
      ShowError(QStringLiteral("The value is not valid for this attribute!"));
      return;
    }
    MetadataRow row =
        MetadataRow::Add(w_->lvExif, state.gstrAttributeName, state.gstrAttributeName, 1);
    row.SetTag(state.gstrAttributeName);
    row.SetValue(state.gstrAttributeValue);
  });
  gPaneState.gbAttributeOK = false;
}

void MetadataPane::subDeleteAttribute() {
  shell::Trap(Routine::FrmMain_subDeleteAttribute, [this] {
    shell::SetActivity(Activity::DeletingMetadataAttribute);
    if (shell::gbytMetadataTab == 0) {
      QTreeWidgetItem* item = SelectedItem(w_->lvExif);
      if (!item) return;
      gPaneState.gstrAttributeName = MetadataRow(item).Tag();
      if (!fncDeleteAttribute(gPaneState.gstrAttributeName, w_->ibMain, w_->lvExif))
        ShowError(QStringLiteral("Error deleting attribute"));
    } else if (shell::gbytMetadataTab == 1) {
      DeleteIptc();
    }
  });
}

void MetadataPane::DeleteIptc() {
  QTreeWidgetItem* item = SelectedItem(w_->lvIPTC);
  if (!item) return;
  MetadataRow row(item);
  if (row.Value().trimmed().isEmpty()) return;
  const QString label = row.Text();
  gPaneState.gstrAttributeName = label;
  const bool list = label == u"Keywords" || label == u"Supplemental Categories";
  const bool done = list ? fncDeleteIPTC_Keywords_suppCat(ShownPath(), label, w_->ibMain)
                         : fncUpdateAttribute(ShownPath(), 1, label, QString(), w_->ibMain);
  if (!done) {
    ShowError(QStringLiteral("Error deleting the attribute!"));
    return;
  }
  row.SetValue(QString());
}

void MetadataPane::subClearAllAttributes() {
  shell::Trap(Routine::FrmMain_subClearAllAttributes, [this] {
    shell::SetActivity(Activity::ClearingAllMetadata);
    const ImageBoxProxy box = Box(w_->ibMain);
    if (shell::gbytMetadataTab == 0) {
      if (w_->lvExif->topLevelItemCount() == 0) return;
      if (!Confirmed(
              QStringLiteral("All EXIF metadata available in the current image will be deleted!")))
        return;
      box.ExifClear();
      w_->lvExif->clear();
    } else if (shell::gbytMetadataTab == 1) {
      if (w_->lvIPTC->topLevelItemCount() == 0) return;
      if (!Confirmed(
              QStringLiteral("All IPTC metadata available in the current image will be deleted!")))
        return;
      box.FFO_Clear();
      for (int i = 0; i < w_->lvIPTC->topLevelItemCount(); ++i)
        MetadataRow(w_->lvIPTC->topLevelItem(i)).SetValue(QString());
    } else {
      return;
    }
    if (plat::com::IsTrue(box.get_ImageLoaded())) WriteMetadataBack(ShownPath(), w_->ibMain);
  });
}

// A file the control rejects, or one it cannot write, is reported with the control's message and
// changes nothing else.
void MetadataPane::subImportFileInfo() {
  shell::Trap(Routine::FrmMain_cmdIPTCBar_Click, [this] {
    if (w_->lvIPTC->topLevelItemCount() == 0) return;
    const ImageBoxProxy box = Box(w_->ibMain);
    if (plat::com::IsTrue(box.get_ImageLoaded()) && plat::com::IsTrue(box.get_HasFileInfo()) &&
        !Confirmed(QStringLiteral(
            "Loading a .ffo file will replace all IPTC metadata of the current image.")))
      return;
    const QString file =
        FileDialog(QStringLiteral("Open IPTC .ffo file"), shell::subShowOpenDialog);
    if (file.isEmpty()) return;
    box.FFO_Load(Arg(file));
    if (!plat::com::IsTrue(box.get_HasFileInfo())) return;
    const QString path = ShownPath();
    WriteMetadataBack(path, w_->ibMain);
    w_->lvIPTC->clear();
    metadata::ReadFileIPTCInfo(w_->ibMain, w_->lvIPTC, path);
  });
}

void MetadataPane::subExportFileInfo() {
  shell::Trap(Routine::FrmMain_cmdIPTCBar_Click, [this] {
    const ImageBoxProxy box = Box(w_->ibMain);
    if (w_->lvIPTC->topLevelItemCount() == 0 || !plat::com::IsTrue(box.get_ImageLoaded())) return;
    QString file = FileDialog(QStringLiteral("Save IPTC Information"), shell::subShowSaveDialog);
    if (file.isEmpty()) return;
    if (!file.right(4).toLower().endsWith(u".ffo")) file += QStringLiteral(".ffo");
    box.FFO_Save(Arg(file));
  });
}

void MetadataPane::subUpdateIPTC_Keywords(const QStringList& keywords) {
  shell::Trap(Routine::FrmMain_subUpdateIPTC_Keywords, [&] {
    const ImageBoxProxy box = Box(w_->ibMain);
    box.FFO_KeywordsClear();
    for (const QString& keyword : keywords) box.FFO_KeywordsAdd(Arg(keyword));
    RewriteIptcList(keywords.join(QLatin1Char(',')));
  });
}

void MetadataPane::subUpdateIPTC_Category(const QStringList& categories, const QString& urgency) {
  shell::Trap(Routine::FrmMain_subUpdateIPTC_Category, [&] {
    const ImageBoxProxy box = Box(w_->ibMain);
    box.FFO_SuppCatClear();
    for (const QString& category : categories) box.FFO_SuppCatAdd(Arg(category));
    box.put_FFO_Urgency(urgency == u"None" ? 0 : urgency.toInt());
    RewriteIptcList(categories.join(QLatin1Char(',')));
  });
}

// TIFF and PSD files take the lists through the same in-place rewrite as every other change.
void MetadataPane::RewriteIptcList(const QString& shown) {
  WriteMetadataBack(ControlPath(), w_->ibMain);
  if (QTreeWidgetItem* item = SelectedItem(w_->lvIPTC)) MetadataRow(item).SetValue(shown);
}

}  // namespace metadata
