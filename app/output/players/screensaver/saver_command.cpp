#include "app/output/players/screensaver/saver_command.h"

namespace players::screensaver {

namespace {

// The longest tail of `text` that, without outer blanks, reads as a number; 0 when none does.
uint64_t LongestNumericTail(const QString& text) {
  for (qsizetype start = 0; start < text.size(); ++start) {
    if (const std::optional<uint64_t> number = WindowNumber(text.mid(start).trimmed()))
      return *number;
  }
  return 0;
}

}  // namespace

std::optional<uint64_t> WindowNumber(const QString& text) {
  bool ok = false;
  uint64_t value = 0;
  if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && text.size() > 2)
    value = text.mid(2).toULongLong(&ok, 16);
  else if (!text.isEmpty() && text.front().isDigit())
    value = text.toULongLong(&ok, 10);
  if (!ok) return std::nullopt;
  return value;
}

SaverCommand ParseCommand(const QStringList& arguments, const QString& daemon_window) {
  QStringList words;
  for (const QString& argument : arguments)
    words += argument.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty()) words << QStringLiteral("/S");
  const QString& first = words.front();
  if (first == QLatin1String("-root"))
    return {SaverMode::kFullScreen, WindowNumber(daemon_window.trimmed()).value_or(0)};
  if (first == QLatin1String("-window-id"))
    return {SaverMode::kPreview, words.size() > 1 ? WindowNumber(words[1]).value_or(0) : 0};
  const QString mode = first.left(2).toUpper();
  if (mode == QLatin1String("/S")) return {SaverMode::kFullScreen, 0};
  if (mode == QLatin1String("/P"))
    return {SaverMode::kPreview, LongestNumericTail(words.join(QLatin1Char(' ')))};
  if (mode == QLatin1String("/C")) return {SaverMode::kConfigure, 0};
  return {SaverMode::kEnd, 0};
}

}  // namespace players::screensaver
