// The task basket in edit mode: its lists show the recorded tasks, a row shows the image after
// that task, and new, open, save and remove keep the list, the image and the confirmed image
// in step.
#include <QFileDialog>
#include <QTreeWidget>

#include "app/edit/task_basket.h"
#include "app_shell/modal_helper.h"
#include "edit_fixture.h"

namespace edit_test {
namespace {

class BasketTest : public EditModeTest {
 protected:
  void SetUp() override {
    EditModeTest::SetUp();
    ShowPicture("-size 120x90 gradient:red-blue -fill yellow -draw 'rectangle 10,10 50,40'");
    edit_->CmdPreviewEdit_Click();
    ASSERT_EQ(edit_->State().glEditMode, 1);
    original_ = Shown();
    basket_ = &edit_->Basket();
  }
  // Previews and confirms a task chosen by its pane key, after set.
  void Record(const char* key, const std::function<void()>& set = {}) {
    edit_->eb_ItemClick(velmora::kSpecialGroupKey, QString::fromLatin1(key));
    if (set) set();
    viewer_->Mouse().mbTaskOptionsChanged = true;
    edit_->cmdApply->click();
    edit_->cmdOK->click();
  }
  // Invert, flip, blur: each changes every image differently.
  void RecordThree() {
    Record("Invert");
    afterFirst_ = Shown();
    Record("Flip", [this] { edit_->Panels().optFlip->button(0)->click(); });
    afterSecond_ = Shown();
    Record("Blur", [this] { edit_->Panels().sldBlur->setValue(3); });
  }
  QTreeWidget* Preview() { return basket_->lvEditPreview; }
  void ClickRow(QTreeWidget* list, int row) {
    QTreeWidgetItem* item = list->topLevelItem(row);
    list->setCurrentItem(item);
    emit list->itemClicked(item, 0);
  }
  void ChooseFile(const QString& path) {
    WhenModalOpens([this, path](QDialog* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      ASSERT_NE(files, nullptr);
      dialogTitle_ = files->windowTitle();
      files->selectFile(path);
      dialog->accept();
    });
  }

  edit::TaskBasket* basket_ = nullptr;
  QImage original_, afterFirst_, afterSecond_;
  QString dialogTitle_;
};

TEST_F(BasketTest, BothListsShowTheRecordedTasks) {
  RecordThree();
  ASSERT_EQ(viewer_->Tasks().Count(), 3);
  for (QTreeWidget* list : {Preview(), window_->lvEdit}) {
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), tasks::fncTaskName(11));
    EXPECT_EQ(list->topLevelItem(2)->text(0), tasks::fncTaskName(4));
    EXPECT_TRUE(list->selectedItems().isEmpty());
  }
  EXPECT_TRUE(edit_->cmdOriginalImage->isEnabled());
}

TEST_F(BasketTest, ARowShowsTheImageAfterItsTask) {
  RecordThree();
  const QImage full = Shown();
  ClickRow(Preview(), 0);
  EXPECT_TRUE(SamePixels(Shown(), afterFirst_));
  ClickRow(Preview(), 1);
  EXPECT_TRUE(SamePixels(Shown(), afterSecond_));
  ClickRow(Preview(), 2);
  EXPECT_TRUE(SamePixels(Shown(), full));
  EXPECT_EQ(viewer_->Tasks().Count(), 3);
}

TEST_F(BasketTest, RemoveReplaysTheRestAndConfirmsIt) {
  RecordThree();
  Preview()->topLevelItem(0)->setSelected(true);
  Preview()->setCurrentItem(Preview()->topLevelItem(0));
  basket_->cmdEditPreview[3]->click();
  ASSERT_EQ(viewer_->Tasks().Count(), 2);
  EXPECT_EQ(Preview()->topLevelItemCount(), 2);
  EXPECT_EQ(window_->lvEdit->topLevelItemCount(), 2);
  EXPECT_TRUE(Preview()->selectedItems().isEmpty());
  EXPECT_FALSE(SamePixels(Shown(), original_));
  EXPECT_EQ(edit_->State().gvarConfirmedSnapshot, Snapshot());
  // Rows but none selected: nothing happens.
  basket_->cmdEditPreview[3]->click();
  EXPECT_EQ(viewer_->Tasks().Count(), 2);
}

TEST_F(BasketTest, WithoutRowsNewSaveRemoveAndTheOriginalButtonDoNothing) {
  Record("Invert");
  basket_->cmdEditBar_Click(0);  // empties the basket
  ASSERT_EQ(viewer_->Tasks().Count(), 0);
  EXPECT_TRUE(SamePixels(Shown(), original_));
  EXPECT_EQ(edit_->State().gvarConfirmedSnapshot, viewer_->View().OriginalSnapshot());
  Box().Invert();
  const QImage changed = Shown();
  for (int index : {0, 2, 3}) basket_->cmdEditBar_Click(index);  // no dialog opens
  basket_->cmdOriginalImage_Click();
  EXPECT_TRUE(SamePixels(Shown(), changed));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(BasketTest, TheOriginalImageButtonAsksFirst) {
  RecordThree();
  ui_.answer = false;
  basket_->cmdOriginalImage_Click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            QStringLiteral("Resetting to original image will erase all editing functions from the "
                           "batch list!\r\n Do you want to continue?"));
  EXPECT_EQ(viewer_->Tasks().Count(), 3);
  ui_.answer = true;
  basket_->cmdOriginalImage_Click();
  EXPECT_EQ(viewer_->Tasks().Count(), 0);
  EXPECT_TRUE(SamePixels(Shown(), original_));
}

TEST_F(BasketTest, SaveAndOpenThroughTheDialogs) {
  RecordThree();
  const QImage full = Shown();
  const QString file = dir_.filePath(QStringLiteral("three.tbf"));
  ChooseFile(file);
  basket_->cmdEditPreview[2]->click();
  ASSERT_TRUE(QFile::exists(file));
  EXPECT_EQ(dialogTitle_, QStringLiteral("Save task basket"));

  basket_->cmdEditBar_Click(0);
  ASSERT_EQ(viewer_->Tasks().Count(), 0);
  ChooseFile(file);
  basket_->cmdEditPreview[1]->click();
  EXPECT_EQ(dialogTitle_, QStringLiteral("Open task basket"));
  ASSERT_EQ(viewer_->Tasks().Count(), 3);
  EXPECT_EQ(Preview()->topLevelItemCount(), 3);
  EXPECT_TRUE(SamePixels(Shown(), full));
  // The opened tasks are the confirmed image now.
  EXPECT_EQ(edit_->State().gvarConfirmedSnapshot, Snapshot());
}

}  // namespace
}  // namespace edit_test
