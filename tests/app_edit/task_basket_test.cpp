// The task basket in edit mode: its lists show the recorded tasks, a row shows the image after
// that task, and new, open, save and remove keep the list, the image and the confirmed image
// in step.
#include <QFileDialog>
#include <QProgressBar>
#include <QTreeWidget>

#include "app/browse/basket_files.h"
#include "app/edit/task_basket.h"
#include "app/output/batch_jpeg2000.h"
#include "app_output/openjpeg_referee.h"
#include "app_shell/modal_helper.h"
#include "edit_fixture.h"

namespace edit_test {
namespace {

class BasketTest : public EditModeTest {
 protected:
  void SetUp() override {
    EditModeTest::SetUp();
    // In true colour: the viewer and the batch conversion read it into the same image.
    ShowPicture("-size 120x90 gradient:red-blue -fill yellow -draw 'rectangle 10,10 50,40'",
                "PNG24:");
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

TEST_F(BasketTest, AnUnreadableTaskBasketOnlySaysSo) {
  RecordThree();
  const QImage full = Shown();
  const QByteArray confirmed = edit_->State().gvarConfirmedSnapshot;
  const QList<tasks::TaskRow> rows = viewer_->Tasks().Rows();
  const QString file = dir_.filePath(QStringLiteral("bad.tbf"));
  {
    QFile bad(file);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\"flip\",\"x\"" + QByteArray(17, ',') + "\r\n");  // an id that is no number
  }
  const ReportCloser reports;
  ChooseFile(file);
  basket_->cmdEditPreview[1]->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, QStringLiteral("Error opening task basket!\r\n"
                                                 "Please select a valid task basket file."));
  EXPECT_EQ(reports.count, 0);
  EXPECT_EQ(viewer_->Tasks().Rows(), rows);
  EXPECT_EQ(Preview()->topLevelItemCount(), 3);
  EXPECT_TRUE(SamePixels(Shown(), full));
  EXPECT_EQ(edit_->State().gvarConfirmedSnapshot, confirmed);
}

TEST_F(BasketTest, ACancelledReplayPutsTheConfirmedImageAndTheTasksBack) {
  RecordThree();
  const QImage full = Shown();
  const QByteArray confirmed = edit_->State().gvarConfirmedSnapshot;
  const QList<tasks::TaskRow> rows = viewer_->Tasks().Rows();
  QString oneTask = dir_.filePath(QStringLiteral("one.tbf"));
  tasks::TaskList one;
  one.Append(tasks::NewEditingTask(tasks::tskNegative));
  ASSERT_TRUE(browse::fncSaveTaskBasket(oneTask, one));
  struct Case {
    const char* name;
    int rowsToRun;
    std::function<void()> command;
  } cases[] = {
      {"row click", 2, [this] { ClickRow(Preview(), 1); }},
      {"remove", 2,
       [this] {
         Preview()->topLevelItem(0)->setSelected(true);
         Preview()->setCurrentItem(Preview()->topLevelItem(0));
         basket_->cmdEditPreview[3]->click();
       }},
      {"open", 1,
       [this, &oneTask] {
         ChooseFile(oneTask);
         basket_->cmdEditPreview[1]->click();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int barMaximum = 0;
    WhileBusy cancel([&barMaximum](shell::frmStatus& status) {
      barMaximum = status.pbQueue->maximum();
      status.cmdCancel->click();
    });
    c.command();
    EXPECT_TRUE(cancel.seen);
    EXPECT_EQ(barMaximum, c.rowsToRun);
    EXPECT_TRUE(SamePixels(Shown(), full));
    EXPECT_EQ(edit_->State().gvarConfirmedSnapshot, confirmed);
    EXPECT_EQ(viewer_->Tasks().Rows(), rows);
    EXPECT_EQ(Preview()->topLevelItemCount(), 3);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(BasketTest, WhileAReplayRunsTheCommandsAreRefused) {
  RecordThree();
  edit_->eb_ItemClick(velmora::kSpecialGroupKey, QStringLiteral("Invert"));
  viewer_->Mouse().mbTaskOptionsChanged = true;
  edit_->cmdApply->click();  // a preview to confirm or undo
  WhileBusy attempt([this](shell::frmStatus&) {
    basket_->cmdEditBar_Click(0);
    Preview()->setCurrentItem(Preview()->topLevelItem(2));
    basket_->cmdEditBar_Click(3);
    basket_->cmdOriginalImage_Click();
    ClickRow(Preview(), 0);
    edit_->ConfirmTask();
    edit_->UndoPreview();
    edit_->eb_ItemClick(velmora::kSpecialGroupKey, QStringLiteral("Blur"));
    edit_->CmdPreviewEdit_Click();
  });
  ClickRow(Preview(), 1);
  EXPECT_TRUE(attempt.seen);
  EXPECT_TRUE(SamePixels(Shown(), afterSecond_));  // the click's own replay, undisturbed
  EXPECT_EQ(viewer_->Tasks().Count(), 3);
  EXPECT_EQ(edit_->State().glEditMode, 1);
  EXPECT_EQ(edit_->State().gCurrentTask.Enhancement, kInvert);
  EXPECT_TRUE(edit_->State().mbImageModified);
  EXPECT_TRUE(ui_.messages.empty());  // no question was asked
}

TEST_F(BasketTest, AnotherFileIsNotShownWhileAnOpenedBasketReplaysInTheExplorerView) {
  RecordThree();
  const QString file = dir_.filePath(QStringLiteral("three.tbf"));
  ChooseFile(file);
  basket_->cmdEditPreview[2]->click();
  edit_->CmdPreviewEdit_Click();
  ASSERT_EQ(edit_->State().glEditMode, 0);
  const QString other = dir_.filePath(QStringLiteral("other.png"));
  ASSERT_EQ(std::system(("convert -size 60x40 xc:green '" + other.toStdString() + "'").c_str()), 0);
  const auto open = [&] {
    ChooseFile(file);
    basket_->cmdEditBar_Click(1);
  };
  open();
  const QImage opened = Shown();
  ASSERT_FALSE(SamePixels(opened, original_));
  // The row is made when it is clicked: the folder list may be filled anew while the replay
  // yields, which deletes rows made before.
  WhileBusy showOther([&](shell::frmStatus&) {
    auto* item = new QTreeWidgetItem(window_->lvFolder, {QStringLiteral("other.png")});
    item->setData(0, browse::kRowTagRole, other);
    browse::ListViewRow row(window_->lvFolder, item, browse::RowList::FileList);
    viewer_->View().subShowSelectedItem(row);
  });
  open();
  EXPECT_TRUE(showOther.seen);
  EXPECT_EQ(viewer_->View().ShownPath(), path_);
  EXPECT_TRUE(SamePixels(Shown(), opened));
  EXPECT_EQ(viewer_->Tasks().Count(), 3);
}

TEST_F(BasketTest, EnteringEditModeCancelledStaysInTheExplorerView) {
  SetOptimizedView(false);  // entering replays the tasks onto the image as read
  RecordThree();
  const QImage full = Shown();
  edit_->CmdPreviewEdit_Click();
  ASSERT_EQ(edit_->State().glEditMode, 0);
  ASSERT_TRUE(SamePixels(Shown(), original_));
  {
    WhileBusy cancel([](shell::frmStatus& status) { status.cmdCancel->click(); });
    edit_->CmdPreviewEdit_Click();
    EXPECT_TRUE(cancel.seen);
  }
  EXPECT_EQ(edit_->State().glEditMode, 0);
  EXPECT_NE(window_->CurrentArrangement(), Arrangement::Edit);
  EXPECT_EQ(window_->CmdPreviewEdit->text(), QStringLiteral("     Edit"));
  EXPECT_TRUE(edit_->State().gvarConfirmedSnapshot.isEmpty());
  EXPECT_TRUE(SamePixels(Shown(), original_));
  edit_->CmdPreviewEdit_Click();
  EXPECT_EQ(edit_->State().glEditMode, 1);
  EXPECT_TRUE(SamePixels(Shown(), full));
}

TEST_F(BasketTest, ASavedBasketRunThroughTheLosslessBatchGivesTheConfirmedImage) {
  RecordThree();
  Record("Canvas", [this] {
    for (int i = 0; i < 4; ++i)
      edit_->Panels().txtCanvasCustom[i]->setText(QString::number(3 + 2 * i));
  });
  const QImage confirmed = Shown();
  const QString file = dir_.filePath(QStringLiteral("four.tbf"));
  ChooseFile(file);
  basket_->cmdEditPreview[2]->click();
  tasks::TaskList saved;
  ASSERT_TRUE(browse::fncOpenTaskBasket(file, saved));
  ASSERT_EQ(saved.Count(), 4);

  auto& options = shell::gSetup.BatchNamingOptions;
  options.Jpeg2000.Compression = 0;  // lossless
  options.ProcessTaskBasket = 1;
  options.DestinationMode = 1;
  options.DestinationFolder = dir_.filePath(QStringLiteral("out"));
  ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("out")));
  browse::BasketItem row;
  row.Text = QStringLiteral("edited");
  row.Tag = path_;
  plat::com::ControlHost hidden;
  hidden.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
  QProgressBar progress;
  QImage pictureBox;
  ASSERT_TRUE(modJPEG2000Common::fncSaveSinglePage({row}, saved, hidden, progress, pictureBox));

  const QString written = dir_.filePath(QStringLiteral("out/edited.jp2"));
  ASSERT_TRUE(QFile::exists(written));
  const velmora::test::Decoded decoded =
      velmora::test::DecodeWithOpenJpeg(written.toStdString(), dir_.path().toStdString());
  ASSERT_EQ(decoded.channels, 3);
  ASSERT_EQ(decoded.width, confirmed.width());
  ASSERT_EQ(decoded.height, confirmed.height());
  for (int y = 0; y < decoded.height; ++y)
    for (int x = 0; x < decoded.width; ++x) {
      const size_t at = (static_cast<size_t>(y) * decoded.width + x) * 3;
      const QRgb expected = confirmed.pixel(x, y);
      ASSERT_EQ(qRgb(decoded.samples[at], decoded.samples[at + 1], decoded.samples[at + 2]),
                expected)
          << "pixel " << x << "," << y;
    }
}

}  // namespace
}  // namespace edit_test
