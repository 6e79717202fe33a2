// The preview and the confirmation on the viewer's image: what is recorded replays to the same
// pixels on a fresh control, and the preview's own rules (one effect at a time, messages,
// red-eye kept but not recorded).
#include <functional>

#include "app/tasks/replay.h"
#include "edit_fixture.h"

namespace edit_test {
namespace {

class PreviewTest : public EditModeTest {
 public:
  shell::MainWindow& W() { return *window_; }

  void SetUp() override {
    EditModeTest::SetUp();
    ShowPicture(
        "-size 400x300 gradient:red-blue -fill yellow -draw 'rectangle 20,30 120,90' "
        "-fill green -draw 'circle 300,200 330,230'");
    edit_->CmdPreviewEdit_Click();
    ASSERT_EQ(edit_->State().glEditMode, 1);
  }
  void Choose(const char* key) {
    edit_->eb_ItemClick(velmora::kSpecialGroupKey, QString::fromLatin1(key));
  }
  void Preview() {
    viewer_->Mouse().mbTaskOptionsChanged = true;
    ASSERT_TRUE(edit_->cmdApply->isEnabled());
    edit_->cmdApply->click();
  }
  edit::TaskPanels& P() { return edit_->Panels(); }
  // The task list replayed on a fresh hidden control from the image as read.
  QImage Replayed() {
    plat::com::ControlHost host, scaler;
    host.SetControl(QStringLiteral("Pictavo.ImageBox"));
    scaler.SetControl(QStringLiteral("Pictavo.ImageBox"));
    ImageBoxProxy box(host.Dispatch());
    box.ReadBinary(pictavo::ax::TxGraphicsFormat(7),
                   plat::com::ToVariant(viewer_->View().OriginalSnapshot()));
    EXPECT_EQ(tasks::subProcessTaskBasket(viewer_->Tasks(), host, scaler, true, 0),
              tasks::ReplayEnd::Finished);
    return Pixels(box);
  }
  QImage Reference(const std::string& operation) {
    const QString out = dir_.filePath(QStringLiteral("reference.png"));
    EXPECT_EQ(std::system(("convert '" + path_.toStdString() + "' " + operation + " PNG24:'" +
                           out.toStdString() + "'")
                              .c_str()),
              0);
    return QImage(out).convertToFormat(QImage::Format_RGB32);
  }
  QString WatermarkFile() {
    const QString file = dir_.filePath(QStringLiteral("logo.png"));
    EXPECT_EQ(
        std::system(("convert -size 40x20 xc:white -fill black -draw 'rectangle 5,5 30,12' '" +
                     file.toStdString() + "'")
                        .c_str()),
        0);
    return file;
  }
};

TEST_F(PreviewTest, EveryConfirmedTaskReplaysToTheConfirmedImage) {
  struct Case {
    const char* key;
    int id;
    std::function<void(PreviewTest&)> set;
  } cases[] = {
      {"Flip", 1, [](PreviewTest& t) { t.P().optFlip->button(0)->click(); }},
      {"Rotate", 2, [](PreviewTest& t) { t.P().txtDegrees->setText(QStringLiteral("90")); }},
      {"Resize", 3,
       [](PreviewTest& t) {
         t.P().optResize->button(0)->click();
         t.P().txtResizeWidth->setText(QStringLiteral("200"));
         t.P().txtResizeHeight->setText(QStringLiteral("150"));
       }},
      {"Blur", 4, [](PreviewTest& t) { t.P().sldBlur->setValue(3); }},
      {"Contrast", 5, [](PreviewTest& t) { t.P().sldContrast->setValue(40); }},
      {"Brightness", 6, [](PreviewTest& t) { t.P().sldBrightness->setValue(30); }},
      {"Sharpen", 7, [](PreviewTest& t) { t.P().sldSharpen->setValue(5); }},
      {"Crop", 8,
       [](PreviewTest& t) {
         t.P().optCropSelect->button(1)->click();
         t.P().txtCropLeft->setText(QStringLiteral("10"));
         t.P().txtCropTop->setText(QStringLiteral("12"));
         t.P().txtCropRight->setText(QStringLiteral("100"));
         t.P().txtCropBot->setText(QStringLiteral("80"));
       }},
      {"Watermark", 9,
       [](PreviewTest& t) {
         shell::gSetup.TaskOptions.Watermark.ImageFile = t.WatermarkFile();
         t.W().cboMergeStyle->setCurrentIndex(1);
       }},
      {"Text", 10,
       [](PreviewTest& t) {
         t.P().txtDraw->setText(QStringLiteral("Velmora"));
         t.W().cboPosition->setCurrentIndex(4);
       }},
      {"Invert", 11, [](PreviewTest&) {}},
      {"Canvas", 12,
       [](PreviewTest& t) {
         for (int i = 0; i < 4; ++i) t.P().txtCanvasCustom[i]->setText(QString::number(5 + i));
       }},
      {"Frame", 13,
       [](PreviewTest& t) {
         t.P().OptFrameStyle->button(1)->click();
         t.P().txtFrameSize->setText(QStringLiteral("6"));
       }},
      {"Mask", 14, [](PreviewTest& t) { t.P().OptMask->button(2)->click(); }},
      {"Shadow", 15, [](PreviewTest& t) { t.P().OptShadow->button(1)->click(); }},
  };
  const QImage original = Shown();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    viewer_->Tasks().Clear();
    Box().ReadBinary(pictavo::ax::TxGraphicsFormat(7),
                     plat::com::ToVariant(viewer_->View().OriginalSnapshot()));
    edit_->State().gvarConfirmedSnapshot = Snapshot();
    Choose(c.key);
    ASSERT_EQ(edit_->State().gCurrentTask.Enhancement, c.id);
    c.set(*this);
    Preview();
    edit_->cmdOK->click();
    ASSERT_EQ(viewer_->Tasks().Count(), 1);
    EXPECT_EQ(viewer_->Tasks().Row(0).Text, QString::number(c.id));
    const QImage confirmed = Shown();
    EXPECT_FALSE(SamePixels(confirmed, original));
    EXPECT_TRUE(SamePixels(Replayed(), confirmed));
    EXPECT_EQ(edit_->cmdOK->text(), QStringLiteral("Finish"));
    EXPECT_EQ(edit_->State().gvarConfirmedSnapshot, Snapshot());
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PreviewTest, NegativeAndFlipHorizontalEqualImageMagick) {
  Choose("Invert");
  Preview();
  EXPECT_TRUE(SamePixels(Shown(), Reference("-negate")));
  edit_->cmdOK->click();
  Choose("Flip");
  P().optFlip->button(0)->click();
  Preview();
  edit_->cmdOK->click();
  EXPECT_TRUE(SamePixels(Shown(), Reference("-negate -flop")));
  EXPECT_EQ(viewer_->Tasks().Count(), 2);
}

TEST_F(PreviewTest, ASecondPreviewStartsFromTheConfirmedImage) {
  Choose("Blur");
  P().sldBlur->setValue(4);
  Preview();
  const QImage once = Shown();
  P().sldBlur->setValue(5);
  P().sldBlur->setValue(4);  // the same value again
  Preview();
  EXPECT_TRUE(SamePixels(Shown(), once));
  EXPECT_FALSE(edit_->cmdApply->isEnabled());
  EXPECT_TRUE(edit_->cmdReset->isEnabled());
  EXPECT_TRUE(edit_->State().mbImageModified);
  // Unchanged options: nothing happens.
  edit_->cmdApply->click();
  EXPECT_TRUE(SamePixels(Shown(), once));
}

TEST_F(PreviewTest, ConfirmPreviewsFirstOnlyAfterAChange) {
  const QImage original = Shown();
  Choose("Blur");
  P().sldBlur->setValue(4);
  Preview();
  const QImage blurred = Shown();
  viewer_->Mouse().mbTaskOptionsChanged = false;
  edit_->cmdOK->click();
  EXPECT_TRUE(SamePixels(Shown(), blurred));
  EXPECT_EQ(viewer_->Tasks().Row(0).p1, QStringLiteral("4"));

  Choose("Blur");
  P().sldBlur->setValue(2);
  viewer_->Mouse().mbTaskOptionsChanged = true;
  edit_->cmdOK->click();  // previews with 2, then records
  ASSERT_EQ(viewer_->Tasks().Count(), 2);
  EXPECT_EQ(viewer_->Tasks().Row(1).p1, QStringLiteral("2"));
  EXPECT_TRUE(SamePixels(Replayed(), Shown()));
  EXPECT_FALSE(SamePixels(Shown(), blurred));
  EXPECT_FALSE(SamePixels(Shown(), original));
}

TEST_F(PreviewTest, UndoPutsTheConfirmedImageBack) {
  const QImage original = Shown();
  Choose("Invert");
  Preview();
  EXPECT_FALSE(SamePixels(Shown(), original));
  edit_->UndoPreview();
  EXPECT_TRUE(SamePixels(Shown(), original));
  EXPECT_TRUE(edit_->State().mbNoPreviewShown);
  EXPECT_FALSE(edit_->cmdReset->isEnabled());
}

TEST_F(PreviewTest, RedEyeStaysInTheImageWithoutARow) {
  ShowPicture(
      "-size 60x40 xc:white -fill 'rgb(230,20,20)' -draw 'circle 30,20 36,20' -type TrueColor");
  edit_->CmdPreviewEdit_Click();
  edit_->CmdPreviewEdit_Click();
  const QImage before = Shown();
  Choose("RedEye");
  Box().SelectEllipse(20, 10, 40, 30);
  emit viewer_->Mouse().OptionsChanged();  // what drawing the ellipse reports
  Preview();
  edit_->cmdOK->click();
  EXPECT_EQ(viewer_->Tasks().Count(), 0);
  EXPECT_FALSE(SamePixels(Shown(), before));
  EXPECT_EQ(edit_->State().gvarConfirmedSnapshot, Snapshot());
}

TEST_F(PreviewTest, AWatermarkWithoutAPictureSaysSoAndStillRecords) {
  const QImage original = Shown();
  shell::gSetup.TaskOptions.Watermark.ImageFile.clear();
  Choose("Watermark");
  shell::gSetup.TaskOptions.Watermark.ImageFile.clear();
  Preview();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            QStringLiteral("Please select an image/logo for watermarking the image."));
  edit_->cmdOK->click();
  ASSERT_EQ(viewer_->Tasks().Count(), 1);
  EXPECT_TRUE(SamePixels(Shown(), original));

  shell::gSetup.TaskOptions.Watermark.ImageFile = dir_.filePath(QStringLiteral("gone.png"));
  Choose("Watermark");
  shell::gSetup.TaskOptions.Watermark.ImageFile = dir_.filePath(QStringLiteral("gone.png"));
  Preview();
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text,
            QStringLiteral("The last watermark image/logo file has either moved, renamed or "
                           "deleted.\r\nPlease select an image/logo from disk."));
}

TEST_F(PreviewTest, VerticalTextAtTheFirstAnchor) {
  Choose("Text");
  P().txtDraw->setText(QStringLiteral("Up"));
  window_->cboPosition->setCurrentIndex(0);
  P().OptTextOrientation->button(1)->click();
  Preview();
  const tasks::EditingTask& task = edit_->State().gCurrentTask;
  EXPECT_EQ(task.p4, QStringLiteral("-90"));
  EXPECT_EQ(task.p13, QStringLiteral("1"));
  EXPECT_EQ(Box().get_TextAngle(), -90.0f);
}

}  // namespace
}  // namespace edit_test
