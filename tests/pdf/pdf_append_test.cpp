// Pages appended to existing documents: our own files, tiff2pdf's, hand-made files with other
// line ends, a linearised file and a two-level page tree, each at every kind of position; and the
// files the update refuses, which it must leave untouched.
#include <gtest/gtest.h>

#include <algorithm>

#include "pdf/pdf_test_support.h"
#include "platform/base/streams.h"

namespace pdftest {
namespace {

using pictavo::EPDFError;
using pictavo::TicPDF;
using velmora_test::Capture;
using velmora_test::ReadBytes;
using velmora_test::Run;
using velmora_test::WriteBytes;

// The appended page: 53 x 29 points, a size no source page has.
TicPDF NewPage() {
  TicPDF pdf;
  pdf.AddJPEGPage(ColourBitmap(53, 29), 1, 75);
  return pdf;
}

std::vector<uint8_t> OurDocument(int pages) {
  TicPDF pdf;
  for (int k = 0; k < pages; ++k) pdf.AddG4Page(MonoBitmap(60 + k, 40), 0);
  return SaveToBytes(pdf);
}

std::vector<uint8_t> Appended(std::vector<uint8_t> bytes, int position) {
  plat::TMemoryStream stream(std::move(bytes));
  NewPage().AppendPage(stream, position);
  return stream.TakeBytes();
}

std::string Text(const std::vector<uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

// Objects 1 catalog, 2 root (/Count 3), 3 inner node of pages 5 and 6, 4 the last page.
HandDocument TwoLevelTree() {
  HandDocument doc;
  auto page = [](const std::string& parent, int side) {
    const std::string s = std::to_string(side);
    return std::vector<std::string>{"<<", "/Type /Page", "/Parent " + parent + " 0 R",
                                    "/MediaBox [ 0 0 " + s + " " + s + "]", ">>"};
  };
  doc.objects = {{"<<", "/Type /Catalog", "/Pages 2 0 R", ">>"},
                 {"<<", "/Type /Pages", "/Kids [3 0 R 4 0 R]", "/Count 3", ">>"},
                 {"<<", "/Type /Pages", "/Parent 2 0 R", "/Kids [ 5 0 R 6 0 R ]", "/Count 2", ">>"},
                 page("2", 103),
                 page("3", 101),
                 page("3", 102)};
  return doc;
}

// Our shape, linearised by hand: the dictionary first, then a first-page section for objects 2
// and 3 whose trailer points back to the main section of objects 0 and 1 at the end.
std::vector<uint8_t> LinearisedDocument() {
  for (int64_t length = 0;;) {
    std::string text = "%PDF-1.3\n";
    const std::vector<std::string> bodies = {
        "<<\n/Linearized 1\n/L " + std::string(10 - std::to_string(length).size(), '0') +
            std::to_string(length) + "\n/N 1\n>>\n",
        "<<\n/Type /Catalog\n/Pages 3 0 R >>\n", "<<\n/Type /Pages\n/Kids [4 0 R ]\n/Count 1\n>>\n",
        "<<\n/Type /Page\n/Parent 3 0 R \n/MediaBox [ 0 0 120 80]\n>>\n"};
    std::vector<size_t> offsets(5, 0);
    auto object = [&](int number) {
      offsets[number] = text.size();
      text += std::to_string(number) + " 0 obj\n" + bodies[number - 1] + "endobj\n";
    };
    auto entry = [&](int number) {
      char line[32];
      std::snprintf(line, sizeof line, "%010zu 00000 n \n", offsets[number]);
      return std::string(line);
    };
    object(1);
    const size_t first_section = text.size();
    const std::string first_section_placeholder = "@FIRST@";
    text += first_section_placeholder;
    object(3);
    object(4);
    object(2);
    const size_t main_section = text.size();
    text += "xref\n0 3\n0000000000 65535 f \n" + entry(1) + entry(2) +
            "trailer\n<<\n/Size 3\n>>\n" + "startxref\n" + std::to_string(first_section) +
            "\n%%EOF\n";
    // The first-page section sits before objects it lists; its length is fixed once the
    // offsets of the later objects are known, so build it with stable widths.
    std::string first = "xref\n3 2\n" + entry(3) + entry(4) +
                        "trailer\n<<\n/Size 5\n/Root 2 0 R\n" + "/Prev " + std::string(10, '0') +
                        "\n>>\nstartxref\n0\n%%EOF\n";
    const size_t shift = first.size() - first_section_placeholder.size();
    for (size_t& offset : offsets)
      if (offset > first_section) offset += shift;
    first = "xref\n3 2\n" + entry(3) + entry(4) + "trailer\n<<\n/Size 5\n/Root 2 0 R\n/Prev " +
            std::string(10 - std::to_string(main_section + shift).size(), '0') +
            std::to_string(main_section + shift) + "\n>>\nstartxref\n0\n%%EOF\n";
    text.replace(first_section, first_section_placeholder.size(), first);
    const std::string tail = "xref\n0 3\n0000000000 65535 f \n" + entry(1) + entry(2);
    text.replace(main_section + shift, tail.size(), tail);
    if (static_cast<int64_t>(text.size()) == length) return Bytes(text);
    length = static_cast<int64_t>(text.size());
  }
}

std::vector<uint8_t> Tiff2Pdf(const ScratchDir& dir, int pages) {
  std::string inputs;
  for (int k = 0; k < pages; ++k) {
    const std::string tif = dir.File("p" + std::to_string(k) + ".tif");
    Run("convert -size " + std::to_string(70 + 10 * k) + "x50 gradient:red-blue -depth 8 '" + tif +
        "'");
    inputs += " '" + tif + "'";
  }
  const std::string tiff = dir.File("all.tif");
  const std::string pdf = dir.File("tiff2pdf.pdf");
  Run("tiffcp" + inputs + " '" + tiff + "' && tiff2pdf -o '" + pdf + "' '" + tiff + "'");
  return ReadBytes(pdf);
}

struct Source {
  std::string name;
  std::vector<uint8_t> bytes;
  bool qpdf_clean = true;  // qpdf finds no linearisation hints in the hand-made file
};

std::vector<Source> AppendSources(const ScratchDir& dir) {
  return {
      {"ours, one page", OurDocument(1)},
      {"ours, three pages", OurDocument(3)},
      {"ours after one append", Appended(OurDocument(2), 1)},
      {"our shape with LF", OurShape(2, "\n").Build()},
      {"our shape with CR LF", OurShape(3, "\r\n").Build()},
      {"tiff2pdf, one page", Tiff2Pdf(dir, 1)},
      {"tiff2pdf, three pages", Tiff2Pdf(dir, 3)},
      {"linearised by hand", LinearisedDocument(), false},
      {"two-level page tree", TwoLevelTree().Build()},
  };
}

TEST(PdfAppend, EverySourceTakesThePageAtEveryPosition) {
  ScratchDir dir;
  for (const Source& source : AppendSources(dir)) {
    SCOPED_TRACE(source.name);
    const std::string original = dir.File("source.pdf");
    WriteBytes(original, source.bytes);
    if (source.qpdf_clean) {
      ASSERT_TRUE(QpdfClean(original));
    }
    const std::vector<std::string> before = PageSizes(original);
    const int n = static_cast<int>(before.size());
    ASSERT_GT(n, 0);
    for (const int position : {0, 1, 2, n, n + 1, -1}) {
      SCOPED_TRACE("position " + std::to_string(position));
      const std::string path = dir.File("appended.pdf");
      WriteBytes(path, Appended(source.bytes, position));
      EXPECT_TRUE(QpdfClean(path));
      const int place = position <= 0 || position > n ? n + 1 : position;
      std::vector<std::string> expected = before;
      expected.insert(expected.begin() + (place - 1), "53 x 29");
      EXPECT_EQ(PageSizes(path), expected);
      const std::vector<std::string> rows = ImageRows(path);
      EXPECT_NE(std::find(rows.begin(), rows.end(), std::to_string(place) + " jpeg rgb 53x29"),
                rows.end());
      // The update is a section of its own after the old ones.
      const std::string xref = Capture("qpdf --show-xref '" + path + "'");
      EXPECT_NE(xref.find("/0: uncompressed; offset = " + std::to_string(source.bytes.size())),
                std::string::npos)
          << xref;
    }
  }
}

TEST(PdfAppend, SecondAppendFollowsThePreviousChain) {
  ScratchDir dir;
  const std::vector<uint8_t> once = Appended(OurDocument(2), 0);
  const std::vector<uint8_t> twice = Appended(once, 1);
  const std::string path = dir.File("twice.pdf");
  WriteBytes(path, twice);
  EXPECT_TRUE(QpdfClean(path));
  EXPECT_EQ(PageSizes(path).size(), 4u);
  const std::string tail = Text(twice).substr(once.size());
  const std::string first_xref = Text(once).substr(Text(once).rfind("startxref") + 10);
  EXPECT_NE(tail.find("/Prev " + first_xref.substr(0, first_xref.find('\r'))), std::string::npos);
  // Both updates rewrote the page-tree root; qpdf reads the newest one.
  EXPECT_NE(Capture("qpdf --show-object=2 '" + path + "'").find("/Count 4"), std::string::npos);
}

TEST(PdfAppend, OurTwoPageFileGetsTheUpdateOfOurLayout) {
  const std::vector<uint8_t> source = OurDocument(2);
  const std::string update = Text(Appended(source, 0)).substr(source.size());
  EXPECT_NE(update.find("/Kids [3 0 R 7 0 R 11 0 R ]\r/Count 3\r"), std::string::npos);
  EXPECT_NE(update.find("xref\r0 1\r0000000000 65535 f \r2 1\r"), std::string::npos);
  EXPECT_NE(update.find("\r11 4\r"), std::string::npos);
  EXPECT_NE(update.find("/Size 15\r"), std::string::npos);
  EXPECT_NE(update.find("/Im10011 12 0 R "), std::string::npos);
  const std::string first = Text(Appended(source, 1)).substr(source.size());
  EXPECT_NE(first.find("/Kids [ 11 0 R 3 0 R 7 0 R ]"), std::string::npos);
}

TEST(PdfAppend, AReferenceClosingTheArrayGetsTheNewOneBeforeTheBracket) {
  ScratchDir dir;
  const std::vector<uint8_t> source = TwoLevelTree().Build();
  const std::string path = dir.File("after4.pdf");
  WriteBytes(path, Appended(source, 0));
  EXPECT_TRUE(QpdfClean(path));
  EXPECT_NE(Text(ReadBytes(path)).find("/Kids [3 0 R 4 0 R 7 0 R]"), std::string::npos);
}

TEST(PdfAppend, TheAppendedPartStartsOnANewLine) {
  std::vector<uint8_t> source = OurShape(1, "\n").Build();
  source.pop_back();  // the file ends right after %%EOF
  const std::vector<uint8_t> appended = Appended(source, 0);
  EXPECT_EQ(Text(appended).substr(source.size() - 5, 8), "%%EOF\r2 ");
}

TEST(PdfAppend, AGenerationIsKeptInTheRewrittenEntry) {
  ScratchDir dir;
  HandDocument doc = OurShape(1, "\n");
  std::string text = Text(doc.Build());
  // Object 2 in its second generation: its header, the catalog's reference, the table entry.
  auto replace = [&text](const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
  };
  replace("\n2 0 obj", "\n2 3 obj");
  replace("/Pages 2 0 R", "/Pages 2 3 R");
  replace(" 00000 n \n", " 00000 n \n");  // object 1 stays generation 0
  const size_t second = text.find(" 00000 n \n", text.find("xref")) + 10;
  text.replace(text.find(" 00000 n", second), 8, " 00003 n");
  const std::string path = dir.File("generation.pdf");
  WriteBytes(path, Bytes(text));
  ASSERT_TRUE(QpdfClean(path));
  WriteBytes(path, Appended(Bytes(text), 0));
  EXPECT_TRUE(QpdfClean(path));
  EXPECT_NE(Capture("qpdf --show-xref '" + path + "'").find("2/3: uncompressed"),
            std::string::npos);
}

struct Refusal {
  std::string name;
  std::vector<uint8_t> bytes;
  std::string message;  // empty: any EPDFError
};

std::vector<uint8_t> WithPrevCycle() {
  std::string text = Text(OurDocument(1));
  const std::string offset = std::to_string(text.size());
  text += "xref\r0 1\r0000000000 65535 f \rtrailer\r<< \r/Size 7\r/Root 1 0 R\r/Prev " + offset +
          "\r>> \rstartxref\r" + offset + "\r%%EOF\r";
  return Bytes(text);
}

std::vector<Refusal> Refusals(const ScratchDir& dir) {
  const std::vector<uint8_t> ours = OurDocument(2);
  const std::string text = Text(ours);
  HandDocument small_size = OurShape(1, "\n");
  small_size.size = 3;
  HandDocument count_above_kids = OurShape(2, "\n");
  count_above_kids.objects[1][3] = "/Count 3";
  HandDocument more_kids = OurShape(2, "\n");
  more_kids.objects[1][3] = "/Count 1";
  HandDocument kids_after_other_text = OurShape(1, "\n");
  kids_after_other_text.objects[1][2] = "/Kids x[3 0 R ]";
  HandDocument encrypt = OurShape(1, "\n");
  encrypt.extra_trailer_lines = {"/Encrypt 3 0 R"};
  HandDocument xref_stream = OurShape(1, "\n");
  xref_stream.extra_trailer_lines = {"/XRefStm 9"};
  HandDocument prev_outside = OurShape(1, "\n");
  prev_outside.extra_trailer_lines = {"/Prev 999999"};
  const std::string lf = Text(OurShape(1, "\n").Build());
  auto changed = [&lf](const std::string& from, const std::string& to) {
    std::string text = lf;
    text.replace(text.find(from), from.size(), to);
    return Bytes(text);
  };
  HandDocument no_pages = OurShape(1, "\n");
  no_pages.objects[1] = {"<<", "/Type /Pages", "/Kids [ ]", "/Count 0", ">>"};
  const std::string clean = dir.File("clean.pdf");
  WriteBytes(clean, ours);
  auto qpdf = [&](const std::string& options) {
    const std::string out = dir.File("qpdf.pdf");
    Run("qpdf " + options + " '" + clean + "' '" + out + "'");
    return ReadBytes(out);
  };
  return {
      {"no %%EOF", Bytes(text.substr(0, text.rfind("%%EOF"))), "Source PDF file is invalid"},
      {"truncated", Bytes(text.substr(0, text.size() / 2)), "Source PDF file is invalid"},
      {"no line end at all", Bytes("%PDF-1.3 1 0 obj endobj"), "Source PDF file is invalid"},
      {"a /Prev cycle", WithPrevCycle(), "Error reading cross reference table"},
      {"xref entries beyond /Size", small_size.Build(), "Error reading cross reference table"},
      {"/Count above the kids", count_above_kids.Build(),
       "Error reading Pages table in source PDF file"},
      {"no pages", no_pages.Build(), "Error reading Pages table in source PDF file"},
      {"more kids than /Count", more_kids.Build(), "Error reading Pages table in source PDF file"},
      {"the previous page not on the /Kids line", kids_after_other_text.Build(),
       "Error reading Pages table in source PDF file"},
      {"/Size 0", changed("/Size 7", "/Size 0"), "Source PDF file is invalid"},
      {"/Size unreadable", changed("/Size 7", "/Size seven"), "Source PDF file is invalid"},
      {"an offset beyond the file", changed("0000000009 00000 n", "0000099999 00000 n"),
       "Error reading cross reference table"},
      {"/Prev outside the file", prev_outside.Build(), "Error reading cross reference table"},
      {"an /Encrypt key", encrypt.Build(), "Encrypted PDF files are not supported"},
      {"an /XRefStm key", xref_stream.Build(),
       "PDF files with cross reference streams are not supported"},
      {"encrypted", qpdf("--encrypt u o 256 --"), ""},
      {"object streams", qpdf("--object-streams=generate"), ""},
  };
}

TEST(PdfAppend, RefusedFilesLeaveSourceAndDestinationAsTheyWere) {
  ScratchDir dir;
  const TicPDF page = NewPage();
  const std::string source = dir.File("source.pdf");
  const std::string dest = dir.File("dest.pdf");
  const std::vector<uint8_t> dest_bytes = OurDocument(1);
  for (const Refusal& refusal : Refusals(dir)) {
    SCOPED_TRACE(refusal.name);
    ASSERT_FALSE(refusal.bytes.empty());
    WriteBytes(source, refusal.bytes);
    WriteBytes(dest, dest_bytes);
    try {
      page.InsertIntoFile(source, dest, 0);
      ADD_FAILURE() << "appended";
    } catch (const EPDFError& error) {
      if (!refusal.message.empty()) {
        EXPECT_EQ(std::string(error.what()), refusal.message);
      }
    }
    EXPECT_EQ(ReadBytes(source), refusal.bytes);
    EXPECT_EQ(ReadBytes(dest), dest_bytes);
  }
}

TEST(PdfAppend, QpdfOutputIsRefusedOrAppendedCleanly) {
  ScratchDir dir;
  const std::string clean = dir.File("clean.pdf");
  WriteBytes(clean, OurDocument(2));
  for (const std::string options : {"", "--qdf", "--linearize"}) {
    SCOPED_TRACE("qpdf " + options);
    const std::string source = dir.File("qpdf.pdf");
    ASSERT_TRUE(velmora_test::Run("qpdf " + options + " '" + clean + "' '" + source + "'"));
    const std::string dest = dir.File("dest.pdf");
    try {
      NewPage().InsertIntoFile(source, dest, 0);
      EXPECT_TRUE(QpdfClean(dest));
      EXPECT_EQ(PageSizes(dest).size(), 3u);
    } catch (const EPDFError&) {
      EXPECT_FALSE(plat::FileExists(dest));
    }
  }
}

TEST(PdfInsertIntoFile, WritesTheDestinationOrTheSourceItself) {
  ScratchDir dir;
  const TicPDF page = NewPage();
  const std::string source = dir.File("in.pdf");
  WriteBytes(source, OurDocument(1));
  page.InsertIntoFile(source, dir.File("out.pdf"), 1);
  EXPECT_EQ(ReadBytes(dir.File("out.pdf")), Appended(OurDocument(1), 1));
  EXPECT_EQ(ReadBytes(source), OurDocument(1));
  page.InsertIntoFile(source, source, 0);
  EXPECT_EQ(ReadBytes(source), Appended(OurDocument(1), 0));
  page.InsertIntoFile(dir.File("missing.pdf"), dir.File("never.pdf"), 0);
  EXPECT_FALSE(plat::FileExists(dir.File("never.pdf")));
  EXPECT_THROW(TicPDF().InsertIntoFile(source, dir.File("x.pdf"), 0), EPDFError);
}

}  // namespace
}  // namespace pdftest
