// The edit arrangement on an X server: the Text and the Watermark panels in the task pane beside
// the image, compared with pictures checked by eye (the view pane only: the status bar names the
// machine's folders).
#include "app_shell/screenshot_compare.h"
#include "edit_fixture.h"

#include <QToolButton>

namespace {

using namespace edit_test;

// Chooses a task as the user does, by its item in the pane.
void ClickItem(velmora::ITaskPane& pane, const char* key) {
  auto* item = pane.findChild<QToolButton*>(QString::fromLatin1(key));
  ASSERT_NE(item, nullptr) << key;
  item->click();
}

TEST_F(PanelTest, EditArrangementWithTheTextPanel) {
  shell::gSetup.TaskOptions.Text.Text = QStringLiteral("Sample");
  shell::gSetup.TaskOptions.Text.FontIndex = 0;
  ClickItem(edit_->Pane(), "Text");
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
  ClickItem(edit_->Pane(), "Watermark");
  ExpectWindowMatchesGolden(
      *window_, VELMORA_SOURCE_DIR "/tests/app_edit/golden/edit_watermark.png", window_->picView);
}

}  // namespace
