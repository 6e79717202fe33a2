#pragma once
// ucDateTimePicker: a drop-down date picker. Closed it is one edit line 20 pixels high showing
// the chosen date in DescriptionFormat, with a square drop button at the right end. The drop
// button, the Down key or any key on the focused drop button opens a month calendar under the
// control (month_calendar.h); the calendar's title opens a list of months (month_list.h).
// Confirming a day makes it DateSelected; a change to another day raises DateChanged first.
//
// Dates are automation dates (platform/base/datetime.h); the zero date stands for "today".
// The panel and the month list are frameless tool windows placed in screen coordinates; they
// never take the keyboard focus, which stays on the drop button while the panel is open, so
// the panel's keys reach the drop button and a click on the panel does not close it.
#include <QDate>
#include <QFont>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/controls/message_hook.h"
#include "platform/base/datetime.h"
#include "platform/graphics/color.h"

class QLineEdit;
class QMouseEvent;
class QKeyEvent;
class QToolButton;

namespace velmora {

class CalendarPanel;
class MonthListPopup;
class PropertyBag;
class ThemedButtonFace;

// The calendar day of an automation date, and midnight of a day.
QDate DayOf(plat::TDateTime date);
plat::TDateTime DateFromDay(const QDate& day);

class ucDateTimePicker : public QWidget, public HookOwner {
  Q_OBJECT

 public:
  // Today's date and time; tests inject their own.
  using Clock = std::function<plat::TDateTime()>;

  static constexpr int kHeight = 20;
  static constexpr int kDropSide = kHeight - 4;
  static constexpr int kTextLeft = 3;
  static constexpr plat::TColor kBackground = 0xFFFFFF;
  static constexpr plat::TColor kSelectionColour = 0x94E6FB;  // RGB(251, 230, 148)
  static constexpr plat::TColor kButtonFace = 0x8000000F;
  static constexpr const char* kDefaultDescriptionFormat = "d mmm yyyy";

  explicit ucDateTimePicker(QWidget* parent = nullptr, Clock clock = {});
  ~ucDateTimePicker() override;

  // The default member.
  plat::TDateTime DateSelected() const { return m_DateSelected; }
  void SetDateSelected(plat::TDateTime date);
  int FirstDayOfWeek() const { return m_FirstDayOfWeek; }
  void SetFirstDayOfWeek(int day);
  bool ShortDayNames() const { return m_ShortDayNames; }
  void SetShortDayNames(bool shortNames);
  // Never empty: an empty pattern reads as, and is stored as, "d mmm yyyy".
  QString DescriptionFormat();
  void SetDescriptionFormat(const QString& pattern);
  bool UseHandCursor() const { return m_UseHandCursor; }
  void SetUseHandCursor(bool use);
  bool ShowNonMonthDays() const { return m_ShowNonMonthDays; }
  void SetShowNonMonthDays(bool show);
  bool Enabled() const { return m_Enabled; }
  void SetEnabled(bool enabled);
  QFont Font() const { return font(); }
  void SetFont(const QFont& font);

  // The desktop's colour scheme: 0 none or another, 1 blue, 2 olive, 3 silver.
  int CurrentTheme() const;

  // `live` false is a form designer: no hooks are installed.
  void ReadProperties(const PropertyBag& bag, bool live = true);
  void WriteProperties(PropertyBag& bag);

  void zSubclass_Proc(bool bBefore, bool& bHandled, int& lReturn, QWidget* widget,
                      QEvent* event) override;

  // --- The calendar panel (month_calendar.cpp) ---
  plat::TDateTime GetHighlighted() const { return m_HighlightedDate; }
  void SetHighlighted(plat::TDateTime date);
  plat::TDateTime GetShownMonth();
  void SetShownMonth(plat::TDateTime date);
  void DropDown();
  void CloseAll();
  bool DropDownOpen() const { return m_bDropDownOpen; }
  // Fills the 42 day cells for `month` of `year` (0 and 0: the shown month).
  void FillDays(int month, int year);
  // The OK action: the highlighted day becomes DateSelected and everything closes.
  void ConfirmHighlighted();

  // --- The month list (month_list.cpp) ---
  bool MonthListOpen() const { return m_bMonthListOpen; }
  void FillMonthList(plat::TDateTime date);
  void MonthListTick();

  // The parts, for the windows that host the control and for tests.
  QLineEdit* Text1() const { return text1_; }
  QWidget* picDrop() const;
  QToolButton* btnDrop() const { return btnDrop_; }
  CalendarPanel* Panel() const { return panel_; }
  MonthListPopup* MonthList() const { return monthList_; }
  int DropState() const;
  QColor ThemeColour() const { return themeColour_; }
  QColor BorderColour() const { return borderColour_; }

  // `text` read as a date: the picker's own pattern, then "m/d/yyyy", then ISO.
  bool TryReadDate(const QString& text, plat::TDateTime& date);
  QString FormatDate(plat::TDateTime date, const QString& pattern) const;

 signals:
  void DateChanged(plat::TDateTime FromDate, plat::TDateTime ToDate);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  plat::TDateTime Today() const;
  QWidget* HostWidget() const { return parentWidget(); }

  // The edit line.
  QString FormatSelected();
  void CommitText();
  bool TextKey(QKeyEvent* key);
  bool FocusInside() const;
  void CloseIfFocusGone();
  void DropClick();
  bool DropEvent(QEvent* event);
  bool DropKey(QKeyEvent* key);
  void DropHover(QMouseEvent* mouse);
  void LayoutEditLine();
  void LayoutDropButton();
  void DrawDropButton();
  void ApplyThemeMode();
  void ApplyColours();
  void SetHandCursor(QWidget* over);
  void InstallHooks();
  void ApplyColourChange();

  // The calendar (month_calendar.cpp).
  void BuildCalendar();
  void PrepareCalendar();
  void LayoutCalendar();
  void SetDayNames();
  void ShowCalendar();
  void HideCalendar();
  void PlaceCalendar();
  void RefreshCalendar();
  void PaintCells();
  void SetTitle();
  void SetDescription();
  void DrawOkToday();
  bool PanelKey(QKeyEvent* key);
  bool CalendarEvent(QObject* watched, QEvent* event);
  bool DayCellEvent(int cell, QEvent* event);
  void HeaderPress(int x);
  void HeaderMove(QWidget* over, int x);
  void ButtonHover(ThemedButtonFace* button, QEvent* event);
  int EffectiveFirstDay() const;

  // The month list (month_list.cpp).
  void BuildMonthList();
  void InitMonthList();
  void ShowMonthList();
  void HideMonthList();
  bool TitleEvent(QEvent* event);
  void TitleDrag(const QPoint& global);
  void TitleRelease();

  Clock clock_;
  std::unique_ptr<MessageHook> hook_;
  bool live_ = false;

  plat::TDateTime m_DateSelected = 0;
  plat::TDateTime m_HighlightedDate = 0;
  plat::TDateTime m_ShownMonth = 0;
  int m_FirstDayOfWeek = 1;
  bool m_ShortDayNames = false;
  QString m_DescriptionFormat;
  bool m_UseHandCursor = false;
  bool m_ShowNonMonthDays = true;
  bool m_Enabled = true;
  bool m_bDropDownOpen = false;
  bool m_bMonthListOpen = false;
  bool m_bThemed = false;

  QColor themeColour_;
  QColor borderColour_;
  QLineEdit* text1_ = nullptr;
  ThemedButtonFace* picDrop_ = nullptr;
  QToolButton* btnDrop_ = nullptr;
  CalendarPanel* panel_ = nullptr;
  MonthListPopup* monthList_ = nullptr;
};

}  // namespace velmora
