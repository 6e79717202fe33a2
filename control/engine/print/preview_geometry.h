#pragma once
// The arithmetic of the print preview: fitting and centring the image on the page, and where
// page and image land in the preview. Lengths of page and image in millimetres, positions in
// centimetres, scale in percent.
#include <QRect>
#include <QSize>
#include <string>

namespace pictavo {

// The longer side of the preview, in screen pixels.
constexpr int kPreviewSize = 441;

// The scale at which the image fills the page along its tighter side.
double FitScale(double image_w, double image_h, double page_w, double page_h);
// The left (or top) position in centimetres that centres the scaled image on one page side;
// 0 when the image is larger than the page.
double CentredPosition(double page_mm, double image_mm, double scale);
// The preview's size: the page's aspect with the longer side kPreviewSize.
QSize PreviewSize(bool landscape, double page_w, double page_h);
// Where the image is drawn inside the preview: left and top include the page border, right and
// bottom are computed from the inner size alone, all rounded halves to even.
QRect PreviewImageRect(QSize preview, double left_cm, double top_cm, double image_w, double image_h,
                       double scale, double page_w, double page_h);
// A position for the position edits: in inches when units is 1, 3 decimals.
std::string PositionText(double cm, int units);

}  // namespace pictavo
