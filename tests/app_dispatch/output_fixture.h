#pragma once
// The program's own wiring of the outputs on a shown main window with real ImageBox controls:
// the viewer and basket panes, the folder browser and the output pane. ImageMagick writes the
// images; doubles of the output forms record what reaches them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/browse/basket_list.h"
#include "app/browse/folder_pane.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/output/output_pane.h"
#include "app/output/output_services.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app_shell/recording_ui.h"
#include "platform/com/control_host.h"
#include "support/qstring_print.h"

namespace velmora_test {

// What reached the output forms.
struct FormCall {
  std::string form;
  int32_t saveType = -1;
  int rows = -1;
  QString shownFile;      // as handed over
  QString shownAtCall;    // ibMain's Tag when the form was called
  bool underRun = false;  // whether an output was marked running during the call
};

class OutputFixture : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  // Every output form is a double unless a test clears its slot.
  void SetUp() override {
    output::Outputs() = {};
    RegisterDoubles();
    shell::subLoadSetup();
    shell::subDeleteSetup();
    OpenWindow();
    ui_.messages.clear();  // the start-up's own notes are not the outputs'
  }
  void TearDown() override {
    CloseWindow();
    output::Outputs() = {};
  }

  void OpenWindow() {
    window_ = std::make_unique<shell::MainWindow>();
    window_->move(0, 0);
    window_->resize(800, 600);
    window_->show();
    QApplication::processEvents();
    browser_ = browse::AttachFolderBrowser(*window_);
    pane_ = std::make_unique<browse::ViewerPane>(*window_, *browser_);
    outputs_ = std::make_unique<output::OutputPane>(*window_, *pane_, browser_);
  }
  // Closes the window as the user does: the settings are written.
  void CloseWindow() {
    if (!window_) return;
    window_->close();
    outputs_.reset();
    pane_.reset();
    window_.reset();
  }

  QString File(const QString& name) const { return dir_.filePath(name); }
  // Writes an image with ImageMagick.
  static void Make(const std::string& operations, const QString& path) {
    const std::string command = "convert " + operations + " -depth 8 '" + path.toStdString() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  // Appends a basket row for a new w x h image of one colour; answers its file.
  QString AddRow(const QString& text, const std::string& colour, int w = 40, int h = 30) {
    const QString path = File(text + QStringLiteral(".png"));
    Make("-size " + std::to_string(w) + "x" + std::to_string(h) + " xc:" + colour, path);
    pane_->Basket().AppendEntry({text, path, -1, {}, {}, {}, path}, QPixmap());
    return path;
  }
  QTreeWidgetItem* Row(int index) const { return window_->lvPages->topLevelItem(index); }
  void ShowRow(int index) {
    browse::ListViewRow row(window_->lvPages, Row(index), browse::RowList::Basket);
    pane_->View().subShowSelectedItem(row);
  }
  QString ShownTag() const { return window_->ibMain->property("Tag").toString(); }

  // Doubles of every output form, each recording its calls.
  void RegisterDoubles() {
    output::OutputServices& services = output::Outputs();
    services.frmSaveSinglePage = [this](QWidget*) { Record("frmSaveSinglePage"); };
    services.fncSaveSinglePage = [this](const output::Basket& rows, const tasks::TaskList&,
                                        plat::com::ControlHost&, QProgressBar&, QImage&) {
      Record("fncSaveSinglePage", -1, static_cast<int>(rows.size()));
    };
    services.frmScreensaverDemo = [this](QWidget*, int32_t type, const output::Basket& basket,
                                         const QString& shown, const tasks::TaskList&,
                                         plat::com::ControlHost&, QImage&) {
      Record("frmScreensaverDemo", type, static_cast<int>(basket.size()), shown);
    };
    services.frmSlideShow = [this](QWidget*, const output::Basket& basket, const tasks::TaskList&,
                                   plat::com::ControlHost&, QImage&) {
      Record("frmSlideShow", -1, static_cast<int>(basket.size()));
    };
    services.frmGreetingDemo = [this](QWidget*, const QString& shown, const tasks::TaskList&,
                                      plat::com::ControlHost&,
                                      QImage&) { Record("frmGreetingDemo", -1, -1, shown); };
    services.fncSavePreviewToFile_Dialog = [this](plat::com::ControlHost&) {
      Record("fncSavePreviewToFile_Dialog");
    };
  }
  void Record(const char* form, int32_t saveType = -1, int rows = -1, const QString& shown = {}) {
    calls_.push_back({form, saveType, rows, shown, ShownTag(), output::RunningOutput().Running()});
  }
  std::vector<std::string> CalledForms() const {
    std::vector<std::string> forms;
    for (const FormCall& call : calls_) forms.push_back(call.form);
    return forms;
  }

  QTemporaryDir dir_;
  RecordingUi ui_;
  std::unique_ptr<shell::MainWindow> window_;
  browse::FolderBrowser* browser_ = nullptr;
  std::unique_ptr<browse::ViewerPane> pane_;
  std::unique_ptr<output::OutputPane> outputs_;
  std::vector<FormCall> calls_;
};

// The captions of a menu's items, "-" for a separator.
inline std::vector<QString> Captions(const QMenu* menu) {
  std::vector<QString> captions;
  for (const QAction* item : menu->actions())
    captions.push_back(item->isSeparator() ? QStringLiteral("-") : item->text());
  return captions;
}

inline std::vector<bool> Enabled(const QMenu* menu) {
  std::vector<bool> enabled;
  for (const QAction* item : menu->actions()) enabled.push_back(item->isEnabled());
  return enabled;
}

}  // namespace velmora_test
