#pragma once
// ucTaskPane: a vertical pane of collapsible groups, each a header over a body listing
// clickable items (an icon and a caption), with an optional special group above them and an
// optional details group (a title, a text and a picture) below them.
//
// Callers name groups, items and icons by key or by number (PaneArg). Unknown names and wrong
// argument types end in the pane's error box, shown through a message sink the pane owns;
// numbers outside the model's arrays come back to the caller as a PaneStatus.
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>

#include "app/controls/task_pane_layout.h"
#include "app/controls/task_pane_model.h"
#include "platform/graphics/color.h"

class QScrollBar;

namespace velmora {

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
enum class PaneStatus { kOk = 0, kOverflow = 6, kSubscriptOutOfRange = 9 };

class ucTaskPane : public QWidget {
  Q_OBJECT

 public:
  // Shows the error box: a caption and a text.
  using MessageSink = std::function<void(const QString& caption, const QString& text)>;

  // The kinds of image list the pane draws its icons from.
  static constexpr int kNoImageList = 0;
  static constexpr int kKeyedImageList = 1;  // an ImageList (image_list.h)
  static constexpr int kExtImageList = 2;    // an object of the type named "ExtImageList"

  explicit ucTaskPane(QWidget* parent = nullptr);
  ~ucTaskPane() override;

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
  // Attaches a child container to a group; the pane places it under the group's header.
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

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  PaneModel model_;
  QPointer<QObject> m_ImageList;
  int m_ImageListKind = kNoImageList;
  bool m_bUpdates = false;
  bool m_bUseUxThemeText = false;
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
