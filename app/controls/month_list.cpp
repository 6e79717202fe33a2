#include "app/controls/month_list.h"

#include <QLocale>
#include <QMouseEvent>
#include <cmath>

#include "app/controls/date_time_picker.h"
#include "app/controls/desktop_theme.h"
#include "app/controls/month_calendar.h"
#include "app/controls/twips.h"

namespace velmora {
namespace {

constexpr int kBorder = 1;

}  // namespace

MonthListPopup::MonthListPopup(QWidget* picker)
    : QWidget(picker, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QStringLiteral("Months"));
  setFocusPolicy(Qt::NoFocus);
  SetBackground(this, Qt::black);  // the single-line border around the rows
  for (int i = 0; i < kRows; ++i) {
    QLabel* row = new QLabel(this);
    row->setAlignment(Qt::AlignCenter);
    row->setGeometry(kBorder, kBorder + i * TwipsToPixels(240), TwipsToPixels(1500),
                     TwipsToPixels(240));
    SetBackground(row, Qt::white);
    lblSelDate[static_cast<size_t>(i)] = row;
  }
  ticker.setInterval(kTickMs);
}

int MonthListPopup::RowHeight() const {
  return lblSelDate[0]->height();
}

void MonthListPopup::HighlightRow(int row) {
  for (int i = 0; i < kRows; ++i) {
    QLabel* label = lblSelDate[static_cast<size_t>(i)];
    SetBackground(label, i == row ? QColor(Qt::black) : ToQColor(CalendarPanel::kWindowColour));
    SetTextColour(label, i == row ? QColor(Qt::white) : QColor(Qt::black));
  }
  if (row >= 0 && row < kRows) highlightedRow = row;
}

// --- The picker's month list ---

void ucDateTimePicker::BuildMonthList() {
  monthList_ = new MonthListPopup(this);
  connect(&monthList_->ticker, &QTimer::timeout, this, [this] { MonthListTick(); });
}

void ucDateTimePicker::InitMonthList() {
  const QLabel* row = monthList_->lblSelDate[0];
  monthList_->resize(row->width() + 2 * kBorder,
                     MonthListPopup::kRows * row->height() + 2 * kBorder);
  monthList_->hide();
  FillMonthList(GetShownMonth());
}

void ucDateTimePicker::FillMonthList(plat::TDateTime date) {
  const QDate middle = DayOf(date);
  for (int i = 0; i < MonthListPopup::kRows; ++i) {
    const QDate month = middle.addMonths(i - 3);  // the day is clamped to the month's length
    monthList_->rowDates[static_cast<size_t>(i)] = month;
    monthList_->lblSelDate[static_cast<size_t>(i)]->setText(QLocale().monthName(month.month()) +
                                                            ' ' + QString::number(month.year()));
  }
}

void ucDateTimePicker::ShowMonthList() {
  const QRect header(panel_->monthHeader->mapToGlobal(QPoint(0, 0)), panel_->monthHeader->size());
  const double listHeight = monthList_->height(), rowHeight = monthList_->RowHeight();
  const int x = header.left() + panel_->lblDateTitle->x();
  const int y = static_cast<int>(
      std::nearbyint(header.top() + header.height() - (listHeight + rowHeight) / 2 - 2));
  monthList_->move(x, y);
  monthList_->show();
  monthList_->raise();
  m_bMonthListOpen = true;
}

void ucDateTimePicker::HideMonthList() {
  if (!m_bMonthListOpen) return;
  monthList_->ticker.stop();
  monthList_->hide();
  m_bMonthListOpen = false;
  picDrop_->setFocus(Qt::OtherFocusReason);
}

void ucDateTimePicker::MonthListTick() {
  FillMonthList(DateFromDay(monthList_->rowDates[monthList_->tickEarlier ? 2 : 4]));
}

void ucDateTimePicker::TitleDrag(const QPoint& p) {
  SetHandCursor(panel_->lblDateTitle);
  const QRect r = monthList_->frameGeometry();
  QTimer& ticker = monthList_->ticker;
  if (r.contains(p)) {
    ticker.stop();
    const int h = monthList_->RowHeight();
    const int k = static_cast<int>(std::nearbyint(double(p.y() - r.top()) / h - 0.5));
    monthList_->HighlightRow(k);
  } else if (p.x() < r.left() || p.x() > r.right()) {
    ticker.stop();
  } else {
    monthList_->tickEarlier = p.y() < r.top();
    if (!ticker.isActive()) ticker.start();
  }
}

void ucDateTimePicker::TitleRelease() {
  if (monthList_->highlightedRow)
    SetShownMonth(
        DateFromDay(monthList_->rowDates[static_cast<size_t>(*monthList_->highlightedRow)]));
  HideMonthList();
}

bool ucDateTimePicker::TitleEvent(QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (mouse->button() != Qt::LeftButton) return false;
      SetHandCursor(panel_->lblDateTitle);
      FillMonthList(GetShownMonth());
      ShowMonthList();
      return true;
    case QEvent::MouseMove:
      if (m_bMonthListOpen && (mouse->buttons() & Qt::LeftButton)) {
        TitleDrag(mouse->globalPosition().toPoint());
      } else {
        SetHandCursor(panel_->lblDateTitle);
      }
      return true;
    case QEvent::MouseButtonRelease:
      if (m_bMonthListOpen && mouse->button() == Qt::LeftButton) TitleRelease();
      return true;
    default:
      return false;
  }
}

}  // namespace velmora
