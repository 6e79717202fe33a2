#include "app/controls/date_time_picker.h"

#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "app/controls/desktop_theme.h"
#include "app/controls/month_calendar.h"
#include "app/controls/month_list.h"
#include "app/controls/property_bag.h"
#include "platform/graphics/color.h"

namespace velmora {
namespace {

// Saved keys, in the order they are written and read.
const char* const kFirstDayOfWeekKey = "FirstDayOfWeek";
const char* const kShortDayNamesKey = "ShortDayNames";
const char* const kDescriptionFormatKey = "DescriptionFormat";
const char* const kUseHandCursorKey = "UseHandCursor";
const char* const kDateSelectedKey = "DateSelected";
const char* const kShowNonMonthDaysKey = "ShowNonMonthDays";
const char* const kEnabledKey = "Enabled";
const char* const kFontKey = "Font";

constexpr int kSavedFirstDayOfWeek = 0;
constexpr bool kSavedShortDayNames = false;
constexpr bool kSavedUseHandCursor = true;
constexpr bool kSavedShowNonMonthDays = false;
constexpr bool kSavedEnabled = true;

// The automation dates of 1 January 0001 and of the day after 31 December 9999.
constexpr double kFirstDate = -693593.0;
constexpr double kEndDate = 2958466.0;

bool InDateRange(plat::TDateTime date) {
  return std::isfinite(date) && date >= kFirstDate && date < kEndDate;
}

// The theme colour of each colour scheme.
plat::TColor ThemeColourOf(int scheme) {
  switch (scheme) {
    case 1:
      return plat::RGB(158, 190, 245);
    case 2:
      return plat::RGB(217, 217, 167);
    case 3:
      return plat::RGB(215, 215, 229);
    default:
      return ucDateTimePicker::kButtonFace;
  }
}

// A date pattern of runs of d, m and y, other characters standing for themselves, in Qt's
// pattern language.
QString ToQtPattern(const QString& pattern) {
  QString qt, literal;
  const auto flushLiteral = [&] {
    if (literal.isEmpty()) return;
    qt += '\'' + QString(literal).replace(QLatin1String("'"), QLatin1String("''")) + '\'';
    literal.clear();
  };
  for (qsizetype i = 0; i < pattern.size();) {
    const QChar c = pattern[i].toLower();
    qsizetype run = 1;
    while (i + run < pattern.size() && pattern[i + run].toLower() == c) ++run;
    if (c == 'd' || c == 'm' || c == 'y') {
      flushLiteral();
      if (c == 'd') qt += QString(std::min<qsizetype>(run, 4), 'd');
      if (c == 'm') qt += QString(std::min<qsizetype>(run, 4), 'M');
      if (c == 'y') qt += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
    } else {
      literal += pattern.mid(i, run);
    }
    i += run;
  }
  flushLiteral();
  return qt;
}

int ReadInt(const PropertyBag& bag, const char* key, int defaultValue) {
  bool ok = false;
  const int value = bag.ReadProperty(key, defaultValue).toInt(&ok);
  return ok ? value : defaultValue;
}

bool ReadBool(const PropertyBag& bag, const char* key, bool defaultValue) {
  return bag.ReadProperty(key, defaultValue).toBool();
}

bool IsModifierOnly(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
         key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

}  // namespace

QDate DayOf(plat::TDateTime date) {
  const plat::DateParts parts = plat::DecodeDateTime(date);
  return QDate(parts.year, parts.month, parts.day);
}

plat::TDateTime DateFromDay(const QDate& day) {
  return plat::EncodeDate(day.year(), day.month(), day.day());
}

ucDateTimePicker::ucDateTimePicker(QWidget* parent, Clock clock)
    : QWidget(parent), clock_(std::move(clock)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFixedHeight(kHeight);
  text1_ = new QLineEdit(this);
  text1_->setFrame(false);
  text1_->installEventFilter(this);
  picDrop_ = new ThemedButtonFace(ThemedButtonFace::kDropButton, QString(), this);
  picDrop_->setFocusPolicy(Qt::StrongFocus);
  picDrop_->installEventFilter(this);
  btnDrop_ = new QToolButton(picDrop_);
  btnDrop_->setArrowType(Qt::DownArrow);
  btnDrop_->setFocusPolicy(Qt::NoFocus);
  connect(btnDrop_, &QToolButton::clicked, this, [this] { DropClick(); });
  setFocusProxy(text1_);
  BuildCalendar();
  BuildMonthList();

  m_DescriptionFormat = kDefaultDescriptionFormat;
  m_ShowNonMonthDays = true;
  m_FirstDayOfWeek = 1;
  SetDateSelected(Today());
  ApplyThemeMode();
  ApplyColours();
  SetFont(HostWidget() != nullptr ? HostWidget()->font() : QApplication::font());
  PrepareCalendar();
  InitMonthList();
  resize(120, kHeight);
  LayoutEditLine();
}

ucDateTimePicker::~ucDateTimePicker() {
  CloseAll();
  hook_.reset();
}

plat::TDateTime ucDateTimePicker::Today() const {
  if (clock_) return DateFromDay(DayOf(clock_()));
  return DateFromDay(QDate::currentDate());
}

// --- Properties ---

void ucDateTimePicker::SetDateSelected(plat::TDateTime date) {
  if (date == m_DateSelected || !InDateRange(date)) return;
  if (date == 0) date = Today();
  if (DayOf(date) != DayOf(m_DateSelected)) {
    emit DateChanged(m_DateSelected, date);
    m_DateSelected = date;
  }
  SetHighlighted(date);
  text1_->setText(FormatSelected());
}

void ucDateTimePicker::SetFirstDayOfWeek(int day) {
  if (day == m_FirstDayOfWeek) return;
  // A negative day would keep its sign through the modulo and break the weekday arithmetic.
  if (day < 1 || day > 7) day = day < 0 ? 0 : day % 7;
  m_FirstDayOfWeek = day;
  PrepareCalendar();
  FillDays(0, 0);
  PaintCells();
  DrawOkToday();
}

void ucDateTimePicker::SetShortDayNames(bool shortNames) {
  if (shortNames == m_ShortDayNames) return;
  m_ShortDayNames = shortNames;
  SetDayNames();
}

QString ucDateTimePicker::DescriptionFormat() {
  if (m_DescriptionFormat.isEmpty()) m_DescriptionFormat = kDefaultDescriptionFormat;
  return m_DescriptionFormat;
}

void ucDateTimePicker::SetDescriptionFormat(const QString& pattern) {
  if (pattern == m_DescriptionFormat) return;
  m_DescriptionFormat = pattern;
  SetDescription();
  text1_->setText(FormatSelected());
}

void ucDateTimePicker::SetUseHandCursor(bool use) {
  m_UseHandCursor = use;
}

void ucDateTimePicker::SetShowNonMonthDays(bool show) {
  if (show == m_ShowNonMonthDays) return;
  m_ShowNonMonthDays = show;
  FillDays(0, 0);
  PaintCells();
}

void ucDateTimePicker::SetEnabled(bool enabled) {
  if (enabled == m_Enabled) return;
  m_Enabled = enabled;
  if (enabled) {
    picDrop_->SetState(kStateNormal);
    borderColour_ = themeColour_;
  } else {
    picDrop_->SetState(kStateDisabled);
    CloseAll();
    borderColour_ = ToQColor(kButtonFace);
  }
  text1_->setEnabled(enabled);
  DrawDropButton();
  update();
}

void ucDateTimePicker::SetFont(const QFont& font) {
  setFont(font);
  // The panel and the list are windows of their own, which take no font from the picker.
  panel_->setFont(font);
  monthList_->setFont(font);
  DrawOkToday();
}

int ucDateTimePicker::CurrentTheme() const {
  return CurrentSchemeCode();
}

// --- Saved data ---

void ucDateTimePicker::ReadProperties(const PropertyBag& bag, bool live) {
  ApplyThemeMode();
  ApplyColours();
  if (live) InstallHooks();
  SetFirstDayOfWeek(ReadInt(bag, kFirstDayOfWeekKey, kSavedFirstDayOfWeek));
  SetShortDayNames(ReadBool(bag, kShortDayNamesKey, kSavedShortDayNames));
  SetDescriptionFormat(bag.ReadProperty(kDescriptionFormatKey, QString()).toString());
  SetUseHandCursor(ReadBool(bag, kUseHandCursorKey, kSavedUseHandCursor));
  bool isNumber = false;
  const double date = bag.ReadProperty(kDateSelectedKey, Today()).toDouble(&isNumber);
  SetDateSelected(isNumber && InDateRange(date) ? date : Today());
  SetShowNonMonthDays(ReadBool(bag, kShowNonMonthDaysKey, kSavedShowNonMonthDays));
  SetEnabled(ReadBool(bag, kEnabledKey, kSavedEnabled));
  const QFont hostFont = HostWidget() != nullptr ? HostWidget()->font() : QApplication::font();
  const QVariant font = bag.ReadProperty(kFontKey, hostFont);
  SetFont(font.metaType().id() == QMetaType::QFont ? font.value<QFont>() : hostFont);
  PrepareCalendar();
  InitMonthList();
  LayoutDropButton();
}

void ucDateTimePicker::WriteProperties(PropertyBag& bag) {
  bag.WriteProperty(kFirstDayOfWeekKey, m_FirstDayOfWeek, kSavedFirstDayOfWeek);
  bag.WriteProperty(kShortDayNamesKey, m_ShortDayNames, kSavedShortDayNames);
  bag.WriteProperty(kDescriptionFormatKey, DescriptionFormat(), QString());
  bag.WriteProperty(kUseHandCursorKey, m_UseHandCursor, kSavedUseHandCursor);
  bag.WriteProperty(kDateSelectedKey, m_DateSelected, Today());
  bag.WriteProperty(kShowNonMonthDaysKey, m_ShowNonMonthDays, kSavedShowNonMonthDays);
  bag.WriteProperty(kEnabledKey, m_Enabled, kSavedEnabled);
  const QFont hostFont = HostWidget() != nullptr ? HostWidget()->font() : QApplication::font();
  bag.WriteProperty(kFontKey, font(), hostFont);
}

// --- The edit line ---

QString ucDateTimePicker::FormatDate(plat::TDateTime date, const QString& pattern) const {
  return QLocale().toString(DayOf(date), ToQtPattern(pattern));
}

QString ucDateTimePicker::FormatSelected() {
  return FormatDate(m_DateSelected, DescriptionFormat());
}

bool ucDateTimePicker::TryReadDate(const QString& text, plat::TDateTime& date) {
  const QString trimmed = text.trimmed();
  QDate day = QLocale().toDate(trimmed, ToQtPattern(DescriptionFormat()));
  if (!day.isValid()) day = QDate::fromString(trimmed, QStringLiteral("M/d/yyyy"));
  if (!day.isValid()) day = QDate::fromString(trimmed, Qt::ISODate);
  if (!day.isValid() || day.year() < 1 || day.year() > 9999) return false;
  date = DateFromDay(day);
  return true;
}

void ucDateTimePicker::CommitText() {
  plat::TDateTime typed = 0;
  SetDateSelected(TryReadDate(text1_->text(), typed) ? typed : m_HighlightedDate);
  text1_->setText(FormatSelected());
}

bool ucDateTimePicker::TextKey(QKeyEvent* key) {
  if (!m_Enabled) return false;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      plat::TDateTime typed = 0;
      if (!m_bDropDownOpen || !TryReadDate(text1_->text(), typed)) {
        CommitText();
      } else if (DayOf(typed) == DayOf(m_HighlightedDate)) {
        ConfirmHighlighted();
      } else {
        SetHighlighted(typed);
      }
      return true;
    }
    case Qt::Key_Up:
      if (m_bDropDownOpen) CloseAll();
      return true;
    case Qt::Key_Down:
      if (m_bDropDownOpen) {
        picDrop_->setFocus(Qt::OtherFocusReason);
      } else {
        DropDown();
      }
      return true;
    default:
      return false;
  }
}

bool ucDateTimePicker::FocusInside() const {
  const QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return false;
  const QWidget* inside[] = {panel_->picToday, panel_->btnToday, panel_->picOK, panel_->btnOK,
                             picDrop_,         btnDrop_,         text1_,        monthList_};
  return std::find(std::begin(inside), std::end(inside), focus) != std::end(inside);
}

void ucDateTimePicker::CloseIfFocusGone() {
  if (!FocusInside()) CloseAll();
}

// --- The drop button ---

QWidget* ucDateTimePicker::picDrop() const {
  return picDrop_;
}

int ucDateTimePicker::DropState() const {
  return picDrop_->State();
}

void ucDateTimePicker::DropClick() {
  if (!m_Enabled) return;
  if (m_bDropDownOpen) {
    CloseAll();
    text1_->setFocus(Qt::OtherFocusReason);
  } else {
    DropDown();
  }
}

void ucDateTimePicker::DropHover(QMouseEvent* mouse) {
  if (!m_Enabled) return;
  picDrop_->SetState((mouse->buttons() & Qt::LeftButton) ? kStatePressed : kStateHot);
}

bool ucDateTimePicker::DropKey(QKeyEvent* key) {
  if (m_bDropDownOpen) return PanelKey(key);
  if (!m_Enabled || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
      IsModifierOnly(key->key())) {
    return false;
  }
  DropDown();
  return true;
}

bool ucDateTimePicker::DropEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::FocusIn:
      // Tabbing passes over the drop button: only a click or the open panel keeps the focus here.
      if (!m_bDropDownOpen && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        const bool back = static_cast<QFocusEvent*>(event)->reason() == Qt::BacktabFocusReason;
        QCoreApplication::postEvent(
            picDrop_, new QKeyEvent(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                                    back ? Qt::ShiftModifier : Qt::NoModifier));
      }
      return false;
    case QEvent::FocusOut:
      CloseIfFocusGone();
      return false;
    case QEvent::KeyPress:
      return DropKey(static_cast<QKeyEvent*>(event));
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
      DropHover(static_cast<QMouseEvent*>(event));
      return false;
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (m_Enabled) picDrop_->SetState(kStateHot);
      if (mouse->button() == Qt::LeftButton &&
          picDrop_->rect().contains(mouse->position().toPoint()))
        DropClick();
      return false;
    }
    default:
      return false;
  }
}

// --- Layout, theme and colours ---

void ucDateTimePicker::resizeEvent(QResizeEvent*) {
  LayoutEditLine();
}

void ucDateTimePicker::LayoutEditLine() {
  if (height() != kHeight) resize(width(), kHeight);
  const int textHeight = std::min(kHeight - 4, text1_->sizeHint().height());
  text1_->setGeometry(kTextLeft, (kHeight - textHeight) / 2, std::max(0, width() - 2 * kTextLeft),
                      textHeight);
  LayoutDropButton();
}

void ucDateTimePicker::LayoutDropButton() {
  picDrop_->setGeometry(width() - (2 + kDropSide), (kHeight - kDropSide) / 2, kDropSide, kDropSide);
  picDrop_->raise();
  if (m_bThemed) {
    btnDrop_->hide();
    DrawDropButton();
  } else {
    btnDrop_->setGeometry(picDrop_->rect());
    btnDrop_->show();
  }
}

void ucDateTimePicker::DrawDropButton() {
  if (m_bThemed) picDrop_->update();
}

void ucDateTimePicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(kBackground));
  painter.setPen(borderColour_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ucDateTimePicker::ApplyThemeMode() {
  m_bThemed = VisualStyleActive();
  panel_->btnOK->setVisible(!m_bThemed);
  panel_->btnToday->setVisible(!m_bThemed);
  panel_->picOK->setVisible(m_bThemed);
  panel_->picToday->setVisible(m_bThemed);
  if (m_bThemed) {
    panel_->picOK->SetState(kStateNormal);
    panel_->picToday->SetState(kStateNormal);
    DrawOkToday();
  }
}

void ucDateTimePicker::ApplyColours() {
  SetBackground(this, ToQColor(kBackground));
  SetBackground(text1_, ToQColor(kBackground));
  themeColour_ = ToQColor(ThemeColourOf(CurrentTheme()));
  panel_->SetThemeColour(themeColour_);
  borderColour_ = m_Enabled ? themeColour_ : ToQColor(kButtonFace);
  update();
}

void ucDateTimePicker::ApplyColourChange() {
  ApplyColours();
  ApplyThemeMode();
  LayoutDropButton();
  PaintCells();
}

void ucDateTimePicker::SetHandCursor(QWidget* over) {
  if (m_UseHandCursor) {
    over->setCursor(Qt::PointingHandCursor);
  } else {
    over->unsetCursor();
  }
}

// --- Hooks ---

void ucDateTimePicker::InstallHooks() {
  if (hook_) return;
  hook_ = std::make_unique<MessageHook>(*this);
  QWidget* form = window();
  hook_->HookWindow(form);
  hook_->HookMessage(form, QEvent::Move, MessageHook::kAfter);
  hook_->HookMessage(form, QEvent::MouseButtonPress, MessageHook::kBefore);
  hook_->HookMessage(form, QEvent::Resize, MessageHook::kBefore);
  hook_->HookMessage(form, MessageHook::MoveResizeEnded(), MessageHook::kAfter);
  for (const QEvent::Type type : {QEvent::PaletteChange, QEvent::StyleChange, QEvent::ThemeChange})
    hook_->HookMessage(form, type, MessageHook::kAfter);
  if (m_bThemed) {
    for (QWidget* button : {static_cast<QWidget*>(panel_->picOK),
                            static_cast<QWidget*>(panel_->picToday), picDrop()}) {
      hook_->HookWindow(button);
      hook_->HookMessage(button, QEvent::Leave, MessageHook::kAfter);
    }
  }
  hook_->HookWindow(this);
  hook_->HookMessage(this, QEvent::Hide, MessageHook::kAfter);
}

void ucDateTimePicker::zSubclass_Proc(bool, bool&, int&, QWidget* widget, QEvent* event) {
  const int type = event->type();
  if (widget == window() && widget != this) {
    if (type == QEvent::Move) {
      HideMonthList();
      PlaceCalendar();
    } else if (type == QEvent::MouseButtonPress || type == QEvent::Resize) {
      CloseAll();
    } else if (type == MessageHook::MoveResizeEnded()) {
      PlaceCalendar();
    } else if (type == QEvent::PaletteChange || type == QEvent::StyleChange ||
               type == QEvent::ThemeChange) {
      ApplyColourChange();
    }
  } else if (widget == this) {
    if (type == QEvent::Hide && m_bDropDownOpen) CloseAll();
  } else if (type == QEvent::Leave && m_Enabled) {
    if (widget == panel_->picOK || widget == panel_->picToday) {
      panel_->picOK->SetState(kStateNormal);
      panel_->picToday->SetState(kStateNormal);
    } else if (widget == picDrop_) {
      picDrop_->SetState(kStateNormal);
    }
  }
}

bool ucDateTimePicker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text1_) {
    if (event->type() == QEvent::KeyPress) return TextKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut) {
      CommitText();
      CloseIfFocusGone();
    }
    return false;
  }
  if (watched == picDrop_) return DropEvent(event);
  return CalendarEvent(watched, event);
}

}  // namespace velmora
