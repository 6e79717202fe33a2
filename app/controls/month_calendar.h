#pragma once
// The date picker's drop-down panel: a month title between previous and next arrows, a row of
// day names, 6 x 7 day cells, a line describing the highlighted day, and Today and OK buttons.
// Sizes are kept in twips and converted with the screen's resolution (183 x 173 pixels at 96
// dots per inch), beside a few fixed pixel offsets. The picker (date_time_picker.h) owns the
// state and drives the panel; the panel only holds and draws its parts.
#include <QDate>
#include <QLabel>
#include <QWidget>
#include <array>
#include <optional>

#include "platform/graphics/color.h"

namespace velmora {

class ThemedButtonFace;

// One day cell: a number and the day it stands for, or nothing.
class DayCell : public QLabel {
 public:
  using QLabel::QLabel;
  std::optional<QDate> date;
};

class CalendarPanel : public QWidget {
 public:
  static constexpr int kDayCells = 42;
  // The system's window colour, behind the panel and the month list.
  static constexpr plat::TColor kWindowColour = 0x80000005;
  static constexpr int kCellGap = 2;

  explicit CalendarPanel(QWidget* picker);

  // Colours the borders, the day-name header and its labels.
  void SetThemeColour(const QColor& colour);
  QColor ThemeColour() const { return themeColour_; }
  QRect SmallBorder() const { return smallBorder_; }

  QWidget* monthHeader = nullptr;
  QLabel* imgLeft = nullptr;
  QLabel* imgRight = nullptr;
  QLabel* lblDateTitle = nullptr;
  QWidget* daysHeader = nullptr;
  std::array<QLabel*, 7> lblDOW{};
  std::array<DayCell*, kDayCells> lblDay{};
  QWidget* shapeSelection = nullptr;
  QLabel* lblDateDescription = nullptr;
  QWidget* btnToday = nullptr;
  QWidget* btnOK = nullptr;
  ThemedButtonFace* picToday = nullptr;
  ThemedButtonFace* picOK = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor themeColour_;
  QRect smallBorder_;
};

// A colour of a part's background, as the picker sets them all.
void SetBackground(QWidget* part, const QColor& colour);
void SetTextColour(QWidget* part, const QColor& colour);

}  // namespace velmora
