#pragma once
// The month list of the date picker: seven rows of months over the calendar's title, the shown
// month in the middle. While the mouse button stays down the row under the pointer is
// highlighted; holding the pointer above or below the list scrolls it a month every 400 ms.
#include <QDate>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>

namespace velmora {

class MonthListPopup : public QWidget {
 public:
  static constexpr int kRows = 7;
  static constexpr int kTickMs = 400;

  explicit MonthListPopup(QWidget* picker);

  int RowHeight() const;
  // Shows `row` in black with white text, the others in the list's colours.
  void HighlightRow(int row);

  std::array<QLabel*, kRows> lblSelDate{};
  std::array<QDate, kRows> rowDates{};
  // The row last highlighted, kept across openings.
  std::optional<int> highlightedRow;
  QTimer ticker;
  // The scroll direction of the ticker.
  bool tickEarlier = false;
};

}  // namespace velmora
