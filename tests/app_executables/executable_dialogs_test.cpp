// The option forms of the generated executables, driven through their controls: what they load
// from and store into the settings, how their number boxes correct what is typed, and what
// Generate does when the file dialog is cancelled or the player cannot be extracted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "app/output/executable_dialogs.h"
#include "app/output/package/package_reader.h"
#include "app/shell/dialogs.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

namespace fs = std::filesystem;

void Leave(QLineEdit* box) {
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(box, &out);
}

class ExecutableForms : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("executable-forms-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    ::setenv("XDG_CACHE_HOME", (folder_ / "cache").c_str(), 1);
    shell::gSetup = shell::DefaultSetupRecord();
    // Answers the file dialog as the test says; closes any other modal window (the error
    // report), counting it.
    QObject::connect(&closer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
        dialogTitles_.push_back(files->windowTitle());
        if (chosen_.isEmpty()) return files->reject();
        files->selectFile(chosen_);
        return static_cast<QDialog*>(files)->accept();
      }
      ++reports_;
      dialog->reject();
    });
    closer_.start(5);
  }
  void TearDown() override { fs::remove_all(folder_); }

  QString Path(const char* name) const { return QString::fromStdString((folder_ / name).string()); }

  fs::path folder_;
  plat::com::ControlHost host_;
  QImage picture_;
  tasks::TaskList tasks_;
  modScreensaver::BuildTools tools_{host_, picture_, tasks_};
  RecordingUi ui_;
  QTimer closer_;
  QString chosen_;  // empty: the file dialog is cancelled
  QStringList dialogTitles_;
  int reports_ = 0;
};

TEST_F(ExecutableForms, GenerateStoresTheChoicesBeforeTheFileDialogAndExitStoresNothing) {
  shell::gSetup.GreetingOptions.Quality = 42;
  shell::gSetup.GreetingOptions.ProcessTaskBasket = 0;
  {
    output::frmGreetingDemo form(nullptr, tools_, Path("shown.png"));
    EXPECT_EQ(form.sldQuality->value(), 42);
    EXPECT_EQ(form.tTransition->text(), "42");
    EXPECT_EQ(form.tTransitionD->value(), 42);
    EXPECT_FALSE(form.chkProcessTaskBasket->isChecked());
    form.sldQuality->setValue(77);
    EXPECT_EQ(form.tTransition->text(), "77");
    form.chkProcessTaskBasket->setChecked(true);
    form.cmdCancel->click();
  }
  EXPECT_EQ(shell::gSetup.GreetingOptions.Quality, 42);
  EXPECT_EQ(shell::gSetup.GreetingOptions.ProcessTaskBasket, 0);

  output::frmGreetingDemo form(nullptr, tools_, Path("shown.png"));
  form.tTransitionD->setValue(77);
  EXPECT_EQ(form.sldQuality->value(), 77);
  form.chkProcessTaskBasket->setChecked(true);
  form.cmdGenerate->click();  // the file dialog is cancelled
  EXPECT_EQ(dialogTitles_, QStringList{"Save as greeting image"});
  EXPECT_EQ(shell::gSetup.GreetingOptions.Quality, 77);
  EXPECT_EQ(shell::gSetup.GreetingOptions.ProcessTaskBasket, 1);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(reports_, 0);
}

TEST_F(ExecutableForms, NumberBoxesCorrectWhatIsTyped) {
  output::frmScreensaverDemo saver(nullptr, tools_, Path("shown.png"), {});
  struct Case {
    const char* typed;
    const char* shown;
  } quality[] = {{"0", "1"}, {"150", "100"}, {"", "1"}, {"55", "55"}};
  for (const Case& c : quality) {
    SCOPED_TRACE(c.typed);
    saver.tTransition->setText(c.typed);
    Leave(saver.tTransition);
    EXPECT_EQ(saver.tTransition->text(), c.shown);
    EXPECT_EQ(saver.sldQuality->value(), QString(c.shown).toInt());
  }

  shell::gSetup.SlideShowSettings.Interval = 5;
  output::frmSlideShow show(nullptr, tools_, {});
  EXPECT_EQ(show.txtInterval->text(), "5");
  EXPECT_EQ(show.vsInterval->value(), 5);
  const Case interval[] = {{"", "3"}, {"0", "1"}, {"12", "1"}, {"9", "9"}};
  for (const Case& c : interval) {
    SCOPED_TRACE(c.typed);
    show.txtInterval->clear();
    QTest::keyClicks(show.txtInterval, c.typed);
    Leave(show.txtInterval);
    EXPECT_EQ(show.txtInterval->text(), c.shown);
    EXPECT_EQ(show.vsInterval->value(), QString(c.shown).toInt());
  }
  QTest::keyClicks(show.txtInterval, "x");
  EXPECT_EQ(show.txtInterval->text(), "9") << "only digits are taken";
}

TEST_F(ExecutableForms, SlideShowLoadsItsSettings) {
  auto& settings = shell::gSetup.SlideShowSettings;
  settings.BackColor = 0x000080FF;  // orange, as 0x00BBGGRR
  settings.Quality = 64;
  settings.ProcessTaskBasket = 0;
  output::frmSlideShow show(nullptr, tools_, {});
  EXPECT_EQ(show.sldQuality->value(), 64);
  EXPECT_EQ(show.lblQuality->text(), "64");
  EXPECT_FALSE(show.chkProcessEditingList->isChecked());
  EXPECT_TRUE(show.cmdPageBackgroundColor->styleSheet().contains("#ff8000"))
      << show.cmdPageBackgroundColor->styleSheet().toStdString();
  show.sldQuality->setValue(12);
  EXPECT_EQ(show.lblQuality->text(), "12");
}

TEST_F(ExecutableForms, APlayerThatCannotBeExtractedBuildsNothing) {
  // This program carries only the slide-show player, so these extractions fail.
  struct Case {
    int32_t saveType;  // -1: the greeting form
    const char* chosen;
    const char* title;
    const char* built;
  } cases[] = {{-1, "card", "Save as greeting image", "card"},
               {0, "saver", "Save as single-image screensaver", "saver.scr"},
               {1, "saver.scr.txt", "Save as screensaver", "saver.scr.txt.scr"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    ui_.messages.clear();
    dialogTitles_.clear();
    reports_ = 0;
    chosen_ = Path(c.chosen);
    if (c.saveType < 0) {
      output::frmGreetingDemo form(nullptr, tools_, Path("shown.png"));
      form.cmdGenerate->click();
    } else {
      output::frmScreensaverDemo form(nullptr, tools_, Path("shown.png"), {});
      form.bSaveType = c.saveType;
      form.cmdGenerate->click();
    }
    EXPECT_EQ(dialogTitles_, QStringList{c.title});
    EXPECT_EQ(reports_, 1) << "the extraction's error is reported";
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "There was an error!\r\nPlease try again.");
    EXPECT_FALSE(fs::exists(folder_ / c.chosen));
    EXPECT_FALSE(fs::exists(folder_ / c.built));
  }
  EXPECT_EQ(output::WithScreensaverExtension("saver.SCR"), "saver.SCR");
}

TEST_F(ExecutableForms, ASlideShowGeneratedThroughItsFormPlaysItsOptions) {
  ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
  ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  host_.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
  const std::string image = (folder_ / "red.png").string();
  ASSERT_EQ(std::system(("convert -size 20x10 xc:red '" + image + "'").c_str()), 0);
  browse::BasketItem row;
  row.Text = "red";
  row.Tag = QString::fromStdString(image);

  shell::gSetup.SlideShowSettings.BackColor = 0x00112233;
  output::frmSlideShow show(nullptr, tools_, {row, row});
  show.txtInterval->setText("7");
  Leave(show.txtInterval);
  chosen_ = Path("Holiday");
  show.cmdCreate->click();

  EXPECT_EQ(dialogTitles_, QStringList{"Save Slide As..."});
  EXPECT_EQ(shell::gSetup.SlideShowSettings.Interval, 7);
  QFile file(chosen_);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the name is taken as typed";
  const QByteArray bytes = file.readAll();
  const output::package::PackageReader reader(
      {reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())},
      output::package::PackageKind::kSlideShow);
  EXPECT_EQ(reader.Entries().size(), 2u);
  EXPECT_EQ(reader.Options().BackColor, 0x00112233);
  EXPECT_EQ(reader.Options().Interval, 7);
  EXPECT_TRUE(file.permissions() & QFileDevice::ExeOwner);
  EXPECT_FALSE(QFile::exists(shell::TempFolder() + "/plugin.tmp"));
}

}  // namespace
