#include "control/engine/raster/pvclasses.h"

#include <gtest/gtest.h>

#include "platform/base/exceptions.h"

namespace pictavo {
namespace {

TEST(SimpleHash, EmptyTableFindsNothing) {
  TSimpleHash hash;
  EXPECT_EQ(hash.Find(0), -1);
  EXPECT_EQ(hash.Find(0x123456), -1);
}

TEST(SimpleHash, KeysSharingAHomeSlotAreBothFound) {
  TSimpleHash hash;
  ASSERT_TRUE(hash.Add(0, 7));
  ASSERT_TRUE(hash.Add(4096, 8));
  ASSERT_TRUE(hash.Add(3 * 4096, 9));
  EXPECT_EQ(hash.Find(0), 7);
  EXPECT_EQ(hash.Find(4096), 8);
  EXPECT_EQ(hash.Find(3 * 4096), 9);
  EXPECT_EQ(hash.Find(2 * 4096), -1);
}

TEST(SimpleHash, FirstAddedValueOfADuplicateKeyWins) {
  TSimpleHash hash;
  ASSERT_TRUE(hash.Add(0xFF00FF, 5));
  ASSERT_TRUE(hash.Add(0xFF00FF, 9));
  EXPECT_EQ(hash.Find(0xFF00FF), 5);
}

TEST(SimpleHash, ProbingWrapsFromTheLastSlotToTheFirst) {
  TSimpleHash hash;
  ASSERT_TRUE(hash.Add(4095, 1));
  ASSERT_TRUE(hash.Add(2 * 4096 - 1, 2));  // home 4095 is taken: lands in slot 0
  EXPECT_EQ(hash.Find(2 * 4096 - 1), 2);
  // Slot 0 is now occupied by a foreign key, so key 0 probes on to slot 1.
  ASSERT_TRUE(hash.Add(0, 3));
  EXPECT_EQ(hash.Find(0), 3);
  EXPECT_EQ(hash.Find(4095), 1);
}

TEST(SimpleHash, NegativeKeysStayInsideTheTable) {
  TSimpleHash hash;
  ASSERT_TRUE(hash.Add(-1, 11));
  ASSERT_TRUE(hash.Add(-4096, 12));
  EXPECT_EQ(hash.Find(-1), 11);
  EXPECT_EQ(hash.Find(-4096), 12);
  EXPECT_EQ(hash.Find(4095), -1);
}

TEST(SimpleHash, AddingToAFullTableFailsAndLookupsStillEnd) {
  TSimpleHash hash;
  for (int i = 0; i < TSimpleHash::kSlots; ++i) ASSERT_TRUE(hash.Add(i * 7, i));
  EXPECT_FALSE(hash.Add(99999, 1));
  EXPECT_EQ(hash.Find(99999), -1);
  EXPECT_EQ(hash.Find(7 * 4095), 4095);
}

TEST(WideStringList, AddsInOrderAndClears) {
  TWideStringList list;
  EXPECT_EQ(list.Count(), 0);
  list.Add(u"one");
  list.Add(u"");
  list.Add(u"dr\u00e9i");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(2), u"dr\u00e9i");
  EXPECT_EQ(list.Get(1), u"");
  EXPECT_THROW(list.Get(3), plat::EListError);
  EXPECT_THROW(list.Get(-1), plat::EListError);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace pictavo
