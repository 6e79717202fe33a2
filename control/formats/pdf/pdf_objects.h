#pragma once
// The text both the new document and the incremental update are made of: lines ending in CR,
// and the four objects of one image page.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pictavo {

struct TPDFImage;

// Bytes destined for a file at a known offset, so objects can note where they start.
class TPdfText {
 public:
  explicit TPdfText(int64_t file_offset) : file_offset_(file_offset) {}

  void Line(std::string_view text);
  void Raw(std::span<const uint8_t> bytes);
  void Raw(std::string_view text);
  // Offset in the file of the next byte written.
  int64_t Offset() const { return file_offset_ + static_cast<int64_t>(bytes_.size()); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  int64_t file_offset_;
  std::vector<uint8_t> bytes_;
};

// Object numbers and names of one page: page, image, content stream and content length are
// first .. first + 3.
struct TPageNumbers {
  int64_t first = 0;
  int64_t parent = 0;
  std::string image_name;  // with its slash, e.g. "/Im1"
};

// Writes the page's four objects and returns their file offsets in number order.
std::array<int64_t, 4> WritePageObjects(TPdfText& out, const TPDFImage& page,
                                        const TPageNumbers& numbers);

// One 20-byte in-use entry of a cross-reference table.
std::string XrefEntry(int64_t offset, int64_t generation);
constexpr std::string_view kFreeHeadEntry = "0000000000 65535 f ";

}  // namespace pictavo
