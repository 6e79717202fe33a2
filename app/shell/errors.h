#pragma once
// Trapped run-time errors: a routine body runs under Trap, and whatever error it raises is
// recorded with the activity under way and shown in the error-report dialog; the routine then
// returns its default value and the program goes on.
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "app/shell/error_labels.h"

namespace shell {

#define VELMORA_ENUM_ROW(name, text) name,
enum class Routine { VELMORA_ROUTINE_LABELS(VELMORA_ENUM_ROW) };
enum class Activity { VELMORA_ACTIVITY_TEXTS(VELMORA_ENUM_ROW) };
#undef VELMORA_ENUM_ROW

QString RoutineLabel(Routine routine);
QString ActivityText(Activity activity);

// Error numbers the workbench raises itself.
inline constexpr int32_t kErrInvalidProcedureCall = 5;  // "Invalid procedure call or argument"
inline constexpr int32_t kErrObjectNotSet = 91;  // "Object variable or With block variable not set"
inline constexpr int32_t kErrSubscriptOutOfRange = 9;  // "Subscript out of range"

// A run-time error of the workbench: a number and a description, with the line that raised it.
// (The caller's line comes from __builtin_LINE, which every compiler we build with offers, where
// std::source_location is not there in all of them.)
class AppError : public std::runtime_error {
 public:
  AppError(int32_t number, const std::string& description, uint32_t line = __builtin_LINE())
      : std::runtime_error(description), number_(number), line_(line) {}
  int32_t Number() const { return number_; }
  uint32_t Line() const { return line_; }

 private:
  int32_t number_;
  uint32_t line_;
};

// The error globals of the report. `gstrCurrentActivity` is set by a trapping routine before each
// risky stage and never cleared by the error handling.
extern QString gstrApplicationName;
extern QString gstrCurrentActivity;
extern QString gstrErrorRoutine;
extern int16_t gintErrorLine;
extern QString gstrErrorVersion;
extern QString gstrErrorActivity;
extern QString gstrErrorText;

void SetActivity(Activity activity);

// Sets `gstrApplicationName` from the program's title and edition; called once at start-up.
void subInitErrorHandling();
// Records the error and shows the report dialog modally; returns when it has been closed.
void subGlobalErrorHandler(const QString& description, int32_t number, int16_t line,
                           const QString& routine);

struct TrappedError {
  QString description;
  int32_t number = 0;
  int16_t line = 0;
};

// Runs body; an error of ours or a failed control call comes back instead of propagating.
// `line` stands for the failing line when the error does not carry its own.
std::optional<TrappedError> RunTrapped(const std::function<void()>& body, uint32_t line);

// Runs a trapping routine's body: an error goes to the global handler under routine's label, and
// the routine's result is then its default (0, false, an empty text).
template <class Body>
auto Trap(Routine routine, Body&& body, uint32_t line = __builtin_LINE())
    -> std::invoke_result_t<Body&> {
  using Result = std::invoke_result_t<Body&>;
  std::optional<TrappedError> error;
  if constexpr (std::is_void_v<Result>) {
    error = RunTrapped(body, line);
  } else {
    Result result{};
    error = RunTrapped([&] { result = body(); }, line);
    if (!error) return result;
  }
  if (error)
    subGlobalErrorHandler(error->description, error->number, error->line, RoutineLabel(routine));
  if constexpr (!std::is_void_v<Result>) return Result{};
}

// One step of a routine that ignores its errors and goes on with the next step.
void IgnoreErrors(const std::function<void()>& step);

}  // namespace shell
