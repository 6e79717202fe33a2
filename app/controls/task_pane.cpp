#include "app/controls/task_pane.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QUrl>
#include <limits>

#include "app/controls/desktop_theme.h"
#include "app/controls/image_list.h"
#include "app/controls/property_bag.h"
#include "app/controls/task_pane_colours.h"
#include "app/controls/task_pane_strip.h"
#include "platform/graphics/system_colors.h"

namespace velmora {
namespace {

constexpr int16_t kMaxCount = std::numeric_limits<int16_t>::max();

using namespace pane_colours;

const char* const kErrorCaption = "ucTaskPane";
const char* const kErrorLead = "An Error has ocurred!\r\n";

const QString kFontNameKey = QStringLiteral("FontName");
const QString kFontCharsetKey = QStringLiteral("FontCharset");
const QString kUxThemeTextKey = QStringLiteral("UxThemeText");

QRect EdgesRect(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

// A caption on one line, vertically centred, cut at a word with an ellipsis when too long.
void DrawCaption(QPainter& painter, const QRect& rect, const QString& caption) {
  const QString shown = painter.fontMetrics().elidedText(caption, Qt::ElideRight, rect.width());
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

// The item colour of a drawing state, or nothing to keep the current one.
std::optional<QColor> ItemColour(int state) {
  switch (state) {
    case 1:
      return SysColour(kButtonText);
    case 2:
      return SysColour(kHighlight);
    case 3:
      return SysColour(kGradientActiveCaption);
    case 4:
      return SysColour(kGreyText);
    default:
      return std::nullopt;
  }
}

// The plain expand button: a frame raised when hot, sunken when pressed, invisible otherwise,
// around two chevrons pointing up (expanded) or down.
void DrawPlainButton(QPainter& painter, QPoint at, int state, bool expanded, const QColor& neutral,
                     const QColor& chevrons) {
  QColor a = neutral, b = neutral;
  if (state == 3) {
    a = SysColour(kButtonHighlight);
    b = SysColour(kButtonShadow);
  } else if (state == 2) {
    a = SysColour(kButtonShadow);
    b = SysColour(kButtonHighlight);
  }
  painter.save();
  painter.translate(at);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(a);
  painter.drawLine(4, 20, 20, 20);
  painter.drawLine(20, 4, 20, 20);
  painter.setPen(b);
  painter.drawLine(4, 4, 4, 20);
  painter.drawLine(4, 4, 20, 4);
  painter.setPen(chevrons);
  for (const int shift : {0, 4}) {
    if (expanded) {
      painter.drawLine(9, 11 + shift, 13, 7 + shift);
      painter.drawLine(10, 11 + shift, 13, 8 + shift);
      painter.drawLine(15, 11 + shift, 11, 7 + shift);
      painter.drawLine(14, 11 + shift, 11, 8 + shift);
    } else {
      painter.drawLine(9, 8 + shift, 13, 12 + shift);
      painter.drawLine(10, 8 + shift, 13, 11 + shift);
      painter.drawLine(15, 8 + shift, 11, 12 + shift);
      painter.drawLine(14, 8 + shift, 11, 11 + shift);
    }
  }
  painter.restore();
}

// An object's class name without its namespace.
QString TypeName(const QObject& object) {
  const QString name = QString::fromLatin1(object.metaObject()->className());
  const qsizetype cut = name.lastIndexOf(QLatin1String("::"));
  return cut < 0 ? name : name.mid(cut + 2);
}

// A stored number, or nothing when the value is absent or no number.
std::optional<int> StoredNumber(const QVariant& value) {
  if (!value.isValid()) return std::nullopt;
  if (value.metaType().id() == QMetaType::Bool) return value.toBool() ? -1 : 0;
  bool isNumber = false;
  const double number = value.toDouble(&isNumber);
  // Written so that a value that is not a number (NaN) fails too.
  if (!isNumber ||
      !(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  return static_cast<int>(number);
}

}  // namespace

QString PaneArg::ToText() const {
  return std::visit(
      [](const auto& value) -> QString {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>) {
          return value;
        } else {
          return QString::number(value);
        }
      },
      value_);
}

ucTaskPane::ucTaskPane(QWidget* parent, bool userMode) : QWidget(parent), userMode_(userMode) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  WatchContainer(parent);
  m_ScrollBar = new QScrollBar(Qt::Vertical, this);
  m_ScrollBar->hide();
  connect(m_ScrollBar, &QScrollBar::valueChanged, this, [this](int value) {
    m_iScrollValue = static_cast<int16_t>(value);
    Repaint();
  });
  textColour_ = SysColour(kButtonText);
  sink_ = [this](const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, this);
    box.exec();
  };
}

ucTaskPane::~ucTaskPane() {
  hook_.reset();
  WatchContainer(nullptr);
}

void ucTaskPane::Refresh() {
  Repaint();
}

// --- Stored properties and lifecycle ---

void ucTaskPane::ReadProperties(const PropertyBag& bag) {
  DockLeft();
  const QString containerFont = (container_ ? container_->font() : QApplication::font()).family();
  const QString name = bag.ReadProperty(kFontNameKey, containerFont).toString();
  SetFont(QFont(!name.isEmpty() && QFontDatabase::hasFamily(name) ? name : containerFont));
  // An absent character set keeps the one the pane has; a damaged one reads as 0.
  if (bag.Contains(kFontCharsetKey)) {
    const int charset = StoredNumber(bag.ReadProperty(kFontCharsetKey)).value_or(0);
    m_iFontCharset = charset == static_cast<int16_t>(charset) ? static_cast<int16_t>(charset) : 0;
  }
  SetUseUxThemeText(StoredNumber(bag.ReadProperty(kUxThemeTextKey)).value_or(-1) != 0);
  if (userMode_) InstallHook();
}

void ucTaskPane::WriteProperties(PropertyBag& bag) const {
  bag.WriteProperty(kFontNameKey, font().family(), QString::fromLatin1(kDefaultFontName));
  bag.WriteProperty(kFontCharsetKey, int{m_iFontCharset});
  bag.WriteProperty(kUxThemeTextKey, m_bUseUxThemeText, true);
}

void ucTaskPane::InstallHook() {
  if (hook_) return;
  hook_ = std::make_unique<MessageHook>(*this);
  hook_->HookWindow(this);
  for (const QEvent::Type type :
       {QEvent::ThemeChange, QEvent::StyleChange, QEvent::PaletteChange, QEvent::Wheel}) {
    hook_->HookMessage(this, type, MessageHook::kAfter);
  }
}

void ucTaskPane::zSubclass_Proc(bool, bool&, int&, QWidget*, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    Wheel(*static_cast<QWheelEvent*>(event));
    return;
  }
  // A colour or theme change: the scheme is read again by the repaint.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  Repaint();
}

// The pane stands at its container's left edge and takes the container's height, also when
// the container is resized later.
void ucTaskPane::DockLeft() {
  dockedLeft_ = true;
  if (container_) setGeometry(0, 0, width(), container_->height());
}

void ucTaskPane::WatchContainer(QWidget* container) {
  if (container_) container_->removeEventFilter(this);
  container_ = container;
  if (container_) container_->installEventFilter(this);
}

bool ucTaskPane::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange) WatchContainer(parentWidget());
  return QWidget::event(event);
}

bool ucTaskPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == container_) {
    if (event->type() == QEvent::Resize && dockedLeft_) DockLeft();
    if (event->type() == QEvent::FontChange) Repaint();
    return false;
  }
  if (auto* panel = qobject_cast<QWidget*>(watched)) return ChildEvent(panel, event);
  return false;
}

void ucTaskPane::showEvent(QShowEvent*) {
  m_bUpdates = true;
  Repaint();
}

// --- Layout and painting ---

void ucTaskPane::resizeEvent(QResizeEvent*) {
  Repaint();
}

void ucTaskPane::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), canvas_, event->rect());
}

void ucTaskPane::Invalidate(const BarRect& rect) {
  update(rect.ToQRect());
}

void ucTaskPane::SetBold(bool bold) {
  paintFont_.setBold(bold);
}

void ucTaskPane::SetUnderline(bool underline) {
  paintFont_.setUnderline(underline);
}

int ucTaskPane::MeasureText(int left, int right, const QString& text) {
  const QFontMetrics metrics(paintFont_);
  return metrics
      .boundingRect(QRect(left, 0, std::max(1, right - left), height()), Qt::TextWordWrap, text)
      .height();
}

TextMeasurer ucTaskPane::Measurer() {
  return {[this](const QString& text, bool bold) {
            QFont font = paintFont_;
            font.setBold(bold);
            return QFontMetrics(font).horizontalAdvance(text);
          },
          [this](int left, int right, const QString& text, bool bold) {
            SetBold(bold);
            return MeasureText(left, right, text);
          }};
}

void ucTaskPane::ApplyLayout(const PaneLayout& layout) {
  m_lUsableWidth = layout.usableWidth;
  m_rcDetailsText = layout.detailsText;
  const QSignalBlocker quiet(m_ScrollBar);
  m_ScrollBar->setGeometry(width() - m_ScrollBar->sizeHint().width(), 0,
                           m_ScrollBar->sizeHint().width(), height());
  m_ScrollBar->setSingleStep(4);
  m_ScrollBar->setPageStep(height());
  m_ScrollBar->setRange(0, layout.scrollMaximum);
  m_ScrollBar->setVisible(layout.scrollBarVisible);
  m_iScrollValue = layout.scrollValue;
  m_ScrollBar->setValue(m_iScrollValue);
}

void ucTaskPane::Repaint() {
  if (!m_bUpdates || width() <= 0 || height() <= 0) return;
  ++fullRepaints_;
  if (canvas_.size() != size()) canvas_ = QImage(size(), QImage::Format_RGB32);
  paintFont_ = font();
  SetBold(false);
  PaneGeometry geometry;
  geometry.fullWidth = width();
  geometry.fullHeight = height();
  geometry.scrollBarWidth = m_ScrollBar->sizeHint().width();
  geometry.scrollBarVisible = m_ScrollBar->isVisibleTo(this);
  geometry.scrollValue = m_iScrollValue;
  geometry.paneVisible = isVisible();
  geometry.updates = m_bUpdates;
  ApplyLayout(ArrangePane(model_, geometry, Measurer()));
  SetBold(false);

  DetectScheme();
  DrawPaneBackground();
  if (model_.m_bSpecialGroup) {
    DrawSpecialHeader();
    BarGroup& special = model_.m_SpecialGroup;
    if (special.bExpanded) {
      {
        QPainter painter(&canvas_);
        DrawBody(painter, special, true);
      }
      for (int i = 1; i <= special.iItemCount; ++i) DrawItem(kSpecialGroupCode, i, 0);
    }
  }
  for (int n = 1; n <= model_.m_GroupCount; ++n) {
    BarGroup& group = model_.m_Groups[static_cast<size_t>(n)];
    DrawGroupHeader(n);
    if (group.pChild) {
      if (group.bExpanded) {
        PaintChild(group);
      } else {
        group.pChild->hide();
      }
      continue;
    }
    if (!group.bExpanded) continue;
    {
      QPainter painter(&canvas_);
      DrawBody(painter, group, false);
    }
    for (int i = 1; i <= group.iItemCount; ++i) DrawItem(n, i, 0);
  }
  if (model_.m_bDetailsGroup) {
    DrawDetailsHeader();
    if (model_.m_DetailsGroup.bExpanded) DrawDetailsBody();
  }
  update();
}

// --- Colour schemes ---

void ucTaskPane::DetectScheme() {
  m_sScheme = VisualStyleActive() ? ColorSchemeName() : QStringLiteral("Classic");
}

bool ucTaskPane::DrawThemePart(QPainter& painter) {
  DrawRequest& request = m_DrawRequest;
  request.bThemed = false;
  if (m_sScheme == QLatin1String("Classic")) return false;
  request.bThemed = true;
  const QRect& r = request.rect;
  painter.save();
  painter.setClipRect(r);
  const bool drawn = DrawExplorerBarPart(painter, this, request.lPart, request.lState, r);
  painter.restore();
  if (!drawn) {
    request.bThemed = false;
    return false;
  }
  if (!request.sText.isEmpty()) {
    const QRect content = ExplorerBarContentRect(request.lPart, r);
    const QRect caption = EdgesRect(content.left() + request.lTextIndent, r.top(),
                                    r.left() + r.width() - request.lTextMargin, r.bottom() + 1);
    const bool specialHead = request.lPart == kSpecialGroupHead;
    painter.setFont(paintFont_);
    if (m_bUseUxThemeText) {
      const QString shown =
          painter.fontMetrics().elidedText(request.sText, Qt::ElideRight, caption.width());
      style()->drawItemText(&painter, caption, Qt::AlignLeft | Qt::AlignVCenter, palette(), true,
                            shown, specialHead ? QPalette::HighlightedText : QPalette::ButtonText);
    } else {
      const QColor highlight = palette().color(QPalette::Highlight);
      QColor colour = request.lState == kStateNormal
                          ? highlight
                          : ToQColor(SoftColor(plat::RGB(static_cast<uint8_t>(highlight.red()),
                                                         static_cast<uint8_t>(highlight.green()),
                                                         static_cast<uint8_t>(highlight.blue()))));
      if (specialHead) colour = palette().color(QPalette::HighlightedText);
      painter.setPen(colour);
      DrawCaption(painter, caption, request.sText);
    }
    textColour_ = SysColour(kButtonText);
  }
  update(r);
  return true;
}

void ucTaskPane::SetRequest(int part, int state, const QRect& rect, const QString& text,
                            int indent) {
  m_DrawRequest.lPart = part;
  m_DrawRequest.lState = state;
  m_DrawRequest.rect = rect;
  m_DrawRequest.sText = text;
  m_DrawRequest.lTextIndent = indent;
}

void ucTaskPane::DrawPaneBackground() {
  QPainter painter(&canvas_);
  if (m_sScheme == QLatin1String("Classic")) {
    m_DrawRequest.bThemed = false;
    painter.fillRect(canvas_.rect(), SysColour(kWindow));
    return;
  }
  SetRequest(kPaneBackground, kStateNormal, canvas_.rect(), QString(), 32);
  DrawThemePart(painter);
}

std::optional<ucTaskPane::HandLook> ucTaskPane::HandHeaderLook(const BarGroup& group,
                                                               bool special) const {
  const bool metallic = m_sScheme == QLatin1String("Metallic");
  const bool homestead = m_sScheme == QLatin1String("HomeStead");
  if (metallic && special) {
    return HandLook{QColor(119, 119, 146), QColor(180, 182, 199), 36,
                    SysColour(group.bHot ? kButtonFace : kButtonHighlight)};
  }
  if (metallic) {
    return HandLook{Qt::white, QColor(214, 215, 224), 12,
                    SysColour(group.bHot ? kDarkShadow : kButtonText)};
  }
  if (homestead && !special) {
    return HandLook{QColor(255, 252, 236), QColor(224, 231, 184), 12,
                    SysColour(group.bHot ? kHighlight : kDarkShadow)};
  }
  return std::nullopt;
}

std::optional<int> ucTaskPane::StripRow(bool special) const {
  if (m_sScheme == QLatin1String("Metallic")) return 0;
  if (m_sScheme == QLatin1String("HomeStead") && !special) return 1;
  return std::nullopt;
}

void ucTaskPane::DrawHeader(BarGroup& group, bool special, int plainIndent) {
  SetUnderline(false);
  SetBold(true);
  QPainter painter(&canvas_);
  painter.setFont(paintFont_);
  const BarRect& r = group.rcHeader;
  if (const std::optional<HandLook> look = HandHeaderLook(group, special)) {
    // Three passes of the gradient leave the two top corners cut off by two pixels.
    FillGradient(painter, look->from, look->to, 0, r.left + 2, r.top, r.Width() - 4, r.Height());
    FillGradient(painter, look->from, look->to, 0, r.left + 1, r.top + 1, r.Width() - 2,
                 r.Height() - 1);
    FillGradient(painter, look->from, look->to, 0, r.left, r.top + 2, r.Width(), r.Height() - 2);
    painter.setPen(look->caption);
    DrawCaption(painter, EdgesRect(r.left + look->indent, r.top, r.right - 25, r.bottom),
                group.sCaption);
    textColour_ = SysColour(kButtonText);
    SetUnderline(true);
    SetBold(false);
  } else {
    SetRequest(special ? kSpecialGroupHead : kNormalGroupHead, group.iState, r.ToQRect(),
               group.sCaption, special ? 36 : 0);
    DrawThemePart(painter);
  }
  if (!m_DrawRequest.bThemed) {
    painter.fillRect(r.ToQRect(), SysColour(special ? kHighlight : kButtonFace));
    painter.setPen(SysColour(special ? kHighlightText : kButtonText));
    DrawCaption(painter, EdgesRect(r.left + plainIndent, r.top, r.right - 25, r.bottom),
                group.sCaption);
    textColour_ = special ? QColor(Qt::black) : SysColour(kButtonText);
  }
  DrawExpandButton(painter, group, special);
  if (special && !model_.m_SpecialIcon.isNull()) {
    painter.drawPixmap(QRect(12, r.top - 8, 32, 32), model_.m_SpecialIcon);
  }
  Invalidate(r);
  if (special) update(QRect(12, r.top - 8, 32, 32));
}

void ucTaskPane::DrawExpandButton(QPainter& painter, const BarGroup& group, bool special) {
  const QPoint at(m_lUsableWidth - 32, group.rcHeader.top);
  if (const std::optional<int> row = StripRow(special)) {
    painter.drawImage(
        at + QPoint(4, 4), ButtonStrip(),
        QRect(StripCell(*row, special, group.bExpanded), QSize(kStripCell, kStripCell)));
  } else {
    const int collapsed = special ? kSpecialGroupExpand : kNormalGroupExpand;
    SetRequest(group.bExpanded ? collapsed - 1 : collapsed, group.iState, QRect(at, QSize(24, 24)),
               QString(), 0);
    DrawThemePart(painter);
  }
  if (!m_DrawRequest.bThemed) {
    DrawPlainButton(painter, at, group.iState, group.bExpanded,
                    SysColour(special ? kHighlight : kButtonFace),
                    SysColour(special ? kWindow : kButtonText));
  }
  update(QRect(at, QSize(24, 24)));
}

void ucTaskPane::DrawGroupHeader(int n) {
  if (n < 1 || n > model_.m_GroupCount) return;
  DrawHeader(model_.m_Groups[static_cast<size_t>(n)], false, 12);
}

void ucTaskPane::DrawSpecialHeader() {
  DrawHeader(model_.m_SpecialGroup, true, 36);
}

void ucTaskPane::DrawDetailsHeader() {
  DrawHeader(model_.m_DetailsGroup, false, 4);
}

void ucTaskPane::DrawBody(QPainter& painter, const BarGroup& group, bool special) {
  const QRect body(group.rcHeader.left, group.rcHeader.bottom, group.rcHeader.Width(),
                   group.lBodyHeight);
  const bool metallic = m_sScheme == QLatin1String("Metallic");
  if (metallic || m_sScheme == QLatin1String("HomeStead")) {
    painter.fillRect(body.adjusted(0, 0, -1, 0),
                     metallic ? QColor(240, 241, 245) : QColor(246, 246, 236));
    painter.setPen(Qt::white);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(body.adjusted(0, 0, -2, -1));
  } else {
    SetRequest(special ? kSpecialGroupBody : kNormalGroupBody, kStateNormal, body, QString(), 0);
    DrawThemePart(painter);
  }
  if (!m_DrawRequest.bThemed) {
    painter.setPen(SysColour(special ? kHighlight : kButtonFace));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(body.adjusted(0, 0, -1, -1));
  }
  if (special && !model_.m_SpecialBackground.isNull()) {
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawPixmap(body.adjusted(1, 1, -1, -1), model_.m_SpecialBackground);
    painter.restore();
  }
  update(body);
}

plat::TColor ucTaskPane::SoftColor(plat::TColor lColor) const {
  const auto soften = [](int v) { return static_cast<uint8_t>(v + 76 - 19 * ((v + 32) / 64)); };
  return plat::RGB(soften(plat::GetRValue(lColor)), soften(plat::GetGValue(lColor)),
                   soften(plat::GetBValue(lColor)));
}

void ucTaskPane::Long2RGB(plat::TColor nColor, int& Red, int& Green, int& Blue) {
  Red = static_cast<int>(nColor & 0xFF);
  Green = static_cast<int>((nColor & 0xFF00) / 256);
  Blue = static_cast<int>((nColor & 0xFF0000) / 65536);
}

void ucTaskPane::FillGradient(QPainter& painter, const QColor& from, const QColor& to,
                              int DrawHorVer, int Left, int Top, int Width, int Height) {
  if (Width <= 0 || Height <= 0) return;
  QLinearGradient gradient(Left, Top, DrawHorVer == 0 ? Left + Width : Left,
                           DrawHorVer == 0 ? Top : Top + Height);
  gradient.setColorAt(0, from);
  gradient.setColorAt(1, to);
  painter.fillRect(QRect(Left, Top, Width, Height), gradient);
}

bool ucTaskPane::DoGradient(plat::TColor FromColor, plat::TColor ToColor, int DrawHorVer, int Left,
                            int Top, int Width, int Height) {
  if (canvas_.isNull()) return false;
  QPainter painter(&canvas_);
  FillGradient(painter, ToQColor(FromColor), ToQColor(ToColor), DrawHorVer, Left, Top, Width,
               Height);
  update(Left, Top, Width, Height);
  return true;
}

void ucTaskPane::DrawDetailsBody() {
  const BarGroup& group = model_.m_DetailsGroup;
  const int sw = width();
  const int top = group.rcHeader.bottom;
  const bool image = !model_.m_DetailsImage.isNull();
  QPainter painter(&canvas_);
  DrawBody(painter, group, false);
  SetUnderline(false);
  SetBold(true);
  painter.setFont(paintFont_);
  painter.setPen(textColour_);
  const QRect title =
      image ? EdgesRect(m_rcDetailsText.left, top + 11 + sw - 128, sw - 128, top + 11 + sw)
            : EdgesRect(m_rcDetailsText.left, top + 11, sw - 32, top + 68);
  painter.drawText(title, Qt::TextWordWrap, model_.m_sDetailsTitle);
  SetBold(false);
  painter.setFont(paintFont_);
  painter.drawText(m_rcDetailsText.ToQRect(), Qt::TextWordWrap, model_.m_sDetailsText);
  Invalidate(m_rcDetailsText);
  if (image) {
    const QRect square(64, top + 8, sw - 128, sw - 128);
    painter.drawPixmap(square, model_.m_DetailsImage);
    update(square);
  }
}

void ucTaskPane::DrawItem(int code, int i, int state) {
  BarGroup* group = code == kSpecialGroupCode ? &model_.m_SpecialGroup : GroupOf(code, false);
  if (group == nullptr || code == 0 || i < 1 || i > group->iItemCount) return;
  const BarItem& item = group->Items[static_cast<size_t>(i)];
  if (const std::optional<QColor> colour = ItemColour(state)) textColour_ = *colour;
  SetUnderline(true);
  SetBold(false);
  QPainter painter(&canvas_);
  DrawItemText(painter,
               {item.rcItem.left + 20, item.rcItem.top, m_lUsableWidth - 12, item.rcItem.bottom},
               item.sCaption);
  const auto* list = qobject_cast<const ImageList*>(m_ImageList.data());
  if (m_ImageListKind == kKeyedImageList && list != nullptr) {
    const QPixmap icon = list->Picture(item.iIcon);
    if (!icon.isNull()) {
      const QRect place(item.rcItem.left, item.rcItem.top, 16, 16);
      painter.drawPixmap(place, icon);
      update(place);
      // Only a drawn icon puts the text colour back; without one a hover colour stays.
      textColour_ = SysColour(kButtonText);
    }
  }
}

void ucTaskPane::DrawItemText(QPainter& painter, BarRect rect, const QString& text) {
  rect.bottom = rect.top + MeasureText(rect.left, rect.right, text);
  painter.setFont(paintFont_);
  painter.setPen(textColour_);
  painter.drawText(rect.ToQRect(), Qt::TextWordWrap, text);
  Invalidate(rect);
}

PaneStatus ucTaskPane::AddGroup(const QString& sKey, const QString& sCaption, int16_t,
                                const QPixmap&, const QPixmap&, int32_t) {
  if (model_.m_GroupCount == kMaxCount) return PaneStatus::kOverflow;
  BarGroup group;
  group.sKey = sKey;
  group.sCaption = sCaption;
  model_.m_Groups.push_back(std::move(group));
  ++model_.m_GroupCount;
  Repaint();
  return PaneStatus::kOk;
}

PaneStatus ucTaskPane::AddItem(const PaneArg& Group, const QString& sKey, const QString& sCaption,
                               const std::optional<PaneArg>& iIcon) {
  const int16_t icon = iIcon ? GetIconIndex(*iIcon) : int16_t{-1};
  const int16_t code = GetGroupsByKeyN(Group);
  if (code == kDetailsGroupCode || code == kNoGroupCode || code == 0) return PaneStatus::kOk;
  BarGroup* group = code == kSpecialGroupCode ? &model_.m_SpecialGroup : GroupOf(code, false);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  if (group->iItemCount == kMaxCount) return PaneStatus::kOverflow;
  BarItem item;
  item.sGroup = code == kSpecialGroupCode ? kSpecialGroupKey : Group.ToText();
  item.sKey = sKey;
  item.iIndex = static_cast<int16_t>(group->iItemCount + 1);
  item.sCaption = sCaption;
  item.iIcon = icon;
  group->Items.push_back(std::move(item));
  ++group->iItemCount;
  Repaint();
  return PaneStatus::kOk;
}

void ucTaskPane::SetImageList(QObject* ImageListObj) {
  m_ImageList = ImageListObj;
  if (qobject_cast<ImageList*>(ImageListObj) != nullptr) {
    m_ImageListKind = kKeyedImageList;
  } else if (ImageListObj != nullptr && TypeName(*ImageListObj) == QLatin1String("ExtImageList")) {
    m_ImageListKind = kExtImageList;
  } else {
    m_ImageListKind = kNoImageList;
  }
}

void ucTaskPane::AddSpecialGroup(const QString& Caption, const std::optional<QPixmap>& Icon,
                                 const std::optional<QPixmap>& background) {
  model_.m_bSpecialGroup = true;
  model_.m_SpecialGroup.sCaption = Caption;
  model_.m_SpecialGroup.sKey = kSpecialGroupKey;
  model_.m_SpecialGroup.bExpanded = true;
  if (Icon) model_.m_SpecialIcon = *Icon;
  if (background) model_.m_SpecialBackground = *background;
  Repaint();
}

void ucTaskPane::HideSpecialGroup() {
  model_.m_bSpecialGroup = false;
  Repaint();
  repaint();
}

void ucTaskPane::AddDetailsGroup(const QString& Caption, const QString& sTittle,
                                 const QString& sDetails) {
  model_.m_bDetailsGroup = true;
  model_.m_DetailsGroup.sCaption = Caption;
  model_.m_DetailsGroup.sKey = kDetailsGroupKey;
  model_.m_sDetailsTitle = sTittle;
  model_.m_sDetailsText = sDetails;
  model_.m_DetailsGroup.bExpanded = true;
  Repaint();
}

void ucTaskPane::SetDetailsText(const QString& sDetails) {
  model_.m_sDetailsText = sDetails;
  model_.m_DetailsGroup.bExpanded = true;
  Repaint();
}

void ucTaskPane::HideDetailsGroup() {
  model_.m_bDetailsGroup = false;
  Repaint();
}

int32_t ucTaskPane::OpenLink(const QString& sLink) {
  constexpr int32_t kOpened = 33, kNotOpened = 2;
  const QUrl url = QUrl::fromUserInput(sLink);
  return url.isValid() && QDesktopServices::openUrl(url) ? kOpened : kNotOpened;
}

void ucTaskPane::ClearStructure() {
  QApplication::processEvents();
  model_.m_bSpecialGroup = false;
  model_.m_SpecialGroup.Items.resize(1);
  model_.m_SpecialGroup.iItemCount = 0;
  model_.m_bDetailsGroup = false;
  ReleaseChildContainers();
  model_.m_Groups.resize(1);
  model_.m_GroupCount = 0;
  SetHandCur(false);
  const bool updates = m_bUpdates;
  m_bUpdates = true;
  Repaint();
  repaint();
  m_bUpdates = updates;
}

PaneStatus ucTaskPane::ClearGroup(const PaneArg& Group) {
  BarGroup* group = GroupOf(GetGroupsByKeyN(Group), false);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  group->Items.resize(1);
  group->iItemCount = 0;
  Repaint();
  return PaneStatus::kOk;
}

PaneStatus ucTaskPane::ExpandGroup(const PaneArg& Group, std::optional<bool> bExpand) {
  BarGroup* group = GroupOf(GetGroupsByKeyN(Group), true);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  group->bExpanded = bExpand.value_or(!group->bExpanded);
  Repaint();
  return PaneStatus::kOk;
}

PaneStatus ucTaskPane::SetGroupCaption(const PaneArg& Group, const QString& sNewCaption) {
  const int16_t code = GetGroupsByKeyN(Group);
  if (code == kNoGroupCode) return PaneStatus::kOk;
  BarGroup* group = GroupOf(code, true);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  group->sCaption = sNewCaption;
  Repaint();
  return PaneStatus::kOk;
}

BarGroup* ucTaskPane::ItemGroupOf(const PaneArg& Group) {
  const int16_t code = GetGroupsByKeyN(Group);
  if (code == kDetailsGroupCode) {
    ShowPaneError(QStringLiteral("Details Group hasn't Child Items!"));
    return nullptr;
  }
  if (code == kSpecialGroupCode) return &model_.m_SpecialGroup;
  if (!GroupExists(code)) {
    ShowPaneError(QStringLiteral("The Group '%1' doesn't exist").arg(Group.ToText()));
    return nullptr;
  }
  return &model_.m_Groups[static_cast<size_t>(code)];
}

BarItem* ucTaskPane::FindItem(const PaneArg& Group, const PaneArg& Item) {
  BarGroup* group = ItemGroupOf(Group);
  if (group == nullptr) return nullptr;
  const int16_t index = GetItemIndex(*group, Item);
  return index > 0 ? &group->Items[static_cast<size_t>(index)] : nullptr;
}

void ucTaskPane::SetItemIcon(const PaneArg& Group, const PaneArg& Item, const PaneArg& iNewIcon,
                             bool) {
  const int16_t icon = GetIconIndex(iNewIcon);
  if (BarItem* item = FindItem(Group, Item)) {
    item->iIcon = icon;
    Repaint();
  }
}

void ucTaskPane::SetItemText(const PaneArg& Group, const PaneArg& Item,
                             const QString& sNewCaption) {
  if (BarItem* item = FindItem(Group, Item)) {
    item->sCaption = sNewCaption;
    Repaint();
  }
}

void ucTaskPane::DisableUpdates(bool bDisable) {
  m_bUpdates = !bDisable;
  Repaint();
}

void ucTaskPane::SetDetailsImage(const QPixmap& detailsImage) {
  model_.m_DetailsImage = detailsImage;
  Repaint();
}

void ucTaskPane::SetFont(const QFont& newFont) {
  QFont font = this->font();
  font.setFamilies(newFont.families().isEmpty() ? QStringList{newFont.family()}
                                                : newFont.families());
  setFont(font);
}

void ucTaskPane::SetUseUxThemeText(bool bNewUseUxThemeText) {
  m_bUseUxThemeText = bNewUseUxThemeText;
  Repaint();
}

QVariant ucTaskPane::EnableExtImageList(const QVariant&) {
  return {};
}

// --- Lookups ---

void ucTaskPane::ShowPaneError(const QString& message) {
  if (sink_) sink_(QString::fromLatin1(kErrorCaption), QString::fromLatin1(kErrorLead) + message);
}

BarGroup* ucTaskPane::GroupOf(int code, bool acceptDetails) {
  if (code == kSpecialGroupCode) return &model_.m_SpecialGroup;
  if (code == kDetailsGroupCode && acceptDetails) return &model_.m_DetailsGroup;
  if (code < 0 || code > model_.m_GroupCount) return nullptr;
  return &model_.m_Groups[static_cast<size_t>(code)];
}

int16_t ucTaskPane::GetGroupsByKeyN(const PaneArg& sGroupKey) {
  if (sGroupKey.IsNumber()) return sGroupKey.Number();
  if (!sGroupKey.IsKey()) {
    ShowPaneError(
        QStringLiteral("GetGroupsByKeyN: sGroupKey not of required Type (String or Integer)!"));
    return kNoGroupCode;
  }
  const QString key = sGroupKey.Key();
  for (int16_t n = 1; n <= model_.m_GroupCount; ++n) {
    if (model_.m_Groups[static_cast<size_t>(n)].sKey == key) return n;
  }
  if (key == kSpecialGroupKey) return kSpecialGroupCode;
  if (key == QLatin1String("Details")) return kDetailsGroupCode;
  return kNoGroupCode;
}

int16_t ucTaskPane::GetItemIndex(const BarGroup& group, const PaneArg& item) {
  if (group.iItemCount < 1) {
    ShowPaneError(QStringLiteral("GetItemIndex: There are no Items in this group!"));
    return 0;
  }
  if (item.IsKey()) {
    for (int16_t i = 1; i <= group.iItemCount; ++i) {
      if (group.Items[static_cast<size_t>(i)].sKey == item.Key()) return i;
    }
    ShowPaneError(QStringLiteral("GetItemIndex/String: Item specified not found!"));
    return 0;
  }
  if (item.IsNumber()) {
    if (item.Number() >= 1 && item.Number() <= group.iItemCount) return item.Number();
    ShowPaneError(QStringLiteral("GetItemIndex/Integer: Item specified not found!"));
    return 0;
  }
  ShowPaneError(QStringLiteral("GetItemIndex: Item must contain String or Integer!"));
  return 0;
}

int ucTaskPane::ImageCount() const {
  if (m_ImageList.isNull()) return 0;
  if (m_ImageListKind == kKeyedImageList)
    return static_cast<ImageList*>(m_ImageList.data())->Count();
  if (m_ImageListKind == kExtImageList) return m_ImageList->property("ImageCount").toInt();
  return 0;
}

int16_t ucTaskPane::GetIconIndex(const PaneArg& iIcon) {
  if (!iIcon.IsKey() && !iIcon.IsNumber()) {
    ShowPaneError(QStringLiteral("GetIconIndex: iIcon not of required Type (String or Integer)!"));
    return -1;
  }
  const int count = ImageCount();
  if (iIcon.IsNumber()) {
    return iIcon.Number() >= 1 && iIcon.Number() <= count ? iIcon.Number() : int16_t{-1};
  }
  // An "ExtImageList" has no keyed list images: looking for a key fails at once, silently.
  if (m_ImageListKind == kExtImageList && count > 0) return -1;
  const auto* list = qobject_cast<const ImageList*>(m_ImageList.data());
  for (int d = 1; list != nullptr && d <= count && d <= kMaxCount; ++d) {
    if (list->Key(d) == iIcon.Key()) return static_cast<int16_t>(d);
  }
  ShowPaneError(QStringLiteral("GetIconIndex: icon with key %1 doesn't exist!").arg(iIcon.Key()));
  return -1;
}

bool ucTaskPane::GroupExists(int code) const {
  if (code == kSpecialGroupCode || code == kDetailsGroupCode) return true;
  return code >= 1 && code <= model_.m_GroupCount;
}

}  // namespace velmora
