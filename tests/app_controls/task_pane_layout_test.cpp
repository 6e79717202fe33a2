// The task pane's layout as a pure function, with a text measurer whose answers the tests know:
// 7 pixels a character, lines of 13 pixels wrapped at the given width.
#include "app/controls/task_pane_layout.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace velmora {
namespace {

constexpr int kCharWidth = 7;
constexpr int kLine = 13;

TextMeasurer FixedMeasurer() {
  return {[](const QString& text, bool) { return kCharWidth * static_cast<int>(text.size()); },
          [](int left, int right, const QString& text, bool) {
            const int width = kCharWidth * static_cast<int>(text.size());
            const int room = std::max(1, right - left);
            return kLine * std::max(1, (width + room - 1) / room);
          }};
}

class PaneLayoutTest : public testing::Test {
 protected:
  PaneLayout Arrange() { return ArrangePane(model, geometry, FixedMeasurer()); }
  BarGroup& AddGroup(int items, bool expanded = true) {
    BarGroup group;
    group.bExpanded = expanded;
    for (int i = 1; i <= items; ++i) {
      BarItem item;
      item.sCaption = "Item";
      group.Items.push_back(item);
    }
    group.iItemCount = static_cast<int16_t>(items);
    model.m_Groups.push_back(group);
    ++model.m_GroupCount;
    return model.m_Groups.back();
  }
  BarGroup& Group(int n) { return model.m_Groups[static_cast<size_t>(n)]; }

  PaneModel model;
  PaneGeometry geometry{200, 300, 16, false, 0, true, true};
};

TEST_F(PaneLayoutTest, AnEmptyPaneNeedsNoScrollBar) {
  const PaneLayout layout = Arrange();
  EXPECT_FALSE(layout.scrollBarVisible);
  EXPECT_EQ(layout.usableWidth, 200);
}

TEST_F(PaneLayoutTest, TheSpecialHeaderStartsSixteenBelowTheTop) {
  model.m_bSpecialGroup = true;
  model.m_SpecialGroup.bExpanded = false;
  Arrange();
  EXPECT_EQ(model.m_SpecialGroup.rcHeader, (BarRect{8, 16, 192, 40}));
}

TEST_F(PaneLayoutTest, ACollapsedGroupTakesItsHeaderAndTheNextFollows22Below) {
  AddGroup(3, false);
  AddGroup(0, false);
  Arrange();
  EXPECT_EQ(Group(1).rcHeader, (BarRect{8, 10, 192, 34}));
  EXPECT_EQ(Group(2).rcHeader.top - Group(1).rcHeader.bottom, 22);
}

TEST_F(PaneLayoutTest, ItemsSitInTheirBody) {
  AddGroup(2);
  AddGroup(0, false);
  Arrange();
  const BarGroup& group = Group(1);
  const BarItem& first = group.Items[1];
  const BarItem& second = group.Items[2];
  EXPECT_EQ(first.rcItem, (BarRect{20, group.rcHeader.bottom + 10, 40 + 4 * kCharWidth + 1,
                                   group.rcHeader.bottom + 10 + kLine}));
  EXPECT_EQ(second.rcItem.top - first.rcItem.bottom, 8);
  const int bodyEnd = group.rcHeader.bottom + group.lBodyHeight;
  EXPECT_EQ(bodyEnd - second.rcItem.bottom, 20);
  EXPECT_EQ(Group(2).rcHeader.top - bodyEnd, 16);
}

TEST_F(PaneLayoutTest, AChildContainerIsTheBody) {
  QWidget child;
  child.resize(50, 100);
  AddGroup(0).pChild = &child;
  AddGroup(0, false);
  Arrange();
  EXPECT_EQ(Group(1).lBodyHeight, 100);
  EXPECT_EQ(Group(2).rcHeader.top - (Group(1).rcHeader.bottom + 100), 12);
}

TEST_F(PaneLayoutTest, ATooWideCaptionWrapsAndEndsAtTheRightMargin) {
  AddGroup(1).Items[1].sCaption = QString(60, 'w');
  Arrange();
  const BarItem& item = Group(1).Items[1];
  EXPECT_EQ(item.rcItem.right, 200 - 16);
  const int room = (200 - 16) - 40;
  EXPECT_EQ(item.rcItem.Height(), kLine * ((60 * kCharWidth + room - 1) / room));
}

TEST_F(PaneLayoutTest, OnePixelTooTallShowsTheScrollBarAndShrinkingHidesIt) {
  BarGroup& group = AddGroup(0);
  QWidget child;
  group.pChild = &child;
  // Header 10..34, body, then 2 more pixels of spacing: content bottom = 36 + child height.
  child.resize(50, 300 - 36 + 1);
  PaneLayout layout = Arrange();
  EXPECT_TRUE(layout.scrollBarVisible);
  EXPECT_EQ(layout.scrollMaximum, 1);
  EXPECT_EQ(layout.usableWidth, 200 - 16);

  geometry.scrollBarVisible = true;
  geometry.scrollValue = 1;
  child.resize(50, 100);
  layout = Arrange();
  EXPECT_FALSE(layout.scrollBarVisible);
  EXPECT_EQ(layout.scrollValue, 0);
  EXPECT_EQ(layout.usableWidth, 200);
  EXPECT_EQ(Group(1).rcHeader.top, 10);
}

TEST_F(PaneLayoutTest, AHiddenPaneShowsNoScrollBar) {
  QWidget child;
  child.resize(50, 1000);
  AddGroup(0).pChild = &child;
  geometry.paneVisible = false;
  const PaneLayout layout = Arrange();
  EXPECT_FALSE(layout.scrollBarVisible);
  EXPECT_GT(layout.scrollMaximum, 0);
}

TEST_F(PaneLayoutTest, TheScrollOffsetShiftsEverything) {
  AddGroup(0, false);
  geometry.scrollValue = 7;
  geometry.scrollBarVisible = true;
  QWidget child;
  child.resize(50, 1000);
  AddGroup(0).pChild = &child;
  Arrange();
  EXPECT_EQ(Group(1).rcHeader.top, 10 - 7);
}

TEST_F(PaneLayoutTest, TheDetailsBodyHoldsTitleAndText) {
  model.m_bDetailsGroup = true;
  model.m_sDetailsTitle = "Title";
  model.m_sDetailsText = "Some text";
  const PaneLayout layout = Arrange();
  const BarGroup& details = model.m_DetailsGroup;
  EXPECT_EQ(details.rcHeader, (BarRect{8, 8, 192, 32}));
  EXPECT_EQ(details.lBodyHeight, kLine + kLine + 24);
  EXPECT_EQ(layout.detailsText,
            (BarRect{20, 32 + kLine + 12, 200 - 24, 32 + 20 + details.lBodyHeight}));
}

TEST_F(PaneLayoutTest, ADetailsImageTakesASquareAboveTheTexts) {
  model.m_bDetailsGroup = true;
  model.m_sDetailsTitle = "Title";
  model.m_sDetailsText = "Some text";
  QPixmap image(10, 10);
  image.fill(Qt::red);
  model.m_DetailsImage = image;
  const PaneLayout layout = Arrange();
  const int top = 32 + 12 + 200 - 128;
  EXPECT_EQ(layout.detailsText.top, top + kLine + 12);
  EXPECT_EQ(layout.detailsText.bottom, top + 20 + kLine + kLine + 24);
  EXPECT_EQ(model.m_DetailsGroup.lBodyHeight, layout.detailsText.bottom - 32 - 12);
}

TEST_F(PaneLayoutTest, TheContentStaysWithinSixteenBits) {
  AddGroup(32767);
  AddGroup(1).Items[1].sCaption = QString(100000, 'x');
  const PaneLayout layout = Arrange();
  EXPECT_LE(layout.contentBottom, 32767);
  EXPECT_LE(layout.scrollMaximum, 32767);
  EXPECT_TRUE(layout.scrollBarVisible);
  EXPECT_LE(Group(2).Items[1].rcItem.bottom, 32767);
}

}  // namespace
}  // namespace velmora
