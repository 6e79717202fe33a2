// The viewer's toolbar and its "Preview" menu: captions, tool tips, where the menus open, and what
// each item reaches.
#include <QTest>

#include "app/browse/viewer/viewer_menu.h"
#include "app/controls/splitter.h"
#include "control/activex/imagebox_interface.h"
#include "output_fixture.h"

namespace {

using velmora_test::Captions;
using velmora_test::Enabled;
using velmora_test::OutputFixture;

class ViewerMenuTest : public OutputFixture {
 protected:
  browse::ViewerMenu& Menu() { return outputs_->ViewerMenu(); }
};

TEST_F(ViewerMenuTest, ToolbarButtonsCarryTheirCaptionsAndToolTips) {
  struct Case {
    QPushButton* button;
    const char* caption;  // null: replaced by the current choice at start-up
    const char* tip;
  };
  const Case cases[] = {
      {window_->cmdPreviewSave, "", "Save the current preview image to file"},
      {window_->cmdPreviewType, nullptr, "Set the view type to either Original or Optimized"},
      {window_->cmdPreviewPrint, "  ", "Print the current preview image"},
      {window_->cmdPreviewView, nullptr, "Set the fit mode of the image"},
      {window_->cmdPreviewPrevious, "", "View the image of the previous file"},
      {window_->cmdPreviewNext, "", "View the image of the next file"},
      {window_->CmdPreviewEdit, "    Edit", "Edit the current image"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.button->toolTip(), QString::fromUtf8(c.tip));
    if (c.caption) {
      // The caption as given, padded further with blanks to make room for the picture.
      EXPECT_TRUE(c.button->text().endsWith(QString::fromUtf8(c.caption))) << c.tip;
      EXPECT_EQ(c.button->text().trimmed(), QString::fromUtf8(c.caption).trimmed()) << c.tip;
    }
    EXPECT_TRUE(c.button->isVisible()) << c.tip;
  }
  EXPECT_EQ(window_->Label4->text(), QStringLiteral("Preview"));
}

TEST_F(ViewerMenuTest, MenusOpenJustBelowTheirButtonAndTheCaption) {
  AddRow(QStringLiteral("shown"), "red");
  ShowRow(0);  // saving wants an image: its button is disabled without one
  // The viewer pane at the window's left, so every menu fits on the screen where it is asked to.
  window_->splRight->SetSplitterPosition(5);
  QApplication::processEvents();
  struct Case {
    QWidget* anchor;
    QMenu* menu;
  };
  const Case cases[] = {
      {window_->cmdPreviewSave, Menu().mnuSavePreviewAsParent()},
      {window_->cmdPreviewType, window_->mnuPreviewType},
      {window_->cmdPreviewView, window_->mnuPreviewFit},
      {window_->Label4, Menu().mnuPreviewParent()},
  };
  for (const Case& c : cases) {
    QTest::mouseClick(c.anchor, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_TRUE(c.menu->isVisible()) << c.menu->title().toStdString();
    const QPoint lowerLeft = c.anchor->mapToGlobal(QPoint(0, c.anchor->height()));
    EXPECT_EQ(c.menu->pos(), lowerLeft) << c.menu->title().toStdString();
    c.menu->close();
  }
}

// A right click on the shown image opens the viewer menu where the pointer is; a left click and
// a right click beside the image open nothing.
TEST_F(ViewerMenuTest, RightClickOnTheImageOpensTheMenuAtThePointer) {
  AddRow(QStringLiteral("shown"), "red", 200, 150);
  ShowRow(0);
  window_->splRight->SetSplitterPosition(5);
  QApplication::processEvents();
  QWidget* image = window_->ibMain->ControlWidget();
  const QPoint at(image->width() / 2, image->height() / 2);
  QMenu* menu = Menu().mnuPreviewParent();

  QTest::mouseClick(image, Qt::LeftButton, {}, at);
  EXPECT_FALSE(menu->isVisible());
  QTest::mouseClick(window_->PicViewImage, Qt::RightButton, {}, QPoint(1, 1));
  EXPECT_FALSE(menu->isVisible());

  QTest::mouseClick(image, Qt::RightButton, {}, at);
  ASSERT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->pos(), image->mapToGlobal(at));
  EXPECT_TRUE(Menu().mnuSavePreviewAsParent()->menuAction()->isVisible());
  menu->close();
}

TEST_F(ViewerMenuTest, PreviewMenuHasItsItemsShortcutsAndSubmenus) {
  QMenu* menu = Menu().mnuPreviewParent();
  EXPECT_EQ(menu->title(), QStringLiteral("Preview"));
  const std::vector<QString> items = {"Edit/Enhance image", "-", "Previous image",  "Next image",
                                      "Print image",        "-", "Save Preview As", "Preview zoom",
                                      "Preview selection"};
  EXPECT_EQ(Captions(menu), items);
  EXPECT_EQ(Captions(Menu().mnuSavePreviewAsParent()),
            (std::vector<QString>{"Image document", "Greeting image", "Single-image screensaver"}));
  EXPECT_EQ(Captions(window_->mnuPreviewFit), (std::vector<QString>{"Best Fit", "Actual Size"}));
  EXPECT_EQ(Captions(window_->mnuPreviewType), (std::vector<QString>{"Original", "Optimized"}));
  EXPECT_EQ(Menu().mnuPreview(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
  EXPECT_EQ(Menu().mnuSavePreviewAs(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+I")));
}

TEST_F(ViewerMenuTest, ShortcutsWorkFromTheWindow) {
  int edits = 0;
  Menu().CmdPreviewEdit_Click = [&] { ++edits; };
  AddRow(QStringLiteral("one"), "red");
  ShowRow(0);
  QApplication::setActiveWindow(window_.get());
  QTest::keyClick(window_.get(), Qt::Key_E, Qt::ControlModifier);
  QTest::keyClick(window_.get(), Qt::Key_I, Qt::ControlModifier);
  EXPECT_EQ(edits, 1);
  EXPECT_EQ(CalledForms(), std::vector<std::string>{"fncSavePreviewToFile_Dialog"});
}

// Every item first drops the image's selection, then acts.
TEST_F(ViewerMenuTest, ItemsDropTheSelectionThenEditOrStep) {
  const QString a = AddRow(QStringLiteral("a"), "red");
  const QString b = AddRow(QStringLiteral("b"), "blue");
  pane_->View().mstrFocusedList = QStringLiteral("lvPages");
  std::vector<QString> log;
  pane_->View().subClearSelection = [&] { log.push_back("clear at " + ShownTag()); };
  Menu().CmdPreviewEdit_Click = [&] { log.push_back("edit at " + ShownTag()); };
  ShowRow(0);
  window_->lvPages->setCurrentItem(Row(0));
  struct Case {
    int index;
    QString shownAfter;
  };
  for (const Case& c : {Case{3, b}, Case{2, a}, Case{0, a}}) {
    log.clear();
    Menu().mnuPreview(c.index)->trigger();
    ASSERT_FALSE(log.empty()) << c.index;
    EXPECT_TRUE(log.front().startsWith("clear at ")) << c.index;
    EXPECT_EQ(ShownTag(), c.shownAfter) << c.index;
  }
  EXPECT_EQ(log.back(), "edit at " + a);
}

TEST_F(ViewerMenuTest, SavePreviewAsReachesItsTargetOnlyWithAnImage) {
  const QString shown = AddRow(QStringLiteral("shown"), "red");
  for (int index = 0; index < 3; ++index) Menu().mnuSavePreviewAs_Click(index);
  EXPECT_TRUE(calls_.empty()) << "an empty viewer saves nothing";

  ShowRow(0);
  int cleared = 0;
  pane_->View().subClearSelection = [&] { ++cleared; };
  struct Case {
    int index;
    const char* form;
    int32_t saveType;
  };
  const Case cases[] = {{0, "fncSavePreviewToFile_Dialog", -1},
                        {1, "frmGreetingDemo", -1},
                        {2, "frmScreensaverDemo", 0}};
  for (const Case& c : cases) {
    calls_.clear();
    Menu().mnuSavePreviewAs(c.index)->trigger();
    ASSERT_EQ(calls_.size(), 1u) << c.form;
    EXPECT_EQ(calls_[0].form, c.form);
    EXPECT_EQ(calls_[0].saveType, c.saveType) << c.form;
    if (c.index > 0) {
      EXPECT_EQ(calls_[0].shownFile, shown) << c.form;
      EXPECT_TRUE(calls_[0].underRun) << c.form << " builds while other outputs wait";
    }
  }
  EXPECT_EQ(cleared, 3);
}

TEST_F(ViewerMenuTest, SaveTargetsWithoutARegisteredFormAreDisabled) {
  output::Outputs() = {};
  AddRow(QStringLiteral("shown"), "red");
  ShowRow(0);
  QMenu* menu = Menu().mnuSavePreviewAsParent();
  menu->popup(QPoint(0, 0));
  EXPECT_EQ(Enabled(menu), (std::vector<bool>{false, false, false}));
  menu->close();
  RegisterDoubles();
  output::Outputs().frmGreetingDemo = nullptr;
  menu->popup(QPoint(0, 0));
  EXPECT_EQ(Enabled(menu), (std::vector<bool>{true, false, true}));
  menu->close();
}

}  // namespace
