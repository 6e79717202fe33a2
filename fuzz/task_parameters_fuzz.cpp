// The parameter texts of recorded tasks, as a task basket file brings them: every conversion
// either gives a value or raises one of its two errors, and a number read back from the text
// the preview writes for it is the same number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "app/shell/errors.h"
#include "app/tasks/editing_task.h"

namespace {

template <class Conversion>
void Convert(Conversion&& conversion) {
  try {
    conversion();
  } catch (const shell::AppError& e) {
    if (e.Number() != tasks::kErrTypeMismatch && e.Number() != tasks::kErrOverflow) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  Convert([&] {
    const double value = tasks::Real(text);
    if (!std::isfinite(value) || tasks::Real(tasks::RealText(value)) != value) std::abort();
    const int32_t whole = tasks::Whole(text);
    if (whole != static_cast<int32_t>(std::nearbyint(value))) std::abort();
  });
  Convert([&] { (void)tasks::Short(text); });
  Convert([&] { (void)tasks::Byte(text); });
  Convert([&] { (void)tasks::Flag(text); });
  return 0;
}
