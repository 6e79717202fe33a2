// The date picker on a real X server: where the X server says the panel is, how it follows its
// form when the X server moves the form, and how the picker looks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <optional>
#include <string>

#include "app/controls/date_time_picker.h"
#include "app/controls/month_calendar.h"
#include "app/controls/month_list.h"
#include "app/controls/property_bag.h"
#include "app_controls/golden_dir.h"
#include "app_controls/x_tool.h"
#include "app_shell/screenshot_compare.h"

namespace velmora {
namespace {

// The position of window `id` on the screen as `xwininfo -root -tree` lists it, when it is a
// direct child of the root window (a top-level window).
std::optional<QPoint> TopLevelPosition(WId id) {
  const QString tree = RunTool("xwininfo", {"-root", "-tree"});
  const QRegularExpression line(QStringLiteral("^     0x%1 .*\\d+x\\d+[+-]-?\\d+[+-]-?\\d+\\s+"
                                               "\\+(-?\\d+)\\+(-?\\d+)$")
                                    .arg(id, 0, 16),
                                QRegularExpression::MultilineOption);
  const QRegularExpressionMatch match = line.match(tree);
  if (!match.hasMatch()) return std::nullopt;
  return QPoint(match.captured(1).toInt(), match.captured(2).toInt());
}

class PickerOnScreen : public testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication::setStyle("Fusion");
  }
  void TearDown() override { qunsetenv("VELMORA_COLOR_SCHEME"); }

  // A form with the picker between two fields, its hooks installed as on a live form.
  void Build(const char* scheme) {
    qputenv("VELMORA_COLOR_SCHEME", scheme);
    form.emplace();
    form->setWindowTitle("Picker");
    auto* layout = new QFormLayout(&*form);
    layout->addRow("Title:", new QLineEdit("Harbour at dusk"));
    picker = new ucDateTimePicker(&*form, [] { return plat::EncodeDate(2026, 3, 15) + 0.5; });
    layout->addRow("Date taken:", picker);
    layout->addRow("Author:", new QLineEdit);
    form->resize(280, 110);
    form->move(60, 40);
    PropertyBag saved;
    saved.WriteProperty("DateSelected", plat::EncodeDate(2026, 3, 10));
    QFont font("Tahoma");  // as the metadata dialogs save it
    font.setPointSizeF(8.25);
    saved.WriteProperty("Font", font);
    picker->ReadProperties(saved);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&*form));
  }
  void Open() {
    picker->DropDown();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker->Panel()));
  }
  // The screen area under the form and everything the picker shows over it.
  void ExpectScreenMatchesGolden(const char* name) {
    QTest::qWait(200);
    QRect area = form->frameGeometry();
    if (picker->Panel()->isVisible()) area |= picker->Panel()->frameGeometry();
    area.adjust(0, 0, 4, 4);
    const std::string golden = std::string(kGoldenDir) + name;
    ExpectImageMatchesGolden(
        form->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage(),
        golden.c_str());
  }
  // Where the picker's bottom border line is, from the X server's position of the form.
  QPoint BottomBorderOnScreen(const QPoint& formOnScreen) {
    return formOnScreen + picker->mapTo(&*form, QPoint(0, picker->height() - 1));
  }

  std::optional<QWidget> form;
  ucDateTimePicker* picker = nullptr;
};

TEST_F(PickerOnScreen, ThePanelIsATopLevelWindowOnThePickersBottomBorder) {
  Build("Classic");
  Open();
  const std::optional<QPoint> formAt = TopLevelPosition(form->winId());
  ASSERT_TRUE(formAt.has_value());
  std::optional<QPoint> panelAt;
  QTRY_VERIFY((panelAt = TopLevelPosition(picker->Panel()->winId())).has_value());
  EXPECT_EQ(*panelAt, BottomBorderOnScreen(*formAt));
}

TEST_F(PickerOnScreen, ThePanelFollowsTheFormMovedByTheXServer) {
  Build("Classic");
  Open();
  const QString id = QString::number(form->winId());
  RunTool("xdotool", {"windowmove", id, "310", "260"});
  std::optional<QPoint> formAt, panelAt;
  QTRY_COMPARE((formAt = TopLevelPosition(form->winId())).value_or(QPoint()), QPoint(310, 260));
  QTRY_COMPARE((panelAt = TopLevelPosition(picker->Panel()->winId())).value_or(QPoint()),
               BottomBorderOnScreen(*formAt));
  EXPECT_TRUE(picker->DropDownOpen());
}

TEST_F(PickerOnScreen, ClosedPicker) {
  Build("Classic");
  const std::string golden = std::string(kGoldenDir) + "picker_closed.png";
  ExpectWindowMatchesGolden(*form, golden.c_str());
}

TEST_F(PickerOnScreen, OpenPanelClassic) {
  Build("Classic");
  Open();
  ExpectScreenMatchesGolden("picker_open_classic.png");
}

TEST_F(PickerOnScreen, OpenPanelThemed) {
  Build("NormalColor");
  Open();
  ExpectScreenMatchesGolden("picker_open_themed.png");
}

TEST_F(PickerOnScreen, MonthListOverTheTitle) {
  Build("Classic");
  Open();
  QLabel* title = picker->Panel()->lblDateTitle;
  QTest::mousePress(title, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(picker->MonthList()));
  QRect area = form->frameGeometry() | picker->Panel()->frameGeometry();
  EXPECT_TRUE(area.contains(picker->MonthList()->frameGeometry()));
  ExpectScreenMatchesGolden("picker_month_list.png");
  QTest::mouseRelease(title, Qt::LeftButton);
  EXPECT_FALSE(picker->MonthListOpen());
}

}  // namespace
}  // namespace velmora
