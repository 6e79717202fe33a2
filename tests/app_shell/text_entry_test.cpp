#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "app/shell/text_entry.h"
#include "recording_ui.h"

namespace {

using namespace shell;

TEST(NumericKeyFilter, DigitsBackspaceAndTheExtraKeyPass) {
  struct Case {
    int16_t key, extra;
    bool passes;
  };
  const Case cases[] = {
      {'0', -1, true},  {'5', -1, true},  {'9', -1, true},  {8, -1, true},    {'.', -1, false},
      {'-', -1, false}, {'a', -1, false}, {' ', -1, false}, {'/', -1, false}, {':', -1, false},
      {'-', 45, true},  {'+', 45, false}, {'7', 45, true},  {-1, -1, true},
  };
  for (const Case& c : cases) {
    int16_t key = c.key;
    subNumericKeyFilter(key, c.extra);
    EXPECT_EQ(key, c.passes ? c.key : 0) << "key " << c.key << " extra " << c.extra;
  }
}

TEST(NumericKeyFilter, TypedAndPastedTextKeepsOnlyAllowedCharacters) {
  QLineEdit box;
  InstallNumericKeyFilter(&box, kNoExtraKey);
  QTest::keyClicks(&box, "1a2.-3 ");
  EXPECT_EQ(box.text(), "123");
  QTest::keyClick(&box, Qt::Key_Left);
  QTest::keyClick(&box, Qt::Key_Backspace);
  EXPECT_EQ(box.text(), "13");
  box.clear();
  QGuiApplication::clipboard()->setText("4x5-6");
  box.paste();
  EXPECT_EQ(box.text(), "456");

  QLineEdit angle;
  InstallNumericKeyFilter(&angle, '-');
  QTest::keyClicks(&angle, "-4a5");
  EXPECT_EQ(angle.text(), "-45");
}

TEST(ControlText, ClampReadsA16BitValue) {
  struct Case {
    QString text;
    int16_t minimum, maximum;
    QString result;
  };
  const Case cases[] = {
      {"250", 0, 200, "200"},      {"-5", 0, 200, "0"},         {"", 0, 200, "200"},
      {"99999", 0, 200, "200"},    {"120", 0, 200, "120"},      {"abc", 0, 200, "200"},
      {"-200", -180, 180, "-180"}, {"32768", -180, 180, "180"}, {"-32768", -180, 180, "-180"},
  };
  for (const Case& c : cases) {
    QLineEdit box(c.text);
    subClampControlValue(&box, c.minimum, c.maximum);
    EXPECT_EQ(box.text(), c.result) << c.text.toStdString();
  }
}

TEST(ControlText, SelectionHelpers) {
  QLineEdit empty;
  subSelectAllControlText(&empty, "0");
  EXPECT_EQ(empty.text(), "0");
  EXPECT_EQ(empty.selectedText(), "0");

  QLineEdit twelve("12");
  twelve.setCursorPosition(1);
  subSelectAllControlText(&twelve, "0");
  EXPECT_EQ(twelve.text(), "12");
  EXPECT_FALSE(twelve.hasSelectedText());

  QLineEdit box("4567");
  box.selectAll();
  subSelectAllText(&box);
  EXPECT_FALSE(box.hasSelectedText());
  EXPECT_EQ(box.cursorPosition(), 4);
}

TEST(ShellHelpers, OpenEndPanAndFullRowSelect) {
  RecordingUi ui;
  subOpenWithShell("https://example.invalid/help");
  ASSERT_EQ(ui.opened.size(), 1u);
  EXPECT_EQ(ui.opened[0], "https://example.invalid/help");

  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  subEndPan();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  QTableView list;
  EXPECT_TRUE(fncListViewFullRowSelect(&list, true, true));
  EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_TRUE(fncListViewFullRowSelect(&list, false, true));
  EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectItems);
  EXPECT_TRUE(ui.messages.empty());

  EXPECT_FALSE(fncListViewFullRowSelect(nullptr, true, false));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(fncListViewFullRowSelect(nullptr, true, true));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Error in Function : fncListViewFullRowSelect");
  EXPECT_EQ(ui.messages[0].text, "Error91\tObject variable or With block variable not set");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
}

}  // namespace
