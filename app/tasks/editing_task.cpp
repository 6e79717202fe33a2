#include "app/tasks/editing_task.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "app/shell/errors.h"

namespace tasks {

namespace {

struct TaskKind {
  int32_t id;
  const char* name;  // empty: a task the lists never show
  const char* paneKey;
};

constexpr TaskKind kTaskKinds[] = {
    {tskOrientation, "Orientation", "Flip"},
    {tskRotate, "Rotate", "Rotate"},
    {tskResize, "Resize", "Resize"},
    {tskBlur, "Blur", "Blur"},
    {tskContrast, "Contrast", "Contrast"},
    {tskBrightness, "Brightness", "Brightness"},
    {tskSharpen, "Sharpen", "Sharpen"},
    {tskCrop, "Crop", "Crop"},
    {tskWatermark, "Watermark", "Watermark"},
    {tskText, "Text", "Text"},
    {tskNegative, "Negative", "Invert"},
    {tskCanvas, "Canvas", "Canvas"},
    {tskFrame, "Frame", "Frame"},
    {tskMask, "Mask", "Mask"},
    {tskShadow, "Shadow", "Shadow"},
    {tskRedEye, "", "RedEye"},
};

const TaskKind* KindOf(int32_t id) {
  for (const TaskKind& kind : kTaskKinds)
    if (kind.id == id) return &kind;
  return nullptr;
}

constexpr QString TaskParameters::*kFields[kParameterCount] = {
    &TaskParameters::p1,  &TaskParameters::p2,  &TaskParameters::p3,  &TaskParameters::p4,
    &TaskParameters::p5,  &TaskParameters::p6,  &TaskParameters::p7,  &TaskParameters::p8,
    &TaskParameters::p9,  &TaskParameters::p10, &TaskParameters::p11, &TaskParameters::p12,
    &TaskParameters::p13, &TaskParameters::p14, &TaskParameters::p15, &TaskParameters::p16,
    &TaskParameters::p17};

[[noreturn]] void TypeMismatch() {
  throw shell::AppError(kErrTypeMismatch, "Type mismatch");
}

[[noreturn]] void Overflow() {
  throw shell::AppError(kErrOverflow, "Overflow");
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Parses [blanks][sign]digits[(.|,)digits][blanks] with at least one digit; nothing else (no
// exponent, no "inf"), so a value is always finite and its text is plainly a number.
bool TryParseNumber(const QString& text, double& value) {
  std::string s = text.trimmed().toStdString();
  size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  size_t digits = 0;
  bool separator = false;
  for (size_t k = i; k < s.size(); ++k) {
    if (IsDigit(s[k])) {
      ++digits;
    } else if ((s[k] == '.' || s[k] == ',') && !separator) {
      separator = true;
      s[k] = '.';
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  if (s[0] == '+') s.erase(0, 1);
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return error == std::errc() && end == s.data() + s.size();
}

template <class T>
T RoundedInto(double value) {
  const double rounded = std::nearbyint(value);
  if (rounded < std::numeric_limits<T>::min() || rounded > std::numeric_limits<T>::max())
    Overflow();
  return static_cast<T>(rounded);
}

}  // namespace

QString& TaskParameters::Param(int n) {
  return this->*kFields[n - 1];
}

const QString& TaskParameters::Param(int n) const {
  return this->*kFields[n - 1];
}

QString fncTaskName(int32_t id) {
  const TaskKind* kind = KindOf(id);
  return kind ? QString::fromLatin1(kind->name) : QString();
}

int32_t TaskIdOfKey(const QString& paneKey) {
  for (const TaskKind& kind : kTaskKinds)
    if (paneKey == QLatin1String(kind.paneKey)) return kind.id;
  return 0;
}

QString IconIndexOf(int32_t id) {
  const TaskKind* kind = KindOf(id);
  return kind ? QString::fromLatin1(kind->paneKey).toLower() : QString();
}

EditingTask NewEditingTask(int32_t id) {
  EditingTask task;
  task.Enhancement = id;
  task.IconIndex = IconIndexOf(id);
  return task;
}

QString FlagText(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString CheckText(bool ticked) {
  return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

QString ColourText(uint32_t colour) {
  return QString::number(static_cast<int32_t>(colour));
}

QString RealText(double value) {
  // Fixed notation: the reader takes no exponent. Shortest digits that read back the same value.
  char text[400];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
  return QString::fromLatin1(text, static_cast<int>(end - text));
}

double Real(const QString& text) {
  double value = 0;
  if (!TryParseNumber(text, value)) TypeMismatch();
  return value;
}

int32_t Whole(const QString& text) {
  return WholeOf(Real(text));
}

int16_t Short(const QString& text) {
  return ShortOf(Real(text));
}

uint8_t Byte(const QString& text) {
  return RoundedInto<uint8_t>(Real(text));
}

int32_t WholeOf(double value) {
  return RoundedInto<int32_t>(value);
}

int16_t ShortOf(double value) {
  return RoundedInto<int16_t>(value);
}

bool Flag(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  return Real(trimmed) != 0;
}

uint32_t Colour(const QString& text) {
  return static_cast<uint32_t>(Whole(text));
}

}  // namespace tasks
