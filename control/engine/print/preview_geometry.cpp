#include "control/engine/print/preview_geometry.h"

#include <algorithm>

#include "platform/base/numbers.h"
#include "platform/base/rounding.h"

namespace pictavo {

namespace {

int Round(double value) {
  return static_cast<int>(plat::RoundHalfEven(value));
}

}  // namespace

double FitScale(double image_w, double image_h, double page_w, double page_h) {
  if (image_h / page_h >= image_w / page_w) return page_h * 100 / image_h;
  return page_w * 100 / image_w;
}

double CentredPosition(double page_mm, double image_mm, double scale) {
  return std::max(0.0, (page_mm - image_mm * scale / 100) / 20);
}

QSize PreviewSize(bool landscape, double page_w, double page_h) {
  if (landscape) return {kPreviewSize, Round(kPreviewSize * page_h / page_w)};
  return {Round(kPreviewSize * page_w / page_h), kPreviewSize};
}

QRect PreviewImageRect(QSize preview, double left_cm, double top_cm, double image_w, double image_h,
                       double scale, double page_w, double page_h) {
  const double inner_w = preview.width() - 2;
  const double inner_h = preview.height() - 2;
  const int left = Round(left_cm * 10 / page_w * inner_w + 2);
  const int top = Round(top_cm * 10 / page_h * inner_h + 2);
  const int right = Round((image_w * scale / 100 + left_cm * 10) / page_w * inner_w);
  const int bottom = Round((image_h * scale / 100 + top_cm * 10) / page_h * inner_h);
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

std::string PositionText(double cm, int units) {
  // Three decimals always make at least the five characters the edits are laid out for.
  return plat::FloatToStrFixed(units == 1 ? cm / 2.54 : cm, 3);
}

}  // namespace pictavo
