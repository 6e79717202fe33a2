#include "app/controls/property_bag.h"

#include <gtest/gtest.h>

#include "app/controls/twips.h"

namespace velmora {
namespace {

TEST(PropertyBag, ValuesEqualToTheirDefaultAreNotStored) {
  PropertyBag bag;
  bag.WriteProperty("Width", 70, 70);
  bag.WriteProperty("Color", 5u, 0u);
  bag.WriteProperty("Pane", QVariant());
  EXPECT_EQ(bag.Names(), std::vector<QString>{"Color"});

  // Writing the default again drops a value stored before.
  bag.WriteProperty("Color", 0u, 0u);
  EXPECT_TRUE(bag.Names().empty());
}

TEST(PropertyBag, AbsentNamesReadAsTheirDefault) {
  PropertyBag bag;
  bag.WriteProperty("Max", 40, 90);
  EXPECT_EQ(bag.ReadProperty("Max", 90).toInt(), 40);
  EXPECT_EQ(bag.ReadProperty("Min", 10).toInt(), 10);
  EXPECT_FALSE(bag.ReadProperty("Pane").isValid());
  EXPECT_FALSE(bag.Contains("Min"));
}

TEST(PropertyBag, NamesKeepTheirFirstWritingOrder) {
  PropertyBag bag;
  bag.WriteProperty("b", 1);
  bag.WriteProperty("a", 2);
  bag.WriteProperty("b", 3);
  EXPECT_EQ(bag.Names(), (std::vector<QString>{"b", "a"}));
  EXPECT_EQ(bag.ReadProperty("b").toInt(), 3);
}

TEST(Twips, ConvertAtTheGivenDpi) {
  struct Case {
    int twips;
    double dpi;
    int pixels;
  };
  // 1440 twips are one inch: 15 twips a pixel at 96 dpi, 12 at 120, 10 at 144.
  const Case cases[] = {
      {1440, 96, 96},
      {70, 96, 5},
      {7, 96, 0},
      {8, 96, 1},
      {70, 120, 6},
      {1440, 120, 120},
      {1440, 192, 192},
      // 1.5, 2.5 and 3.5 pixels: halves go to the even neighbour.
      {15, 144, 2},
      {25, 144, 2},
      {35, 144, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.twips << " twips at " << c.dpi << " dpi");
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels);
  }
  EXPECT_DOUBLE_EQ(TwipsPerPixel(96), 15.0);
  EXPECT_EQ(PixelsToTwips(5, 96), 75);
  EXPECT_EQ(PixelsToTwips(120, 120), 1440);
}

}  // namespace
}  // namespace velmora
