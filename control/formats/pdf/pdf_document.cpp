#include "control/formats/pdf/pdf_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/jpeg/jpeg_image.h"
#include "control/formats/pdf/pdf_objects.h"
#include "control/formats/tiff/ccitt.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

constexpr long double kPointsPerMetre = 2834.645669L;

// Points for a side of the given pixels at the resolution (pixels per metre), rounded half up.
// A resolution of 0 or below counts as none; a side never shrinks below one point, which a
// small image at a high resolution would otherwise get.
uint32_t PointsOf(uint32_t pixels, int32_t pels_per_metre) {
  if (pels_per_metre <= 0) return std::max<uint32_t>(pixels, 1);
  const long double r = pels_per_metre;
  const long double points = std::trunc((r * 0.5L + pixels * kPointsPerMetre) / r);
  return std::max<uint32_t>(static_cast<uint32_t>(points), 1);
}

struct TNewDocument {
  explicit TNewDocument(const TImageList& pages) : pages(pages), out(0) {}

  void Write() {
    const int n = pages.Count();
    offsets.assign(4 * static_cast<size_t>(n) + 3, 0);
    out.Line("%PDF-1.3");
    offsets[1] = out.Offset();
    out.Line("1 0 obj");
    out.Line("<<");
    out.Line("/Type /Catalog");
    out.Line("/Pages 2 0 R >>");
    out.Line("endobj");
    WritePageTree();
    for (int k = 1; k <= n; ++k) {
      const TPageNumbers numbers{4 * k - 1, 2, "/Im" + std::to_string(k)};
      const auto written = WritePageObjects(out, *pages.Items(k), numbers);
      std::copy(written.begin(), written.end(), offsets.begin() + numbers.first);
    }
    WriteXrefAndTrailer();
  }

  void WritePageTree() {
    offsets[2] = out.Offset();
    out.Line("2 0 obj");
    out.Line("<<");
    out.Line("/Type /Pages");
    std::string kids = "/Kids [";
    for (int k = 1; k <= pages.Count(); ++k) kids += std::to_string(4 * k - 1) + " 0 R ";
    out.Line(kids + "]");
    out.Line("/Count " + std::to_string(pages.Count()));
    out.Line(">>");
    out.Line("endobj");
  }

  void WriteXrefAndTrailer() {
    const int64_t xref = out.Offset();
    const std::string size = std::to_string(offsets.size());
    out.Line("xref");
    out.Line("0 " + size);
    out.Line(kFreeHeadEntry);
    for (size_t number = 1; number < offsets.size(); ++number)
      out.Line(XrefEntry(offsets[number], 0));
    out.Line("trailer");
    out.Line("<< ");
    out.Line("/Size " + size);
    out.Line("/Root 1 0 R");
    out.Line(">> ");
    out.Line("startxref");
    out.Line(std::to_string(xref));
    out.Line("%%EOF");
  }

  const TImageList& pages;
  TPdfText out;
  std::vector<int64_t> offsets;  // by object number
};

}  // namespace

void TPDFImage::SetPageSize(const TBMPImage& bitmap) {
  PixelWidth = static_cast<uint32_t>(std::max(bitmap.Width(), 0));
  PixelHeight = static_cast<uint32_t>(std::max(bitmap.Height(), 0));
  Width = PointsOf(PixelWidth, bitmap.GetXPelsPerMeter());
  Height = PointsOf(PixelHeight, bitmap.GetYPelsPerMeter());
}

void TImageList::Insert(std::unique_ptr<TPDFImage> page, int position) {
  const bool last = position <= 0 || position > Count();
  const auto at = last ? pages_.end() : pages_.begin() + (position - 1);
  pages_.insert(at, std::move(page));
}

const TPDFImage* TImageList::Items(int n) const {
  if (n < 1 || n > Count()) return nullptr;
  return pages_[static_cast<size_t>(n - 1)].get();
}

void TicPDF::AddJPEGPage(const TBMPImage& bitmap, int position, uint8_t quality) {
  auto page = std::make_unique<TPDFImage>();
  const bool grey = bitmap.IsGrayscalePalette();
  TJPEGImageExtra jpeg;
  jpeg.Assign(static_cast<const plat::TBitmap&>(bitmap));
  jpeg.Quality = std::clamp<uint8_t>(quality, 1, 100);
  jpeg.SetGrayscale(grey);
  jpeg.JPEGNeeded();
  page->Data = jpeg.CompressedData();
  page->Kind = grey ? pkJPEGGray : pkJPEGColor;
  Insert(std::move(page), bitmap, position);
}

void TicPDF::AddG4Page(const TBMPImage& bitmap, int position) {
  if (bitmap.PixelFormat() != plat::TPixelFormat::pf1bit)
    throw EPDFError("Group 4 pages need a 1-bit image");
  auto page = std::make_unique<TPDFImage>();
  plat::TMemoryStream encoded;
  EncodeGroup4(bitmap, encoded);
  page->Data = encoded.TakeBytes();
  page->Kind = pkGroup4;
  Insert(std::move(page), bitmap, position);
}

void TicPDF::Insert(std::unique_ptr<TPDFImage> page, const TBMPImage& bitmap, int position) {
  page->SetPageSize(bitmap);
  pages_.Insert(std::move(page), position);
}

void TicPDF::SaveToStream(plat::TStream& target) const {
  TNewDocument document(pages_);
  document.Write();
  const std::vector<uint8_t>& bytes = document.out.Bytes();
  target.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TicPDF::SaveToFile(const std::string& file_name) const {
  plat::WriteFileReplacing(file_name, [this](plat::TStream& out) { SaveToStream(out); });
}

std::string TicPDF::FormatOffset(int64_t offset) {
  char text[24];
  std::snprintf(text, sizeof text, "%010lld", static_cast<long long>(offset));
  return text;
}

}  // namespace pictavo
