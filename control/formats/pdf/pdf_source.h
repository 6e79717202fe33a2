#pragma once
// Line and token access to the bytes of an existing PDF for the incremental update. Lines end in
// CR, LF or CR LF (the last line may also end with the data); every read is bounds-checked and
// running out of data raises EPDFError "Source PDF file is invalid".
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pictavo {

class TPdfSource {
 public:
  explicit TPdfSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
  bool EndsWithLineEnd() const { return !bytes_.empty() && IsLineEnd(Size() - 1); }

  // The line starting at position, without its line end and trimmed of blanks and control
  // characters; position moves past the line end.
  std::string ReadLine(int64_t& position) const;
  // Scanning backwards from `from`, the start of the first line equal to text that follows a
  // line end; -1 when the scan reaches the start of the data.
  int64_t FindLineBackward(std::string_view text, int64_t from) const;

 private:
  bool IsLineEnd(int64_t index) const;

  std::span<const uint8_t> bytes_;
};

// The space-separated tokens of one line, as the page tree and the tables are parsed.
class TLineTokens {
 public:
  explicit TLineTokens(std::string_view line, size_t position = 0)
      : line_(line), position_(position) {}

  // The next run of characters up to a space or the end of the line (leading spaces skipped);
  // the position moves past the character that ended it. Empty at the end of the line.
  std::string_view Next();
  size_t Position() const { return position_; }
  void SetPosition(size_t position) { position_ = position; }
  bool AtEnd() const { return position_ >= line_.size(); }

 private:
  std::string_view line_;
  size_t position_;
};

std::string_view FirstToken(std::string_view line);
// The token after the first one: the value of a key line.
std::string_view KeyValue(std::string_view line);
// A whole token as a decimal 64-bit integer.
std::optional<int64_t> ParseNumber(std::string_view token);

}  // namespace pictavo
