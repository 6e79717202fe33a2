// A Qt host creates ImageBox by its ProgID after registration, as the workbench does, and uses it
// only through IImageBox: load, show, zoom, save, transfer bytes, receive events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"
#include "platform/com/server.h"

namespace {

namespace fs = std::filesystem;
using namespace plat::com;
using pictavo::ax::ImageBoxProxy;
using pictavo::ax::TxGraphicsFormat;

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

class ImageBoxHost : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = fs::temp_directory_path() / ("imagebox-host-" + std::to_string(::getpid()));
    fs::create_directories(scratch_);
    ::setenv("XDG_CONFIG_HOME", scratch_.c_str(), 1);
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
    // A 300 x 200 red image with a blue 10 x 10 corner, written by an outside tool.
    Shell("convert -size 300x200 xc:red -fill blue -draw 'rectangle 0,0 9,9' BMP3:" +
          Path("red.bmp"));
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }
  static std::string Path(const std::string& name) { return (scratch_ / name).string(); }

  void SetUp() override {
    host_.resize(120, 100);
    host_.SetControl("Pictavo.ImageBox");
    host_.show();
    QApplication::processEvents();
    box_ = ImageBoxProxy(host_.Dispatch());
  }

  static fs::path scratch_;
  ControlHost host_;
  ImageBoxProxy box_;
};

fs::path ImageBoxHost::scratch_;

TEST_F(ImageBoxHost, LoadsShowsZoomsAndSaves) {
  ASSERT_NE(host_.ControlWidget(), nullptr);
  EXPECT_EQ(host_.ControlWidget()->size(), QSize(120, 100));
  box_.LoadFromFile(Path("red.bmp"));
  EXPECT_EQ(box_.get_ImageWidth(), 300);
  EXPECT_EQ(box_.get_ImageHeight(), 200);
  EXPECT_EQ(box_.get_LastFileName().Utf8(), Path("red.bmp"));

  struct ZoomCase {
    double zoom;
    int zoomed_width;
    bool horz, vert;
  } cases[] = {{25, 75, false, false}, {100, 300, true, true}, {400, 1200, true, true}};
  for (const ZoomCase& c : cases) {
    box_.put_Zoom(c.zoom);
    EXPECT_EQ(box_.get_ZoomedWidth(), c.zoomed_width) << c.zoom;
    EXPECT_EQ(IsTrue(box_.get_HasScrollBarHoriz()), c.horz) << c.zoom;
    EXPECT_EQ(IsTrue(box_.get_HasScrollBarVert()), c.vert) << c.zoom;
  }
  // At 100 one image pixel is one device pixel: the blue corner ends at x = 9.
  box_.put_Zoom(100);
  const QImage shown = host_.ControlWidget()->grab().toImage();
  EXPECT_EQ(shown.pixelColor(9, 9), QColor(0, 0, 255));
  EXPECT_EQ(shown.pixelColor(10, 10), QColor(255, 0, 0));

  box_.SaveToFile(Path("copy.BMP"));
  EXPECT_EQ(Shell("identify -format '%w %h %[pixel:p{5,5}] %[pixel:p{50,50}]' " + Path("copy.BMP")),
            "300 200 srgb(0,0,255) srgb(255,0,0)");
}

TEST_F(ImageBoxHost, BytesGoOutAndComeBack) {
  box_.LoadFromFile(Path("red.bmp"));
  Variant bytes = box_.WriteBinary(TxGraphicsFormat{0});
  box_.Clear();
  EXPECT_EQ(box_.get_ImageLoaded(), VARIANT_FALSE);
  box_.ReadBinary(TxGraphicsFormat{0}, bytes);
  EXPECT_EQ(box_.get_ImageWidth(), 300);
  EXPECT_EQ(box_.get_LastFileName().Length(), 0u);
}

TEST_F(ImageBoxHost, FailureReachesTheHostAndTheControlStaysUsable) {
  try {
    box_.LoadFromFile(Path("missing.bmp"));
    ADD_FAILURE() << "no exception";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<HRESULT>(0x8000FFFF));
    EXPECT_EQ(std::string(e.what()), "File not found: missing.bmp");
  }
  box_.LoadFromFile(Path("red.bmp"));
  EXPECT_EQ(box_.get_ImageWidth(), 300);
}

TEST_F(ImageBoxHost, EventsArriveWithTheirCodes) {
  box_.LoadFromFile(Path("red.bmp"));
  std::vector<std::pair<int, QVariantList>> events;
  QObject::connect(&host_, &ControlHost::Event,
                   [&](int id, const QVariantList& args) { events.emplace_back(id, args); });
  QWidget* view = host_.ControlWidget();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(11, 12), QPointF(11, 12), Qt::MiddleButton,
                    Qt::MiddleButton, Qt::ControlModifier);
  QCoreApplication::sendEvent(view, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(11, 12), QPointF(11, 12),
                      Qt::MiddleButton, Qt::NoButton, Qt::ControlModifier);
  QCoreApplication::sendEvent(view, &release);
  box_.put_ScrollBarHorizPos(40);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].first, 3);  // OnMouseDown
  EXPECT_EQ(events[0].second, (QVariantList{4, 20, 11, 12}));
  EXPECT_EQ(events[1].first, 2);  // OnMouseUp: the released button is no longer held
  EXPECT_EQ(events[1].second, (QVariantList{4, 16, 11, 12}));
  EXPECT_EQ(events[2].first, 6);  // OnScroll
  EXPECT_EQ(box_.get_ScrollBarHorizPos(), 40);
}

TEST_F(ImageBoxHost, MouseSelectionTakesTheDragAndReportsItInControlCoordinates) {
  box_.LoadFromFile(Path("red.bmp"));
  std::vector<std::pair<int, QVariantList>> events;
  QObject::connect(&host_, &ControlHost::Event,
                   [&](int id, const QVariantList& args) { events.emplace_back(id, args); });
  // Queued now, delivered while the call waits for the selection.
  QWidget* surface = host_.ControlWidget()->childAt(5, 5);
  ASSERT_NE(surface, nullptr);
  const auto post = [&](QEvent::Type type, QPointF at, Qt::MouseButton button,
                        Qt::MouseButtons held) {
    QCoreApplication::postEvent(surface,
                                new QMouseEvent(type, at, at, button, held, Qt::NoModifier));
  };
  post(QEvent::MouseButtonPress, {12, 15}, Qt::LeftButton, Qt::LeftButton);
  post(QEvent::MouseMove, {40, 50}, Qt::NoButton, Qt::LeftButton);
  post(QEvent::MouseButtonRelease, {40, 50}, Qt::LeftButton, Qt::NoButton);
  box_.MouseSelectEllipse();
  EXPECT_EQ(static_cast<int>(box_.get_SelectionType()), 2);  // seEllipse
  EXPECT_EQ(box_.get_SelectionX1(), 12);
  EXPECT_EQ(box_.get_SelectionY1(), 15);
  EXPECT_EQ(box_.get_SelectionX2(), 40);
  EXPECT_EQ(box_.get_SelectionY2(), 50);
  // The click handlers stay the host's during a selection.
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0], (std::pair<int, QVariantList>{3, {1, 1, 12, 15}}));  // OnMouseDown
  EXPECT_EQ(events[1], (std::pair<int, QVariantList>{1, {1, 40, 50}}));     // OnMouseMove
  EXPECT_EQ(events[2], (std::pair<int, QVariantList>{4, {}}));              // OnClick
  EXPECT_EQ(events[3], (std::pair<int, QVariantList>{2, {1, 0, 40, 50}}));  // OnMouseUp
}

TEST(ImageBoxRegistration, UnregisteredControlCannotBeCreated) {
  ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  EXPECT_TRUE(CreateObject(u"Pictavo.ImageBox"));
  ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -u -s " + PICTAVO_LIBRARY).c_str()), 0);
  EXPECT_THROW(CreateObject(u"Pictavo.ImageBox"), EOleException);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
