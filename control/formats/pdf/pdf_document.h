#pragma once
// The PDF writer: every page is one image, colour or grey as a JPEG (DCT) stream, black and white
// as a CCITT Group 4 stream. Pending pages are written as a new document, or the first of them is
// added to an existing file by an incremental update that changes none of its bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/exceptions.h"

namespace plat {
class TMemoryStream;
class TStream;
}  // namespace plat

namespace pictavo {

class TBMPImage;

VELMORA_EXCEPTION(EPDFError, plat::Exception);

enum TPDFImageKind : uint8_t { pkGroup4 = 0, pkJPEGColor = 1, pkJPEGGray = 2 };

// One pending page: its encoded image and its size on paper and in pixels.
struct TPDFImage {
  std::vector<uint8_t> Data;
  uint32_t Width = 0;  // points
  uint32_t Height = 0;
  uint32_t PixelWidth = 0;
  uint32_t PixelHeight = 0;
  uint8_t Kind = pkJPEGColor;

  // Takes the pixel size and the size in points at the bitmap's resolution (the pixel size when
  // it has none); a side is never smaller than one point.
  void SetPageSize(const TBMPImage& bitmap);
};

// The ordered pending pages. Position 1 (or any position while empty) puts a page first, p puts it
// at p, and 0, a negative position or one beyond the last puts it last.
class TImageList {
 public:
  void Insert(std::unique_ptr<TPDFImage> page, int position);
  // The n-th page (1-based), or nullptr outside 1..Count().
  const TPDFImage* Items(int n) const;
  int Count() const { return static_cast<int>(pages_.size()); }
  void Clear() { pages_.clear(); }

 private:
  std::vector<std::unique_ptr<TPDFImage>> pages_;
};

class TicPDF {
 public:
  // Encodes the bitmap as JPEG at the quality (1..100), grey when its palette is grey.
  void AddJPEGPage(const TBMPImage& bitmap, int position, uint8_t quality);
  // Encodes a 1-bit bitmap (index 0 black) as Group 4; other pixel formats raise EPDFError.
  void AddG4Page(const TBMPImage& bitmap, int position);
  void Clear() { pages_.Clear(); }
  int PageCount() const { return pages_.Count(); }
  const TImageList& Pages() const { return pages_; }

  // A new document of all pending pages, assembled in memory and written in one piece.
  void SaveToStream(plat::TStream& target) const;
  // Replaces the file only once the whole document is written.
  void SaveToFile(const std::string& file_name) const;
  // Adds the first pending page to the PDF held in source at the position (1-based; 0, negative
  // or beyond the last page: last). Raises EPDFError and leaves source unchanged when the file is
  // not of a shape the update can handle.
  void AppendPage(plat::TMemoryStream& source, int position) const;
  // Reads source whole, appends the first pending page and writes dest (which may be source).
  // A missing source does nothing.
  void InsertIntoFile(const std::string& source, const std::string& dest, int position) const;

  // An xref offset: decimal, left-padded with "0" to 10 digits.
  static std::string FormatOffset(int64_t offset);

 private:
  void Insert(std::unique_ptr<TPDFImage> page, const TBMPImage& bitmap, int position);

  TImageList pages_;
};

}  // namespace pictavo
