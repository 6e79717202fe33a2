#pragma once
// The desktop's visual style as the custom controls see it. VELMORA_COLOR_SCHEME names the
// colour scheme: "Classic" means no visual style (plain buttons, the fixed system colours); any
// other name, or the running Qt style's name when it is unset, means a style is active and the
// themed parts are drawn with the running QStyle.
#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include "platform/graphics/color.h"

class QPainter;

namespace velmora {

// Drawing states of a themed part.
enum ThemePartState { kStateNormal = 1, kStateHot = 2, kStatePressed = 3, kStateDisabled = 4 };

// The current colour-scheme name.
QString ColorSchemeName();
// Whether a visual style is active (every scheme but "Classic").
bool VisualStyleActive();
// The scheme as a number: 1 "NormalColor", 2 "HomeStead", 3 "Metallic" (names compared in lower
// case, as parts of the scheme name), 0 for every other scheme and when no style is active.
int CurrentSchemeCode();

// The Qt colour of a 0x00BBGGRR value, system colours resolved.
QColor ToQColor(plat::TColor color);

// A themed push button over `rect` in `state` (0 is taken as normal), with `caption` centred on
// one line in the button's content area and, when `focused`, a focus frame inset 3 pixels.
void DrawThemedPushButton(QPainter& painter, const QWidget* widget, const QRect& rect, int state,
                          const QString& caption, bool focused);
// A themed combo box drop-down button over `rect` in `state`.
void DrawThemedDropButton(QPainter& painter, const QWidget* widget, const QRect& rect, int state);

// Parts of the task pane as the visual style draws them.
enum ExplorerBarPart {
  kPaneBackground = 1,
  kNormalGroupBody = 5,
  kNormalGroupCollapse = 6,
  kNormalGroupExpand = 7,
  kNormalGroupHead = 8,
  kSpecialGroupBody = 9,
  kSpecialGroupCollapse = 10,
  kSpecialGroupExpand = 11,
  kSpecialGroupHead = 12,
};
// Draws `part` in `state` over `rect`; false for a part the style does not have.
bool DrawExplorerBarPart(QPainter& painter, const QWidget* widget, int part, int state,
                         const QRect& rect);
// The area inside `rect` where a part's caption goes.
QRect ExplorerBarContentRect(int part, const QRect& rect);

}  // namespace velmora

namespace velmora {

// A picture box drawn as a themed push button (with a caption) or a combo drop button. Its state
// is one of ThemePartState; SetState repaints only when the state changes.
class ThemedButtonFace : public QWidget {
 public:
  enum Kind { kPushButton, kDropButton };

  ThemedButtonFace(Kind kind, const QString& caption, QWidget* parent);

  int State() const { return state_; }
  void SetState(int state);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
  QString caption_;
  int state_ = kStateNormal;
};

}  // namespace velmora
