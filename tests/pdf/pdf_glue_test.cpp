// The raster image saves, measures and returns PDF through the glue: one page, Group 4 for black
// and white, JPEG otherwise.
#include <gtest/gtest.h>

#include "control/engine/raster/ticbitmap.h"
#include "pdf/pdf_test_support.h"

namespace pdftest {
namespace {

using pictavo::TicBitmap;

TEST(PdfGlue, SaveBytesAndSizeAreOneSinglePageDocument) {
  ScratchDir dir;
  struct Case {
    pictavo::TBMPImage pixels;
    std::string row;
  };
  for (const Case& c : {Case{ColourBitmap(64, 48), "1 jpeg rgb 64x48"},
                        Case{GreyBitmap(64, 48), "1 jpeg gray 64x48"},
                        Case{MonoBitmap(64, 48), "1 ccitt gray 64x48"}}) {
    SCOPED_TRACE(c.row);
    TicBitmap image;
    image.Assign(static_cast<const plat::TBitmap&>(c.pixels));
    image.UpdateColorFormat();
    const std::string path = dir.File("saved.pdf");
    image.SaveImageFile(path, false, 80);
    EXPECT_TRUE(QpdfClean(path));
    EXPECT_EQ(ImageRows(path), std::vector<std::string>{c.row});
    const std::vector<uint8_t> file = velmora_test::ReadBytes(path);
    EXPECT_EQ(image.SaveToBytes(pictavo::gfPDF, false, 80), file);
    EXPECT_EQ(image.EncodedSize(pictavo::gfPDF, false, 80), static_cast<int64_t>(file.size()));
  }
}

}  // namespace
}  // namespace pdftest
