#include "scan_sane/sane_fixture.h"

#include <dlfcn.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "control/engine/view/pvimage.h"
#include "platform/graphics/handles.h"
#include "platform/scan/sane_source_manager.h"
#include "support/test_files.h"

namespace velmora_test {

namespace {

using velmora::test::ReadAll;

// Skips white space and '#' comments of a netpbm header, then reads a number.
int HeaderNumber(const std::string& bytes, size_t& at) {
  while (at < bytes.size()) {
    if (bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
    } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
      ++at;
    } else {
      break;
    }
  }
  int value = 0;
  while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])))
    value = value * 10 + (bytes[at++] - '0');
  return value;
}

uint32_t Colour(uint8_t r, uint8_t g, uint8_t b) {
  return r | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}

}  // namespace

// SANE reads SANE_CONFIG_DIR once a process, so every configuration of the tests is written
// into one scratch folder, made from the folder the environment names before SANE first starts.
class TScratchConfig {
 public:
  TScratchConfig() {
    const char* base = std::getenv("SANE_CONFIG_DIR");
    base_ = base ? base : "";
    char pattern[] = "/tmp/velmora-sane-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    std::ofstream(folder_ + "/dll.conf") << ReadAll(base_ + "/dll.conf");
    Write({});
    ::setenv("SANE_CONFIG_DIR", folder_.c_str(), 1);
  }
  ~TScratchConfig() {
    std::remove((folder_ + "/dll.conf").c_str());
    std::remove((folder_ + "/test.conf").c_str());
    std::remove(folder_.c_str());
  }
  void Write(const TSettings& settings) {
    std::ofstream test(folder_ + "/test.conf");
    test << ReadAll(base_ + "/test.conf");
    for (const auto& [key, value] : settings) test << key << ' ' << value << '\n';
  }

 private:
  std::string base_, folder_;
};

TScratchConfig& ScratchConfig() {
  static TScratchConfig config;
  return config;
}

TReferee ScanimagePnm(const std::string& arguments) {
  const std::string command = "scanimage -d test:0 " + arguments + " --format=pnm 2>/dev/null";
  std::string bytes;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char chunk[65536];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
      bytes.append(chunk, got);
    ::pclose(pipe);
  }
  TReferee r;
  if (bytes.size() < 2 || bytes[0] != 'P') {
    ADD_FAILURE() << "scanimage wrote no netpbm image for: " << arguments;
    return r;
  }
  const char kind = bytes[1];
  size_t at = 2;
  r.width = HeaderNumber(bytes, at);
  r.height = HeaderNumber(bytes, at);
  if (kind != '4') {
    EXPECT_EQ(HeaderNumber(bytes, at), 255);
  }
  ++at;  // the one white-space character before the pixels
  const size_t row = kind == '4' ? (r.width + 7) / 8 : size_t(r.width) * (kind == '6' ? 3 : 1);
  if (at + row * r.height > bytes.size()) {
    ADD_FAILURE() << "scanimage's image is cut short";
    return r;
  }
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + at);
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) {
      const uint8_t* line = p + y * row;
      if (kind == '4') {
        const bool black = (line[x / 8] >> (7 - x % 8)) & 1;
        r.colours.push_back(black ? 0 : 0xFFFFFF);
      } else if (kind == '5') {
        r.colours.push_back(Colour(line[x], line[x], line[x]));
      } else {
        r.colours.push_back(Colour(line[3 * x], line[3 * x + 1], line[3 * x + 2]));
      }
    }
  return r;
}

void ExpectSameImage(const pictavo::TpvImage& view, const TReferee& referee) {
  ASSERT_TRUE(view.ImageLoaded());
  const auto& image = *view.CurrentImage();
  ASSERT_EQ(image.Width(), referee.width);
  ASSERT_EQ(image.Height(), referee.height);
  int differences = 0;
  for (int y = 0; y < referee.height; ++y)
    for (int x = 0; x < referee.width; ++x)
      if (image.PixelColor(x, y) != referee.colours[size_t(y) * referee.width + x] &&
          ++differences <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << image.PixelColor(x, y)
                      << " instead of " << referee.colours[size_t(y) * referee.width + x];
  EXPECT_EQ(differences, 0);
}

void WhenShown(const QString& name, std::function<void(QWidget&)> action) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, name, action] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      const bool named = top->objectName() == name || top->findChild<QWidget*>(name);
      if (!top->isVisible() || !named) continue;
      timer->stop();
      timer->deleteLater();
      action(*top);
      return;
    }
  });
  timer->start();
}

TSaneConfig::TSaneConfig(const TSettings& settings) {
  ScratchConfig().Write(settings);
}

TSaneConfig::~TSaneConfig() {
  ScratchConfig().Write({});
}

SaneControl::SaneControl() {
  ScratchConfig();
  // Kept loaded after sane_exit, so a leak report names the backend rather than a module that
  // has gone: the test backend loses its read buffer when a read is cancelled or fails.
  static void* const backend = ::dlopen(VELMORA_SANE_TEST_BACKEND, RTLD_LAZY | RTLD_NODELETE);
  EXPECT_NE(backend, nullptr) << VELMORA_SANE_TEST_BACKEND;
  handles_before_ = plat::LiveHandleCount();
  plat::scan::SetSourceManagerFactory(plat::scan::SaneSourceManagerFactory());
  // Made after the factory: the box above found none, and sets scanning up at its first use.
  box_->View().OnAcquire = [this] { events_.push_back("acquire"); };
  box_->View().OnAcquireFinish = [this] { events_.push_back("finish"); };
  box_->View().OnAcquireCancel = [this] { events_.push_back("cancel"); };
}

SaneControl::~SaneControl() {
  box_.reset();
  // The control's widget goes later; with it the manager, and SANE ends before the next test.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  plat::scan::SetSourceManagerFactory(nullptr);
  EXPECT_EQ(plat::LiveHandleCount(), handles_before_) << "a memory handle was not freed";
}

void SaneControl::PrepareQuietScan(int device) {
  client_.Put("UseTwainInterface", false);
  client_.Put("ShowTwainProgress", false);
  client_.Put("CurrentTwainDevice", int64_t{device});
}

}  // namespace velmora_test
