#pragma once
// Placing a text at one of nine anchors and drawing a picture frame or a shadow edge from tiles:
// the replay and the task preview both draw through these.
#include <QString>
#include <cstdint>

#include "control/activex/imagebox_interface.h"

namespace tasks {

// What the anchor placement reads from the control.
struct AnchorMetrics {
  int32_t imageWidth = 0, imageHeight = 0;
  int32_t justify = 0;  // TxTextJustify: 0 left, 1 centre, other right
  int32_t textWidth = 0, textHeight = 0;
};

// Anchors 0 to 8 are a 3 x 3 grid in reading order.
bool IsGridAnchor(int16_t anchor);

// Sets x and y for a grid anchor; any other anchor leaves them as they are. Orientation 0 is
// horizontal text, any other vertical (which ignores the justification).
void AnchorPosition(uint8_t orientation, int16_t anchor, const AnchorMetrics& metrics, int32_t& x,
                    int32_t& y);

// AnchorPosition with the metrics of box and text.
void subGetAnchorPosition(uint8_t orientation, int16_t anchor, pictavo::ax::ImageBoxProxy& box,
                          const QString& text, int32_t& x, int32_t& y);

// Draws frame picture set `set` (0 to 15) around the image. enlarge 1 first adds a border the
// frame covers, filled with the control's BGColor; any other value draws over the image. Set 4
// takes its four extra pieces where withExtraPieces is true. A set outside 0 to 15 raises
// AppError 340.
void subDrawFrame(pictavo::ax::ImageBoxProxy& box, int16_t set, uint8_t enlarge,
                  bool withExtraPieces);

}  // namespace tasks
