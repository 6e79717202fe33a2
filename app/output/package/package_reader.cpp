#include "app/output/package/package_reader.h"

#include <charconv>
#include <string>
#include <string_view>

#include "platform/base/byte_cursor.h"

namespace output::package {

namespace {

[[noreturn]] void Damaged(const std::string& what) {
  throw EPackageError("the package is damaged: " + what);
}

void ShortRead(std::string_view what) {
  Damaged(std::string(what) + " lies outside the file");
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Plain decimal digits and nothing else, or -1.
int64_t Digits(std::string_view text) {
  if (text.empty() || text.size() > 18) return -1;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.front() == '-') return -1;
  return value;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    if (at == std::string_view::npos) {
      parts.push_back(text);
      return parts;
    }
    parts.push_back(text.substr(0, at));
    text.remove_prefix(at + separator.size());
  }
}

// Field `field` of an index line as a signed 32-bit number that is not negative.
int64_t Number(const std::vector<std::string_view>& fields, size_t field, const char* name,
               size_t line) {
  const std::string where = "line " + std::to_string(line + 1) + " of the index";
  if (fields.size() <= field) Damaged(where + " has no " + name);
  const std::string_view text = fields[field];
  if (!text.empty() && text.front() == '-' && Digits(text.substr(1)) >= 0)
    Damaged(where + " has a negative " + name + " (" + std::string(text) + ")");
  const int64_t value = Digits(text);
  if (value < 0)
    Damaged(where + " has " + name + " \"" + std::string(text) + "\", which is no number");
  if (value > INT32_MAX) Damaged(where + " has a " + name + " too large for a package");
  return value;
}

}  // namespace

PackageReader::PackageReader(std::span<const uint8_t> file, PackageKind kind) : file_(file) {
  const int64_t index_offset = IndexOffset();
  const int64_t size = static_cast<int64_t>(file.size());
  if (index_offset > size - static_cast<int64_t>(kTrailerSize))
    Damaged("its index offset " + std::to_string(index_offset) + " lies outside the file");
  // The index's last line ends in CR LF, which is left out so that splitting leaves no empty
  // line; a package without any line has no room for it.
  const int64_t index_length = size - index_offset - static_cast<int64_t>(kTrailerSize) - 2;
  if (index_length < 0) Damaged("its index is empty");
  const plat::TByteCursor cursor(file, ShortRead, false);
  ReadIndex(cursor.BytesAt(static_cast<uint64_t>(index_offset), static_cast<uint64_t>(index_length),
                           "the index"),
            kind, index_offset);
}

std::span<const uint8_t> PackageReader::Entry(size_t k) const {
  const PackageEntry& entry = entries_.at(k);
  return file_.subspan(static_cast<size_t>(entry.Offset), static_cast<size_t>(entry.Length));
}

int64_t PackageReader::IndexOffset() const {
  if (file_.size() < kTrailerSize) throw ENoPackage();
  const plat::TByteCursor cursor(file_, ShortRead, false);
  const size_t start = file_.size() - kTrailerSize;
  const bool framed = cursor.WordAt(start) == kTrailerTextType &&
                      cursor.DWordAt(start + 2) == kTrailerTextLength &&
                      cursor.ByteAt(start + kTrailerSize - 1) == 0;
  const int64_t offset = Digits(Trim(AsText(cursor.BytesAt(start + 6, kTrailerDigits))));
  if (!framed || offset < 0) throw ENoPackage();
  return offset;
}

void PackageReader::ReadIndex(std::span<const uint8_t> index, PackageKind kind,
                              int64_t index_offset) {
  const std::vector<std::string_view> lines = Split(AsText(index), "\r\n");
  for (size_t line = 0; line < lines.size(); ++line) {
    const std::vector<std::string_view> fields = Split(lines[line], ";");
    if (kind == PackageKind::kSlideShow && fields[0] == kOptionsLine) {
      ReadOptions(Number(fields, 1, "offset", line), index_offset);
      return;
    }
    const int64_t offset = Number(fields, 1, "offset", line);
    const int64_t length = Number(fields, 2, "length", line);
    if (offset + length > index_offset)
      Damaged("image " + std::to_string(line + 1) + " (offset " + std::to_string(offset) + ", " +
              std::to_string(length) + " bytes) lies outside the file");
    entries_.push_back(
        {std::string(fields[0]), static_cast<int32_t>(offset), static_cast<int32_t>(length)});
  }
  if (kind == PackageKind::kSlideShow) Damaged("the slide show's options are missing");
}

void PackageReader::ReadOptions(int64_t offset, int64_t index_offset) {
  if (offset + static_cast<int64_t>(kOptionsSize) > index_offset)
    Damaged("the slide show's options (offset " + std::to_string(offset) +
            ") lie outside the file");
  const plat::TByteCursor cursor(file_, ShortRead, false);
  options_.BackColor = static_cast<int32_t>(cursor.DWordAt(static_cast<uint64_t>(offset)));
  options_.Interval = static_cast<int16_t>(cursor.WordAt(static_cast<uint64_t>(offset) + 4));
}

}  // namespace output::package
