#include "app/shell/errors.h"

#include <QCoreApplication>
#include <array>

#include "app/shell/error_report.h"
#include "app/shell/version_record.h"
#include "platform/com/errorinfo.h"

namespace shell {

QString gstrApplicationName;
QString gstrCurrentActivity;
QString gstrErrorRoutine;
int16_t gintErrorLine = 0;
QString gstrErrorVersion;
QString gstrErrorActivity;
QString gstrErrorText;

namespace {

#define VELMORA_TEXT_ROW(name, text) text,
constexpr std::array kRoutineLabels{VELMORA_ROUTINE_LABELS(VELMORA_TEXT_ROW)};
constexpr std::array kActivityTexts{VELMORA_ACTIVITY_TEXTS(VELMORA_TEXT_ROW)};
#undef VELMORA_TEXT_ROW

// Line numbers are kept in 16 bits, as the report has always shown them.
int16_t ReportLine(uint32_t line) {
  return static_cast<int16_t>(line);
}

}  // namespace

QString RoutineLabel(Routine routine) {
  return QString::fromUtf8(kRoutineLabels[static_cast<size_t>(routine)]);
}

QString ActivityText(Activity activity) {
  return QString::fromUtf8(kActivityTexts[static_cast<size_t>(activity)]);
}

void SetActivity(Activity activity) {
  gstrCurrentActivity = ActivityText(activity);
}

void subInitErrorHandling() {
  gstrApplicationName =
      QCoreApplication::applicationName() + QLatin1Char(' ') + QString::fromUtf8(version::kEdition);
}

void subGlobalErrorHandler(const QString& description, int32_t number, int16_t line,
                           const QString& routine) {
  gstrErrorVersion =
      QStringLiteral("%1.%2.%3").arg(version::kMajor).arg(version::kMinor).arg(version::kRevision);
  gstrErrorRoutine = routine;
  gintErrorLine = line;
  gstrErrorActivity = gstrCurrentActivity;
  gstrErrorText = QString::number(number) + QStringLiteral(" - ") + description;
  frmErrorReport report;
  report.exec();
}

std::optional<TrappedError> RunTrapped(const std::function<void()>& body, uint32_t line) {
  try {
    body();
  } catch (const AppError& e) {
    return TrappedError{QString::fromUtf8(e.what()), e.Number(), ReportLine(e.Line())};
  } catch (const plat::com::EOleException& e) {
    return TrappedError{QString::fromUtf8(e.what()), static_cast<int32_t>(e.ErrorCode()),
                        ReportLine(line)};
  }
  return std::nullopt;
}

void IgnoreErrors(const std::function<void()>& step) {
  (void)RunTrapped(step, 0);
}

}  // namespace shell
