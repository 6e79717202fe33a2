// The basket's "SaveAs", "Save Batch" and "Context Basket" menus and the output dispatch, with
// doubles of the output forms; the batch conversion also with its real form and run, checked by
// OpenJPEG's own reader.
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "app/controls/splitter.h"
#include "app/output/batch_services.h"
#include "app/shell/busy_dialog.h"
#include "app_shell/modal_helper.h"
#include "output_fixture.h"

namespace {

using velmora_test::Captions;
using velmora_test::Enabled;
using velmora_test::OutputFixture;

const QString kTwoImages =
    QStringLiteral("You need at least 2 images in the basket to use this feature!");

class BasketMenusTest : public OutputFixture {
 protected:
  output::BasketMenus& Menus() { return outputs_->Basket(); }
  void AddRows(int count) {
    for (int i = 0; i < count; ++i) AddRow(QStringLiteral("row%1").arg(i), "red");
  }
  QAction* Item(QMenu* menu, int index) { return menu->actions().at(index); }
  // Enabled states as the menu shows them when it opens.
  std::vector<bool> EnabledOnOpen(QMenu* menu, const std::function<void()>& open) {
    open();
    std::vector<bool> enabled = Enabled(menu);
    menu->close();
    return enabled;
  }
};

TEST_F(BasketMenusTest, MenusHaveTheirItemsInOrder) {
  EXPECT_EQ(Captions(Menus().mnuSaveAsParent()),
            (std::vector<QString>{"Save basket as JPEG2000 files in batch",
                                  "Generate screensaver out of basket",
                                  "Generate slide show out of basket"}));
  EXPECT_EQ(
      Captions(Menus().mnuBatchParent()),
      (std::vector<QString>{"Save basket into JPEG 2000 files in batch", "-",
                            "Generate Screensaver from basket", "Generate Slide Show from basket",
                            "-", "Print all images in basket", "-", "Acquire from twain devices",
                            "Capture..", "-", "New Image Basket", "Open Image Basket",
                            "Save Image Basket", "Remove selected images"}));
  EXPECT_EQ(Captions(Menus().mnuContextBasket()),
            (std::vector<QString>{"Save as image document", "Save as greeting image",
                                  "Save as single-image screensaver", "-", "Rename title",
                                  "Remove from basket"}));
  EXPECT_EQ(window_->cmdSaveAs->toolTip(), QStringLiteral("Generate documents in batch"));
  EXPECT_EQ(window_->cmdBatchPrint->toolTip(),
            QStringLiteral("Print all images in the basket in batch mode."));
}

TEST_F(BasketMenusTest, MenusOpenBelowTheButtonTheCaptionAndAtTheMouse) {
  // The basket pane near the top, so the long "Save Batch" menu fits below its caption.
  window_->splMain->SetSplitterPosition(10);
  QApplication::processEvents();
  QTest::mouseClick(window_->cmdSaveAs, Qt::LeftButton, {}, QPoint(2, 2));
  QMenu* saveAs = Menus().mnuSaveAsParent();
  ASSERT_TRUE(saveAs->isVisible());
  EXPECT_EQ(saveAs->pos(),
            window_->cmdSaveAs->mapToGlobal(QPoint(0, window_->cmdSaveAs->height())));
  saveAs->close();

  QTest::mouseClick(window_->lblQueue, Qt::LeftButton, {}, QPoint(5, 5));
  QMenu* batch = Menus().mnuBatchParent();
  ASSERT_TRUE(batch->isVisible());
  EXPECT_EQ(batch->pos(), window_->PicQueue->mapToGlobal(QPoint(0, window_->lblQueue->height())));
  batch->close();

  AddRows(1);
  const QPoint at(12, 7);
  emit window_->lvPages->customContextMenuRequested(at);
  QMenu* context = Menus().mnuContextBasket();
  ASSERT_TRUE(context->isVisible());
  EXPECT_EQ(context->pos(), window_->lvPages->viewport()->mapToGlobal(at));
  context->close();
}

TEST_F(BasketMenusTest, SaveAsItemsNeedOneRow) {
  struct Case {
    int rows;
    int index;
    std::vector<std::string> forms;
    int32_t saveType;
  };
  const Case cases[] = {
      {0, 0, {}, -1},
      {0, 1, {}, -1},
      {0, 2, {}, -1},
      {1, 0, {"frmSaveSinglePage"}, -1},
      {1, 1, {"frmScreensaverDemo"}, 1},
      {1, 2, {"frmSlideShow"}, -1},
  };
  for (const Case& c : cases) {
    pane_->Basket().cmdPagesNew_Click();
    ui_.messages.clear();  // the question before a filled basket is emptied
    AddRows(c.rows);
    calls_.clear();
    Item(Menus().mnuSaveAsParent(), c.index)->trigger();
    EXPECT_EQ(CalledForms(), c.forms) << c.rows << " rows, item " << c.index;
    if (!calls_.empty()) {
      EXPECT_EQ(calls_[0].saveType, c.saveType) << c.index;
    }
  }
  EXPECT_TRUE(ui_.messages.empty());
}

// Every dispatching item of "Save Batch" that reads the basket wants two rows; with two, each
// reaches its own output.
TEST_F(BasketMenusTest, SaveBatchItemsNeedTwoRowsThenDispatch) {
  struct Case {
    int index;
    std::vector<std::string> withTwoRows;
  };
  const Case cases[] = {
      {0, {"frmSaveSinglePage"}},
      {2, {"frmScreensaverDemo"}},
      {3, {"frmSlideShow"}},
  };
  QMenu* menu = Menus().mnuBatchParent();
  for (const Case& c : cases) {
    pane_->Basket().cmdPagesNew_Click();
    AddRows(1);
    calls_.clear();
    ui_.messages.clear();
    Item(menu, c.index)->trigger();
    EXPECT_TRUE(calls_.empty()) << c.index;
    ASSERT_EQ(ui_.messages.size(), 1u) << c.index;
    EXPECT_EQ(ui_.messages[0].text, kTwoImages);
    EXPECT_EQ(ui_.messages[0].caption, shell::gstrApplicationName);

    AddRows(1);
    ui_.messages.clear();
    Item(menu, c.index)->trigger();
    EXPECT_EQ(CalledForms(), c.withTwoRows) << c.index;
    EXPECT_TRUE(ui_.messages.empty()) << c.index;
  }
}

// Without an X11 screen there is nothing to capture, at any number of rows.
TEST_F(BasketMenusTest, CaptureWithoutAnX11ScreenGivesTheMessageAndNoRow) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("out"));
  shell::gCaptureTarget = {File("out"), QStringLiteral("Shot")};
  for (int rows : {0, 2}) {
    pane_->Basket().cmdPagesNew_Click();
    AddRows(rows);
    ui_.messages.clear();
    Item(Menus().mnuBatchParent(), 8)->trigger();
    EXPECT_EQ(window_->lvPages->topLevelItemCount(), rows);
    ASSERT_EQ(ui_.messages.size(), 1u) << rows;
    EXPECT_TRUE(
        ui_.messages[0].text.startsWith(QStringLiteral("The screen could not be captured.")));
  }
  EXPECT_TRUE(QDir(File("out")).isEmpty());
}

TEST_F(BasketMenusTest, SaveBatchBasketItemsEmptyTheBasketAndRemoveTheSelection) {
  AddRows(3);
  Row(1)->setSelected(true);
  Item(Menus().mnuBatchParent(), 13)->trigger();
  ASSERT_EQ(window_->lvPages->topLevelItemCount(), 2);
  EXPECT_EQ(Row(1)->text(0), QStringLiteral("row2"));
  Item(Menus().mnuBatchParent(), 10)->trigger();
  EXPECT_EQ(window_->lvPages->topLevelItemCount(), 0);
}

TEST_F(BasketMenusTest, ItemsOfUnregisteredOutputsAreDisabled) {
  output::Outputs() = {};
  AddRows(2);
  auto openSaveAs = [this] { Menus().cmdSaveAs_Click(); };
  auto openBatch = [this] { Menus().lblQueue_Click(); };
  EXPECT_EQ(EnabledOnOpen(Menus().mnuSaveAsParent(), openSaveAs),
            (std::vector<bool>{false, false, false}));
  const std::vector<bool> batch = EnabledOnOpen(Menus().mnuBatchParent(), openBatch);
  for (int index : {0, 2, 3}) EXPECT_FALSE(batch[index]) << index;
  for (int index : {5, 7, 8, 10, 11, 12, 13}) EXPECT_TRUE(batch[index]) << index;

  RegisterDoubles();
  output::Outputs().fncSaveSinglePage = nullptr;  // a form without its run is no conversion
  EXPECT_EQ(EnabledOnOpen(Menus().mnuSaveAsParent(), openSaveAs),
            (std::vector<bool>{false, true, true}));
}

// While the basket is changing, nothing may start an output over it or change it further.
TEST_F(BasketMenusTest, NothingStartsWhileTheBasketIsBusy) {
  AddRows(2);
  pane_->Basket().SetLocked(true);
  Row(0)->setSelected(true);
  EXPECT_EQ(EnabledOnOpen(Menus().mnuBatchParent(), [this] { Menus().lblQueue_Click(); }),
            std::vector<bool>(14, false));
  Menus().subGenerateDocument(2);
  Menus().mnuSaveAs_Click(1);
  Menus().mnuSaveAs_Click(0);
  Menus().mnuBatch_Click(13);
  Menus().mnuContext_Click(5);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(window_->lvPages->topLevelItemCount(), 2);
  pane_->Basket().SetLocked(false);
  Menus().subGenerateDocument(2);
  EXPECT_EQ(CalledForms(), std::vector<std::string>{"frmScreensaverDemo"});
}

TEST_F(BasketMenusTest, ContextItemsFollowTheCountedRows) {
  AddRows(3);
  struct Case {
    std::vector<int> selected;
    std::vector<bool> enabled;
  };
  const Case cases[] = {
      {{}, {true, true, true, false, true, true}},
      {{1}, {true, true, true, false, true, true}},
      {{0, 2}, {false, false, false, false, false, true}},
  };
  QMenu* menu = Menus().mnuContextBasket();
  for (const Case& c : cases) {
    // The basket counts the rows selected by the mouse.
    Qt::KeyboardModifiers modifiers;
    for (int row : c.selected) {
      QTest::mouseClick(window_->lvPages->viewport(), Qt::LeftButton, modifiers,
                        window_->lvPages->visualItemRect(Row(row)).center());
      modifiers = Qt::ControlModifier;
    }
    emit window_->lvPages->customContextMenuRequested(QPoint(3, 3));
    std::vector<bool> enabled = Enabled(menu);
    enabled[3] = false;  // the separator
    EXPECT_EQ(enabled, c.enabled) << c.selected.size() << " selected";
    menu->close();
  }
  // A plain click below the rows, so the application does not keep the last click's Ctrl.
  QWidget* rows = window_->lvPages->viewport();
  QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(1, rows->height() - 2));
}

TEST_F(BasketMenusTest, ContextSaveShowsTheSelectedRowFirst) {
  const QString first = AddRow(QStringLiteral("first"), "red");
  const QString second = AddRow(QStringLiteral("second"), "blue");
  ShowRow(0);
  struct Case {
    int index;
    const char* form;
  };
  for (const Case& c : {Case{1, "frmGreetingDemo"}, Case{2, "frmScreensaverDemo"},
                        Case{0, "fncSavePreviewToFile_Dialog"}}) {
    ShowRow(0);
    window_->lvPages->setCurrentItem(Row(1));
    calls_.clear();
    Item(Menus().mnuContextBasket(), c.index)->trigger();
    ASSERT_EQ(calls_.size(), 1u) << c.form;
    EXPECT_EQ(calls_[0].form, c.form);
    EXPECT_EQ(calls_[0].shownAtCall, second) << c.form;
  }
  EXPECT_EQ(calls_[0].saveType, -1);
  EXPECT_NE(first, second);
}

TEST_F(BasketMenusTest, ContextRenameAndRemoveReachTheBasket) {
  AddRows(2);
  window_->lvPages->setCurrentItem(Row(0));
  Item(Menus().mnuContextBasket(), 4)->trigger();
  const auto* editor = window_->lvPages->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), QStringLiteral("row0"));
  Item(Menus().mnuContextBasket(), 5)->trigger();
  ASSERT_EQ(window_->lvPages->topLevelItemCount(), 1);
  EXPECT_EQ(Row(0)->text(0), QStringLiteral("row1"));
}

// The real options form with a double of the run: its exit runs nothing, its start hands the run
// the basket, the batch task list and the hidden control under the busy dialog.
TEST_F(BasketMenusTest, OptionsFormExitRunsNothingAndStartRunsTheConversion) {
  output::RegisterBatchConversion();
  struct Seen {
    output::Basket rows;
    const tasks::TaskList* taskList = nullptr;
    plat::com::ControlHost* control = nullptr;
    bool busyDialogShown = false;
  };
  std::vector<Seen> runs;
  output::Outputs().fncSaveSinglePage =
      [&](const output::Basket& rows, const tasks::TaskList& taskList,
          plat::com::ControlHost& control, QProgressBar& progress, QImage&) {
        auto* status = dynamic_cast<shell::frmStatus*>(progress.window());
        runs.push_back({rows, &taskList, &control, status != nullptr && status->isVisible()});
      };
  AddRows(2);
  struct Case {
    const char* button;
    size_t runs;
  };
  for (const Case& c : {Case{"E&xit", 0}, Case{"Save", 1}}) {
    WhenModalOpens([&](QDialog* form) {
      for (QPushButton* button : form->findChildren<QPushButton*>())
        if (button->text() == QString::fromUtf8(c.button)) button->click();
    });
    Menus().mnuSaveAs_Click(0);
    EXPECT_EQ(runs.size(), c.runs) << c.button;
    EXPECT_FALSE(shell::gSetup.BatchNamingOptions.Confirmed) << c.button;
  }
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].rows, pane_->Basket().Rows());
  EXPECT_EQ(runs[0].taskList, &pane_->Tasks());
  EXPECT_EQ(runs[0].control, window_->ibTemp);
  EXPECT_TRUE(runs[0].busyDialogShown);
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(dynamic_cast<shell::frmStatus*>(widget) && widget->isVisible());
  EXPECT_EQ(shell::gstrCurrentActivity, QStringLiteral("Saving a new Single file"));
}

// The registered conversion end to end: "Save Batch" writes one JPEG 2000 file per row.
TEST_F(BasketMenusTest, SaveBatchConvertsTheBasketWithTheRegisteredRun) {
  output::RegisterBatchConversion();
  AddRow(QStringLiteral("alpha"), "red", 24, 16);
  AddRow(QStringLiteral("beta"), "blue", 20, 12);
  const QString out = File(QStringLiteral("out"));
  ASSERT_TRUE(QDir().mkpath(out));
  auto& options = shell::gSetup.BatchNamingOptions;
  options.DestinationMode = 1;  // "Place the output files to the following folder"
  options.DestinationFolder = out;
  WhenModalOpens([&](QDialog* form) {
    for (QPushButton* button : form->findChildren<QPushButton*>())
      if (button->text() == QStringLiteral("Save")) button->click();
  });
  Item(Menus().mnuBatchParent(), 0)->trigger();
  const QStringList written = QDir(out).entryList(QDir::Files, QDir::Name);
  ASSERT_EQ(written.size(), 2) << written.join(',').toStdString();
  struct Case {
    QString name;
    int w, h;
  };
  for (const Case& c : {Case{"alpha", 24, 16}, Case{"beta", 20, 12}}) {
    const QStringList mine = written.filter(c.name);
    ASSERT_EQ(mine.size(), 1) << c.name.toStdString();
    const std::string dump =
        "opj_dump -i '" + QDir(out).filePath(mine[0]).toStdString() + "' 2>/dev/null";
    FILE* pipe = ::popen(dump.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string report;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) report.append(buffer, n);
    ::pclose(pipe);
    EXPECT_NE(report.find("x1=" + std::to_string(c.w) + ", y1=" + std::to_string(c.h)),
              std::string::npos)
        << report;
  }
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, QStringLiteral("2 converted, 0 skipped (exists), 0 failed"));
}

}  // namespace
