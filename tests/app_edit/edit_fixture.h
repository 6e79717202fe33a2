#pragma once
// A main window built as the program builds it (viewer, outputs, edit mode) with a picture
// shown, for the edit mode tests.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/browse/folder_pane.h"
#include "app/browse/viewer/viewer_menu.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/browse/viewer/viewer_row.h"
#include "app/controls/themed_task_pane.h"
#include "app/edit/edit_mode.h"
#include "app/output/output_pane.h"
#include "app/shell/busy_dialog.h"
#include "app/shell/error_report.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/editing_task.h"
#include "app_shell/modal_helper.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "support/control_pixels.h"
#include "support/qstring_print.h"

namespace edit_test {

using edit::EditMode;
using pictavo::ax::ImageBoxProxy;
using shell::Arrangement;

constexpr int kInvert = 11;

// Closes every error report the global handler opens, counting them.
class ReportCloser {
 public:
  ReportCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* report = qobject_cast<shell::frmErrorReport*>(QApplication::activeModalWidget())) {
        ++count;
        report->reject();
      }
    });
    timer_.start(5);
  }
  int count = 0;

 private:
  QTimer timer_;
};

// Acts once on the busy dialog of the next long operation, as soon as it is on screen, while the
// operation runs; `act` gets the dialog.
class WhileBusy {
 public:
  explicit WhileBusy(std::function<void(shell::frmStatus&)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* status = dynamic_cast<shell::frmStatus*>(window);
        if (!status || !status->isVisible()) continue;
        timer_.stop();
        seen = true;
        act_(*status);
        return;
      }
    });
    timer_.start(0);
  }
  bool seen = false;

 private:
  std::function<void(shell::frmStatus&)> act_;
  QTimer timer_;
};

class EditModeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    window_->resize(900, 650);
    window_->show();
    browse::FolderBrowser* browser = browse::AttachFolderBrowser(*window_);
    viewer_ = std::make_unique<browse::ViewerPane>(*window_, *browser);
    outputs_ = std::make_unique<output::OutputPane>(*window_, *viewer_, browser);
    edit_ = std::make_unique<EditMode>(*window_, *viewer_, outputs_->ViewerMenu());
    QApplication::processEvents();
  }
  void TearDown() override {
    edit_.reset();
    outputs_.reset();
    viewer_.reset();
    window_.reset();
  }

  // Shows a picture in the viewer: by default 40 x 30, red on the left half, blue on the right.
  // `format` is ImageMagick's output prefix ("PNG24:" for true colour).
  void ShowPicture(const std::string& make = "-size 20x30 xc:red -size 20x30 xc:blue +append",
                   const std::string& format = "") {
    path_ = dir_.filePath(QStringLiteral("shown.png"));
    const std::string command =
        "convert " + make + " -depth 8 " + format + "'" + path_.toStdString() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto* item = new QTreeWidgetItem(window_->lvFolder, {QStringLiteral("shown.png")});
    item->setData(0, browse::kRowTagRole, path_);
    browse::ListViewRow row(window_->lvFolder, item, browse::RowList::FileList);
    viewer_->View().subShowSelectedItem(row);
    ASSERT_EQ(viewer_->View().ShownPath(), path_);
  }
  ImageBoxProxy Box() const { return ImageBoxProxy(window_->ibMain->Dispatch()); }
  QImage Shown() {
    ImageBoxProxy box = Box();
    return Pixels(box);
  }
  QByteArray Snapshot() {
    return plat::com::ToQVariant(Box().WriteBinary(pictavo::ax::TxGraphicsFormat(7))).toByteArray();
  }
  velmora::ucTaskPane& TaskPane() const {
    return static_cast<velmora::ThemedTaskPane&>(edit_->Pane()).Pane();
  }
  // The normal group with `key`; nullptr if the pane has none.
  const velmora::BarGroup* Group(const QString& key) const {
    const velmora::PaneModel& model = TaskPane().Model();
    for (int n = 1; n <= model.m_GroupCount; ++n)
      if (model.m_Groups[static_cast<size_t>(n)].sKey == key)
        return &model.m_Groups[static_cast<size_t>(n)];
    return nullptr;
  }
  QString DialogCaption() const {
    const velmora::BarGroup* dialog = Group(QStringLiteral("Dialog"));
    return dialog != nullptr ? dialog->sCaption : QString();
  }
  void SetOptimizedView(bool optimized) { window_->mbOptimizedView = optimized; }

  QTemporaryDir dir_;
  QString path_;
  RecordingUi ui_;
  std::unique_ptr<shell::MainWindow> window_;
  std::unique_ptr<browse::ViewerPane> viewer_;
  std::unique_ptr<output::OutputPane> outputs_;
  std::unique_ptr<EditMode> edit_;
};

class PanelTest : public EditModeTest {
 protected:
  void SetUp() override {
    EditModeTest::SetUp();
    ShowPicture("-size 400x300 xc:gray");
    edit_->CmdPreviewEdit_Click();
    ASSERT_EQ(edit_->State().glEditMode, 1);
  }
  void Choose(const char* key) {
    edit_->eb_ItemClick(velmora::kSpecialGroupKey, QString::fromLatin1(key));
  }
  static void LeaveBox(QLineEdit* box) {
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(box, &out);
  }
  edit::TaskPanels& P() { return edit_->Panels(); }
};

}  // namespace edit_test
