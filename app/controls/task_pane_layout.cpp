#include "app/controls/task_pane_layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace velmora {
namespace {

constexpr int kMin16 = std::numeric_limits<int16_t>::min();
constexpr int kMax16 = std::numeric_limits<int16_t>::max();
// Showing or hiding the scroll bar changes the width and so the layout; after this many
// passes the last one stands.
constexpr int kMaxPasses = 3;

int Clamp16(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, kMin16, kMax16));
}

class Arranger {
 public:
  Arranger(PaneModel& model, const PaneGeometry& geometry, int usableWidth,
           const TextMeasurer& measure)
      : model_(model), geometry_(geometry), w_(usableWidth), measure_(measure) {}

  // Places everything from the top; returns the running position after the last element.
  int Run(BarRect& detailsText) {
    y_ = -geometry_.scrollValue;
    if (model_.m_bSpecialGroup) PlaceSpecialGroup();
    for (int n = 1; n <= model_.m_GroupCount; ++n) {
      PlaceNormalGroup(model_.m_Groups[static_cast<size_t>(n)]);
    }
    if (model_.m_bDetailsGroup) PlaceDetailsGroup(detailsText);
    return y_;
  }

 private:
  void Advance(int64_t by) { y_ = Clamp16(int64_t{y_} + by); }

  void PlaceHeader(BarGroup& group) {
    group.rcHeader = {8, y_, w_ - 8, Clamp16(int64_t{y_} + 24)};
    Advance(24);
  }

  void PlaceItems(BarGroup& group) {
    for (int i = 1; i <= group.iItemCount; ++i) {
      BarItem& item = group.Items[static_cast<size_t>(i)];
      const int width = measure_.width(item.sCaption, false);
      const int height = measure_.height(40, w_ - 16, item.sCaption, false);
      item.rcItem = {20, y_, 40 + std::min(width + 1, w_ - 56), Clamp16(int64_t{y_} + height)};
      y_ = Clamp16(int64_t{item.rcItem.bottom} + 8);
    }
  }

  // A body of items from `top`; it reaches `margin` pixels below the running position.
  void PlaceItemBody(BarGroup& group, int top, int margin) {
    Advance(10);
    PlaceItems(group);
    group.lBodyHeight = y_ - top + margin;
    Advance(6);
  }

  void PlaceSpecialGroup() {
    BarGroup& group = model_.m_SpecialGroup;
    Advance(16);
    PlaceHeader(group);
    if (group.bExpanded) PlaceItemBody(group, y_, 8);
    Advance(6);
  }

  void PlaceNormalGroup(BarGroup& group) {
    Advance(10);
    PlaceHeader(group);
    if (group.bExpanded && group.pChild) {
      group.lBodyHeight = group.pChild->height();
      Advance(group.lBodyHeight);
      Advance(-10);
    } else if (group.bExpanded) {
      PlaceItemBody(group, y_, 12);
    }
    Advance(12);
  }

  void PlaceDetailsGroup(BarRect& detailsText) {
    BarGroup& group = model_.m_DetailsGroup;
    Advance(8);
    PlaceHeader(group);
    const int top = y_;
    if (!group.bExpanded) return;
    const bool image = !model_.m_DetailsImage.isNull();
    const int sw = geometry_.fullWidth;
    if (image) Advance(int64_t{12} + sw - 128);
    const int titleHeight = measure_.height(20, sw - 32, model_.m_sDetailsTitle, true);
    const int textHeight = measure_.height(20, sw - 32, model_.m_sDetailsText, false);
    group.lBodyHeight = Clamp16(int64_t{titleHeight} + textHeight + 24);
    const int titleHere = measure_.height(20, w_ - 24, model_.m_sDetailsTitle, true);
    detailsText = {20, Clamp16(int64_t{y_} + titleHere + 12), w_ - 24,
                   Clamp16(int64_t{y_} + 20 + group.lBodyHeight)};
    y_ = detailsText.bottom;
    if (image) group.lBodyHeight = y_ - top - 12;
  }

  PaneModel& model_;
  const PaneGeometry& geometry_;
  int w_;
  const TextMeasurer& measure_;
  int y_ = 0;
};

}  // namespace

PaneLayout ArrangePane(PaneModel& model, const PaneGeometry& geometry,
                       const TextMeasurer& measure) {
  PaneLayout layout;
  layout.scrollBarVisible = geometry.scrollBarVisible;
  layout.scrollValue = geometry.scrollValue;
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    PaneGeometry now = geometry;
    now.scrollValue = layout.scrollValue;
    layout.usableWidth =
        geometry.fullWidth - (layout.scrollBarVisible ? geometry.scrollBarWidth : 0);
    layout.contentBottom =
        Arranger(model, now, layout.usableWidth, measure).Run(layout.detailsText);
    const int overflow =
        Clamp16(int64_t{layout.contentBottom} - geometry.fullHeight + layout.scrollValue);
    bool again = false;
    if (overflow <= 0) {
      if (overflow == 0) layout.scrollMaximum = 1;
      again = layout.scrollBarVisible;
      layout.scrollBarVisible = false;
      layout.scrollValue = 0;
    } else {
      layout.scrollMaximum = overflow;
      if (!layout.scrollBarVisible && geometry.paneVisible) {
        layout.scrollBarVisible = true;
        again = geometry.updates;
      }
    }
    if (!again) break;
  }
  return layout;
}

}  // namespace velmora
