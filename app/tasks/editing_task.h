#pragma once
// One recorded editing step and the texts its parameters are written as. Every parameter is text,
// so one record layout serves all tasks; each task gives its own meaning to the parameters it
// uses, and the replay converts them back with the conversions below.
#include <QString>
#include <array>
#include <cstdint>

namespace tasks {

enum TaskId : int32_t {
  tskOrientation = 1,
  tskRotate = 2,
  tskResize = 3,
  tskBlur = 4,
  tskContrast = 5,
  tskBrightness = 6,
  tskSharpen = 7,
  tskCrop = 8,
  tskWatermark = 9,
  tskText = 10,
  tskNegative = 11,
  tskCanvas = 12,
  tskFrame = 13,
  tskMask = 14,
  tskShadow = 15,
  // Exists only while the red-eye tool is the current task: never recorded, never replayed.
  tskRedEye = 16,
};

constexpr int kParameterCount = 17;

// The parameters of a record; a parameter a task does not write stays empty.
struct TaskParameters {
  QString p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, p16, p17;

  // Parameter n, 1 to 17.
  QString& Param(int n);
  const QString& Param(int n) const;
  bool operator==(const TaskParameters&) const = default;
};

struct EditingTask : TaskParameters {
  int32_t Enhancement = 0;  // 0: no task chosen
  QString IconIndex;        // the task-pane key, lower case
  bool operator==(const EditingTask&) const = default;
};

// The display name of a task id; empty for 0, 16 and any id outside the table.
QString fncTaskName(int32_t id);
// The task id of a task-pane item key ("Flip" gives 1); 0 for a key that names no task.
int32_t TaskIdOfKey(const QString& paneKey);
// The icon key of a task's list row: its task-pane key in lower case; empty for an unknown id.
QString IconIndexOf(int32_t id);
// A record of a freshly chosen task: id and icon key set, every parameter empty.
EditingTask NewEditingTask(int32_t id);

// ---- How the preview writes parameter values ----------------------------------------------

// A flag the image control reports: "True" or "False".
QString FlagText(bool value);
// A check box: "1" ticked, "0" not.
QString CheckText(bool ticked);
// A colour 0x00BBGGRR, or a system colour with the top bit set, as signed decimal text.
QString ColourText(uint32_t colour);
// A real number with "." and a fraction only where it has one ("12", "-7.5").
QString RealText(double value);

// ---- How the replay reads them back (the rules of the original program's conversions) --------
// Numbers accept surrounding blanks, a sign and "." or "," before a fraction; they round halves
// to even. A text that is not a number raises AppError 13 "Type mismatch"; a value outside the
// target range AppError 6 "Overflow".

inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrTypeMismatch = 13;

double Real(const QString& text);
int32_t Whole(const QString& text);
int16_t Short(const QString& text);
uint8_t Byte(const QString& text);
// "True"/"False" in any letter case, or a number: any non-zero number is true.
bool Flag(const QString& text);
// A colour written by ColourText.
uint32_t Colour(const QString& text);
// A computed value under the same rounding and range rules.
int32_t WholeOf(double value);
int16_t ShortOf(double value);

}  // namespace tasks
