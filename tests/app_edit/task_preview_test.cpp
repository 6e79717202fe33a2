// The preview and the confirmation on the viewer's image: what is recorded replays to the same
// pixels on a fresh control, and the preview's own rules (one effect at a time, messages,
// red-eye kept but not recorded).
#include <QMouseEvent>
#include <QSignalBlocker>
#include <cmath>
#include <functional>

#include "app/tasks/frame_drawing.h"
#include "app/tasks/replay.h"
#include "edit_fixture.h"

namespace edit_test {
namespace {

class PreviewTest : public EditModeTest {
 public:
  shell::MainWindow& W() { return *window_; }

  void SetUp() override {
    EditModeTest::SetUp();
    ShowPicture(Picture());
    edit_->CmdPreviewEdit_Click();
    ASSERT_EQ(edit_->State().glEditMode, 1);
  }
  // 400 x 300: shown at its own size.
  virtual std::string Picture() const {
    return "-size 400x300 gradient:red-blue -fill yellow -draw 'rectangle 20,30 120,90' "
           "-fill green -draw 'circle 300,200 330,230'";
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
  // A task list (by default the recorded one) replayed on a fresh hidden control from the image
  // as read.
  QImage Replayed() { return Replayed(viewer_->Tasks()); }
  QImage Replayed(const tasks::TaskList& list) {
    return OnFreshControl([&](plat::com::ControlHost& host, plat::com::ControlHost& scaler) {
      EXPECT_EQ(tasks::subProcessTaskBasket(list, host, scaler, true, 0),
                tasks::ReplayEnd::Finished);
    });
  }
  // The image as read after act on a fresh hidden control (and one that scales masks).
  QImage OnFreshControl(
      const std::function<void(plat::com::ControlHost&, plat::com::ControlHost&)>& act) {
    plat::com::ControlHost host, scaler;
    host.SetControl(QStringLiteral("Pictavo.ImageBox"));
    scaler.SetControl(QStringLiteral("Pictavo.ImageBox"));
    ImageBoxProxy box(host.Dispatch());
    box.ReadBinary(pictavo::ax::TxGraphicsFormat(7),
                   plat::com::ToVariant(viewer_->View().OriginalSnapshot()));
    act(host, scaler);
    return Pixels(box);
  }
  const tasks::EditingTask& Task() { return edit_->State().gCurrentTask; }
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
  {
    // Moved behind the preview's back: a confirmation that previewed again would take 9.
    const QSignalBlocker quiet(P().sldBlur);
    P().sldBlur->setValue(9);
  }
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
  // Drawn at x = TextHeight, y = 0: as the same text placed there by hand on a fresh control.
  const int32_t height = Box().get_TextHeight(u"Up");
  ASSERT_GT(height, 0);
  tasks::EditingTask placed = task;
  placed.p14 = QStringLiteral("9");
  placed.p16 = QString::number(height);
  placed.p17 = QStringLiteral("0");
  tasks::TaskList byHand;
  byHand.Append(placed);
  EXPECT_TRUE(SamePixels(Shown(), Replayed(byHand)));
  placed.p16 = QString::number(height + 2);
  tasks::TaskList moved;
  moved.Append(placed);
  EXPECT_FALSE(SamePixels(Shown(), Replayed(moved)));
}

TEST_F(PreviewTest, MouseCropOnTheImageAtItsSizeCropsTheBandInclusive) {
  ASSERT_EQ(Box().get_ZoomedWidth(), 400);
  const QImage original = Shown();
  Choose("Crop");
  P().optCropSelect->button(0)->click();
  P().chkCropMouse->setChecked(true);
  // What an earlier preview of the crop on a zoomed image left.
  edit_->State().gCurrentTask.p6 = QStringLiteral("640");
  edit_->State().gCurrentTask.p7 = QStringLiteral("480");
  // Drawn from the lower right corner to the upper left one.
  emit window_->ImageMouseDown(1, 0, 130, 100);
  emit window_->ImageMouseMove(0, 30, 40);
  emit window_->ImageMouseUp(1, 0, 30, 40);
  Preview();
  EXPECT_EQ(Task().p2, QStringLiteral("30"));
  EXPECT_EQ(Task().p3, QStringLiteral("40"));
  EXPECT_EQ(Task().p4, QStringLiteral("130"));
  EXPECT_EQ(Task().p5, QStringLiteral("100"));
  EXPECT_TRUE(Task().p6.isEmpty());
  EXPECT_TRUE(Task().p7.isEmpty());
  EXPECT_TRUE(SamePixels(Shown(), original.copy(QRect(QPoint(30, 40), QPoint(130, 100)))));
  edit_->cmdOK->click();
  EXPECT_TRUE(SamePixels(Replayed(), Shown()));
}

TEST_F(PreviewTest, FramePictureFourAloneDrawsTheExtraPieces) {
  for (const int picture : {4, 2}) {
    SCOPED_TRACE(picture);
    Choose("Frame");
    P().OptFrameStyle->button(0)->click();
    P().OptFrameImage->button(picture)->click();
    P().chkFrameImageResizeCanvas->setChecked(false);
    ASSERT_EQ(P().mintTaskPicture, picture);
    Preview();
    const auto framed = [&](bool extraPieces) {
      return OnFreshControl([&](plat::com::ControlHost& host, plat::com::ControlHost&) {
        ImageBoxProxy box(host.Dispatch());
        tasks::SetReplayStartingState(box);
        tasks::subDrawFrame(box, static_cast<int16_t>(picture), 0, extraPieces);
      });
    };
    EXPECT_TRUE(SamePixels(Shown(), framed(picture == 4)));
    EXPECT_FALSE(SamePixels(Shown(), framed(picture != 4)));
    edit_->UndoPreview();
  }
}

TEST_F(PreviewTest, APreviewThatFailsPutsTheConfirmedImageBackAndRecordsNothing) {
  const QImage confirmed = Shown();
  ReportCloser reports;
  Choose("Rotate");
  P().txtDegrees->setText(QStringLiteral("90"));
  Preview();
  ASSERT_FALSE(SamePixels(Shown(), confirmed));
  P().txtDegrees->setText(QStringLiteral("40000"));  // beyond any angle the replay reads
  Preview();
  EXPECT_EQ(reports.count, 1);
  EXPECT_TRUE(SamePixels(Shown(), confirmed));
  EXPECT_EQ(Task().p2, QStringLiteral("90"));  // the failed values are not kept
  EXPECT_FALSE(edit_->State().mbImageModified);
  EXPECT_TRUE(edit_->State().mbNoPreviewShown);
  EXPECT_FALSE(edit_->cmdReset->isEnabled());
  edit_->cmdOK->click();  // previews again, fails again
  EXPECT_EQ(reports.count, 2);
  EXPECT_EQ(viewer_->Tasks().Count(), 0);
  EXPECT_TRUE(SamePixels(Shown(), confirmed));
  EXPECT_TRUE(ui_.messages.empty());
}

// A picture larger than the view: the viewer shows it zoomed to fit.
class ZoomedPreviewTest : public PreviewTest {
 protected:
  std::string Picture() const override {
    return "-size 1600x1200 gradient:orange-navy -fill white -draw 'rectangle 200,150 700,500' "
           "-fill black -draw 'circle 1100,800 1250,950'";
  }
  void SetUp() override {
    PreviewTest::SetUp();
    ASSERT_LT(Box().get_ZoomedWidth(), 1600);
    zoomedWidth_ = Box().get_ZoomedWidth();
    zoomedHeight_ = Box().get_ZoomedHeight();
  }
  // An image pixel of a displayed position, by the viewer's zoom ratio.
  int32_t ImageX(int displayed) const {
    return static_cast<int32_t>(std::nearbyint(1600.0 / zoomedWidth_ * displayed));
  }
  int32_t ImageY(int displayed) const {
    return static_cast<int32_t>(std::nearbyint(1200.0 / zoomedHeight_ * displayed));
  }
  void Send(QWidget* target, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }

  int32_t zoomedWidth_ = 0, zoomedHeight_ = 0;
};

// Entering edit mode fits the picture to the view's edit-mode size at once, so that a position
// picked before the first preview is converted at the zoom every later preview uses.
TEST_F(ZoomedPreviewTest, EnteringEditModeFitsThePictureToTheViewAtOnce) {
  const auto zoomed = [this] { return QSize(Box().get_ZoomedWidth(), Box().get_ZoomedHeight()); };
  for (const bool reentered : {false, true}) {
    SCOPED_TRACE(reentered);
    if (reentered) {
      edit_->CmdPreviewEdit_Click();
      ASSERT_EQ(edit_->State().glEditMode, 0);
      edit_->CmdPreviewEdit_Click();
      ASSERT_EQ(edit_->State().glEditMode, 1);
    }
    const QSize entered = zoomed();
    const QSize view = window_->PicViewImage->size();
    EXPECT_LE(entered.width(), view.width());
    EXPECT_LE(entered.height(), view.height());
    // 4:3 into the view: one side spans it.
    EXPECT_TRUE(entered.width() >= view.width() - 1 || entered.height() >= view.height() - 1)
        << entered.width() << "x" << entered.height() << " in " << view.width() << "x"
        << view.height();
    EXPECT_EQ(window_->ibMain->size(), entered);
    // Further layout passes find nothing to change.
    window_->subResize();
    QApplication::processEvents();
    EXPECT_EQ(zoomed(), entered);
  }
}

TEST_F(ZoomedPreviewTest, MouseCropCropsTheDragConvertedToImagePixels) {
  const QImage original = Shown();
  Choose("Crop");
  P().optCropSelect->button(0)->click();
  // The control's own selection waits for the drag on its surface.
  QTimer::singleShot(50, [this] {
    QWidget* control = window_->ibMain->ControlWidget();
    QWidget* surface = control->childAt(20, 20);
    ASSERT_NE(surface, nullptr);
    const QPoint offset = surface->mapTo(control, QPoint(0, 0));
    Send(surface, QEvent::MouseButtonPress, QPoint(20, 20) - offset);
    Send(surface, QEvent::MouseMove, QPoint(100, 80) - offset);
    Send(surface, QEvent::MouseButtonRelease, QPoint(100, 80) - offset);
  });
  P().chkCropMouse->setChecked(true);
  ASSERT_EQ(viewer_->Mouse().DragEnd(), QPoint(100, 80));
  const QSize extent = window_->ibMain->size();
  Preview();
  EXPECT_EQ(Task().p2, QStringLiteral("20"));
  EXPECT_EQ(Task().p5, QStringLiteral("80"));
  EXPECT_EQ(Task().p6, QString::number(extent.width()));
  EXPECT_EQ(Task().p7, QString::number(extent.height()));
  const QRect kept(QPoint(ImageX(20), ImageY(20)), QPoint(ImageX(100), ImageY(80)));
  EXPECT_TRUE(SamePixels(Shown(), original.copy(kept)));
  edit_->cmdOK->click();
  EXPECT_TRUE(SamePixels(Replayed(), Shown()));
}

TEST_F(ZoomedPreviewTest, ASecondPreviewDrawsAPickedTextAtTheSamePlace) {
  shell::gSetup.TaskOptions.Text.Position = 9;
  Choose("Text");
  P().txtDraw->setText(QStringLiteral("Here"));
  ASSERT_EQ(window_->cboPosition->currentIndex(), 9);
  P().chkSelectLocation->setChecked(true);
  emit window_->ImageMouseUp(1, 0, 200, 150);
  ASSERT_EQ(viewer_->Mouse().TextPosition(), QPoint(200, 150));
  Preview();
  const QImage first = Shown();
  const tasks::EditingTask recorded = Task();
  EXPECT_EQ(recorded.p16, QString::number(ImageX(200)));
  P().txtDraw->setText(QStringLiteral("There"));
  P().txtDraw->setText(QStringLiteral("Here"));  // the same options again
  Preview();
  EXPECT_TRUE(SamePixels(Shown(), first));
  EXPECT_EQ(Task().p16, recorded.p16);
  EXPECT_EQ(Task().p17, recorded.p17);
  EXPECT_EQ(viewer_->Mouse().TextPosition(), QPoint(200, 150));
  edit_->cmdOK->click();
  EXPECT_TRUE(SamePixels(Replayed(), Shown()));
}

}  // namespace
}  // namespace edit_test
