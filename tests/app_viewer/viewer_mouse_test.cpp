// The viewer's mouse: the band's grip, hit and pointer rules without a window, then the handlers
// on a main window with a real ImageBox, driven by mouse events sent to the control on an X
// server. ImageMagick writes the fixtures and names the picked colours.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/browse/viewer/selection_band.h"
#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_mouse.h"
#include "app/browse/viewer/viewer_row.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_shell/recording_ui.h"
#include "app_shell/screenshot_compare.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

using browse::MouseBox;
using browse::MouseLabel;
using browse::MousePointer;
using browse::SelectionBand;
using browse::ViewerMouse;
using pictavo::ax::ImageBoxProxy;

// --- the band alone ---

SelectionBand BandFrom(int x1, int y1, int x2, int y2) {
  SelectionBand band;
  band.mlMouseTool = browse::kToolBand;
  band.mintMouseState = browse::kBandArmed;
  band.MouseDown(x1, y1);
  band.MouseMove(x2, y2);
  band.MouseUp();
  return band;
}

std::vector<int> VisibleGrips(const SelectionBand& band) {
  std::vector<int> visible;
  for (int n = 1; n <= 8; ++n)
    if (band.Grip(n).Visible) visible.push_back(n);
  return visible;
}

TEST(SelectionBandTest, MiddleGripsShowFromSixteenPixelsAndSitOnTruncatedHalves) {
  struct Case {
    int x1, y1, x2, y2;
    std::vector<int> visible;
  } const cases[] = {
      {0, 0, 9, 9, {1, 2, 3, 4}},
      {10, 10, 25, 40, {1, 2, 3, 4, 7, 8}},        // 15 apart across: no top and bottom grips
      {10, 10, 26, 25, {1, 2, 3, 4, 5, 6}},        // 16 across, 15 down
      {40, 40, 24, 24, {1, 2, 3, 4, 5, 6, 7, 8}},  // drawn backwards
  };
  for (const Case& c : cases) {
    const SelectionBand band = BandFrom(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(VisibleGrips(band), c.visible) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    EXPECT_EQ(band.mintMouseState, browse::kBandShown);
  }
  // Halves truncate toward zero, also for negative sums.
  const SelectionBand off = BandFrom(-21, -21, 0, 0);
  EXPECT_EQ(off.Grip(5).X, -10);
  EXPECT_EQ(off.Grip(7).Y, -10);
  const SelectionBand on = BandFrom(3, 3, 20, 20);
  EXPECT_EQ(on.Grip(5).X, 11);
  EXPECT_EQ(on.Grip(6).Y, 20);
  EXPECT_EQ(on.Grip(8).X, 20);
  EXPECT_EQ(on.Grip(8).Y, 11);
}

TEST(SelectionBandTest, HiddenMiddleGripKeepsItsOldPoint) {
  SelectionBand band = BandFrom(0, 0, 40, 40);
  EXPECT_EQ(band.Grip(5).X, 20);
  band.mintSelX2 = 10;  // now narrower than the middle grips need
  band.subPlaceGrips();
  EXPECT_FALSE(band.Grip(5).Visible);
  EXPECT_EQ(band.Grip(5).X, 20);
}

TEST(SelectionBandTest, HitTestAndPointerForBothDirections) {
  struct Case {
    int x, y;
    int16_t hit;
    MousePointer pointer;
  };
  // Forwards from (10, 10) to (50, 40); the same corners drawn backwards.
  const SelectionBand forwards = BandFrom(10, 10, 50, 40);
  const SelectionBand backwards = BandFrom(50, 40, 10, 10);
  const Case forwardCases[] = {
      {10, 10, 1, MousePointer::SizeNWSE}, {52, 8, 2, MousePointer::SizeNESW},
      {8, 42, 3, MousePointer::SizeNESW},  {50, 40, 4, MousePointer::SizeNWSE},
      {30, 11, 5, MousePointer::SizeNS},   {31, 39, 6, MousePointer::SizeNS},
      {11, 25, 7, MousePointer::SizeWE},   {49, 25, 8, MousePointer::SizeWE},
      {20, 20, 9, MousePointer::SizeAll},  {47, 30, 9, MousePointer::SizeAll},
      {60, 20, 0, MousePointer::Arrow},    {30, 46, 0, MousePointer::Arrow},
  };
  for (const Case& c : forwardCases) {
    SelectionBand band = forwards;
    const MousePointer pointer = band.HitTest(c.x, c.y);
    EXPECT_EQ(band.mintGripHit, c.hit) << c.x << "," << c.y;
    EXPECT_EQ(pointer, c.pointer) << c.x << "," << c.y;
  }
  // Backwards: grip 1 is the lower right corner and shows the north-east/south-west arrow.
  const Case backwardCases[] = {
      {50, 40, 1, MousePointer::SizeNESW}, {10, 40, 2, MousePointer::SizeNWSE},
      {50, 10, 3, MousePointer::SizeNWSE}, {10, 10, 4, MousePointer::SizeNESW},
      {30, 30, 9, MousePointer::SizeAll},
  };
  for (const Case& c : backwardCases) {
    SelectionBand band = backwards;
    EXPECT_EQ(band.HitTest(c.x, c.y), c.pointer) << c.x << "," << c.y;
    EXPECT_EQ(band.mintGripHit, c.hit) << c.x << "," << c.y;
  }
}

TEST(SelectionBandTest, InsideCountsTheFirstEdgeAndNotTheSecond) {
  const SelectionBand forwards = BandFrom(10, 10, 50, 40);
  EXPECT_TRUE(forwards.Inside(10, 10));
  EXPECT_FALSE(forwards.Inside(50, 20));
  EXPECT_FALSE(forwards.Inside(20, 40));
  const SelectionBand backwards = BandFrom(50, 40, 10, 10);
  EXPECT_TRUE(backwards.Inside(50, 40));
  EXPECT_FALSE(backwards.Inside(10, 20));
  EXPECT_TRUE(backwards.Inside(11, 11));
}

TEST(SelectionBandTest, TwoGripsInReachTheHigherNumberWins) {
  // A band 4 pixels wide: grips 1 and 2 lie 4 apart, so (2, 0) reaches both.
  SelectionBand band = BandFrom(0, 0, 4, 20);
  band.HitTest(2, 0);
  EXPECT_EQ(band.mintGripHit, 2);
  band.HitTest(2, 10);  // grips 7 and 8 both within 2
  EXPECT_EQ(band.mintGripHit, 8);
  band.HitTest(-3, 0);  // 3 away is out of reach
  EXPECT_EQ(band.mintGripHit, 0);
}

TEST(SelectionBandTest, ThirtyTwoBitCornersDoNotWrap) {
  const SelectionBand band = BandFrom(40000, 50000, 40100, 50100);
  EXPECT_EQ(band.Grip(4).X, 40100);
  EXPECT_EQ(band.Grip(5).X, 40050);
  EXPECT_EQ(band.Grip(7).Y, 50050);
}

TEST(ViewerMouseTest, PickedPixelRoundsHalvesToEvenAndStaysInTheImage) {
  const QSize image(100, 80), half(50, 40);
  EXPECT_EQ(ViewerMouse::ImagePixelAt({10, 7}, image, half), QPoint(20, 14));
  // A scale of 2.5: 2.5 rounds down to 2, 7.5 up to 8; 1.5 (scale 1.5) up to 2.
  EXPECT_EQ(ViewerMouse::ImagePixelAt({1, 3}, QSize(10, 10), QSize(4, 4)), QPoint(2, 8));
  EXPECT_EQ(ViewerMouse::ImagePixelAt({1, 1}, QSize(3, 3), QSize(2, 2)), QPoint(2, 2));
  EXPECT_EQ(ViewerMouse::ImagePixelAt({60, 45}, image, half), QPoint(99, 79));
  EXPECT_EQ(ViewerMouse::ImagePixelAt({1, 1}, QSize(0, 0), QSize(0, 0)), std::nullopt);
  EXPECT_EQ(ViewerMouse::ImagePixelAt({1, 1}, image, QSize(0, 40)), std::nullopt);
}

TEST(ViewerMouseTest, LabelTexts) {
  EXPECT_EQ(ViewerMouse::RegionText(120, 45), QStringLiteral("X : 120 ; Y : 45"));
  EXPECT_EQ(ViewerMouse::LocationText(120, 45), QStringLiteral("X-120; Y-45"));
}

// --- the handlers on a hosted control ---

void Make(const std::string& operations, const QString& path) {
  const std::string command = "convert " + operations + " -depth 8 '" + path.toStdString() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// ImageMagick's own reading of one pixel, as 0x00BBGGRR.
uint32_t RefereeColour(const QString& path, int x, int y) {
  const std::string command = "convert '" + path.toStdString() + "' -format '%[pixel:p{" +
                              std::to_string(x) + "," + std::to_string(y) + "}]' info:";
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  char text[128] = {};
  const size_t got = pipe ? fread(text, 1, sizeof text - 1, pipe) : 0;
  if (pipe) pclose(pipe);
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("^s?rgb\\((\\d+),(\\d+),(\\d+)\\)"))
          .match(QString::fromLatin1(text, int(got)));
  EXPECT_TRUE(m.hasMatch()) << text;
  return m.captured(1).toUInt() | m.captured(2).toUInt() << 8 | m.captured(3).toUInt() << 16;
}

class HostedMouseTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    window_->resize(800, 600);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    viewer_ = std::make_unique<browse::Viewer>(*window_, tasks_, *window_->frmFrameDummy->ibTemp);
    mouse_ = std::make_unique<ViewerMouse>(*window_, *viewer_);
    mouse_->ShowViewerMenu = [this](QPoint at) { menus_.push_back(at); };
    connect();
  }
  void TearDown() override {
    mouse_.reset();
    viewer_.reset();
    window_.reset();
  }
  void connect() {
    QObject::connect(mouse_.get(), &ViewerMouse::Untick,
                     [this](MouseBox box) { unticked_.push_back(box); });
    QObject::connect(mouse_.get(), &ViewerMouse::LabelChanged,
                     [this](MouseLabel label, const QString& text) { labels_[int(label)] = text; });
    QObject::connect(mouse_.get(), &ViewerMouse::ColourPicked,
                     [this](const QColor& c) { picked_ = c; });
  }

  // Loads a file into ibMain at `zoom` percent, not fitted.
  void Load(const QString& path, double zoom = 100) {
    ImageBoxProxy box = Box();
    box.put_AutoZoom(false);
    box.LoadFromFile(path.toStdString());
    box.put_Zoom(zoom);
    QApplication::processEvents();
  }
  QString Fixture(const std::string& operations, const char* name) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    Make(operations, path);
    return path;
  }
  ImageBoxProxy Box() const { return ImageBoxProxy(window_->ibMain->Dispatch()); }
  QWidget* Control() const { return window_->ibMain->ControlWidget(); }

  void Send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }
  void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Send(Control(), QEvent::MouseButtonPress, at, button);
  }
  void Move(QPoint at) { Send(Control(), QEvent::MouseMove, at, Qt::NoButton); }
  void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Send(Control(), QEvent::MouseButtonRelease, at, button);
  }
  void Drag(QPoint from, QPoint to) {
    Move(from);
    Press(from);
    Move(to);
    Release(to);
  }
  QRect Corners() const {
    const SelectionBand& b = mouse_->Band();
    return QRect(QPoint(b.mintSelX1, b.mintSelY1), QPoint(b.mintSelX2, b.mintSelY2));
  }
  QByteArray Snapshot() {
    return plat::com::ToQVariant(Box().WriteBinary(pictavo::ax::TxGraphicsFormat(7))).toByteArray();
  }

  QTemporaryDir dir_;
  RecordingUi ui_;  // no message box may wait for a click
  tasks::TaskList tasks_;
  std::unique_ptr<shell::MainWindow> window_;
  std::unique_ptr<browse::Viewer> viewer_;
  std::unique_ptr<ViewerMouse> mouse_;
  std::vector<QPoint> menus_;
  std::vector<MouseBox> unticked_;
  std::map<int, QString> labels_;
  QColor picked_;
};

TEST_F(HostedMouseTest, DrawResizeMoveAndPressOutside) {
  Load(Fixture("-size 200x150 xc:gray70", "band.png"));
  mouse_->ArmCropByMouse();
  EXPECT_EQ(mouse_->Band().mintMouseState, browse::kBandArmed);
  Drag({20, 30}, {120, 100});
  EXPECT_EQ(Corners(), QRect(QPoint(20, 30), QPoint(120, 100)));
  EXPECT_EQ(mouse_->Band().mintMouseState, browse::kBandShown);
  EXPECT_EQ(labels_[int(MouseLabel::SelectRegionStart)], QStringLiteral("X : 20 ; Y : 30"));
  EXPECT_EQ(labels_[int(MouseLabel::SelectRegionEnd)], QStringLiteral("X : 120 ; Y : 100"));
  EXPECT_FALSE(mouse_->CropByMouse());

  // Each grip dragged by 5 to the lower right moves its corner or edge.
  struct Case {
    QPoint grip;
    QRect after;
  } const grips[] = {
      {{20, 30}, QRect(QPoint(25, 35), QPoint(120, 100))},
      {{120, 35}, QRect(QPoint(25, 40), QPoint(125, 100))},
      {{25, 100}, QRect(QPoint(30, 40), QPoint(125, 105))},
      {{125, 105}, QRect(QPoint(30, 40), QPoint(130, 110))},
      {{80, 40}, QRect(QPoint(30, 45), QPoint(130, 110))},
      {{80, 110}, QRect(QPoint(30, 45), QPoint(130, 115))},
      {{30, 80}, QRect(QPoint(35, 45), QPoint(130, 115))},
      {{130, 80}, QRect(QPoint(35, 45), QPoint(135, 115))},
  };
  for (const Case& c : grips) {
    Drag(c.grip, c.grip + QPoint(5, 5));
    EXPECT_EQ(Corners(), c.after) << c.grip.x() << "," << c.grip.y();
    EXPECT_EQ(mouse_->Band().mintMouseState, browse::kBandShown);
  }
  // Move, also partly off the image.
  Drag({60, 60}, {200, 10});
  EXPECT_EQ(Corners(), QRect(QPoint(175, -5), QPoint(275, 65)));
  EXPECT_TRUE(mouse_->Band().Grip(4).Visible);
  // Press and release outside the band and away from its grips: the band stays.
  Drag({10, 120}, {15, 125});
  EXPECT_EQ(Corners(), QRect(QPoint(175, -5), QPoint(275, 65)));
  EXPECT_EQ(mouse_->Band().mintMouseState, browse::kBandShown);
  EXPECT_TRUE(mouse_->Band().GripsVisible());

  // Previous, next and the menus drop the band.
  viewer_->DropImageSelection();
  EXPECT_EQ(mouse_->Band().mintMouseState, browse::kBandIdle);
  EXPECT_EQ(Corners(), QRect(QPoint(0, 0), QPoint(0, 0)));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HostedMouseTest, EveryMouseUpUnticksTheColourAndRedEyeBoxesAndChangesOptions) {
  Load(Fixture("-size 60x40 xc:red", "up.png"));
  QSignalSpy changed(mouse_.get(), &ViewerMouse::OptionsChanged);
  Press({5, 5});
  Release({5, 5});
  EXPECT_TRUE(mouse_->mbTaskOptionsChanged);
  EXPECT_GE(changed.count(), 1);
  EXPECT_EQ(unticked_, (std::vector<MouseBox>{MouseBox::CropBackColor, MouseBox::RedEye}));
}

TEST_F(HostedMouseTest, ColourPickAtHalfZoomFollowsTheMouseUntilRelease) {
  const QString path = Fixture(
      "-size 100x80 xc:black -channel R -fx 'i/w' -channel G -fx 'j/h' -channel B -fx '0.3' "
      "+channel",
      "pick.png");
  Load(path, 50);
  ASSERT_EQ(Box().get_ZoomedWidth(), 50);
  mouse_->SetColourPick(true);
  Press({10, 7});
  Move({17, 23});
  Release({30, 30});  // the release itself picks nothing
  EXPECT_EQ(mouse_->PickedPixel(), QPoint(34, 46));
  const uint32_t expected = RefereeColour(path, 34, 46);
  EXPECT_EQ(picked_, QColor(int(expected & 0xFF), int(expected >> 8 & 0xFF), int(expected >> 16)));
  EXPECT_EQ(uint32_t(Box().get_BGColor()), expected);
  EXPECT_EQ(mouse_->Band().mlMouseTool, browse::kToolNone);  // the release ended the pick
  Move({5, 5});
  EXPECT_EQ(mouse_->PickedPixel(), QPoint(34, 46));
}

TEST_F(HostedMouseTest, PositionPickRecordsOnlyForTextAndWatermark) {
  Load(Fixture("-size 80x60 xc:white", "pos.png"));
  struct Case {
    int task;
    QPoint text, watermark;
  } const cases[] = {{5, {0, 0}, {0, 0}}, {10, {31, 22}, {0, 0}}, {9, {31, 22}, {33, 24}}};
  for (const Case& c : cases) {
    mouse_->CurrentTask = [&c] { return c.task; };
    unticked_.clear();
    mouse_->SetPositionPick(true);
    Move({12, 12});
    Release(QPoint(31, 22) + (c.task == 9 ? QPoint(2, 2) : QPoint()));
    EXPECT_FALSE(mouse_->PickPosition()) << c.task;
    EXPECT_EQ(unticked_.front(), MouseBox::SelectLocation) << c.task;
    EXPECT_EQ(mouse_->TextPosition(), c.text) << c.task;
    EXPECT_EQ(mouse_->WatermarkPosition(), c.watermark) << c.task;
  }
  EXPECT_EQ(labels_[int(MouseLabel::SelectLocation)], QStringLiteral("X-33; Y-24"));
}

TEST_F(HostedMouseTest, RightButtonOpensTheMenuInEveryStateAndChangesNothing) {
  Load(Fixture("-size 120x90 xc:white", "right.png"));
  mouse_->ArmCropByMouse();
  const auto state = [this] {
    const SelectionBand& b = mouse_->Band();
    return std::vector<int>{b.mintMouseState, b.mlMouseTool, b.mintSelX1,  b.mintSelY1,
                            b.mintSelX2,      b.mintSelY2,   b.mintGripHit};
  };
  const auto rightClick = [&](const char* when) {
    const std::vector<int> before = state();
    const size_t menus = menus_.size();
    Press({40, 40}, Qt::RightButton);
    EXPECT_EQ(menus_.size(), menus + 1) << when;
    EXPECT_EQ(menus_.back(), Control()->mapToGlobal(QPoint(40, 40))) << when;
    EXPECT_EQ(state(), before) << when;
  };
  rightClick("armed");
  Press({10, 10});
  Move({60, 50});
  rightClick("drawing");
  Release({60, 50});
  rightClick("shown");
  Move({60, 50});
  Press({60, 50});
  rightClick("resizing");
  Release({60, 50});
  Move({30, 30});
  Press({30, 30});
  rightClick("moving");
  Release({30, 30});
  viewer_->DropImageSelection();
  rightClick("idle");
  // Without an image the menu still opens; nothing else happens.
  Box().Clear();
  rightClick("no image");
  mouse_->ArmCropByMouse();
  Press({5, 5});
  EXPECT_EQ(mouse_->Band().mintMouseState, browse::kBandArmed);
}

TEST_F(HostedMouseTest, TheBandLeavesTheImageUntouched) {
  Load(Fixture("-size 90x70 gradient:white-navy", "print.png"));
  const QByteArray before = Snapshot();
  mouse_->ArmCropByMouse();
  Drag({10, 10}, {70, 50});
  ASSERT_TRUE(mouse_->Band().GripsVisible());
  QApplication::processEvents();
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(HostedMouseTest, CropOfAZoomedImageRunsTheControlsSelection) {
  Load(Fixture("-size 1600x1200 xc:teal", "zoomed.png"));
  Box().put_AutoZoom(true);
  window_->subResize();  // fits the control to the view, as every change of the view does
  QApplication::processEvents();
  ASSERT_LT(Box().get_ZoomedWidth(), 1600);
  // The control's selection waits for the mouse; the drag goes to its surface meanwhile.
  QTimer::singleShot(50, [this] {
    QWidget* surface = Control()->childAt(20, 20);
    ASSERT_NE(surface, nullptr);
    const QPoint offset = surface->mapTo(Control(), QPoint(0, 0));
    Send(surface, QEvent::MouseButtonPress, QPoint(20, 20) - offset, Qt::LeftButton);
    Send(surface, QEvent::MouseMove, QPoint(100, 80) - offset, Qt::LeftButton);
    Send(surface, QEvent::MouseButtonRelease, QPoint(100, 80) - offset, Qt::LeftButton);
  });
  mouse_->ArmCropByMouse();
  EXPECT_EQ(mouse_->Band().mlMouseTool, browse::kToolNone);
  EXPECT_EQ(mouse_->DragStart(), QPoint(20, 20));
  EXPECT_EQ(mouse_->DragEnd(), QPoint(100, 80));
  EXPECT_FALSE(mouse_->CropByMouse());
  EXPECT_EQ(unticked_.front(), MouseBox::CropMouse);
  EXPECT_NE(int(Box().get_SelectionType()), 0);  // the control holds a rectangle selection
}

TEST_F(HostedMouseTest, BandWithGripsOnScreen) {
  window_->resize(1000, 740);
  const QString path = Fixture("-size 320x240 gradient:khaki-steelblue", "shot.png");
  auto* item = new QTreeWidgetItem(window_->lvFolder, {QStringLiteral("shot.png")});
  item->setData(0, browse::kRowTagRole, path);
  browse::ListViewRow row(window_->lvFolder, item, browse::RowList::FileList);
  viewer_->subShowSelectedItem(row);
  ASSERT_EQ(viewer_->ShownPath(), path);
  mouse_->ArmCropByMouse();
  Drag({40, 30}, {200, 160});
  ExpectWindowMatchesGolden(*window_,
                            VELMORA_SOURCE_DIR "/tests/app_viewer/golden/band_with_grips.png",
                            window_->PicViewImage);
}

}  // namespace
