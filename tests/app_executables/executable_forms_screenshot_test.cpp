// The three option forms as they appear on an X server, with their settings loaded.
#include <gtest/gtest.h>

#include "app/output/executable_dialogs.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_shell/screenshot_compare.h"
#include "platform/com/control_host.h"

namespace {

#define GOLDEN(name) VELMORA_SOURCE_DIR "/tests/app_executables/golden/" name

class FormScreenshots : public testing::Test {
 protected:
  void SetUp() override {
    shell::gSetup = shell::DefaultSetupRecord();
    shell::gSetup.SlideShowSettings.BackColor = 0x000080FF;
  }
  plat::com::ControlHost host_;
  QImage picture_;
  tasks::TaskList tasks_;
  modScreensaver::BuildTools tools_{host_, picture_, tasks_};
};

TEST_F(FormScreenshots, GreetingForm) {
  output::frmGreetingDemo form(nullptr, tools_, "shown.png");
  ExpectWindowMatchesGolden(form, GOLDEN("greeting_form.png"));
}

TEST_F(FormScreenshots, ScreensaverForm) {
  output::frmScreensaverDemo form(nullptr, tools_, "shown.png", {});
  ExpectWindowMatchesGolden(form, GOLDEN("screensaver_form.png"));
}

TEST_F(FormScreenshots, SlideShowForm) {
  output::frmSlideShow form(nullptr, tools_, {});
  ExpectWindowMatchesGolden(form, GOLDEN("slideshow_form.png"));
}

}  // namespace
