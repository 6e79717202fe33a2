// The task pane's stored properties, its start-up on a form and the notifications it follows:
// shown, resized, the container's font, colour and theme changes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cmath>
#include <functional>
#include <optional>

#include "app/controls/property_bag.h"
#include "app/controls/task_pane.h"

namespace velmora {
namespace {

// A form whose font the pane takes when its stored font is the default or unusable.
class PaneLifecycleTest : public testing::Test {
 protected:
  void SetUp() override {
    qputenv("VELMORA_COLOR_SCHEME", "Classic");
    form.setFont(QFont("DejaVu Serif"));
    form.resize(400, 500);
  }
  void TearDown() override { qunsetenv("VELMORA_COLOR_SCHEME"); }

  // A pane on the form, read from `bag`.
  ucTaskPane& Read(const PropertyBag& bag, bool userMode = true) {
    pane.emplace(&form, userMode);
    pane->ReadProperties(bag);
    return *pane;
  }

  QWidget form;
  std::optional<ucTaskPane> pane;
};

TEST_F(PaneLifecycleTest, TheDefaultFaceIsNotStoredAndReadsAsTheFormsFont) {
  const struct {
    const char* face;
    bool stored;
    const char* readBack;
  } cases[] = {
      {"Verdana", false, "DejaVu Serif"},
      {"DejaVu Sans Mono", true, "DejaVu Sans Mono"},
  };
  for (const auto& c : cases) {
    ucTaskPane writer;
    writer.SetFont(QFont(c.face));
    PropertyBag bag;
    writer.WriteProperties(bag);
    EXPECT_EQ(bag.Contains("FontName"), c.stored) << c.face;
    EXPECT_EQ(Read(bag).Font().family(), c.readBack) << c.face;
  }
}

TEST_F(PaneLifecycleTest, AStoredPaneKeepsItsCharacterSetAndThemeTextChoice) {
  PropertyBag stored;
  stored.WriteProperty("FontName", "DejaVu Sans");
  stored.WriteProperty("FontCharset", 177);
  stored.WriteProperty("UxThemeText", false);
  Read(stored);
  EXPECT_EQ(pane->FontCharset(), 177);
  EXPECT_FALSE(pane->UseUxThemeText());
  PropertyBag written;
  pane->WriteProperties(written);
  EXPECT_EQ(written.ReadProperty("FontName").toString(), "DejaVu Sans");
  EXPECT_EQ(written.ReadProperty("FontCharset").toInt(), 177);
  EXPECT_FALSE(written.ReadProperty("UxThemeText", true).toBool());
  EXPECT_FALSE(written.Contains("EnableExtIml"));

  pane->SetUseUxThemeText(true);
  PropertyBag defaults;
  pane->WriteProperties(defaults);
  EXPECT_FALSE(defaults.Contains("UxThemeText"));
  EXPECT_TRUE(defaults.Contains("FontCharset"));  // written whatever its value
}

TEST_F(PaneLifecycleTest, ADamagedBagReadsAsTheDefaults) {
  const struct {
    const char* key;
    QVariant value;
  } damage[] = {
      {"FontName", ""},           {"FontName", "No Such Face 1234"}, {"FontCharset", "many"},
      {"FontCharset", 70000},     {"FontCharset", std::nan("")},     {"UxThemeText", 1e300},
      {"UxThemeText", "perhaps"},
  };
  for (const auto& d : damage) {
    PropertyBag bag;
    bag.WriteProperty("FontCharset", 2);
    bag.WriteProperty(d.key, d.value);
    Read(bag);
    const bool charsetDamaged = QLatin1String(d.key) == QLatin1String("FontCharset");
    EXPECT_EQ(pane->Font().family(), "DejaVu Serif") << d.key;
    EXPECT_EQ(pane->FontCharset(), charsetDamaged ? 0 : 2) << d.key;
    EXPECT_TRUE(pane->UseUxThemeText()) << d.key;
  }
}

TEST_F(PaneLifecycleTest, AnEmptyBagGivesThemeTextAndKeepsTheCharacterSet) {
  Read(PropertyBag());
  EXPECT_TRUE(pane->UseUxThemeText());
  EXPECT_EQ(pane->FontCharset(), 0);
  EXPECT_EQ(pane->Font().family(), "DejaVu Serif");
}

TEST_F(PaneLifecycleTest, ReadingDocksThePaneAtTheFormsLeftEdge) {
  pane.emplace(&form);
  pane->setGeometry(50, 40, 180, 100);
  pane->ReadProperties(PropertyBag());
  EXPECT_EQ(pane->geometry(), QRect(0, 0, 180, 500));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.resize(400, 620);
  EXPECT_EQ(pane->geometry(), QRect(0, 0, 180, 620));
}

TEST_F(PaneLifecycleTest, NothingIsDrawnBeforeTheFirstShowing) {
  Read(PropertyBag());
  pane->resize(200, 300);
  pane->AddSpecialGroup("Tasks");
  for (int i = 0; i < 20; ++i) pane->AddItem("Special Group", QString::number(i), "Task");
  pane->AddGroup("g", "Group");
  EXPECT_EQ(pane->FullRepaintCount(), 0);
  EXPECT_FALSE(pane->UpdatesAllowed());
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_TRUE(pane->UpdatesAllowed());
  EXPECT_GE(pane->FullRepaintCount(), 1);
  EXPECT_FALSE(pane->Canvas().isNull());
}

// Each notification, and whether a pane on a live form and one in a designer repaint for it.
TEST_F(PaneLifecycleTest, NotificationsThatRepaint) {
  const struct {
    const char* name;
    std::function<void(ucTaskPane&, QWidget&)> notify;
    bool live, designer;
  } cases[] = {
      {"theme changed",
       [](ucTaskPane& p, QWidget&) {
         QEvent e(QEvent::ThemeChange);
         QApplication::sendEvent(&p, &e);
       },
       true, false},
      {"colours changed",
       [](ucTaskPane& p, QWidget&) {
         QEvent e(QEvent::PaletteChange);
         QApplication::sendEvent(&p, &e);
       },
       true, false},
      {"style changed",
       [](ucTaskPane& p, QWidget&) {
         QEvent e(QEvent::StyleChange);
         QApplication::sendEvent(&p, &e);
       },
       true, false},
      {"resized", [](ucTaskPane& p, QWidget&) { p.resize(p.width() + 10, p.height()); }, true,
       true},
      {"form's font changed",
       [](ucTaskPane&, QWidget& f) {
         f.setFont(QFont(f.font().family() == "DejaVu Sans" ? "DejaVu Serif" : "DejaVu Sans"));
       },
       true, true},
      {"something else of the form", [](ucTaskPane&, QWidget& f) { f.setWindowTitle("Other"); },
       false, false},
  };
  for (const bool live : {true, false}) {
    for (const auto& c : cases) {
      Read(PropertyBag(), live);
      EXPECT_EQ(pane->Hooked(), live);
      form.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
      const int before = pane->FullRepaintCount();
      c.notify(*pane, form);
      EXPECT_EQ(pane->FullRepaintCount() > before, live ? c.live : c.designer)
          << c.name << (live ? " (live)" : " (designer)");
      form.hide();
    }
  }
}

TEST_F(PaneLifecycleTest, AThemeChangeLetsWaitingWorkRunBeforeTheRepaint) {
  Read(PropertyBag());
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const int before = pane->FullRepaintCount();
  int seenByWaitingWork = -1;
  QMetaObject::invokeMethod(
      &form, [&] { seenByWaitingWork = pane->FullRepaintCount(); }, Qt::QueuedConnection);
  QEvent themeChange(QEvent::ThemeChange);
  QApplication::sendEvent(&*pane, &themeChange);
  ASSERT_GE(seenByWaitingWork, before);
  EXPECT_GT(pane->FullRepaintCount(), seenByWaitingWork);
}

}  // namespace
}  // namespace velmora
