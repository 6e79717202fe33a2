#pragma once
// The task pane's model: groups of items, one special group drawn above the normal groups and
// one details group below them. Arrays keep an unused element 0, so group and item numbers
// start at 1 and stay valid for the pane's life; counts are 16-bit like the numbers callers
// hold.
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace velmora {

// Group codes: a normal group's number from 1, or one of these.
constexpr int16_t kSpecialGroupCode = -1;
constexpr int16_t kDetailsGroupCode = -2;
constexpr int16_t kNoGroupCode = -3;

inline const QString kSpecialGroupKey = QStringLiteral("Special Group");
inline const QString kDetailsGroupKey = QStringLiteral("Details Group");

// A rectangle by its edges, in pane pixels; right and bottom lie just outside it.
struct BarRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
  friend bool operator==(const BarRect&, const BarRect&) = default;
};

struct BarItem {
  QString sGroup;  // the group as the caller named it when adding the item
  QString sKey;
  int16_t iIndex = 0;
  QString sCaption;
  int16_t iIcon = -1;
  BarRect rcItem;
  bool bHot = false;
};

struct BarGroup {
  QString sKey;
  QString sCaption;
  std::vector<BarItem> Items = std::vector<BarItem>(1);  // from 1; element 0 unused
  int16_t iItemCount = 0;
  bool bExpanded = true;
  BarRect rcHeader;
  bool bHot = false;
  int16_t iState = 0;  // 1 normal, 2 hot, 3 pressed; 0 until the pointer first comes
  int32_t lBodyHeight = 0;
  QPointer<QWidget> pChild;
  int16_t pChildPointer = 0;
};

struct PaneModel {
  std::vector<BarGroup> m_Groups = std::vector<BarGroup>(1);  // from 1; element 0 unused
  int16_t m_GroupCount = 0;
  BarGroup m_SpecialGroup;
  bool m_bSpecialGroup = false;
  QPixmap m_SpecialIcon;
  QPixmap m_SpecialBackground;
  BarGroup m_DetailsGroup;
  bool m_bDetailsGroup = false;
  QString m_sDetailsTitle;
  QString m_sDetailsText;
  QPixmap m_DetailsImage;
};

}  // namespace velmora
