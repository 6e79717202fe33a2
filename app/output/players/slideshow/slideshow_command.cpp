#include "app/output/players/slideshow/slideshow_command.h"

namespace players::slideshow {

namespace {

std::optional<uint64_t> WindowId(const QString& word) {
  bool ok = false;
  const uint64_t id = word.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                          ? word.mid(2).toULongLong(&ok, 16)
                          : word.toULongLong(&ok, 10);
  if (!ok || id == 0) return std::nullopt;
  return id;
}

}  // namespace

Command ParseCommandLine(const QStringList& arguments) {
  const QString first = arguments.isEmpty() ? QStringLiteral("/S") : arguments.first();
  const QString mode = first.left(2).toUpper();
  if (mode == QStringLiteral("/S")) return {Mode::kShow, std::nullopt};
  if (mode == QStringLiteral("/C")) return {Mode::kConfigure, std::nullopt};
  if (mode == QStringLiteral("/P")) {
    // Without a window to preview in there is nothing to do: the program ends as for any switch
    // it does not know.
    const std::optional<uint64_t> window =
        arguments.size() > 1 ? WindowId(arguments.at(1)) : std::nullopt;
    return window ? Command{Mode::kPreview, window} : Command{Mode::kEnd, std::nullopt};
  }
  return {Mode::kEnd, std::nullopt};
}

}  // namespace players::slideshow
