// The Name=Value string list and its index errors.
#include <gtest/gtest.h>

#include "platform/base/exceptions.h"
#include "platform/base/string_list.h"

using plat::EListError;
using plat::TStringList;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EListError& e) {
    return e.what();
  }
  return "no error";
}

TEST(StringList, NamesAndValuesSplitAtTheFirstEqualsSign) {
  TStringList list{"a=1", "Quality=x=y", "novalue", "A=2"};
  EXPECT_EQ(list.Names(1), "Quality");
  EXPECT_EQ(list.ValueFromIndex(1), "x=y");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.IndexOfName("QUALITY"), 1);
  EXPECT_EQ(list.Values("a"), "1");  // the first of two entries named a
  EXPECT_EQ(list.Values("missing"), "");
  list.SetValue("quality", "90");
  EXPECT_EQ(list[1], "quality=90");
  list.SetValue("new", "v");
  EXPECT_EQ(list[list.Count() - 1], "new=v");
  list.SetValue("new", "");
  EXPECT_EQ(list.IndexOfName("new"), -1);
}

TEST(StringList, BadIndexesRaiseWithTheIndex) {
  TStringList list{"one", "two"};
  EXPECT_EQ(ErrorOf([&] { (void)list[-1]; }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { (void)list[2]; }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorOf([&] { list.Insert(3, "x"); }), "List index out of bounds (3)");
  EXPECT_EQ(ErrorOf([&] { list.Delete(5); }), "List index out of bounds (5)");
  list.Insert(2, "three");  // at the count appends
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list[2], "three");
}

TEST(StringList, TextJoinsWithCrLfAndSplitsAnyLineEnd) {
  TStringList list;
  list.SetText("a=1\r\nb=2\nc=3\rd");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list[3], "d");
  EXPECT_EQ(list.Text(), "a=1\r\nb=2\r\nc=3\r\nd\r\n");
}

}  // namespace
