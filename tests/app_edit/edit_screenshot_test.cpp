// The edit arrangement on an X server: the Text and the Watermark panels in the task pane beside
// the image, compared with pictures checked by eye (the view pane only: the status bar names the
// machine's folders).
#include "app_shell/screenshot_compare.h"
#include "edit_fixture.h"

#include <QScrollBar>
#include <QTest>
#include <functional>

namespace {

using namespace edit_test;

// Chooses a task as the user does: a left click on its item in the pane.
void ClickItem(velmora::ucTaskPane& pane, const char* key) {
  const velmora::BarGroup& tasks = pane.Model().m_SpecialGroup;
  for (int i = 1; i <= tasks.iItemCount; ++i) {
    const velmora::BarItem& item = tasks.Items[static_cast<size_t>(i)];
    if (item.sKey != QLatin1String(key)) continue;
    const QPoint centre = item.rcItem.ToQRect().center();
    QTest::mouseMove(&pane, centre);
    QTest::mouseClick(&pane, Qt::LeftButton, Qt::NoModifier, centre);
    return;
  }
  FAIL() << "no item " << key;
}

TEST_F(PanelTest, EditArrangementWithTheTextPanel) {
  shell::gSetup.TaskOptions.Text.Text = QStringLiteral("Sample");
  shell::gSetup.TaskOptions.Text.FontIndex = 0;
  ClickItem(TaskPane(), "Text");
  ExpectWindowMatchesGolden(*window_, VELMORA_SOURCE_DIR "/tests/app_edit/golden/edit_text.png",
                            window_->picView);
}

TEST_F(PanelTest, EditArrangementWithTheWatermarkPanel) {
  const QString picture = dir_.filePath(QStringLiteral("merge.png"));
  ASSERT_EQ(
      std::system(
          ("convert -size 160x90 gradient:gold-navy '" + picture.toStdString() + "'").c_str()),
      0);
  shell::gSetup.TaskOptions.Watermark.ImageFile = picture;
  ClickItem(TaskPane(), "Watermark");
  ExpectWindowMatchesGolden(
      *window_, VELMORA_SOURCE_DIR "/tests/app_edit/golden/edit_watermark.png", window_->picView);
}

TEST_F(PanelTest, EditArrangementWithThreeRecordedTasks) {
  const auto record = [this](const char* key, const std::function<void()>& set) {
    ClickItem(TaskPane(), key);
    set();
    viewer_->Mouse().mbTaskOptionsChanged = true;
    edit_->cmdApply->click();
    edit_->cmdOK->click();
  };
  record("Flip", [this] { P().optFlip->button(0)->click(); });
  record("Blur", [this] { P().sldBlur->setValue(3); });
  record("Brightness", [this] { P().sldBrightness->setValue(40); });
  ASSERT_EQ(viewer_->Tasks().Count(), 3);
  // Scrolled down as far as it goes: the "Task Basket" group below the options.
  QScrollBar* scroll = TaskPane().ScrollBar();
  ASSERT_TRUE(scroll->isVisibleTo(&TaskPane()));
  scroll->setValue(scroll->maximum());
  ExpectWindowMatchesGolden(
      *window_, VELMORA_SOURCE_DIR "/tests/app_edit/golden/edit_task_basket.png", window_->picView);
}

TEST_F(PanelTest, EditArrangementInTheMetallicScheme) {
  // The pane reads the desktop's colour scheme at every full repaint.
  struct SchemeGuard {
    SchemeGuard() { qputenv("VELMORA_COLOR_SCHEME", "Metallic"); }
    ~SchemeGuard() { qunsetenv("VELMORA_COLOR_SCHEME"); }
  } metallic;
  TaskPane().Refresh();
  EXPECT_EQ(TaskPane().Scheme(), QStringLiteral("Metallic"));
  shell::gSetup.TaskOptions.Text.Text = QStringLiteral("Sample");
  shell::gSetup.TaskOptions.Text.FontIndex = 0;
  ClickItem(TaskPane(), "Text");
  ExpectWindowMatchesGolden(*window_,
                            VELMORA_SOURCE_DIR "/tests/app_edit/golden/edit_text_metallic.png",
                            window_->picView);
}

}  // namespace
