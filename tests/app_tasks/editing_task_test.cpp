// The task record: ids, names and keys, the parameter texts the preview writes and the
// conversions the replay reads them back with; and the task list model.
#include <gtest/gtest.h>

#include <limits>

#include "app/shell/errors.h"
#include "app/tasks/editing_task.h"
#include "app/tasks/task_list.h"

namespace {

using namespace tasks;

TEST(TaskIds, NamesAndPaneKeysOfEveryId) {
  struct Case {
    int32_t id;
    const char* name;
    const char* key;
  } cases[] = {
      {1, "Orientation", "Flip"}, {2, "Rotate", "Rotate"},     {3, "Resize", "Resize"},
      {4, "Blur", "Blur"},        {5, "Contrast", "Contrast"}, {6, "Brightness", "Brightness"},
      {7, "Sharpen", "Sharpen"},  {8, "Crop", "Crop"},         {9, "Watermark", "Watermark"},
      {10, "Text", "Text"},       {11, "Negative", "Invert"},  {12, "Canvas", "Canvas"},
      {13, "Frame", "Frame"},     {14, "Mask", "Mask"},        {15, "Shadow", "Shadow"},
      {16, "", "RedEye"}};
  for (const Case& c : cases) {
    EXPECT_EQ(fncTaskName(c.id), c.name) << c.id;
    EXPECT_EQ(TaskIdOfKey(c.key), c.id) << c.key;
    EXPECT_EQ(IconIndexOf(c.id), QString(c.key).toLower()) << c.id;
  }
  for (int32_t unknown : {0, 17, -1, 1000}) EXPECT_EQ(fncTaskName(unknown), "") << unknown;
  EXPECT_EQ(TaskIdOfKey("flip"), 0);
  EXPECT_EQ(IconIndexOf(16), "redeye");
}

TEST(TaskIds, AChosenTaskStartsWithEveryParameterEmpty) {
  const EditingTask task = NewEditingTask(tskNegative);
  EXPECT_EQ(task.Enhancement, 11);
  EXPECT_EQ(task.IconIndex, "invert");
  for (int n = 1; n <= kParameterCount; ++n) EXPECT_TRUE(task.Param(n).isNull()) << n;
}

TEST(TaskParameters, ParamNumbersNameTheirFields) {
  TaskParameters p;
  for (int n = 1; n <= kParameterCount; ++n) p.Param(n) = QString::number(n * 10);
  EXPECT_EQ(p.p1, "10");
  EXPECT_EQ(p.p6, "60");
  EXPECT_EQ(p.p16, "160");
  EXPECT_EQ(p.p17, "170");
}

int32_t ErrorOf(const std::function<void()>& conversion) {
  try {
    conversion();
  } catch (const shell::AppError& e) {
    return e.Number();
  }
  return 0;
}

TEST(Conversions, NumbersRoundHalvesToEvenAndTakeEitherSeparator) {
  struct Case {
    const char* text;
    int32_t whole;
  } cases[] = {{"45", 45},   {"-10", -10}, {" 7 ", 7}, {"+3", 3},   {"2.5", 2},  {"3.5", 4},
               {"-2.5", -2}, {"0.5", 0},   {"1,5", 2}, {"2,51", 3}, {"12.", 12}, {".6", 1}};
  for (const Case& c : cases) EXPECT_EQ(Whole(c.text), c.whole) << c.text;
  EXPECT_DOUBLE_EQ(Real("7,25"), 7.25);
  EXPECT_DOUBLE_EQ(Real("-0.125"), -0.125);
  EXPECT_EQ(Short("-32768.5"), -32768);
  EXPECT_EQ(Short("32767.4"), 32767);
  EXPECT_EQ(Byte("255"), 255);
  EXPECT_EQ(Whole("2147483647"), std::numeric_limits<int32_t>::max());
}

TEST(Conversions, TextsThatAreNoNumberMismatchAndTooLargeOnesOverflow) {
  for (const char* text :
       {"", " ", "abc", "1e3", "1.2.3", "1,2.3", "--1", "+", "0x10", "inf", "nan", "True", "12a"})
    EXPECT_EQ(ErrorOf([&] { Whole(text); }), kErrTypeMismatch) << text;
  EXPECT_EQ(ErrorOf([] { Whole("2147483648"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { Whole("-2147483649"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { Short("40000"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { Short("32767.5"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { Byte("256"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { Byte("-1"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { ShortOf(32768); }), kErrOverflow);
}

TEST(Conversions, FlagsTakeBooleanTextsAndAnyNonZeroNumber) {
  struct Case {
    const char* text;
    bool value;
  } cases[] = {{"True", true}, {"true", true}, {"FALSE", false}, {"False", false},
               {"1", true},    {"0", false},   {"2", true},      {"-1", true},
               {"0.0", false}, {"0.25", true}, {" True ", true}};
  for (const Case& c : cases) EXPECT_EQ(Flag(c.text), c.value) << c.text;
  for (const char* text : {"", "yes", "Tru", "1x"})
    EXPECT_EQ(ErrorOf([&] { Flag(text); }), kErrTypeMismatch) << text;
}

TEST(Encodings, ParameterTextsReadBackToTheSameValue) {
  EXPECT_EQ(ColourText(0x8000000E), "-2147483634");
  for (uint32_t colour : {0x8000000Eu, 0x80000005u, 0x00FF8000u, 0u, 0x00FFFFFFu})
    EXPECT_EQ(Colour(ColourText(colour)), colour) << colour;
  for (double value : {12.0, -7.5, 0.1, 2.675, -90.0, 1e15, 123456.789})
    EXPECT_DOUBLE_EQ(Real(RealText(value)), value) << value;
  EXPECT_EQ(RealText(12), "12");
  EXPECT_EQ(RealText(-7.5), "-7.5");
  for (bool value : {true, false}) {
    EXPECT_EQ(Flag(FlagText(value)), value);
    EXPECT_EQ(Flag(CheckText(value)), value);
  }
  EXPECT_EQ(FlagText(true), "True");
  EXPECT_EQ(CheckText(false), "0");
}

EditingTask TaskOf(int32_t id, const QString& p1 = {}) {
  EditingTask task = NewEditingTask(id);
  task.p1 = p1;
  return task;
}

TEST(TaskList, RowsKeepTheRecordAndTheIdAsText) {
  TaskList list;
  list.Append(TaskOf(tskRotate, "True"));
  list.Append(TaskOf(tskCanvas));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Row(0).Text, "2");
  EXPECT_EQ(list.Row(0).IconIndex, "rotate");
  EXPECT_EQ(list.Row(0).p1, "True");
  EXPECT_EQ(list.Row(1).Text, "12");
  TaskRow odd;
  odd.Text = "x";
  list.AppendRow(odd);
  EXPECT_EQ(list.Row(2).Text, "x");
}

TEST(TaskList, StopRowsFollowRemovedRows) {
  TaskList list;
  for (int id = 1; id <= 5; ++id) list.Append(TaskOf(id));
  list.SetStopRow(StopView::Explorer, 3);
  list.SetStopRow(StopView::EditMode, 1);
  list.Remove(0);
  EXPECT_EQ(list.StopRow(StopView::Explorer), 2);
  EXPECT_EQ(list.StopRow(StopView::EditMode), 0);
  EXPECT_EQ(list.Row(0).Text, "2");
  list.Remove(0);
  EXPECT_EQ(list.StopRow(StopView::EditMode), TaskList::kNoStop);
  list.SetStopRow(StopView::EditMode, 9);
  EXPECT_EQ(list.StopRow(StopView::EditMode), TaskList::kNoStop);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.StopRow(StopView::Explorer), TaskList::kNoStop);
}

}  // namespace
