#include "control/formats/pdf/pdf_source.h"

#include <charconv>

#include "control/formats/pdf/pdf_document.h"

namespace pictavo {

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

bool TPdfSource::IsLineEnd(int64_t index) const {
  const uint8_t byte = bytes_[static_cast<size_t>(index)];
  return byte == kCR || byte == kLF;
}

std::string TPdfSource::ReadLine(int64_t& position) const {
  if (position < 0 || position >= Size()) throw EPDFError("Source PDF file is invalid");
  int64_t end = position;
  while (end < Size() && !IsLineEnd(end)) ++end;
  int64_t first = position;
  int64_t last = end;
  while (first < last && IsBlankOrControl(static_cast<char>(bytes_[first]))) ++first;
  while (last > first && IsBlankOrControl(static_cast<char>(bytes_[last - 1]))) --last;
  if (end < Size() && bytes_[end] == kCR && end + 1 < Size() && bytes_[end + 1] == kLF) ++end;
  position = end + 1;
  return std::string(bytes_.begin() + first, bytes_.begin() + last);
}

int64_t TPdfSource::FindLineBackward(std::string_view text, int64_t from) const {
  for (int64_t index = std::min(from, Size() - 2); index >= 0; --index) {
    if (!IsLineEnd(index)) continue;
    int64_t start = index + 1;
    const int64_t line_start = start;
    if (ReadLine(start) == text) return line_start;
  }
  return -1;
}

std::string_view TLineTokens::Next() {
  while (position_ < line_.size() && line_[position_] == ' ') ++position_;
  const size_t start = position_;
  while (position_ < line_.size() && line_[position_] != ' ') ++position_;
  const std::string_view token = line_.substr(start, position_ - start);
  if (position_ < line_.size()) ++position_;
  return token;
}

std::string_view FirstToken(std::string_view line) {
  return TLineTokens(line).Next();
}

std::string_view KeyValue(std::string_view line) {
  TLineTokens tokens(line);
  tokens.Next();
  return tokens.Next();
}

std::optional<int64_t> ParseNumber(std::string_view token) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (token.empty() || error != std::errc() || end != token.data() + token.size()) return {};
  return value;
}

}  // namespace pictavo
