// New documents, checked by qpdf and poppler: structure, page sizes, image kinds, the JPEG bytes,
// the Group 4 pixels and the rendered colour page.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "control/formats/jpeg/jpeg_image.h"
#include "pdf/pdf_test_support.h"
#include "platform/base/streams.h"

namespace pdftest {
namespace {

using pictavo::TicPDF;
using velmora_test::Capture;
using velmora_test::ReadBytes;
using velmora_test::WriteBytes;

constexpr int32_t k300Dpi = 11811;

TEST(PdfPageList, PositionPutsThePageInItsPlace) {
  struct Case {
    int position;
    int expected_place;
  };
  for (const Case c :
       {Case{1, 1}, Case{2, 2}, Case{3, 3}, Case{0, 4}, Case{4, 4}, Case{9, 4}, Case{-1, 4}}) {
    TicPDF pdf;
    for (int width = 1; width <= 3; ++width) pdf.AddG4Page(MonoBitmap(width, 1), 0);
    pdf.AddG4Page(MonoBitmap(50, 1), c.position);
    ASSERT_EQ(pdf.PageCount(), 4);
    std::vector<uint32_t> widths;
    for (int n = 1; n <= 4; ++n) widths.push_back(pdf.Pages().Items(n)->PixelWidth);
    std::vector<uint32_t> expected{1, 2, 3};
    expected.insert(expected.begin() + (c.expected_place - 1), 50);
    EXPECT_EQ(widths, expected) << "position " << c.position;
    EXPECT_EQ(pdf.Pages().Items(0), nullptr);
    EXPECT_EQ(pdf.Pages().Items(5), nullptr);
  }
  TicPDF pdf;
  pdf.AddG4Page(MonoBitmap(8, 8), 0);
  pdf.Clear();
  EXPECT_EQ(pdf.PageCount(), 0);
}

TEST(PdfPageList, Group4NeedsOneBitPixels) {
  TicPDF pdf;
  EXPECT_THROW(pdf.AddG4Page(ColourBitmap(4, 4), 0), pictavo::EPDFError);
  EXPECT_EQ(pdf.PageCount(), 0);
}

struct DocumentCase {
  const char* name;
  std::vector<std::function<void(TicPDF&)>> pages;
  std::vector<std::string> sizes;       // as pdfinfo gives them
  std::vector<std::string> image_rows;  // as pdfimages -list gives them
};

std::vector<DocumentCase> DocumentCases() {
  return {
      {"one colour page at 300 dpi",
       {[](TicPDF& p) { p.AddJPEGPage(ColourBitmap(600, 300, k300Dpi), 0, 80); }},
       {"144 x 72"},
       {"1 jpeg rgb 600x300"}},
      {"grey and black-and-white",
       {[](TicPDF& p) { p.AddJPEGPage(GreyBitmap(40, 30), 0, 90); },
        [](TicPDF& p) { p.AddG4Page(MonoBitmap(173, 61, k300Dpi), 0); }},
       {"40 x 30", "42 x 15"},
       {"1 jpeg gray 40x30", "2 ccitt gray 173x61"}},
      {"three pages, one pixel at 300 dpi",
       {[](TicPDF& p) { p.AddJPEGPage(ColourBitmap(1, 1, k300Dpi), 0, 75); },
        [](TicPDF& p) { p.AddG4Page(MonoBitmap(1, 1, k300Dpi), 0); },
        [](TicPDF& p) { p.AddJPEGPage(ColourBitmap(37, 23, -5), 0, 75); }},
       {"1 x 1", "1 x 1", "37 x 23"},
       {"1 jpeg rgb 1x1", "2 ccitt gray 1x1", "3 jpeg rgb 37x23"}},
  };
}

TEST(PdfNewDocument, ToolsReadPagesSizesAndImages) {
  ScratchDir dir;
  for (const DocumentCase& c : DocumentCases()) {
    SCOPED_TRACE(c.name);
    TicPDF pdf;
    for (const auto& add : c.pages) add(pdf);
    const std::string path = dir.File("doc.pdf");
    pdf.SaveToFile(path);
    EXPECT_TRUE(QpdfClean(path));
    EXPECT_EQ(PageSizes(path), c.sizes);
    EXPECT_EQ(ImageRows(path), c.image_rows);
    EXPECT_EQ(pdf.PageCount(), static_cast<int>(c.pages.size())) << "writing keeps the list";
  }
}

TEST(PdfNewDocument, TwoPagesHaveTheTreeAndTableOfOurLayout) {
  ScratchDir dir;
  TicPDF pdf;
  pdf.AddJPEGPage(ColourBitmap(20, 10), 0, 75);
  pdf.AddG4Page(MonoBitmap(20, 10), 0);
  const std::string path = dir.File("two.pdf");
  pdf.SaveToFile(path);
  const std::string tree = Capture("qpdf --show-object=2 '" + path + "'");
  EXPECT_NE(tree.find("/Kids [ 3 0 R 7 0 R ]"), std::string::npos) << tree;
  EXPECT_NE(tree.find("/Count 2"), std::string::npos) << tree;
  std::string expected_xref;
  for (int number = 1; number <= 10; ++number) expected_xref += std::to_string(number) + "/0: ";
  std::string listed;
  std::istringstream xref(Capture("qpdf --show-xref '" + path + "'"));
  for (std::string line; std::getline(xref, line);) listed += line.substr(0, line.find(' ') + 1);
  EXPECT_EQ(listed, expected_xref);
  // Each cross-reference entry is 20 bytes, so the table holds 11 of them between its header
  // and the trailer.
  const std::vector<uint8_t> bytes = ReadBytes(path);
  const std::string text(bytes.begin(), bytes.end());
  const size_t table = text.find("xref\r0 11\r");
  ASSERT_NE(table, std::string::npos);
  EXPECT_EQ(text.find("trailer\r", table) - (table + 10), 11u * 20u);
}

TEST(PdfNewDocument, ImagesComeBackAsWritten) {
  ScratchDir dir;
  TicPDF pdf;
  const pictavo::TBMPImage colour = ColourBitmap(600, 300, k300Dpi);
  const pictavo::TBMPImage mono = MonoBitmap(203, 77);
  pdf.AddJPEGPage(colour, 0, 85);
  pdf.AddG4Page(mono, 0);
  const std::string path = dir.File("images.pdf");
  pdf.SaveToFile(path);
  ASSERT_TRUE(velmora_test::Run("pdfimages -j '" + path + "' '" + dir.File("img") + "'"));
  ASSERT_TRUE(velmora_test::Run("pdfimages -png -f 2 '" + path + "' '" + dir.File("g4") + "'"));

  EXPECT_EQ(ReadBytes(dir.File("img-000.jpg")), pdf.Pages().Items(1)->Data);

  const velmora_test::RgbaImage decoded =
      velmora_test::ReadWithImageMagick(dir, dir.File("g4-000.png"));
  ASSERT_EQ(decoded.width, mono.Width());
  ASSERT_EQ(decoded.height, mono.Height());
  int differing = 0;
  for (int y = 0; y < mono.Height(); ++y)
    for (int x = 0; x < mono.Width(); ++x) {
      const bool white = (mono.ScanLine(y)[x / 8] >> (7 - x % 8)) & 1;
      differing += (decoded.At(x, y)[0] == 255) != white;
    }
  EXPECT_EQ(differing, 0);

  // The rendered page against djpeg's decode of the same stream: different IDCT and chroma
  // upsampling keep them apart by a few levels, never by a wrong picture.
  ASSERT_TRUE(
      velmora_test::Run("pdftoppm -r 300 -f 1 -l 1 '" + path + "' '" + dir.File("page") + "'"));
  ASSERT_TRUE(velmora_test::Run("djpeg -pnm -outfile '" + dir.File("djpeg.ppm") + "' '" +
                                dir.File("img-000.jpg") + "'"));
  const velmora_test::RgbaImage page =
      velmora_test::ReadWithImageMagick(dir, dir.File("page-1.ppm"));
  const velmora_test::RgbaImage reference =
      velmora_test::ReadWithImageMagick(dir, dir.File("djpeg.ppm"));
  ASSERT_EQ(page.width, 600);
  ASSERT_EQ(page.height, 300);
  ASSERT_EQ(reference.width, 600);
  int worst = 0;
  double total = 0;
  for (size_t i = 0; i < page.rgba.size(); ++i) {
    const int difference = std::abs(page.rgba[i] - reference.rgba[i]);
    worst = std::max(worst, difference);
    total += difference;
  }
  EXPECT_LE(worst, 16);
  EXPECT_LT(total / static_cast<double>(page.rgba.size()), 1.5);
}

TEST(PdfNewDocument, SaveToFileReplacesAnExistingFileAndReportsABadPath) {
  ScratchDir dir;
  TicPDF pdf;
  pdf.AddG4Page(MonoBitmap(9, 9), 0);
  const std::string path = dir.File("out.pdf");
  WriteBytes(path, std::vector<uint8_t>(100000, 'x'));
  pdf.SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), SaveToBytes(pdf));
  WriteBytes(dir.File("plain"), {'x'});
  EXPECT_THROW(pdf.SaveToFile(dir.File("plain") + "/out.pdf"), plat::Exception);
}

}  // namespace
}  // namespace pdftest
