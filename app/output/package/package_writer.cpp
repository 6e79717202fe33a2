#include "app/output/package/package_writer.h"

#include <algorithm>

namespace output::package {

namespace {

std::string IndexName(std::string_view name) {
  std::string clean(name);
  std::replace_if(
      clean.begin(), clean.end(), [](char c) { return c == ';' || c == '\r' || c == '\n'; }, '_');
  return clean;
}

void AppendLittleEndian(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

PackageWriter::PackageWriter(std::ostream& out, std::span<const uint8_t> player) : out_(out) {
  Append(player);
}

void PackageWriter::AddEntry(std::string_view name, std::span<const uint8_t> jpeg) {
  AddIndexLine(IndexName(name), written_, static_cast<int64_t>(jpeg.size()));
  Append(jpeg);
}

void PackageWriter::AddSlideShowOptions(const SlideShowOptions& options) {
  index_ += kOptionsLine;
  index_ += ';' + std::to_string(written_) + ";\r\n";
  std::string record;
  AppendLittleEndian(record, static_cast<uint32_t>(options.BackColor), 4);
  AppendLittleEndian(record, static_cast<uint16_t>(options.Interval), 2);
  Append(record);
}

void PackageWriter::Finish() {
  const int64_t index_offset = written_;
  const std::string index = std::move(index_);
  Append(index);
  Append(Trailer(index_offset));
  out_.flush();
  if (!out_) throw EPackageError("the package could not be written");
}

std::string PackageWriter::Trailer(int64_t index_offset) {
  std::string trailer;
  AppendLittleEndian(trailer, kTrailerTextType, 2);
  AppendLittleEndian(trailer, kTrailerTextLength, 4);
  std::string digits = std::to_string(index_offset);
  digits.resize(kTrailerDigits, ' ');
  trailer += digits;
  trailer.push_back('\0');
  return trailer;
}

void PackageWriter::AddIndexLine(std::string_view name, int64_t offset, int64_t length) {
  index_ += name;
  index_ += ';' + std::to_string(offset) + ';' + std::to_string(length) + ";\r\n";
}

void PackageWriter::Append(std::span<const uint8_t> bytes) {
  // The index and trailer follow whatever is appended, and every offset must stay a signed
  // 32-bit number.
  const int64_t reserve = static_cast<int64_t>(index_.size() + 64 + kTrailerSize);
  if (written_ + static_cast<int64_t>(bytes.size()) + reserve > kLargestPackage)
    throw EPackageError("the package would be larger than 2 GiB");
  out_.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!out_) throw EPackageError("the package could not be written");
  written_ += static_cast<int64_t>(bytes.size());
}

void PackageWriter::Append(std::string_view text) {
  Append(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace output::package
