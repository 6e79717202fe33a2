#include "app/controls/month_calendar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>

#include "app/controls/date_time_picker.h"
#include "app/controls/desktop_theme.h"
#include "app/controls/month_list.h"
#include "app/controls/twips.h"

namespace velmora {
namespace {

constexpr plat::TColor kGreyText = 0x80000011;
constexpr plat::TColor kSelectionOutline = 0x0355BB;  // RGB(187, 85, 3)

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

// A solid black triangle, 5 pixels wide and 9 high, centred in a clear 11 x 13 picture.
QPixmap Arrow(bool left) {
  QPixmap picture(11, 13);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  for (int column = 0; column < 5; ++column) {
    const int reach = left ? column : 4 - column;  // half-height of the column, 0 at the tip
    painter.drawRect(3 + column, 6 - reach, 1, 2 * reach + 1);
  }
  return picture;
}

// The rectangle outline over the highlighted day; clicks pass through to the cell.
class SelectionOutline : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(ToQColor(kSelectionOutline));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};

QLabel* CentredLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignCenter);
  label->setAutoFillBackground(true);
  return label;
}

QPushButton* PlainButton(const QString& caption, const QString& tip, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setFocusPolicy(Qt::NoFocus);
  button->setToolTip(tip);
  return button;
}

ThemedButtonFace* ThemedButton(const QString& caption, const QString& tip, QWidget* parent) {
  auto* button = new ThemedButtonFace(ThemedButtonFace::kPushButton, caption, parent);
  button->setFocusPolicy(Qt::NoFocus);
  button->setToolTip(tip);
  return button;
}

// Our weekday number of a day: 1 Sunday to 7 Saturday.
int WeekdayNumber(const QDate& day) {
  return day.dayOfWeek() % 7 + 1;
}

// Qt's day of the week for our weekday number.
Qt::DayOfWeek QtDay(int weekday) {
  return static_cast<Qt::DayOfWeek>(weekday == 1 ? 7 : weekday - 1);
}

}  // namespace

void SetBackground(QWidget* part, const QColor& colour) {
  QPalette palette = part->palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::Base, colour);
  palette.setColor(QPalette::Button, colour);
  part->setPalette(palette);
  part->setAutoFillBackground(true);
}

void SetTextColour(QWidget* part, const QColor& colour) {
  QPalette palette = part->palette();
  palette.setColor(QPalette::WindowText, colour);
  part->setPalette(palette);
}

CalendarPanel::CalendarPanel(QWidget* picker)
    : QWidget(picker, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QStringLiteral("Calendar"));
  setFocusPolicy(Qt::NoFocus);
  smallBorder_ = TwipsRect(60, 390, 2625, 1845);
  SetBackground(this, ToQColor(kWindowColour));

  monthHeader = new QWidget(this);
  monthHeader->setGeometry(TwipsRect(75, 60, 2595, 285));
  SetBackground(monthHeader, Qt::white);
  imgLeft = new QLabel(monthHeader);
  imgLeft->setGeometry(TwipsRect(60, 60, 165, 195));
  imgLeft->setPixmap(Arrow(true));
  imgRight = new QLabel(monthHeader);
  imgRight->setGeometry(TwipsRect(2370, 60, 165, 195));
  imgRight->setPixmap(Arrow(false));
  lblDateTitle = CentredLabel(monthHeader);
  lblDateTitle->setGeometry(TwipsRect(0, 30, 1500, 240));

  daysHeader = new QWidget(this);
  daysHeader->setGeometry(TwipsRect(60, 360, 2625, 285));
  for (QLabel*& name : lblDOW) name = CentredLabel(daysHeader);
  for (DayCell*& cell : lblDay) {
    cell = new DayCell(this);
    cell->setAlignment(Qt::AlignCenter);
    cell->setAutoFillBackground(true);
  }
  shapeSelection = new SelectionOutline(this);
  shapeSelection->setAttribute(Qt::WA_TransparentForMouseEvents);

  lblDateDescription = CentredLabel(this);
  lblDateDescription->setGeometry(TwipsRect(720, 2280, 1305, 255));
  lblDateDescription->setToolTip(
      QStringLiteral("The currently highlighted date. Press OK to select this date."));
  const QSize buttonSize(TwipsToPixels(600), TwipsToPixels(255));
  btnToday = PlainButton(QStringLiteral("Today"), QStringLiteral("Show today"), this);
  btnOK = PlainButton(QStringLiteral("OK"), QStringLiteral("Confirm your selection"), this);
  picToday = ThemedButton(QStringLiteral("Today"), QStringLiteral("Show today"), this);
  picOK = ThemedButton(QStringLiteral("OK"), QStringLiteral("Confirm your selection"), this);
  for (QWidget* button : {btnToday, btnOK}) button->resize(buttonSize);
  for (QWidget* part : findChildren<QWidget*>()) part->setFocusPolicy(Qt::NoFocus);
  resize(TwipsToPixels(2745), TwipsToPixels(2595));
}

void CalendarPanel::SetThemeColour(const QColor& colour) {
  themeColour_ = colour;
  SetBackground(daysHeader, colour);
  for (QLabel* name : lblDOW) {
    SetBackground(name, colour);
    SetTextColour(name, Qt::white);
  }
  update();
}

void CalendarPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(themeColour_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.drawRect(smallBorder_.adjusted(0, 0, -1, -1));
}

// --- The picker's calendar ---

void ucDateTimePicker::BuildCalendar() {
  panel_ = new CalendarPanel(this);
  for (QWidget* part : panel_->findChildren<QWidget*>()) {
    part->installEventFilter(this);
    part->setMouseTracking(true);
  }
  connect(static_cast<QPushButton*>(panel_->btnOK), &QPushButton::clicked, this,
          [this] { ConfirmHighlighted(); });
  connect(static_cast<QPushButton*>(panel_->btnToday), &QPushButton::clicked, this,
          [this] { SetShownMonth(Today()); });
}

void ucDateTimePicker::SetHighlighted(plat::TDateTime date) {
  if (date != m_HighlightedDate) m_HighlightedDate = date;
  SetShownMonth(date);
  RefreshCalendar();
}

plat::TDateTime ucDateTimePicker::GetShownMonth() {
  if (m_ShownMonth == 0) m_ShownMonth = Today();
  return m_ShownMonth;
}

void ucDateTimePicker::SetShownMonth(plat::TDateTime date) {
  if (date == m_ShownMonth) return;
  m_ShownMonth = date;
  RefreshCalendar();
}

void ucDateTimePicker::DropDown() {
  SetHighlighted(m_DateSelected);
  PrepareCalendar();
  RefreshCalendar();
  ShowCalendar();
}

void ucDateTimePicker::PrepareCalendar() {
  LayoutCalendar();
  SetBackground(panel_->lblDateTitle, panel_->monthHeader->palette().color(QPalette::Window));
  SetBackground(panel_->lblDateDescription, panel_->palette().color(QPalette::Window));
  SetDayNames();
  PaintCells();
  if (!m_bDropDownOpen) panel_->hide();
  for (QWidget* button :
       {static_cast<QWidget*>(panel_->picOK), static_cast<QWidget*>(panel_->picToday)})
    SetBackground(button, panel_->palette().color(QPalette::Window));
}

void ucDateTimePicker::LayoutCalendar() {
  constexpr int g = CalendarPanel::kCellGap;
  const QSize cell(TwipsToPixels(330), TwipsToPixels(225));
  const QRect dayNames = panel_->daysHeader->geometry();
  int left = 5;
  for (QLabel* name : panel_->lblDOW) {
    name->setGeometry(left, TwipsToPixels(30), cell.width(), cell.height());
    left += cell.width() + g;
  }
  const QPoint first(panel_->lblDOW[0]->x() + dayNames.left() - 1, dayNames.bottom() + 1 + g);
  for (int i = 0; i < CalendarPanel::kDayCells; ++i) {
    const int row = i / 7, column = i % 7;
    panel_->lblDay[i]->setGeometry(first.x() + column * (cell.width() + g),
                                   first.y() + row * (cell.height() + g), cell.width(),
                                   cell.height());
  }
  panel_->shapeSelection->resize(cell);
  const QRect inner = panel_->SmallBorder();
  panel_->lblDateTitle->move((inner.width() - panel_->lblDateTitle->width()) / 2,
                             panel_->lblDateTitle->y());
  const int buttonTop = panel_->lblDateDescription->y();
  panel_->picToday->setGeometry(QRect(QPoint(inner.left(), buttonTop), panel_->btnToday->size()));
  panel_->btnToday->move(panel_->picToday->pos());
  panel_->picOK->setGeometry(
      QRect(QPoint(inner.left() + inner.width() - panel_->picToday->width(), buttonTop),
            panel_->btnOK->size()));
  panel_->btnOK->move(panel_->picOK->pos());
}

int ucDateTimePicker::EffectiveFirstDay() const {
  if (m_FirstDayOfWeek != 0) return m_FirstDayOfWeek;
  return WeekdayNumber(QDate(2024, 1, 1).addDays(QLocale().firstDayOfWeek() - 1));
}

void ucDateTimePicker::SetDayNames() {
  const int first = EffectiveFirstDay();
  for (int i = 0; i < 7; ++i) {
    const QString name = QLocale().dayName(QtDay((first - 1 + i) % 7 + 1), QLocale::ShortFormat);
    panel_->lblDOW[i]->setText(m_ShortDayNames ? name.left(1) : name);
  }
}

void ucDateTimePicker::ShowCalendar() {
  m_bDropDownOpen = true;
  PlaceCalendar();
  DrawOkToday();
  picDrop_->setFocus(Qt::OtherFocusReason);
}

void ucDateTimePicker::PlaceCalendar() {
  if (!m_bDropDownOpen) return;
  const QPoint topLeft = mapToGlobal(QPoint(0, 0));
  panel_->move(topLeft.x(), topLeft.y() + height() - 1);
  panel_->show();
  panel_->raise();
}

void ucDateTimePicker::CloseAll() {
  HideMonthList();
  HideCalendar();
}

void ucDateTimePicker::HideCalendar() {
  if (!m_bDropDownOpen) return;
  panel_->hide();
  m_bDropDownOpen = false;
}

void ucDateTimePicker::RefreshCalendar() {
  FillDays(0, 0);
  SetTitle();
  SetDescription();
  PaintCells();
}

void ucDateTimePicker::SetTitle() {
  panel_->lblDateTitle->setText(FormatDate(GetShownMonth(), QStringLiteral("mmmm yyyy")));
}

void ucDateTimePicker::SetDescription() {
  panel_->lblDateDescription->setText(FormatDate(m_HighlightedDate, DescriptionFormat()));
}

void ucDateTimePicker::FillDays(int month, int year) {
  const QDate shown = DayOf(GetShownMonth());
  if (month == 0) month = shown.month();
  if (year == 0) year = shown.year();
  if (month < 1 || month > 12) return;
  const QDate first(year, month, 1);
  const int lead = (WeekdayNumber(first) - EffectiveFirstDay() + 7) % 7;
  for (int i = 0; i < CalendarPanel::kDayCells; ++i) {
    DayCell* cell = panel_->lblDay[i];
    const QDate day = first.addDays(i - lead);
    const bool inMonth = day.month() == month && day.year() == year;
    if (inMonth || m_ShowNonMonthDays) {
      cell->date = day;
      cell->setText(QString::number(day.day()));
      cell->setToolTip(QLocale().toString(day, QLocale::ShortFormat));
    } else {
      cell->date.reset();
      cell->clear();
      cell->setToolTip(QString());
    }
    SetTextColour(cell, inMonth ? QColor(Qt::black) : ToQColor(kGreyText));
  }
}

void ucDateTimePicker::PaintCells() {
  panel_->shapeSelection->move(-TwipsToPixels(1000), -TwipsToPixels(1000));
  const QDate today = DayOf(Today());
  const QDate highlighted = DayOf(m_HighlightedDate);
  for (DayCell* cell : panel_->lblDay) {
    QColor background = panel_->palette().color(QPalette::Window);
    if (cell->date == today) background = panel_->ThemeColour();
    if (cell->date == highlighted) {
      background = ToQColor(kSelectionColour);
      panel_->shapeSelection->move(cell->pos());
      panel_->shapeSelection->raise();
    }
    SetBackground(cell, background);
  }
}

void ucDateTimePicker::DrawOkToday() {
  if (!m_bDropDownOpen || !m_bThemed) return;
  panel_->picOK->update();
  panel_->picToday->update();
}

void ucDateTimePicker::ConfirmHighlighted() {
  SetDateSelected(m_HighlightedDate);
  CloseAll();
  text1_->setFocus(Qt::OtherFocusReason);
}

bool ucDateTimePicker::PanelKey(QKeyEvent* key) {
  if (!m_Enabled) return true;
  const QDate highlighted = DayOf(m_HighlightedDate);
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      ConfirmHighlighted();
      return true;
    case Qt::Key_Escape:
      CloseAll();
      text1_->setFocus(Qt::OtherFocusReason);
      return true;
    case Qt::Key_PageUp:
      SetHighlighted(DateFromDay(highlighted.addMonths(-1)));
      return true;
    case Qt::Key_PageDown:
      SetHighlighted(DateFromDay(highlighted.addMonths(1)));
      return true;
    case Qt::Key_Home:
      SetHighlighted(Today());
      SetShownMonth(Today());
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const int step = key->key() == Qt::Key_Left    ? -1
                       : key->key() == Qt::Key_Right ? 1
                       : key->key() == Qt::Key_Up    ? -7
                                                     : 7;
      SetHighlighted(DateFromDay(highlighted.addDays(step)));
      return true;
    }
    default:
      return false;
  }
}

void ucDateTimePicker::ButtonHover(ThemedButtonFace* button, QEvent* event) {
  SetHandCursor(button);
  if (!m_Enabled) return;
  const bool down = static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton;
  button->SetState(down ? kStatePressed : kStateHot);
}

void ucDateTimePicker::HeaderMove(QWidget* over, int x) {
  const QRect left = panel_->imgLeft->geometry(), right = panel_->imgRight->geometry();
  if (x < left.left() + left.width() + 10 || x > right.left() - 10) {
    SetHandCursor(over);
  } else {
    over->unsetCursor();
  }
}

void ucDateTimePicker::HeaderPress(int x) {
  HeaderMove(panel_->monthHeader, x);
  const QRect title = panel_->lblDateTitle->geometry();
  const QDate shown = DayOf(GetShownMonth());
  if (x < title.left()) SetShownMonth(DateFromDay(shown.addMonths(-1)));
  if (x > title.right()) SetShownMonth(DateFromDay(shown.addMonths(1)));
}

bool ucDateTimePicker::DayCellEvent(int index, QEvent* event) {
  DayCell* cell = panel_->lblDay[index];
  switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
      if (!cell->text().isEmpty()) SetHandCursor(cell);
      return true;
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (cell->date && mouse->button() == Qt::LeftButton &&
          cell->rect().contains(mouse->position().toPoint())) {
        SetHighlighted(DateFromDay(*cell->date));
        PaintCells();
        SetDescription();
      }
      return true;
    }
    case QEvent::MouseButtonDblClick:
      if (cell->date) ConfirmHighlighted();
      return true;
    default:
      return false;
  }
}

bool ucDateTimePicker::CalendarEvent(QObject* watched, QEvent* event) {
  if (watched == panel_->lblDateTitle) return TitleEvent(event);
  const QEvent::Type type = event->type();
  const bool press = type == QEvent::MouseButtonPress;
  const bool move = type == QEvent::MouseMove;
  if (!press && !move && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return false;
  const auto cell = std::find(panel_->lblDay.begin(), panel_->lblDay.end(), watched);
  if (cell != panel_->lblDay.end())
    return DayCellEvent(static_cast<int>(cell - panel_->lblDay.begin()), event);
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (watched == panel_->imgLeft || watched == panel_->imgRight) {
    SetHandCursor(static_cast<QWidget*>(watched));
    if (press) {
      const int months = watched == panel_->imgLeft ? -1 : 1;
      SetShownMonth(DateFromDay(DayOf(GetShownMonth()).addMonths(months)));
    }
  } else if (watched == panel_->monthHeader) {
    const int x = mouse->position().toPoint().x();
    if (press) HeaderPress(x);
    if (move) HeaderMove(panel_->monthHeader, x);
  } else if (watched == panel_->lblDateDescription) {
    if (press || move) SetHandCursor(panel_->lblDateDescription);
    if (type == QEvent::MouseButtonRelease &&
        panel_->lblDateDescription->rect().contains(mouse->position().toPoint()))
      SetShownMonth(m_HighlightedDate);
  } else if (watched == panel_->picOK || watched == panel_->picToday) {
    auto* button = static_cast<ThemedButtonFace*>(watched);
    if (press || move) ButtonHover(button, event);
    if (type == QEvent::MouseButtonRelease && m_Enabled &&
        button->rect().contains(mouse->position().toPoint())) {
      button->SetState(kStateHot);
      if (button == panel_->picOK) {
        ConfirmHighlighted();
      } else {
        SetShownMonth(Today());
      }
    }
  }
  return false;
}

}  // namespace velmora
