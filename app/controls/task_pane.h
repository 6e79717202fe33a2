#pragma once
// ucTaskPane: a vertical pane of collapsible groups, each a header over a body listing
// clickable items (an icon and a caption), with an optional special group above them and an
// optional details group (a title, a text and a picture) below them.
//
// Callers name groups, items and icons by key or by number (PaneArg). Unknown names and wrong
// argument types end in the pane's error box, shown through a message sink the pane owns;
// numbers outside the model's arrays come back to the caller as a PaneStatus.
//
// The pointer makes headers and items hot (the hand pointer over them) and a left click toggles
// a group or clicks an item; the wheel scrolls while the scroll bar shows. A group can show a
// panel of the host instead of items: SetGroupChild makes the pane the panel's parent and keeps
// it under the group's header, painted as the group's body.
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <variant>

#include "app/controls/message_hook.h"
#include "app/controls/task_pane_layout.h"
#include "app/controls/task_pane_model.h"
#include "platform/graphics/color.h"

class QScrollBar;

namespace velmora {

class PropertyBag;

// A key or a 16-bit number, as the pane's callers pass them. Other numbers (32-bit integers,
// floating point) are carried too, so the pane can refuse them as the wrong type.
class PaneArg {
 public:
  PaneArg(const QString& key) : value_(key) {}
  PaneArg(const char* key) : value_(QString::fromUtf8(key)) {}
  PaneArg(int16_t number) : value_(number) {}
  PaneArg(int32_t number) : value_(number) {}
  PaneArg(double number) : value_(number) {}

  bool IsKey() const { return std::holds_alternative<QString>(value_); }
  bool IsNumber() const { return std::holds_alternative<int16_t>(value_); }
  QString Key() const { return IsKey() ? std::get<QString>(value_) : QString(); }
  int16_t Number() const { return IsNumber() ? std::get<int16_t>(value_) : 0; }
  // The argument as text, for messages and stored group names.
  QString ToText() const;

 private:
  std::variant<QString, int16_t, int32_t, double> value_;
};

// Errors a member returns to its caller.
enum class PaneStatus {
  kOk = 0,
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kNoObject = 91,       // no panel given
  kAlreadyLoaded = 360  // the group already has a panel, or is the unused group 0
};

class ucTaskPane : public QWidget, public HookOwner {
  Q_OBJECT

 public:
  // Shows the error box: a caption and a text.
  using MessageSink = std::function<void(const QString& caption, const QString& text)>;

  // The kinds of image list the pane draws its icons from.
  static constexpr int kNoImageList = 0;
  static constexpr int kKeyedImageList = 1;  // an ImageList (image_list.h)
  static constexpr int kExtImageList = 2;    // an object of the type named "ExtImageList"

  // The font face a pane stores no name for; reading a bag without a name gives the
  // container's face instead.
  static constexpr const char* kDefaultFontName = "Verdana";
  // How far one notch of the wheel scrolls, in pixels.
  static constexpr int kWheelStep = 32;

  // `userMode` false is a form designer: the stored properties are read, but the pane hooks
  // nothing, so neither the wheel nor colour and theme changes reach it.
  explicit ucTaskPane(QWidget* parent = nullptr, bool userMode = true);
  ~ucTaskPane() override;

  // The stored properties: the font's face, its character set (kept and written back; Qt fonts
  // have none) and UseUxThemeText. A name that is empty or no installed face reads as the
  // container's face, a damaged number as 0 and a damaged flag as true. Reading also docks the
  // pane at its container's left edge at the container's full height, and on a live form hooks
  // the pane.
  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;
  int16_t FontCharset() const { return m_iFontCharset; }
  bool Hooked() const { return hook_ != nullptr; }
  bool MouseInside() const { return m_bMouseInside; }

  void Refresh();
  // The four optional arguments are accepted and have no effect.
  PaneStatus AddGroup(const QString& sKey, const QString& sCaption, int16_t iType = 0,
                      const QPixmap& imgIcon = {}, const QPixmap& imgBackground = {},
                      int32_t lMaskColor = 0);
  PaneStatus AddItem(const PaneArg& Group, const QString& sKey, const QString& sCaption,
                     const std::optional<PaneArg>& iIcon = std::nullopt);
  void SetImageList(QObject* ImageListObj);
  // An omitted picture keeps the one given before.
  void AddSpecialGroup(const QString& Caption, const std::optional<QPixmap>& Icon = std::nullopt,
                       const std::optional<QPixmap>& background = std::nullopt);
  void HideSpecialGroup();
  void AddDetailsGroup(const QString& Caption, const QString& sTittle, const QString& sDetails);
  void SetDetailsText(const QString& sDetails);
  void HideDetailsGroup();
  // Opens a document or a web address with the desktop; above 32 on success (33), else 2.
  int32_t OpenLink(const QString& sLink);
  void ClearStructure();
  PaneStatus ClearGroup(const PaneArg& Group);
  // Attaches a panel of the host to a group and gives it the mouse pointer `pChildPointer`
  // (0 the default, 1 to 15 the standard shapes, 99 the hand). The pane becomes the panel's
  // parent; a normal group shows it under its header while expanded, the special group keeps it
  // hidden. Fails for the details group, an unknown group, the unused group 0 and a group that
  // has a panel already (the new panel is stored, the old one hidden); the panels stay with
  // the pane, hidden, after ClearStructure.
  PaneStatus SetGroupChild(const PaneArg& Group, QWidget* pChild, int16_t pChildPointer = 0);
  PaneStatus ExpandGroup(const PaneArg& Group, std::optional<bool> bExpand = std::nullopt);
  PaneStatus SetGroupCaption(const PaneArg& Group, const QString& sNewCaption);
  // bUpdate is accepted and has no effect.
  void SetItemIcon(const PaneArg& Group, const PaneArg& Item, const PaneArg& iNewIcon,
                   bool bUpdate);
  void SetItemText(const PaneArg& Group, const PaneArg& Item, const QString& sNewCaption);
  void DisableUpdates(bool bDisable);
  void SetDetailsImage(const QPixmap& detailsImage);
  QString GetControlVersion() const { return QStringLiteral("1.91"); }
  QFont Font() const { return font(); }
  // Takes only the face of `newFont`; size, weight and style stay.
  void SetFont(const QFont& newFont);
  bool UseUxThemeText() const { return m_bUseUxThemeText; }
  void SetUseUxThemeText(bool bNewUseUxThemeText);
  // Has no effect.
  QVariant EnableExtImageList(const QVariant& bEnable);

  // Lookups of keys and numbers.
  int16_t GetGroupsByKeyN(const PaneArg& sGroupKey);
  int16_t GetItemIndex(const BarGroup& group, const PaneArg& item);
  int16_t GetIconIndex(const PaneArg& iIcon);
  bool GroupExists(int code) const;
  void ShowPaneError(const QString& message);
  void SetMessageSink(MessageSink sink) { sink_ = std::move(sink); }

  const PaneModel& Model() const { return model_; }
  int ImageListKind() const { return m_ImageListKind; }
  bool UpdatesAllowed() const { return m_bUpdates; }
  // How many full repaints have drawn, and what the pane shows.
  int FullRepaintCount() const { return fullRepaints_; }
  const QImage& Canvas() const { return canvas_; }
  QScrollBar* ScrollBar() const { return m_ScrollBar; }
  int UsableWidth() const { return m_lUsableWidth; }

  // Colour routines: a lighter colour (each channel into 76..255), a two-colour gradient on the
  // pane (DrawHorVer 0 left to right, 1 top to bottom), and a colour's three channels.
  plat::TColor SoftColor(plat::TColor lColor) const;
  bool DoGradient(plat::TColor FromColor, plat::TColor ToColor, int DrawHorVer, int Left, int Top,
                  int Width, int Height);
  static void Long2RGB(plat::TColor nColor, int& Red, int& Green, int& Blue);
  // The colour scheme of the last full repaint ("Classic", "Metallic", "HomeStead" or another
  // name), and whether the last visual-style drawing succeeded.
  QString Scheme() const { return m_sScheme; }
  bool Themed() const { return m_DrawRequest.bThemed; }

  // Drawing of single elements, for hover and press: a header in its current state, an item
  // (group code -1 or n, item index) in state 1 button text, 2 highlight, 3 active caption,
  // 4 grey, any other value keeping the current text colour.
  void DrawGroupHeader(int n);
  void DrawSpecialHeader();
  void DrawDetailsHeader();
  void DrawItem(int code, int i, int state);
  // The pane's pointer: the hand, or the default.
  void SetHandCur(bool bHand);

  // Colour and theme changes (repaint) and the wheel (scrolls), through the pane's hook.
  void zSubclass_Proc(bool bBefore, bool& bHandled, int& lReturn, QWidget* widget,
                      QEvent* event) override;

 signals:
  void MouseOver();
  void MouseOut();
  // The string and flag references are the pane's own stored values: a handler that assigns
  // to them changes the pane (a new expanded flag shows at the next repaint).
  void GroupHover(QString& sGroup);
  void GroupOut(QString& sGroup);
  void ItemClick(QString sGroup, QString sItemKey);
  void GroupClick(int32_t Group, bool& bExpanded);
  void ItemHover(QString& sGroup, QString& sItemKey);
  void ItemOut(QString& sGroup, QString& sItemKey);

 private:
  // The group a code names for members that accept the special and details groups and the
  // unused element 0; nullptr for a code outside the arrays.
  BarGroup* GroupOf(int code, bool acceptDetails);
  // The group a SetItemIcon or SetItemText call names, after its error boxes; nullptr if none.
  BarGroup* ItemGroupOf(const PaneArg& Group);
  BarItem* FindItem(const PaneArg& Group, const PaneArg& Item);
  int ImageCount() const;
  // The full repaint: lays the pane out and draws everything into the canvas.
  void Repaint();
  void ApplyLayout(const PaneLayout& layout);
  TextMeasurer Measurer();
  int MeasureText(int left, int right, const QString& text);
  void DrawItemText(QPainter& painter, BarRect rect, const QString& text);
  void DrawHeader(BarGroup& group, bool special, int captionIndent);
  void DrawExpandButton(QPainter& painter, const BarGroup& group, bool special);
  void DrawBody(QPainter& painter, const BarGroup& group, bool special);
  void DrawDetailsBody();
  // The element the visual-style drawing routine draws next.
  struct DrawRequest {
    QString sClass = QStringLiteral("Explorerbar");
    int lPart = 1;
    int lState = 1;
    QRect rect;
    QString sText;
    int lTextFlags = 0x40024;  // one line, vertically centred, word ellipsis
    bool bThemed = false;
    int lTextIndent = 32;
    int lTextMargin = 25;
  };
  // A header drawn by hand: its gradient, caption indent and caption colour.
  struct HandLook {
    QColor from, to;
    int indent;
    QColor caption;
  };
  void DetectScheme();
  bool DrawThemePart(QPainter& painter);
  void SetRequest(int part, int state, const QRect& rect, const QString& text, int indent);
  void DrawPaneBackground();
  std::optional<HandLook> HandHeaderLook(const BarGroup& group, bool special) const;
  std::optional<int> StripRow(bool special) const;
  void FillGradient(QPainter& painter, const QColor& from, const QColor& to, int DrawHorVer,
                    int Left, int Top, int Width, int Height);
  void SetBold(bool bold);
  void SetUnderline(bool underline);
  void Invalidate(const BarRect& rect);

  // Lifecycle (task_pane.cpp).
  void InstallHook();
  void DockLeft();
  void WatchContainer(QWidget* container);

  // Pointer and wheel (task_pane_input.cpp). Elements are visited in one order: the special
  // group's header and items, each normal group's header and items, the details group's header.
  template <typename OnHeader, typename OnItem>
  void VisitElements(OnHeader onHeader, OnItem onItem);
  void PointerMoved(Qt::MouseButtons buttons, QPoint at);
  void TrackHover(QPoint at);
  void PressAt(QPoint at);
  void ClickAt(QPoint at);
  void PointerEntered();
  void PointerLeft();
  void RedrawHeader(int code);
  void Wheel(QWheelEvent& wheel);

  // Child containers (task_pane_children.cpp).
  struct ChildFace {
    QImage picture;
    QColor body;  // the colour the panel's buttons, labels and check boxes take
  };
  void Adopt(BarGroup& group, QWidget* panel, int16_t pointer, bool placed);
  void PaintChild(BarGroup& group);
  ChildFace DrawChildFace(QSize size);
  void ReleaseChildContainers();
  bool ChildEvent(QWidget* panel, QEvent* event);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  PaneModel model_;
  QPointer<QObject> m_ImageList;
  int m_ImageListKind = kNoImageList;
  bool m_bUpdates = false;
  bool m_bUseUxThemeText = false;
  int16_t m_iFontCharset = 0;
  bool m_bMouseInside = false;
  int wheelSum_ = 0;  // eighths of a degree not yet scrolled
  bool userMode_;
  bool dockedLeft_ = false;
  QPointer<QWidget> container_;  // the parent whose size and font the pane follows
  std::unique_ptr<MessageHook> hook_;
  // The panels attached to normal groups, by group number.
  std::map<int, QPointer<QWidget>> m_pChild;
  MessageSink sink_;

  QString m_sScheme;
  DrawRequest m_DrawRequest;
  QImage canvas_;  // the pane's persistent drawing
  QScrollBar* m_ScrollBar = nullptr;
  int16_t m_iScrollValue = 0;
  int m_lUsableWidth = 0;
  BarRect m_rcDetailsText;
  QFont paintFont_;
  QColor textColour_;
  int fullRepaints_ = 0;
};

}  // namespace velmora
