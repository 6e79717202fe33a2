#pragma once
// The system colours the task pane draws with, by their indexes.
#include <QColor>

#include "app/controls/desktop_theme.h"
#include "platform/graphics/system_colors.h"

namespace velmora::pane_colours {

constexpr int kWindow = 5;
constexpr int kHighlight = 13;
constexpr int kHighlightText = 14;
constexpr int kButtonFace = 15;
constexpr int kButtonShadow = 16;
constexpr int kGreyText = 17;
constexpr int kButtonText = 18;
constexpr int kButtonHighlight = 20;
constexpr int kDarkShadow = 21;
constexpr int kGradientActiveCaption = 27;

inline QColor SysColour(int index) {
  return ToQColor(plat::kSystemColorFlag | static_cast<plat::TColor>(index));
}

}  // namespace velmora::pane_colours
