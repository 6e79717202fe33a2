// The plain task pane: groups and items as the program builds them, the click report, captions,
// group bodies, and clearing the structure without losing the program's containers.
#include <gtest/gtest.h>

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/controls/plain_task_pane.h"

namespace {

using velmora::kSpecialGroupKey;
using velmora::PlainTaskPane;

class PlainTaskPaneTest : public testing::Test {
 protected:
  void SetUp() override {
    QPixmap red(16, 16);
    red.fill(Qt::red);
    pane_.resize(200, 500);
    pane_.DisableUpdates(true);
    pane_.ClearStructure();
    pane_.SetImageList({{QStringLiteral("resize"), red}});
    pane_.AddSpecialGroup(QStringLiteral("Tasks Chart"), red);
    pane_.AddItem(kSpecialGroupKey, QStringLiteral("Resize"), QStringLiteral("Resize"),
                  QStringLiteral("resize"));
    pane_.AddItem(kSpecialGroupKey, QStringLiteral("RedEye"), QStringLiteral("Red-Eye Correction"),
                  QStringLiteral("RedEye"));
    pane_.AddGroup(QStringLiteral("Dialog"), QStringLiteral(" Task Options"), 1);
    body_ = new QWidget;
    body_->resize(180, 120);
    pane_.SetGroupChild(QStringLiteral("Dialog"), body_);
    pane_.show();
    QApplication::processEvents();
  }
  QToolButton* Item(const char* key) const {
    return pane_.findChild<QToolButton*>(QString::fromLatin1(key));
  }

  PlainTaskPane pane_;
  QPointer<QWidget> body_;
};

TEST_F(PlainTaskPaneTest, ClickingAnItemReportsItsGroupAndItemKeys) {
  QSignalSpy clicks(&pane_, &PlainTaskPane::ItemClick);
  ASSERT_NE(Item("RedEye"), nullptr);
  EXPECT_EQ(Item("RedEye")->text(), QStringLiteral("Red-Eye Correction"));
  EXPECT_FALSE(Item("Resize")->icon().isNull());
  EXPECT_TRUE(Item("RedEye")->icon().isNull());  // a key the image list lacks: no icon
  QTest::mouseClick(Item("RedEye"), Qt::LeftButton);
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks[0][0].toString(), kSpecialGroupKey);
  EXPECT_EQ(clicks[0][1].toString(), QStringLiteral("RedEye"));
  EXPECT_TRUE(pane_.updatesEnabled());  // painting resumed once the event loop ran
}

TEST_F(PlainTaskPaneTest, ChoosingAnItemBringsTheNextGroupIntoView) {
  pane_.resize(200, 120);  // too short for both groups
  QApplication::processEvents();
  ASSERT_EQ(pane_.ScrollPosition(), 0);
  QTest::mouseClick(Item("Resize"), Qt::LeftButton);
  EXPECT_GT(pane_.ScrollPosition(), 0);
  EXPECT_EQ(pane_.ScrollPosition(), body_->parentWidget()->y());
}

TEST_F(PlainTaskPaneTest, CaptionsAndUnknownKeys) {
  EXPECT_EQ(pane_.GroupKeys(), (QStringList{kSpecialGroupKey, QStringLiteral("Dialog")}));
  pane_.SetGroupCaption(QStringLiteral("Dialog"), QStringLiteral("Task Option - Resize"));
  pane_.SetGroupCaption(QStringLiteral("dialog"), QStringLiteral("ignored"));
  EXPECT_EQ(pane_.GroupCaption(QStringLiteral("Dialog")), QStringLiteral("Task Option - Resize"));
  pane_.AddItem(QStringLiteral("Nowhere"), QStringLiteral("Lost"), QStringLiteral("Lost"), {});
  EXPECT_EQ(Item("Lost"), nullptr);
}

TEST_F(PlainTaskPaneTest, GroupBodyIsShownAndSurvivesClearing) {
  ASSERT_TRUE(body_);
  EXPECT_TRUE(body_->isVisible());
  EXPECT_GE(body_->height(), 120);
  pane_.ClearStructure();
  EXPECT_TRUE(pane_.GroupKeys().isEmpty());
  EXPECT_EQ(Item("Resize"), nullptr);
  ASSERT_TRUE(body_);  // the program's container is kept
  EXPECT_FALSE(body_->isVisible());
}

}  // namespace
