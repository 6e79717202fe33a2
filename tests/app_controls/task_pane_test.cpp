// The task pane's model and lookups, with its error boxes caught by a recording sink.
#include "app/controls/task_pane.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QStringList>

#include "app/controls/desktop_theme.h"
#include "app/controls/image_list.h"
#include "app/controls/task_pane_strip.h"
#include "platform/graphics/system_colors.h"

namespace velmora {

// An object of the other image-list type the pane recognises by its type name.
class ExtImageList : public QObject {
  Q_OBJECT
  Q_PROPERTY(int ImageCount MEMBER imageCount)

 public:
  int imageCount = 0;
};

namespace {

const QString kLead = "An Error has ocurred!\r\n";

class TaskPaneModelTest : public testing::Test {
 protected:
  void SetUp() override {
    pane.SetMessageSink([this](const QString& caption, const QString& text) {
      EXPECT_EQ(caption, "ucTaskPane");
      EXPECT_TRUE(text.startsWith(kLead)) << text.toStdString();
      boxes << text.mid(kLead.size());
    });
  }
  const BarGroup& Group(int n) { return pane.Model().m_Groups[static_cast<size_t>(n)]; }
  const BarGroup& Special() { return pane.Model().m_SpecialGroup; }
  QStringList TakeBoxes() { return std::exchange(boxes, {}); }

  ucTaskPane pane;
  QStringList boxes;
};

TEST_F(TaskPaneModelTest, TheSameKeyTwiceMakesTwoGroupsAndTheFirstAnswers) {
  pane.AddGroup("tools", "Tools");
  pane.AddGroup("tools", "More tools");
  ASSERT_EQ(pane.Model().m_GroupCount, 2);
  EXPECT_EQ(pane.SetGroupCaption("tools", "Renamed"), PaneStatus::kOk);
  EXPECT_EQ(Group(1).sCaption, "Renamed");
  EXPECT_EQ(Group(2).sCaption, "More tools");
  EXPECT_TRUE(Group(1).bExpanded);
  EXPECT_EQ(Group(1).iItemCount, 0);
  EXPECT_TRUE(TakeBoxes().isEmpty());
}

TEST_F(TaskPaneModelTest, AddItemOnDetailsOrAnUnknownKeyAddsNothingSilently) {
  pane.AddGroup("g", "G");
  pane.AddDetailsGroup("Details", "Title", "Text");
  for (const PaneArg& group :
       {PaneArg("Details"), PaneArg("Details Group"), PaneArg("nope"), PaneArg(int16_t{0})}) {
    EXPECT_EQ(pane.AddItem(group, "k", "Caption"), PaneStatus::kOk);
  }
  EXPECT_EQ(Group(1).iItemCount, 0);
  EXPECT_EQ(pane.Model().m_DetailsGroup.iItemCount, 0);
  EXPECT_TRUE(TakeBoxes().isEmpty());
  EXPECT_EQ(pane.AddItem(int16_t{2}, "k", "Caption"), PaneStatus::kSubscriptOutOfRange);
  EXPECT_EQ(pane.AddItem(int16_t{-4}, "k", "Caption"), PaneStatus::kSubscriptOutOfRange);
}

TEST_F(TaskPaneModelTest, ItemsRememberTheGroupAsTheCallerNamedIt) {
  pane.AddGroup("g", "G");
  pane.AddItem("g", "a", "A");
  pane.AddItem(int16_t{1}, "b", "B");
  pane.AddItem("Special Group", "s", "S");
  ASSERT_EQ(Group(1).iItemCount, 2);
  EXPECT_EQ(Group(1).Items[1].sGroup, "g");
  EXPECT_EQ(Group(1).Items[2].sGroup, "1");
  EXPECT_EQ(Group(1).Items[2].iIndex, 2);
  EXPECT_EQ(Group(1).Items[2].iIcon, -1);
  EXPECT_EQ(Special().Items[1].sGroup, "Special Group");
}

TEST_F(TaskPaneModelTest, ExpandGroupTogglesOrSets) {
  pane.AddGroup("g", "G");
  pane.ExpandGroup("g");
  EXPECT_FALSE(Group(1).bExpanded);
  pane.ExpandGroup("g", false);
  EXPECT_FALSE(Group(1).bExpanded);
  pane.ExpandGroup("g");
  EXPECT_TRUE(Group(1).bExpanded);
  pane.AddDetailsGroup("D", "T", "X");
  pane.ExpandGroup("Details");
  EXPECT_FALSE(pane.Model().m_DetailsGroup.bExpanded);
  EXPECT_EQ(pane.ExpandGroup("Details Group"), PaneStatus::kSubscriptOutOfRange);
  EXPECT_EQ(pane.ExpandGroup(int16_t{2}), PaneStatus::kSubscriptOutOfRange);
  EXPECT_EQ(pane.SetGroupCaption("Details", "New details"), PaneStatus::kOk);
  EXPECT_EQ(pane.Model().m_DetailsGroup.sCaption, "New details");
  EXPECT_EQ(pane.SetGroupCaption("Details Group", "ignored"), PaneStatus::kOk);
  EXPECT_EQ(pane.Model().m_DetailsGroup.sCaption, "New details");
}

TEST_F(TaskPaneModelTest, ClearGroupThenAddItemStartsAtOne) {
  pane.AddSpecialGroup("Tasks");
  pane.AddItem("Special Group", "a", "A");
  pane.AddItem("Special Group", "b", "B");
  EXPECT_EQ(pane.ClearGroup("Special Group"), PaneStatus::kOk);
  EXPECT_EQ(Special().iItemCount, 0);
  pane.AddItem("Special Group", "c", "C");
  EXPECT_EQ(Special().Items[1].iIndex, 1);
  EXPECT_EQ(Special().Items[1].sKey, "c");
  EXPECT_EQ(pane.ClearGroup("Details"), PaneStatus::kSubscriptOutOfRange);
  EXPECT_EQ(pane.ClearGroup("unknown"), PaneStatus::kSubscriptOutOfRange);
}

TEST_F(TaskPaneModelTest, HidingAndShowingTheSpecialGroupKeepsItsItems) {
  pane.AddSpecialGroup("Tasks");
  pane.AddItem("Special Group", "a", "A");
  pane.HideSpecialGroup();
  EXPECT_FALSE(pane.Model().m_bSpecialGroup);
  pane.AddSpecialGroup("Tasks again");
  EXPECT_TRUE(pane.Model().m_bSpecialGroup);
  EXPECT_EQ(Special().iItemCount, 1);
  EXPECT_EQ(Special().sCaption, "Tasks again");
}

TEST_F(TaskPaneModelTest, ClearStructureEmptiesEverything) {
  pane.AddSpecialGroup("Tasks");
  pane.AddItem("Special Group", "a", "A");
  pane.AddGroup("g", "G");
  pane.AddDetailsGroup("D", "T", "X");
  QWidget child;
  pane.SetGroupChild("g", &child);
  child.show();
  pane.ClearStructure();
  EXPECT_EQ(pane.Model().m_GroupCount, 0);
  EXPECT_EQ(Special().iItemCount, 0);
  EXPECT_FALSE(pane.Model().m_bSpecialGroup);
  EXPECT_FALSE(pane.Model().m_bDetailsGroup);
  EXPECT_FALSE(child.isVisible());
  EXPECT_FALSE(pane.UpdatesAllowed());
}

TEST_F(TaskPaneModelTest, GroupCodes) {
  pane.AddGroup("one", "One");
  const struct {
    PaneArg argument;
    int16_t code;
    bool box;
  } cases[] = {
      {PaneArg("one"), 1, false},
      {PaneArg("One"), kNoGroupCode, false},
      {PaneArg("Special Group"), kSpecialGroupCode, false},
      {PaneArg("Details"), kDetailsGroupCode, false},
      {PaneArg("Details Group"), kNoGroupCode, false},
      {PaneArg(int16_t{2}), 2, false},
      {PaneArg(int16_t{-7}), -7, false},
      {PaneArg(int32_t{2}), kNoGroupCode, true},
      {PaneArg(2.0), kNoGroupCode, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pane.GetGroupsByKeyN(c.argument), c.code) << c.argument.ToText().toStdString();
    const QStringList shown = TakeBoxes();
    EXPECT_EQ(shown.size(), c.box ? 1 : 0) << c.argument.ToText().toStdString();
    if (c.box) {
      EXPECT_EQ(shown[0], "GetGroupsByKeyN: sGroupKey not of required Type (String or Integer)!");
    }
  }
  pane.AddGroup("Special Group", "A normal group named like the special one");
  EXPECT_EQ(pane.GetGroupsByKeyN("Special Group"), 2);
}

TEST_F(TaskPaneModelTest, ItemIndexes) {
  pane.AddGroup("empty", "Empty");
  pane.AddGroup("full", "Full");
  pane.AddItem("full", "a", "A");
  pane.AddItem("full", "b", "B");
  const struct {
    int group;
    PaneArg item;
    int16_t index;
    const char* box;
  } cases[] = {
      {1, PaneArg("a"), 0, "GetItemIndex: There are no Items in this group!"},
      {1, PaneArg(int16_t{1}), 0, "GetItemIndex: There are no Items in this group!"},
      {2, PaneArg("b"), 2, nullptr},
      {2, PaneArg(int16_t{1}), 1, nullptr},
      {2, PaneArg("c"), 0, "GetItemIndex/String: Item specified not found!"},
      {2, PaneArg(int16_t{0}), 0, "GetItemIndex/Integer: Item specified not found!"},
      {2, PaneArg(int16_t{3}), 0, "GetItemIndex/Integer: Item specified not found!"},
      {2, PaneArg(int32_t{1}), 0, "GetItemIndex: Item must contain String or Integer!"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pane.GetItemIndex(Group(c.group), c.item), c.index);
    EXPECT_EQ(TakeBoxes(), c.box ? QStringList{c.box} : QStringList{});
  }
}

TEST_F(TaskPaneModelTest, IconIndexes) {
  ImageList icons;
  icons.Add("open", QPixmap(16, 16));
  icons.Add("save", QPixmap(16, 16));
  EXPECT_EQ(pane.GetIconIndex("open"), -1);  // no image list yet: the key is not found
  EXPECT_EQ(TakeBoxes(), QStringList{"GetIconIndex: icon with key open doesn't exist!"});
  pane.SetImageList(&icons);
  EXPECT_EQ(pane.ImageListKind(), ucTaskPane::kKeyedImageList);
  const struct {
    PaneArg icon;
    int16_t index;
    const char* box;
  } cases[] = {
      {PaneArg("save"), 2, nullptr},
      {PaneArg(int16_t{1}), 1, nullptr},
      {PaneArg("Save"), -1, "GetIconIndex: icon with key Save doesn't exist!"},
      {PaneArg(int16_t{0}), -1, nullptr},
      {PaneArg(int16_t{3}), -1, nullptr},
      {PaneArg(int32_t{1}), -1, "GetIconIndex: iIcon not of required Type (String or Integer)!"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pane.GetIconIndex(c.icon), c.index) << c.icon.ToText().toStdString();
    EXPECT_EQ(TakeBoxes(), c.box ? QStringList{c.box} : QStringList{});
  }
}

TEST_F(TaskPaneModelTest, AnExtImageListAnswersKeysSilently) {
  ExtImageList ext;
  ext.imageCount = 3;
  pane.SetImageList(&ext);
  EXPECT_EQ(pane.ImageListKind(), ucTaskPane::kExtImageList);
  EXPECT_EQ(pane.GetIconIndex("open"), -1);
  EXPECT_EQ(pane.GetIconIndex(int16_t{3}), 3);
  EXPECT_TRUE(TakeBoxes().isEmpty());
  QObject other;
  pane.SetImageList(&other);
  EXPECT_EQ(pane.ImageListKind(), ucTaskPane::kNoImageList);
}

TEST_F(TaskPaneModelTest, SetItemIconAndTextReportUnknownGroups) {
  ImageList icons;
  icons.Add("open", QPixmap(16, 16));
  pane.SetImageList(&icons);
  pane.AddGroup("g", "G");
  pane.AddItem("g", "a", "A");
  pane.SetItemIcon("g", "a", "open", true);
  EXPECT_EQ(Group(1).Items[1].iIcon, 1);
  pane.SetItemText("g", int16_t{1}, "Renamed");
  EXPECT_EQ(Group(1).Items[1].sCaption, "Renamed");
  EXPECT_TRUE(TakeBoxes().isEmpty());

  pane.SetItemText("Details", "a", "x");
  EXPECT_EQ(TakeBoxes(), QStringList{"Details Group hasn't Child Items!"});
  pane.SetItemText("Details Group", "a", "x");
  EXPECT_EQ(TakeBoxes(), QStringList{"The Group 'Details Group' doesn't exist"});
  pane.SetItemIcon(int16_t{5}, "a", int16_t{1}, false);
  EXPECT_EQ(TakeBoxes(), QStringList{"The Group '5' doesn't exist"});
  pane.SetItemText("Special Group", "a", "x");
  EXPECT_EQ(TakeBoxes(), QStringList{"GetItemIndex: There are no Items in this group!"});
  EXPECT_EQ(Group(1).Items[1].sCaption, "Renamed");
}

TEST_F(TaskPaneModelTest, FontTakesOnlyTheFace) {
  QFont start("DejaVu Sans");
  start.setPointSize(8);
  pane.setFont(start);
  QFont bold("DejaVu Serif");
  bold.setPointSize(12);
  bold.setBold(true);
  pane.SetFont(bold);
  EXPECT_EQ(pane.Font().family(), "DejaVu Serif");
  EXPECT_EQ(pane.Font().pointSize(), 8);
  EXPECT_FALSE(pane.Font().bold());
}

TEST_F(TaskPaneModelTest, CountsStopAtTheSixteenBitLimit) {
  pane.AddGroup("g", "G");
  for (int i = 0; i < 32767; ++i) ASSERT_EQ(pane.AddItem(int16_t{1}, "k", "c"), PaneStatus::kOk);
  EXPECT_EQ(pane.AddItem(int16_t{1}, "k", "c"), PaneStatus::kOverflow);
  EXPECT_EQ(Group(1).iItemCount, 32767);
  for (int i = 1; i < 32767; ++i) ASSERT_EQ(pane.AddGroup("g", "G"), PaneStatus::kOk);
  EXPECT_EQ(pane.AddGroup("g", "G"), PaneStatus::kOverflow);
  EXPECT_EQ(pane.Model().m_GroupCount, 32767);
}

TEST_F(TaskPaneModelTest, VersionAndTheMembersWithoutEffect) {
  EXPECT_EQ(pane.GetControlVersion(), "1.91");
  EXPECT_FALSE(pane.EnableExtImageList(true).isValid());
}

// --- Painting ---

QPixmap Filled(int side, const QColor& colour) {
  QPixmap picture(side, side);
  picture.fill(colour);
  return picture;
}

QColor SystemColour(int index) {
  return ToQColor(plat::kSystemColorFlag | static_cast<plat::TColor>(index));
}

class TaskPanePaintTest : public TaskPaneModelTest {
 protected:
  void SetUp() override {
    TaskPaneModelTest::SetUp();
    qputenv("VELMORA_COLOR_SCHEME", "Classic");
    pane.resize(220, 400);
    icons.Add("red", Filled(16, Qt::red));
    pane.SetImageList(&icons);
  }
  void TearDown() override { qunsetenv("VELMORA_COLOR_SCHEME"); }
  QColor At(int x, int y) { return pane.Canvas().pixelColor(x, y); }

  ImageList icons;
};

TEST_F(TaskPanePaintTest, NothingIsDrawnWhileUpdatesAreDisabled) {
  pane.AddGroup("g", "G");
  pane.AddItem("g", "a", "A");
  EXPECT_EQ(pane.FullRepaintCount(), 0);
  pane.DisableUpdates(false);
  EXPECT_EQ(pane.FullRepaintCount(), 1);
  pane.DisableUpdates(true);
  pane.AddItem("g", "b", "B");
  pane.Refresh();
  EXPECT_EQ(pane.FullRepaintCount(), 1);
  pane.ClearStructure();  // draws once whatever the setting, then restores it
  EXPECT_EQ(pane.FullRepaintCount(), 2);
  EXPECT_FALSE(pane.UpdatesAllowed());
}

TEST_F(TaskPanePaintTest, ClassicHeadersBodiesAndIcons) {
  pane.AddSpecialGroup("Tasks", Filled(32, Qt::green));
  pane.AddItem("Special Group", "a", "Rotate", PaneArg("red"));
  pane.AddItem("Special Group", "b", "Crop", PaneArg("missing"));
  pane.AddGroup("g", "Options");
  pane.DisableUpdates(false);
  const BarGroup& special = Special();
  EXPECT_EQ(At(100, special.rcHeader.top + 2), SystemColour(13));
  EXPECT_EQ(At(12, 8), QColor(Qt::green));  // the icon reaches 8 pixels above the header
  EXPECT_EQ(At(43, 39), QColor(Qt::green));
  const BarGroup& group = Group(1);
  EXPECT_EQ(At(100, group.rcHeader.top + 2), SystemColour(15));
  EXPECT_EQ(At(group.rcHeader.left, special.rcHeader.bottom + 5), SystemColour(13));
  const BarRect withIcon = special.Items[1].rcItem;
  EXPECT_EQ(At(withIcon.left + 8, withIcon.top + 8), QColor(Qt::red));
  const BarRect withoutIcon = special.Items[2].rcItem;
  EXPECT_EQ(At(withoutIcon.left + 8, withoutIcon.top + 8), SystemColour(5));
  EXPECT_EQ(TakeBoxes(), QStringList{"GetIconIndex: icon with key missing doesn't exist!"});
}

TEST_F(TaskPanePaintTest, AHugeCaptionStaysInsideTheSixteenBitBound) {
  pane.AddGroup("g", "G");
  pane.AddItem("g", "a", QString(100000, 'x'));
  pane.DisableUpdates(false);
  EXPECT_LE(Group(1).Items[1].rcItem.bottom, 32767);
  EXPECT_LE(pane.ScrollBar()->maximum(), 32767);
  EXPECT_FALSE(pane.Canvas().isNull());
}

TEST_F(TaskPanePaintTest, HoveringAnItemRedrawsOnlyThatItem) {
  pane.AddGroup("g", "G");
  pane.AddItem("g", "a", "Sharpen");
  pane.AddItem("g", "b", "Blur");
  pane.DisableUpdates(false);
  const QImage before = pane.Canvas().copy();
  pane.DrawItem(1, 1, 2);
  const BarRect item = Group(1).Items[1].rcItem;
  const QRect text(item.left + 20, item.top, pane.UsableWidth() - 12 - (item.left + 20),
                   item.Height());
  int highlighted = 0;
  for (int y = 0; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) {
      if (before.pixel(x, y) == pane.Canvas().pixel(x, y)) continue;
      ASSERT_TRUE(text.contains(x, y)) << x << "," << y;
      if (At(x, y) == SystemColour(13)) ++highlighted;
    }
  }
  EXPECT_GT(highlighted, 0);
  pane.Refresh();
  EXPECT_EQ(pane.Canvas(), before);
}

TEST_F(TaskPanePaintTest, OpenLinkReportsFailure) {
  EXPECT_EQ(pane.OpenLink(""), 2);
}

// --- Colour schemes ---

TEST_F(TaskPanePaintTest, SoftColorLiftsEveryChannel) {
  const struct {
    int channel, soft;
  } cases[] = {{0, 76}, {31, 107}, {32, 89}, {128, 166}, {224, 224}, {255, 255}};
  for (const auto& c : cases) {
    const auto v = static_cast<uint8_t>(c.channel);
    const plat::TColor soft = pane.SoftColor(plat::RGB(v, 0, 255));
    EXPECT_EQ(plat::GetRValue(soft), c.soft) << c.channel;
    EXPECT_EQ(plat::GetGValue(soft), 76);
    EXPECT_EQ(plat::GetBValue(soft), 255);
  }
}

TEST_F(TaskPanePaintTest, Long2RGBSplitsTheChannels) {
  int red = 0, green = 0, blue = 0;
  ucTaskPane::Long2RGB(0x00A0B0C0, red, green, blue);
  EXPECT_EQ(red, 0xC0);
  EXPECT_EQ(green, 0xB0);
  EXPECT_EQ(blue, 0xA0);
}

TEST_F(TaskPanePaintTest, DoGradientRunsFromCornerToCorner) {
  pane.DisableUpdates(false);
  const plat::TColor red = plat::RGB(255, 0, 0), blue = plat::RGB(0, 0, 255);
  // Each corner pixel carries its corner's colour, give or take one step of the gradient.
  ASSERT_TRUE(pane.DoGradient(red, blue, 0, 10, 10, 100, 20));
  EXPECT_GE(At(10, 10).red(), 240);
  EXPECT_LE(At(10, 29).blue(), 15);
  EXPECT_GE(At(109, 29).blue(), 240);
  EXPECT_LE(At(109, 10).red(), 15);
  ASSERT_TRUE(pane.DoGradient(red, blue, 1, 10, 50, 100, 20));
  EXPECT_GE(At(109, 50).red(), 240);
  EXPECT_GE(At(10, 69).blue(), 240);
  EXPECT_LE(At(10, 69).red(), 15);
}

QImage Cell(int x, int y) {
  return ButtonStrip().copy(x, y, kStripCell, kStripCell);
}

class TaskPaneSchemeTest : public TaskPanePaintTest {
 protected:
  void Show(const char* scheme) {
    qputenv("VELMORA_COLOR_SCHEME", scheme);
    pane.AddSpecialGroup("Tasks");
    pane.AddItem("Special Group", "a", "Rotate");
    pane.AddGroup("g", "Options");
    pane.AddItem("g", "b", "Crop");
    pane.AddGroup("c", "Collapsed");
    pane.ExpandGroup("c", false);
    pane.DisableUpdates(false);
  }
  QImage ButtonOf(const BarGroup& group) {
    return pane.Canvas().copy(pane.UsableWidth() - 32 + 4, group.rcHeader.top + 4, kStripCell,
                              kStripCell);
  }
  QColor BodyPixel(const BarGroup& group) {
    return At(group.rcHeader.left + 5, group.rcHeader.bottom + 3);
  }
};

TEST_F(TaskPaneSchemeTest, MetallicDrawsItsOwnBodiesAndStripButtons) {
  Show("Metallic");
  EXPECT_EQ(pane.Scheme(), "Metallic");
  EXPECT_EQ(BodyPixel(Group(1)), QColor(240, 241, 245));
  EXPECT_EQ(BodyPixel(Special()), QColor(240, 241, 245));
  EXPECT_EQ(ButtonOf(Group(2)), Cell(34, 0));
  EXPECT_EQ(ButtonOf(Group(1)), Cell(51, 0));
  EXPECT_EQ(ButtonOf(Special()), Cell(17, 0));
  pane.ExpandGroup("Special Group");
  EXPECT_EQ(ButtonOf(Special()), Cell(0, 0));
  // The header's gradient leaves its two top corners cut off.
  const BarRect header = Group(1).rcHeader;
  EXPECT_EQ(At(header.left, header.top), At(header.left, header.top - 1));
  EXPECT_EQ(At(header.left + 2, header.top), QColor(Qt::white));
}

TEST_F(TaskPaneSchemeTest, HomeSteadTakesTheSpecialGroupFromTheStyle) {
  Show("HomeStead");
  EXPECT_EQ(BodyPixel(Group(1)), QColor(246, 246, 236));
  EXPECT_EQ(ButtonOf(Group(2)), Cell(34, 17));
  EXPECT_NE(ButtonOf(Special()), Cell(17, 17));
  EXPECT_EQ(BodyPixel(Special()), QColor(246, 246, 236));
  EXPECT_TRUE(pane.Themed());
}

TEST_F(TaskPaneSchemeTest, OtherNamesGetTheStyleLook) {
  for (const char* scheme : {"metallic", "NormalColor"}) {
    pane.ClearStructure();
    Show(scheme);
    EXPECT_EQ(pane.Scheme(), scheme);
    EXPECT_TRUE(pane.Themed()) << scheme;
    EXPECT_NE(BodyPixel(Group(1)), QColor(240, 241, 245)) << scheme;
    EXPECT_NE(ButtonOf(Group(2)), Cell(34, 0)) << scheme;
  }
}

TEST_F(TaskPaneSchemeTest, ClassicDrawsThePlainLook) {
  Show("Classic");
  EXPECT_EQ(pane.Scheme(), "Classic");
  EXPECT_FALSE(pane.Themed());
  EXPECT_EQ(At(100, Group(1).rcHeader.top + 12), SystemColour(15));
  EXPECT_EQ(At(100, Special().rcHeader.top + 12), SystemColour(13));
  // The collapsed group's chevrons point down, drawn in the button-text colour.
  const QPoint button(pane.UsableWidth() - 32, Group(2).rcHeader.top);
  EXPECT_EQ(At(button.x() + 9, button.y() + 8), SystemColour(18));
  EXPECT_EQ(At(button.x() + 9, button.y() + 11), SystemColour(15));
}

TEST_F(TaskPaneSchemeTest, ASchemeChangeShowsAtTheNextRepaint) {
  Show("Classic");
  qputenv("VELMORA_COLOR_SCHEME", "Metallic");
  EXPECT_EQ(pane.Scheme(), "Classic");
  pane.Refresh();
  EXPECT_EQ(pane.Scheme(), "Metallic");
  EXPECT_EQ(BodyPixel(Group(1)), QColor(240, 241, 245));
}

}  // namespace
}  // namespace velmora

#include "task_pane_test.moc"
