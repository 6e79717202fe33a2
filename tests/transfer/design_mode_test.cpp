// Design mode as a host sees it: the control asks the host's client site for the ambient
// UserMode once, when the host embeds its window; a designer (UserMode False) gets a control
// without scroll bars, every other host a normal one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <cstdlib>
#include <filesystem>

#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/object.h"
#include "platform/com/server.h"

namespace {

namespace fs = std::filesystem;
using namespace plat::com;
using pictavo::ax::ImageBoxProxy;

// A site that answers UserMode (when it has ambient properties at all) and counts the questions.
class CountingSite final : public ComObject<CountingSite, IOleClientSite, IDispatch> {
 public:
  CountingSite(bool ambient, bool user_mode) : ambient_(ambient), user_mode_(user_mode) {}
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (iid == IDispatch::kIid && !ambient_) {
      if (object) *object = nullptr;
      return E_NOINTERFACE;
    }
    return ComObject::QueryInterface(iid, object);
  }
  HRESULT GetTypeInfoCount(uint32_t*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, uint32_t, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                 uint32_t*) override {
    ++questions;
    if (id != DISPID_AMBIENT_USERMODE || !result) return DISP_E_MEMBERNOTFOUND;
    result->vt = VT_BOOL;
    result->boolVal = ToVariantBool(user_mode_);
    return S_OK;
  }
  int questions = 0;

 private:
  bool ambient_, user_mode_;
};

class DesignMode : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = fs::temp_directory_path() / ("design-mode-" + std::to_string(::getpid()));
    fs::create_directories(scratch_);
    ::setenv("XDG_CONFIG_HOME", scratch_.c_str(), 1);
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }

  // Whether a 300 x 200 image in a 120 x 100 control shows its two scroll bars.
  static std::pair<bool, bool> BarsShownFor(QWidget* control, const ComPtr<IDispatch>& dispatch) {
    control->resize(120, 100);
    ImageBoxProxy box(dispatch);
    box.NewImage(300, 200);
    EXPECT_TRUE(IsTrue(box.get_HasScrollBarHoriz())) << "the image needs scrolling";
    bool horz = false, vert = false;
    for (QScrollBar* bar : control->findChildren<QScrollBar*>())
      (bar->orientation() == Qt::Horizontal ? horz : vert) = bar->isVisibleTo(control);
    return {horz, vert};
  }

  static fs::path scratch_;
};
fs::path DesignMode::scratch_;

TEST_F(DesignMode, HostsUserModeDecidesTheScrollBars) {
  for (const bool user_mode : {true, false}) {
    ControlHost host;
    host.SetUserMode(user_mode);
    host.SetControl("Pictavo.ImageBox");
    const auto [horz, vert] = BarsShownFor(host.ControlWidget(), host.Dispatch());
    EXPECT_EQ(horz, user_mode);
    EXPECT_EQ(vert, user_mode);
  }
}

TEST_F(DesignMode, ControlsWithoutAnAnswerAreNormal) {
  struct Case {
    const char* what;
    ComPtr<CountingSite> site;
    int questions;
  } cases[] = {
      {"no site", nullptr, 0},
      {"a site without ambient properties", MakeObject<CountingSite>(false, false), 0},
      {"a site answering True", MakeObject<CountingSite>(true, true), 1},
  };
  for (Case& c : cases) {
    ComPtr<IUnknown> control = CreateObject(u"Pictavo.ImageBox");
    if (c.site) control.As<IOleObject>()->SetClientSite(c.site.Get());
    auto embed = control.As<IWidgetControl>();
    QWidget* widget = embed->Widget();
    embed->Widget();  // embedding again asks no more
    const auto [horz, vert] = BarsShownFor(widget, control.As<IDispatch>());
    EXPECT_TRUE(horz && vert) << c.what;
    if (c.site) {
      EXPECT_EQ(c.site->questions, c.questions) << c.what;
    }
  }
}

TEST_F(DesignMode, TheHostIsAskedOnce) {
  auto site = MakeObject<CountingSite>(true, false);
  ComPtr<IUnknown> control = CreateObject(u"Pictavo.ImageBox");
  control.As<IOleObject>()->SetClientSite(site.Get());
  auto embed = control.As<IWidgetControl>();
  QWidget* widget = embed->Widget();
  embed->Widget();
  EXPECT_EQ(site->questions, 1);
  const auto [horz, vert] = BarsShownFor(widget, control.As<IDispatch>());
  EXPECT_FALSE(horz || vert) << "the designer's answer stays after the site was dropped";
}

}  // namespace
