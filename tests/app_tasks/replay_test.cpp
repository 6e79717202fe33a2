// The task replay on real ImageBox controls created by ProgID. ImageMagick draws the sources and,
// where it has the operation, the reference result; elsewhere the same control members called
// directly, or the sizes and pixels the design names, are the referee.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QLayout>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "app/shell/errors.h"
#include "app/tasks/frame_drawing.h"
#include "app/tasks/replay.h"
#include "app/tasks/task_artwork.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/qimage_view.h"
#include "support/control_pixels.h"

namespace {

namespace fs = std::filesystem;
using pictavo::ax::ImageBoxProxy;
using plat::com::ControlHost;
using tasks::ReplayEnd;
using tasks::StopView;
using tasks::TaskList;
using tasks::TaskRow;

int Shell(const std::string& command) {
  return std::system(command.c_str());
}

TaskRow Row(const QString& id, std::initializer_list<QString> params = {}) {
  TaskRow row;
  row.Text = id;
  int n = 1;
  for (const QString& p : params) row.Param(n++) = p;
  return row;
}

TaskList ListOf(std::initializer_list<TaskRow> rows) {
  TaskList list;
  for (const TaskRow& row : rows) list.AppendRow(row);
  return list;
}

// Canvas one column wider on the right: the image width counts the rows applied.
TaskRow OneColumnMore() {
  return Row("12", {"0", "0", "0", "1", "0"});
}

QImage Picture(const plat::TBitmap& bitmap) {
  return plat::ToQImage(bitmap).convertToFormat(QImage::Format_RGB32);
}

// A control member not wired yet answers "Not available: <name>".
bool Unwired(const std::function<void()>& call) {
  try {
    call();
  } catch (const plat::com::EOleException& e) {
    return std::string(e.what()).rfind("Not available: ", 0) == 0;
  }
  return false;
}

// Closes the error report whenever one is open, so a reported error does not stop the test.
class ReportCloser {
 public:
  ReportCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    timer_.start(0);
  }

 private:
  QTimer timer_;
};

class Replay : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = fs::temp_directory_path() / ("task-replay-" + std::to_string(::getpid()));
    fs::create_directories(scratch_);
    ::setenv("XDG_CONFIG_HOME", scratch_.c_str(), 1);
    ASSERT_EQ(Shell(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY), 0);
    // Asymmetric solid blocks on white: every flip and turn shows.
    ASSERT_EQ(Shell("convert -size 40x30 xc:white -fill red -draw 'rectangle 0,0 9,5' "
                    "-fill blue -draw 'rectangle 30,20 39,29' -fill lime "
                    "-draw 'rectangle 5,22 12,29' PNG24:" +
                    Path("blocks.png")),
              0);
    ASSERT_EQ(Shell("convert -size 100x80 gradient:gray20-gray80 -fill 'rgb(200,40,90)' "
                    "-draw 'rectangle 10,10 40,30' PNG24:" +
                    Path("shades.png")),
              0);
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }
  static std::string Path(const std::string& name) { return (scratch_ / name).string(); }

  void SetUp() override {
    shell::gstrErrorRoutine.clear();
    host_.SetControl("Pictavo.ImageBox");
    scaler_.SetControl("Pictavo.ImageBox");
    box_ = ImageBoxProxy(host_.Dispatch());
  }

  // A plain image made by ImageMagick, e.g. Make("red.png", "-size 800x600 xc:red").
  std::string Make(const std::string& name, const std::string& args) {
    if (!fs::exists(Path(name))) {
      EXPECT_EQ(Shell("convert " + args + " PNG24:" + Path(name)), 0);
    }
    return Path(name);
  }
  QImage Reference(const std::string& source, const std::string& operation) {
    const std::string out = Path("reference.png");
    EXPECT_EQ(Shell("convert " + Path(source) + " " + operation + " PNG24:" + out), 0);
    return QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
  }
  void Load(const std::string& path) { box_.LoadFromFile(path); }
  ReplayEnd Run(const TaskList& list, bool allRows = true, int32_t editMode = 0) {
    return tasks::subProcessTaskBasket(list, host_, scaler_, allRows, editMode);
  }
  ReplayEnd RunOn(ControlHost& host, const TaskList& list) {
    return tasks::subProcessTaskBasket(list, host, scaler_, true, 0);
  }

  static fs::path scratch_;
  ControlHost host_;
  ControlHost scaler_;
  ImageBoxProxy box_;
};

fs::path Replay::scratch_;

TEST_F(Replay, RecordsWithAnImageMagickCounterpart) {
  struct Case {
    TaskRow row;
    const char* operation;
  } cases[] = {
      {Row("1", {"0"}), "-flop"},
      {Row("1", {"1"}), "-flip"},
      {Row("1", {""}), "-flip"},
      {Row("2", {"False", "90", "0"}), "-rotate -90"},
      {Row("2", {"False", "-90", "0"}), "-rotate 90"},
      {Row("11"), "-negate"},
      {Row(" 8 ", {"True", "0", "5", "4", "24", "19"}), "-crop 20x16+5+4 +repage"},
  };
  for (const Case& c : cases) {
    Load(Path("blocks.png"));
    EXPECT_EQ(Run(ListOf({c.row})), ReplayEnd::Finished);
    EXPECT_TRUE(SamePixels(Pixels(box_), Reference("blocks.png", c.operation))) << c.operation;
  }
  EXPECT_EQ(shell::gstrErrorRoutine, "");
}

TEST_F(Replay, TypedEllipseCropPaintsTheOutsideInItsColour) {
  Load(Path("blocks.png"));
  Run(ListOf({Row("8", {"True", "1", "0", "0", "39", "29", QString::number(0xFF00FF)})}));
  const QImage image = Pixels(box_);
  ASSERT_EQ(image.size(), QSize(40, 30));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 255));  // 0x00BBGGRR magenta
  EXPECT_EQ(image.pixelColor(39, 29), QColor(255, 0, 255));
  EXPECT_EQ(image.pixelColor(20, 15), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(8, 10), QColor(Qt::white));
}

TEST_F(Replay, CanvasAndColourFrameAddBordersAsWideAsAsked) {
  const QImage source =
      QImage(QString::fromStdString(Path("shades.png"))).convertToFormat(QImage::Format_RGB32);
  struct Case {
    TaskRow row;
    QSize size;
    QPoint offset;
    QColor border;
  } cases[] = {
      {Row("12", {QString::number(0x0000FF), "10", "10", "10", "10"}),
       {120, 100},
       {10, 10},
       Qt::red},
      {Row("12", {QString::number(0xFF0000), "3", "0", "7", "2"}), {110, 82}, {3, 0}, Qt::blue},
      {Row("13", {QString::number(0x00FF00), "1", "5"}), {110, 90}, {5, 5}, QColor(0, 255, 0)},
  };
  for (const Case& c : cases) {
    Load(Path("shades.png"));
    Run(ListOf({c.row}));
    const QImage image = Pixels(box_);
    ASSERT_EQ(image.size(), c.size) << c.row.Text.toStdString();
    EXPECT_TRUE(SamePixels(image.copy(QRect(c.offset, source.size())), source));
    EXPECT_EQ(image.pixelColor(c.size.width() - 1, c.size.height() - 1), c.border);
    EXPECT_EQ(image.pixelColor(c.size.width() - 1, 0), c.border);
  }
}

TEST_F(Replay, ResizeFitsOnlyWhatIsTooLargeAndScalesByPercent) {
  struct Case {
    const char* source;
    const char* size;
    TaskRow row;
    QSize expected;
  } cases[] = {
      {"wide.png", "1000x500", Row("3", {"True", "400", "400"}), {400, 200}},
      {"small.png", "300x200", Row("3", {"True", "400", "400"}), {300, 200}},
      {"scale.png", "100x80", Row("3", {"False", "50"}), {50, 40}},
  };
  for (const Case& c : cases) {
    Load(Make(c.source, std::string("-size ") + c.size + " xc:orange"));
    Run(ListOf({c.row}));
    EXPECT_EQ(QSize(box_.get_ImageWidth(), box_.get_ImageHeight()), c.expected) << c.source;
  }
}

// The filters' pixels are the raster tests' concern; here the parameters must arrive decoded.
TEST_F(Replay, FilterParametersArriveDecoded) {
  ControlHost direct;
  direct.SetControl("Pictavo.ImageBox");
  ImageBoxProxy other(direct.Dispatch());
  struct Case {
    TaskRow row;
    std::function<void()> call;
  } cases[] = {
      {Row("5", {"30", "1", "0", "True"}), [&] { other.Contrast(30, true, false, true); }},
      {Row("6", {"40", "-1", "False", "1"}), [&] { other.Brightness(40, true, false, true); }},
      {Row("4", {"3"}), [&] { other.BlurBy(3); }},
      {Row("7", {"2.5"}), [&] { other.SharpenBy(2); }},
      {Row("2", {"False", "45", "-2147483634"}),
       [&] {
         other.put_BGColor(0x8000000E);
         other.Rotate(45);
       }},
  };
  const QImage source =
      QImage(QString::fromStdString(Path("shades.png"))).convertToFormat(QImage::Format_RGB32);
  for (const Case& c : cases) {
    Load(Path("shades.png"));
    other.LoadFromFile(Path("shades.png"));
    Run(ListOf({c.row}));
    c.call();
    const QImage replayed = Pixels(box_);
    EXPECT_FALSE(SamePixels(replayed, source)) << c.row.Text.toStdString();
    EXPECT_TRUE(SamePixels(replayed, Pixels(other))) << c.row.Text.toStdString();
  }
}

TEST_F(Replay, StopsAfterTheRowChosenInTheConsultedList) {
  struct Case {
    bool allRows;
    int32_t editMode;
    int explorerStop, editStop;
    int applied;
  } cases[] = {
      {true, 0, 2, 2, 5},   {false, 0, 2, -1, 3}, {false, 1, -1, 2, 3}, {false, 1, 2, -1, 5},
      {false, 0, -1, 0, 5}, {false, 2, 2, 2, 5},  {false, 0, 4, -1, 5}, {false, 0, 0, -1, 1},
  };
  for (const Case& c : cases) {
    TaskList list;
    for (int i = 0; i < 5; ++i) list.AppendRow(OneColumnMore());
    list.SetStopRow(StopView::Explorer, c.explorerStop);
    list.SetStopRow(StopView::EditMode, c.editStop);
    Load(Path("blocks.png"));
    Run(list, c.allRows, c.editMode);
    EXPECT_EQ(box_.get_ImageWidth(), 40 + c.applied)
        << c.allRows << " " << c.editMode << " " << c.explorerStop << " " << c.editStop;
  }
}

TEST_F(Replay, EmptyListsAndUnknownIdsChangeNothing) {
  Load(Path("blocks.png"));
  const QImage before = Pixels(box_);
  EXPECT_EQ(Run(TaskList()), ReplayEnd::Finished);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(shell::gstrCurrentActivity, "Processing all available tasks in the basket");
  EXPECT_EQ(Run(ListOf({Row("0", {"1"}), Row("16", {"1"}), Row("99", {"1"})})),
            ReplayEnd::Finished);
  EXPECT_TRUE(SamePixels(Pixels(box_), before));
  EXPECT_EQ(shell::gstrCurrentActivity, "Processing task ID - '99'");
}

TEST_F(Replay, ShowsTheBusyPointerPerRowAndReportsProgress) {
  Load(Path("blocks.png"));
  TaskList list = ListOf({OneColumnMore(), OneColumnMore(), OneColumnMore(), OneColumnMore()});
  std::vector<std::pair<int, int>> reported;
  bool busy = true;
  const ReplayEnd end =
      tasks::subProcessTaskBasket(list, host_, scaler_, true, 0, [&](int row, int count) {
        reported.emplace_back(row, count);
        busy = busy && QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        return row < 2;  // Cancel after the second row
      });
  EXPECT_EQ(end, ReplayEnd::Cancelled);
  EXPECT_TRUE(busy);
  EXPECT_EQ(reported, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}}));
  EXPECT_EQ(box_.get_ImageWidth(), 42);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Replay, ASecondReplayOnTheSameControlIsRefusedWhileOneRuns) {
  Load(Path("blocks.png"));
  const TaskList list = ListOf({OneColumnMore(), OneColumnMore(), OneColumnMore()});
  std::optional<ReplayEnd> nested;
  bool running = false;
  QTimer::singleShot(0, [&] {
    running = tasks::IsReplaying(host_);
    nested = Run(list);
  });
  EXPECT_EQ(Run(list), ReplayEnd::Finished);
  EXPECT_TRUE(running);
  EXPECT_EQ(nested, ReplayEnd::Refused);
  EXPECT_EQ(box_.get_ImageWidth(), 43);
  EXPECT_FALSE(tasks::IsReplaying(host_));
}

TEST_F(Replay, AListShortenedWhileTheReplayYieldsEndsIt) {
  Load(Path("blocks.png"));
  TaskList list = ListOf({OneColumnMore(), OneColumnMore(), OneColumnMore()});
  // The first row's yield runs this: the rows after it are gone before they are read.
  QTimer::singleShot(0, [&] {
    list.Remove(2);
    list.Remove(1);
    list.Remove(0);
  });
  EXPECT_EQ(Run(list), ReplayEnd::Finished);
  EXPECT_EQ(box_.get_ImageWidth(), 40);
}

TEST_F(Replay, FailedStepsAreSkippedAndTheReplayGoesOn) {
  const std::string notAnImage = Path("not_an_image.png");
  ASSERT_EQ(Shell("echo plain text > " + notAnImage), 0);
  Load(Path("blocks.png"));
  Run(ListOf({
      Row("x", {"0", "0", "0", "5", "0"}),  // no previous id: nothing
      Row("9", {"False", "0", "2", QString::fromStdString(notAnImage), "0"}),  // MergeFile fails
      Row("2", {"False", "90", "not a colour"}),  // BGColor skipped, turn still done
      OneColumnMore(),
      Row(" y ", {"0", "0", "0", "2", "0"}),  // repeats Canvas with its own margins
  }));
  EXPECT_EQ(shell::gstrErrorRoutine, "");
  EXPECT_EQ(box_.get_ImageWidth(), 30 + 1 + 2);
  EXPECT_EQ(box_.get_ImageHeight(), 40);
}

TEST_F(Replay, AnOverflowIsReportedAndEndsTheReplay) {
  Load(Path("blocks.png"));
  const ReportCloser closer;
  const ReplayEnd end =
      Run(ListOf({OneColumnMore(), Row("2", {"False", "40000", "0"}), OneColumnMore()}));
  EXPECT_EQ(end, ReplayEnd::Failed);
  EXPECT_EQ(shell::gstrErrorRoutine, "subProcessPages");
  EXPECT_EQ(shell::gstrErrorText, "6 - Overflow");
  EXPECT_EQ(shell::gstrErrorActivity, "Processing task ID - '2'");
  EXPECT_EQ(box_.get_ImageWidth(), 41);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The border band of a frame is the tiles' alone: a colour only the source has must be gone.
int SourcePixelsOutside(const QImage& image, const QRect& inner, QRgb sourceColour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (!inner.contains(x, y) && image.pixel(x, y) == sourceColour) ++count;
  return count;
}

TEST_F(Replay, PictureFrameEnlargesTheCanvasAndCoversTheBand) {
  Load(Make("plain.png", "-size 100x80 xc:'rgb(1,2,3)'"));
  Run(ListOf({Row("13", {"0", "0", "2", "1"})}));
  const QImage image = Pixels(box_);
  ASSERT_EQ(image.size(), QSize(141, 121));
  const auto& tiles = tasks::FrameSet(2);
  const QRect inner(tiles[tasks::pleft].Width(), tiles[tasks::pTop_left].Height(),
                    141 - tiles[tasks::pleft].Width() - tiles[tasks::pRight].Width(),
                    121 - tiles[tasks::pTop_left].Height() - tiles[tasks::pBottom_left].Height());
  EXPECT_EQ(SourcePixelsOutside(image, inner, qRgb(1, 2, 3)), 0);
  EXPECT_EQ(image.pixel(70, 60), qRgb(1, 2, 3));
  EXPECT_TRUE(SamePixels(image.copy(0, 0, 23, 21), Picture(tiles[tasks::pTop_left])));
}

TEST_F(Replay, FrameSetFourDrawsItsExtraPieces) {
  const auto& tiles = tasks::FrameSet(4);
  const auto& pieces = tasks::Artwork().ExtraPieces;
  const int top = tiles[tasks::pTop_left].Height();
  auto pieceAt = [](const QImage& image, int x, int y, const plat::TBitmap& piece) {
    return bool(SamePixels(image.copy(x, y, piece.Width(), piece.Height()), Picture(piece)));
  };
  for (const char* set : {"4", "3"}) {
    Load(Make("frame4.png", "-size 200x150 xc:'rgb(1,2,3)'"));
    Run(ListOf({Row("13", {"0", "0", set, "0"})}));
    const QImage image = Pixels(box_);
    ASSERT_EQ(image.size(), QSize(200, 150));
    const bool four = QString(set) == "4";
    const int topOfSet = four ? top : tasks::FrameSet(3)[tasks::pTop_left].Height();
    EXPECT_EQ(pieceAt(image, 0, topOfSet, pieces[tasks::left_top]), four) << set;
    EXPECT_EQ(pieceAt(image, 200 - 18, topOfSet, pieces[tasks::right_top]), four) << set;
    EXPECT_EQ(pieceAt(image, 0, 150 - (topOfSet + 27), pieces[tasks::left_bottom]), four) << set;
    EXPECT_EQ(pieceAt(image, 200 - 18, 150 - (topOfSet + 27), pieces[tasks::right_bottom]), four)
        << set;
  }
}

TEST_F(Replay, ShadowDrawsTheEdgeSetEightAboveAndEnlarges) {
  Load(Make("plain.png", "-size 100x80 xc:'rgb(1,2,3)'"));
  Run(ListOf({Row("15", {"0"})}));
  const auto& tiles = tasks::FrameSet(8);
  const QImage image = Pixels(box_);
  EXPECT_EQ(image.width(), 100 + tiles[tasks::pleft].Width() + tiles[tasks::pRight].Width() - 1);
  EXPECT_TRUE(SamePixels(image.copy(0, 0, 18, 12), Picture(tiles[tasks::pTop_left])));
}

// Leftover settings of earlier work change nothing: the replay starts from one state.
TEST_F(Replay, LeftoverControlSettingsDoNotChangeTheResult) {
  ControlHost fresh;
  fresh.SetControl("Pictavo.ImageBox");
  const TaskList list = ListOf({Row("15", {"2"}), Row("14", {"False", "0", "1"})});
  const QColor shadowGrey = plat::ToQImage(tasks::FrameSet(10)[tasks::pTop_left]).pixelColor(5, 5);
  box_.put_MergeTransparent(true);
  box_.put_MergeTransparentColor(shadowGrey.red() | shadowGrey.green() << 8 |
                                 shadowGrey.blue() << 16);
  box_.put_MergeTransparency(60);
  box_.put_Resample(true);
  Load(Path("shades.png"));
  ImageBoxProxy(fresh.Dispatch()).LoadFromFile(Path("shades.png"));
  Run(list);
  RunOn(fresh, list);
  ImageBoxProxy freshBox(fresh.Dispatch());
  EXPECT_TRUE(SamePixels(Pixels(box_), Pixels(freshBox)));
  EXPECT_FALSE(plat::com::IsTrue(box_.get_Resample()));
  EXPECT_EQ(box_.get_MergeTransparentColor(), 0u);  // the Mask row's own setting stays
}

TEST_F(Replay, MasksAreScaledToEveryImageButOneOfTheirOwnSize) {
  for (const char* size : {"800x1000", "1024x768", "800x600"}) {
    Load(Make(std::string("red_") + size + ".png", std::string("-size ") + size + " xc:red"));
    const int w = box_.get_ImageWidth(), h = box_.get_ImageHeight();
    Run(ListOf({Row("14", {"True", "0", "0"})}));
    const QImage image = Pixels(box_);
    ASSERT_EQ(image.size(), QSize(w, h)) << size;
    // Mask 0 lets the image through an ellipse in its middle and covers the rest in white.
    EXPECT_EQ(image.pixelColor(w / 2, h / 2), QColor(Qt::red)) << size;
    for (const QPoint corner :
         {QPoint(2, 2), QPoint(w - 3, 2), QPoint(2, h - 3), QPoint(w - 3, h - 3)})
      EXPECT_EQ(image.pixelColor(corner), QColor(Qt::white))
          << size << " " << corner.x() << "," << corner.y();
  }
}

TEST_F(Replay, WatermarkWithoutItsFileAppliesTheSettingsOnly) {
  Load(Path("blocks.png"));
  const QImage before = Pixels(box_);
  Run(ListOf({Row("9", {"True", "30", "2", QString::fromStdString(Path("gone.png")), "255"})}));
  EXPECT_TRUE(SamePixels(Pixels(box_), before));
  EXPECT_TRUE(plat::com::IsTrue(box_.get_MergeTransparent()));
  EXPECT_DOUBLE_EQ(box_.get_MergeTransparency(), 30);
  EXPECT_EQ(static_cast<int>(box_.get_MergeStyle()), 2);
  EXPECT_EQ(box_.get_MergeTransparentColor(), 255u);
  EXPECT_EQ(shell::gstrErrorRoutine, "");
}

class ZoomedReplay : public Replay {
 protected:
  void SetUp() override {
    Replay::SetUp();
    zoomed_.SetControl("Pictavo.ImageBox");
    ImageBoxProxy zoomed(zoomed_.Dispatch());
    zoomed.put_AutoZoom(true);
    zoomed_.resize(200, 150);
    zoomed_.show();
    host_.resize(420, 320);
    host_.show();
    const std::string white = Make("white400.png", "-size 400x300 xc:white");
    Load(white);
    zoomed.LoadFromFile(white);
    QApplication::processEvents();
    ASSERT_LT(zoomed.get_ZoomedWidth(), 400) << "the control does not zoom to fit";
    ASSERT_EQ(box_.get_ZoomedWidth(), 400);
  }
  ImageBoxProxy Zoomed() { return ImageBoxProxy(zoomed_.Dispatch()); }
  ControlHost zoomed_;
};

QPoint BlueSpot(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == qRgb(0, 0, 255)) return {x, y};
  return {-1, -1};
}

TEST_F(ZoomedReplay, WatermarkAtAPickedPointLandsOnTheSameImagePixel) {
  const QString stamp = QString::fromStdString(Make("stamp.png", "-size 4x4 xc:blue"));
  // Recorded on a viewer zoomed to half: displayed (50, 25), image pixel (100, 50).
  const TaskRow picked = Row("9", {"False", "0", "1", stamp, "0", "25", "50", "True", "", "", "",
                                   "", "", "", "", "100", "50"});
  Run(ListOf({picked}));
  RunOn(zoomed_, ListOf({picked}));
  EXPECT_EQ(BlueSpot(Pixels(box_)), QPoint(100, 50));
  ImageBoxProxy zoomed = Zoomed();
  EXPECT_EQ(BlueSpot(Pixels(zoomed)), QPoint(100, 50));
}

TEST_F(ZoomedReplay, OlderWatermarkRecordsScaleTheDisplayedPoint) {
  const QString stamp = QString::fromStdString(Make("stamp.png", "-size 4x4 xc:blue"));
  const TaskRow displayed = Row("9", {"False", "0", "1", stamp, "0", "25", "50", "True"});
  Run(ListOf({displayed}));
  RunOn(zoomed_, ListOf({displayed}));
  ImageBoxProxy zoomed = Zoomed();
  const double ratio = 400.0 / zoomed.get_ZoomedWidth();
  EXPECT_EQ(BlueSpot(Pixels(box_)), QPoint(50, 25));
  EXPECT_EQ(BlueSpot(Pixels(zoomed)).x(), static_cast<int>(std::nearbyint(50 * ratio)));
}

TEST_F(ZoomedReplay, MouseCropOnAZoomedViewerScalesTheDragToImagePixels) {
  ImageBoxProxy zoomed = Zoomed();
  ASSERT_EQ(QSize(zoomed.get_ZoomedWidth(), zoomed.get_ZoomedHeight()), QSize(200, 150));
  // Dragged from (10, 10) to (59, 39) on a 200 x 150 viewer showing the image at half size.
  Run(ListOf({Row("8", {"False", "10", "10", "59", "39", "200", "150"})}));
  EXPECT_EQ(host_.size(), QSize(200, 150));
  EXPECT_TRUE(plat::com::IsTrue(box_.get_AutoZoom()));
  // Image pixels (20, 20) to (118, 78), both inclusive.
  EXPECT_EQ(QSize(box_.get_ImageWidth(), box_.get_ImageHeight()), QSize(99, 59));
  // Without the viewer's size the numbers are image pixels already.
  Load(Path("white400.png"));
  Run(ListOf({Row("8", {"False", "10", "10", "59", "39", "", ""})}));
  EXPECT_EQ(QSize(box_.get_ImageWidth(), box_.get_ImageHeight()), QSize(50, 30));
}

TEST_F(ZoomedReplay, TextAtAPickedPointAndTheNextTextRowShareThePosition) {
  // Asked of a control of its own: a wired DrawText would leave its "x" on the image checked.
  ControlHost probe;
  probe.SetControl("Pictavo.ImageBox");
  if (Unwired([&] { ImageBoxProxy(probe.Dispatch()).DrawText(0, 0, u"x"); }))
    GTEST_SKIP() << "DrawText is not wired on this branch yet";
  const TaskList list = ListOf({
      Row("10", {"False", "True", "False", "0", "0", "Arial", "14", "True", "False", "False",
                 QString::number(0xFF0000), "16777215", "0", "9", "Hi", "120", "70"}),
      Row("10", {"False", "True", "True", "0", "0", "Arial", "14", "False", "False", "False",
                 QString::number(0x0000FF), "16777215", "0", "12", "yo", "", ""}),
  });
  Run(list);
  RunOn(zoomed_, list);
  // The second row placed at the first row's point explicitly.
  TaskRow placed = list.Row(1);
  placed.p14 = "9";
  placed.p16 = "120";
  placed.p17 = "70";
  ControlHost direct;
  direct.SetControl("Pictavo.ImageBox");
  ImageBoxProxy(direct.Dispatch()).LoadFromFile(Path("white400.png"));
  RunOn(direct, ListOf({list.Row(0), placed}));
  const QImage atFull = Pixels(box_);
  ImageBoxProxy zoomed = Zoomed();
  ImageBoxProxy other(direct.Dispatch());
  EXPECT_TRUE(SamePixels(atFull, Pixels(zoomed)));
  EXPECT_TRUE(SamePixels(atFull, Pixels(other)));
  EXPECT_NE(BlueSpot(atFull), QPoint(-1, -1));
}

}  // namespace
