// Multipage documents through the control: the pending PDF and TIFF, inserting the image into
// existing files and deleting TIFF pages. Every file is judged by poppler, qpdf, libtiff,
// exiftool or ImageMagick.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "activex/member_client.h"
#include "control/activex/imagebox.h"
#include "pdf/pdf_test_support.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

using pictavo::Accessor;
using pictavo::MemberOutcome;

std::u16string Wide(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

MemberOutcome Invoke(TestImageBox& box, const char* name, Accessor accessor,
                     std::vector<TCallValue> args) {
  MemberCall call;
  call.args = std::move(args);
  call.outs.resize(call.args.size());
  return box.Invoke(*pictavo::FindMember(name), accessor, call);
}

void Call(TestImageBox& box, const char* name, std::vector<TCallValue> args = {}) {
  MemberOutcome outcome = Invoke(box, name, Accessor::Call, std::move(args));
  EXPECT_EQ(outcome.hresult, pictavo::kSOk) << name << ": " << outcome.message;
}

void Put(TestImageBox& box, const char* name, TCallValue value) {
  EXPECT_EQ(Invoke(box, name, Accessor::Put, {std::move(value)}).hresult, pictavo::kSOk) << name;
}

// The image's pixels and selection, to tell whether an export left them alone.
struct ImageState {
  int width, height;
  std::vector<uint8_t> pixels, mask;
  bool use_selection;
  friend bool operator==(const ImageState&, const ImageState&) = default;
};

ImageState StateOf(TestImageBox& box) {
  const pictavo::TicBitmap& image = *box.View().CurrentImage();
  ImageState state{image.Width(), image.Height(), {}, image.SelectionMask(), image.UseSelection()};
  const auto row = plat::BytesPerRow(image.Width(), plat::BitsPerPixel(image.PixelFormat()));
  for (int y = 0; y < image.Height(); ++y)
    state.pixels.insert(state.pixels.end(), image.ScanLine(y), image.ScanLine(y) + row);
  return state;
}

// "<width>x<height>" of every page of a TIFF file, as tiffinfo reports them.
std::vector<std::string> TiffPageSizes(const std::string& path) {
  std::vector<std::string> sizes;
  const std::string info = Capture("tiffinfo '" + path + "' 2>&1");
  for (size_t at = info.find("Image Width: "); at != std::string::npos;
       at = info.find("Image Width: ", at + 1)) {
    int width = 0, height = 0;
    std::sscanf(info.c_str() + at, "Image Width: %d Image Length: %d", &width, &height);
    sizes.push_back(std::to_string(width) + "x" + std::to_string(height));
  }
  return sizes;
}

std::vector<std::string> PdfImageSizes(const std::string& path) {
  std::vector<std::string> sizes;
  for (const std::string& row : pdftest::ImageRows(path))
    sizes.push_back(row.substr(row.rfind(' ') + 1));
  return sizes;
}

class Documents : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WritePageFiles(dir_));  // a.tif 173x41 mono, b.tif 53x31 grey, c.tif 47x29 colour
    ASSERT_TRUE(Shell(dir_, "tiffcp a.tif c.tif two.tif"));
  }
  void Load(TestImageBox& box, const std::string& name) {
    Call(box, "LoadFromFile", {Wide(dir_.File(name))});
  }
  std::u16string Path(const std::string& name) const { return Wide(dir_.File(name)); }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }

  ScratchDir dir_;
};

TEST_F(Documents, PendingPdfKeepsTheOrderAddedAcrossWritesUntilCleared) {
  TestImageBox box;
  for (const char* name : {"c.tif", "b.tif", "a.tif"}) {
    Load(box, name);
    Call(box, "AddToPDF", {int64_t{0}});
  }
  Call(box, "WritePDF", {Path("out")});
  Call(box, "WritePDF", {Wide("  " + dir_.File("again.PDF") + " ")});
  for (const char* name : {"out.pdf", "again.PDF"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(pdftest::QpdfClean(dir_.File(name)));
    const std::vector<std::string> rows = pdftest::ImageRows(dir_.File(name));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "1 jpeg rgb 47x29");
    EXPECT_EQ(rows[1], "2 jpeg gray 53x31");
    EXPECT_EQ(rows[2], "3 ccitt gray 173x41");
  }
  Load(box, "b.tif");
  Call(box, "AddToPDF", {int64_t{1}});
  Call(box, "WritePDF", {Path("first.pdf")});
  EXPECT_EQ(PdfImageSizes(dir_.File("first.pdf")),
            (std::vector<std::string>{"53x31", "47x29", "53x31", "173x41"}));

  Call(box, "ClearPDF");
  Call(box, "WritePDF", {Path("none")});
  EXPECT_FALSE(Exists("none.pdf"));
}

TEST_F(Documents, PendingTiffCarriesCompressionResolutionAndIptcPerPage) {
  TestImageBox box;
  Load(box, "c.tif");
  const struct {
    int64_t code, dpi;
    const char* caption;
  } pages[] = {{0, 72, "plain"}, {1, 150, "packed"}, {2, 300, "fax"}};
  for (const auto& page : pages) {
    Put(box, "Compression", page.code);
    Put(box, "XDPI", page.dpi);
    Put(box, "YDPI", page.dpi);
    Put(box, "FFO_Caption", Wide(page.caption));
    Call(box, "AddToTIF", {int64_t{0}});
  }
  // The Group 4 page made only the working copy black and white.
  EXPECT_EQ(box.View().ColorFormat(), pictavo::cf24bit);
  Call(box, "WriteTIF", {Wide(" " + dir_.File("pages") + "\t")});
  Call(box, "WriteTIF", {Path("kept.TIFF")});
  EXPECT_TRUE(Exists("kept.TIFF"));
  EXPECT_FALSE(Exists("kept.TIFF.tif"));

  const std::string path = dir_.File("pages.tif");
  const std::string info = Capture("tiffinfo '" + path + "' 2>&1");
  size_t at = 0;
  const char* schemes[] = {"None", "PackBits", "CCITT Group 4"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(schemes[i]);
    at = info.find("TIFF Directory", at + 1);
    ASSERT_NE(at, std::string::npos) << info;
    const std::string dir = info.substr(at, info.find("TIFF Directory", at + 1) - at);
    EXPECT_NE(dir.find("Image Width: 47 Image Length: 29"), std::string::npos) << dir;
    EXPECT_NE(dir.find(std::string("Compression Scheme: ") + schemes[i]), std::string::npos);
    const std::string dpi = std::to_string(pages[i].dpi);
    EXPECT_NE(dir.find("Resolution: " + dpi + ", " + dpi + " pixels/inch"), std::string::npos)
        << dir;
  }
  // exiftool lists every IPTC record of every page in file order; a page may carry its record
  // in more than one tag, so repeats in a row are one page.
  std::istringstream captions(Capture("exiftool -a -s3 -IPTC:Caption-Abstract '" + path + "'"));
  std::vector<std::string> per_page;
  for (std::string line; std::getline(captions, line);)
    if (per_page.empty() || per_page.back() != line) per_page.push_back(line);
  EXPECT_EQ(per_page, (std::vector<std::string>{"plain", "packed", "fax"}));

  Call(box, "ClearTIF");
  Call(box, "WriteTIF", {Path("none")});
  EXPECT_FALSE(Exists("none.tif"));
}

TEST_F(Documents, DeleteTifKeepsTheOtherPagesOrDoesNothing) {
  const std::vector<std::string> original = TiffPageSizes(dir_.File("three.tif"));
  ASSERT_EQ(original.size(), 3u);
  const struct {
    const char* dest;
    int64_t first, count;
    std::vector<int> kept;  // original page numbers; empty: no file written
  } cases[] = {
      {"", 2, 1, {1, 3}}, {"b", 1, 3, {}}, {"b", 1, 5, {}}, {"b", 3, 5, {1, 2}},
      {"b", 4, 1, {}},    {"b", 0, 1, {}}, {"b", 2, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.dest) + " " + std::to_string(c.first) + "," +
                 std::to_string(c.count));
    ASSERT_TRUE(Shell(dir_, "cp three.tif doc.tif && rm -f b.tif"));
    TestImageBox box;
    Call(box, "DeleteTIF",
         {Path("doc"), c.dest[0] ? Path(c.dest) : std::u16string(), c.first, c.count});
    const std::string written = dir_.File(c.dest[0] ? "b.tif" : "doc.tif");
    if (c.kept.empty()) {
      EXPECT_FALSE(Exists("b.tif"));
      EXPECT_EQ(ReadBytes(dir_.File("doc.tif")), ReadBytes(dir_.File("three.tif")));
      continue;
    }
    const std::vector<std::string> sizes = TiffPageSizes(written);
    ASSERT_EQ(sizes.size(), c.kept.size());
    for (size_t i = 0; i < c.kept.size(); ++i) {
      const std::string page = "[" + std::to_string(i) + "]";
      const std::string was = "[" + std::to_string(c.kept[i] - 1) + "]";
      const RgbaImage ours = ReadWithImageMagick(dir_, written + page);
      const RgbaImage theirs = ReadWithImageMagick(dir_, dir_.File("three.tif") + was);
      ASSERT_GT(ours.width, 0);
      EXPECT_EQ(ours.width, theirs.width);
      EXPECT_EQ(ours.rgba, theirs.rgba) << "page " << i + 1;
    }
  }
  TestImageBox box;
  Call(box, "DeleteTIF", {Path("missing"), Path("b"), int64_t{1}, int64_t{1}});
  EXPECT_FALSE(Exists("b.tif"));
  EXPECT_FALSE(Exists("missing.tif"));
}

TEST_F(Documents, InsertTifPlacesTheImageAtThePosition) {
  TestImageBox box;
  Load(box, "b.tif");  // 53x31 into two.tif: 173x41, 47x29
  const struct {
    int64_t page;
    std::vector<std::string> sizes;
  } cases[] = {
      {0, {"173x41", "47x29", "53x31"}},
      {1, {"53x31", "173x41", "47x29"}},
      {2, {"173x41", "53x31", "47x29"}},
      {9, {"173x41", "47x29", "53x31"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    Call(box, "InsertTIF", {Wide(" " + dir_.File("two") + " "), Path("out"), c.page});
    EXPECT_EQ(TiffPageSizes(dir_.File("out.tif")), c.sizes);
  }
  EXPECT_EQ(TiffPageSizes(dir_.File("two.tif")).size(), 2u);
  Call(box, "InsertTIF", {Path("two.tif"), std::u16string(), int64_t{1}});
  EXPECT_EQ(TiffPageSizes(dir_.File("two.tif")),
            (std::vector<std::string>{"53x31", "173x41", "47x29"}));
}

TEST_F(Documents, InsertPdfIntoOursAndAnotherWritersFile) {
  TestImageBox box;
  for (const char* name : {"c.tif", "a.tif"}) {
    Load(box, name);
    Call(box, "AddToPDF", {int64_t{0}});
  }
  Call(box, "WritePDF", {Path("two")});
  const std::vector<uint8_t> two = ReadBytes(dir_.File("two.pdf"));
  Load(box, "b.tif");
  const struct {
    int64_t page;
    std::vector<std::string> sizes;
  } cases[] = {
      {0, {"47x29", "173x41", "53x31"}},
      {1, {"53x31", "47x29", "173x41"}},
      {2, {"47x29", "53x31", "173x41"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    Call(box, "InsertPDF", {Path("two"), Path("out.PDF"), c.page});
    EXPECT_TRUE(pdftest::QpdfClean(dir_.File("out.PDF")));
    EXPECT_EQ(PdfImageSizes(dir_.File("out.PDF")), c.sizes);
  }
  EXPECT_EQ(ReadBytes(dir_.File("two.pdf")), two);

  ASSERT_TRUE(Shell(dir_, "tiff2pdf -o other.pdf three.tif"));
  Call(box, "InsertPDF", {Path("other"), std::u16string(), int64_t{2}});
  EXPECT_TRUE(pdftest::QpdfClean(dir_.File("other.pdf")));
  const std::vector<std::string> sizes = PdfImageSizes(dir_.File("other.pdf"));
  ASSERT_EQ(sizes.size(), 4u);
  EXPECT_EQ(sizes[1], "53x31");
}

TEST_F(Documents, InsertPdfWithoutSourceCreatesDest) {
  TestImageBox box;
  Load(box, "c.tif");
  Call(box, "InsertPDF", {Path("new"), std::u16string(), int64_t{1}});
  Call(box, "InsertPDF", {Path("absent"), Path("made"), int64_t{1}});
  EXPECT_FALSE(Exists("absent.pdf"));
  for (const char* name : {"new.pdf", "made.pdf"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(pdftest::QpdfClean(dir_.File(name)));
    EXPECT_EQ(PdfImageSizes(dir_.File(name)), std::vector<std::string>{"47x29"});
  }
}

TEST_F(Documents, RefusedInsertionLeavesFilesImageAndSelectionAlone) {
  // A PDF the appender refuses (appended plain objects would be read as ciphertext) and a
  // "TIFF" that is none; the Group 4 page would have made the image black and white.
  pdftest::HandDocument locked = pdftest::OurShape(2, "\n");
  locked.extra_trailer_lines.push_back("/Encrypt 9 0 R");
  WriteBytes(dir_.File("locked.pdf"), locked.Build());
  WriteBytes(dir_.File("fake.tif"), {'B', 'M', 0, 0, 0, 0, 0, 0});
  const struct {
    const char* member;
    const char* source;
    const char* dest;
    const char* message;
  } cases[] = {
      {"InsertPDF", "locked.pdf", "dest.pdf", "Encrypted PDF files are not supported"},
      {"InsertTIF", "fake.tif", "dest.tif", "File is not TIFF format"},
  };
  TestImageBox box;
  Load(box, "c.tif");
  Put(box, "Compression", int64_t{2});
  Call(box, "SelectRectangle", {int64_t{3}, int64_t{4}, int64_t{20}, int64_t{17}});
  Put(box, "UseSelection", true);
  const ImageState before = StateOf(box);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.member);
    const std::vector<uint8_t> keep{'k', 'e', 'e', 'p'};
    WriteBytes(dir_.File(c.dest), keep);
    const std::vector<uint8_t> source = ReadBytes(dir_.File(c.source));
    MemberOutcome refused =
        Invoke(box, c.member, Accessor::Call, {Path(c.source), Path(c.dest), int64_t{1}});
    EXPECT_NE(refused.hresult, pictavo::kSOk);
    EXPECT_EQ(refused.message, c.message);
    EXPECT_EQ(ReadBytes(dir_.File(c.source)), source);
    EXPECT_EQ(ReadBytes(dir_.File(c.dest)), keep);
    EXPECT_TRUE(StateOf(box) == before);
  }
}

TEST_F(Documents, UseSelectionExportsOnlyTheSelectionsRectangle) {
  TestImageBox box;
  Load(box, "c.tif");
  Call(box, "SelectRectangle", {int64_t{3}, int64_t{4}, int64_t{20}, int64_t{17}});
  Put(box, "UseSelection", true);
  const ImageState before = StateOf(box);
  const std::string selected = "18x14";

  Call(box, "AddToPDF", {int64_t{0}});
  Call(box, "WritePDF", {Path("sel")});
  EXPECT_EQ(PdfImageSizes(dir_.File("sel.pdf")), std::vector<std::string>{selected});
  Call(box, "AddToTIF", {int64_t{0}});
  Call(box, "WriteTIF", {Path("sel")});
  EXPECT_EQ(TiffPageSizes(dir_.File("sel.tif")), std::vector<std::string>{selected});
  Call(box, "InsertTIF", {Path("two"), Path("ins"), int64_t{1}});
  EXPECT_EQ(TiffPageSizes(dir_.File("ins.tif"))[0], selected);
  Call(box, "InsertPDF", {Path("sel"), Path("ins"), int64_t{1}});
  EXPECT_EQ(PdfImageSizes(dir_.File("ins.pdf")), (std::vector<std::string>{selected, selected}));
  EXPECT_TRUE(StateOf(box) == before);
}

}  // namespace
}  // namespace velmora_test
