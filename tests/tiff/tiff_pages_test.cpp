// Multipage files: page selection, counting, page lists, inserting pages and cyclic chains.
#include <gtest/gtest.h>

#include "control/formats/tiff/tif_pages.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

// Page n of a file as libtiff decodes it.
RgbaImage LibtiffPage(const ScratchDir& dir, const std::string& file, int n) {
  EXPECT_TRUE(Shell(dir, "tiffcp -c none '" + file + "," + std::to_string(n - 1) +
                             "' page.tif && tiff2rgba page.tif pageref.tif"));
  return ReadWithImageMagick(dir, dir.File("pageref.tif"));
}

// A 24-bit picture whose colours tell which page it is.
plat::TBitmap Numbered(int n, int width = 21) {
  plat::TBitmap bmp(width, 13, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = bmp.ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(40 * n + x);
      p[1] = static_cast<uint8_t>(y * 9);
      p[2] = static_cast<uint8_t>(200 - 30 * n);
    }
  return bmp;
}

std::unique_ptr<pictavo::TTIFImage> PageOf(const plat::TBitmap& bmp, uint16_t compression = 1) {
  auto page = std::make_unique<pictavo::TTIFImage>();
  page->Compression = compression;
  page->Assign(bmp);
  return page;
}

class TiffPages : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WritePageFiles(dir_)); }
  ScratchDir dir_;
};

TEST_F(TiffPages, PageNumberSelectsThePage) {
  const std::string three = dir_.File("three.tif");
  for (int n : {0, 1, 2, 3}) {
    SCOPED_TRACE(n);
    ExpectSamePixels(DecodeTiff(three, n), LibtiffPage(dir_, three, n < 1 ? 1 : n));
  }
  try {
    DecodeTiff(three, 4);
    FAIL() << "page 4 loaded";
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "TIFF file error - cannot find requested page");
  }
  EXPECT_EQ(pictavo::CountTIFPages(three, "", ""), 3);
  plat::TMemoryStream bytes(ReadBytes(three));
  EXPECT_EQ(pictavo::CountTIFPagesInStream(bytes), 3);
  plat::TMemoryStream notTiff(std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0, 0, 0});
  EXPECT_THROW(pictavo::CountTIFPagesInStream(notTiff), plat::EInvalidGraphic);
}

TEST_F(TiffPages, ListSavesOneCleanMultipageFile) {
  pictavo::TTIFList list;
  list.InsertPage(PageOf(Numbered(2)), 0);
  list.InsertPage(PageOf(Numbered(3), 32773), 0);
  list.InsertPage(PageOf(Numbered(1)), 1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.PageAt(0), nullptr);
  EXPECT_EQ(list.PageAt(4), nullptr);
  const std::string file = dir_.File("list.tif");
  pictavo::SaveTIFListToFile(list, file);
  EXPECT_EQ(Capture("tiffinfo -D '" + file + "' 2>&1 >/dev/null"), "");
  EXPECT_EQ(pictavo::CountTIFPages(file, "", ""), 3);
  for (int n = 1; n <= 3; ++n) ExpectSamePixels(Numbered(n), LibtiffPage(dir_, file, n));
  // Every directory on an even offset, the last one ending the chain.
  const std::string dump = Capture("tiffdump '" + file + "' | grep '^Directory'");
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 3) << dump;
  EXPECT_NE(dump.find("next 0 (0)"), std::string::npos) << dump;

  pictavo::TTIFList empty;
  plat::TMemoryStream header;
  pictavo::SaveTIFListToStream(empty, header);
  EXPECT_EQ(header.Bytes(), (std::vector<uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0}));
}

TEST_F(TiffPages, PagesCopiedFromFilesKeepTheirPixels) {
  // Big-endian, FillOrder 2 and planar pages depend on what the writer does not put out: they
  // are re-encoded, the others copied as they are.
  ASSERT_TRUE(Shell(dir_,
                    "tiffcp -c g4 -f lsb2msb a.tif a2.tif && tiffcp -c lzw:2 -B b.tif b2.tif && "
                    "tiffcp -c packbits -p separate c.tif c2.tif && tiffcp -c g3 a.tif a3.tif && "
                    "convert colour.ppm -depth 8 -alpha opaque -compress none d.tif && "
                    "tiffset -s 33432 Someone b2.tif"));
  pictavo::TTIFList list;
  for (const char* name : {"a2.tif", "b2.tif", "c2.tif", "a3.tif", "d.tif", "three.tif"})
    list.AddPageFromFile(dir_.File(name), 1);
  list.AddPageFromFile(dir_.File("three.tif"), 3);
  const std::string file = dir_.File("copies.tif");
  pictavo::SaveTIFListToFile(list, file);
  EXPECT_EQ(Capture("tiffinfo -D '" + file + "' 2>&1 >/dev/null"), "");
  // The re-encoded big-endian page kept its attributes.
  EXPECT_NE(Capture("tiffinfo '" + file + "' 2>&1").find("Copyright: Someone"), std::string::npos);
  const char* sources[] = {"a2.tif", "b2.tif", "c2.tif", "a3.tif", "d.tif", "a.tif", "c.tif"};
  for (int n = 1; n <= 7; ++n) {
    SCOPED_TRACE(n);
    ExpectSamePixels(DecodeTiff(dir_.File(sources[n - 1])), LibtiffPage(dir_, file, n));
  }
}

// Horizontal differencing of 8-bit samples travels with the stored LZW bytes: grey and colour
// pages keep both their coding and their predictor, and libtiff decodes the same pixels.
TEST_F(TiffPages, LzwPagesWithAPredictorAreCopiedWithIt) {
  ASSERT_TRUE(Shell(dir_, "tiffcp -c lzw:2 b.tif b4.tif && tiffcp -c lzw:2 c.tif c4.tif"));
  for (const char* name : {"b4.tif", "c4.tif"}) {
    SCOPED_TRACE(name);
    pictavo::TTIFList list;
    list.AddPageFromFile(dir_.File(name), 1);
    const std::string file = dir_.File(std::string("copy_") + name);
    pictavo::SaveTIFListToFile(list, file);
    EXPECT_EQ(Capture("tiffinfo -D '" + file + "' 2>&1 >/dev/null"), "");
    const std::string info = Capture("tiffinfo '" + file + "' 2>&1");
    EXPECT_NE(info.find("Compression Scheme: LZW"), std::string::npos) << info;
    EXPECT_NE(info.find("Predictor: horizontal differencing"), std::string::npos) << info;
    ExpectSamePixels(DecodeTiff(dir_.File(name)), LibtiffPage(dir_, file, 1));
  }
}

TEST_F(TiffPages, InsertTIFPagePositions) {
  const std::string base = dir_.File("base.tif");
  struct Case {
    int32_t position;
    std::vector<int> order;  // pages of the result by their number; 9 is the inserted one
  } cases[] = {{1, {9, 1, 2, 3}}, {2, {1, 9, 2, 3}}, {0, {1, 2, 3, 9}}, {7, {1, 2, 3, 9}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    pictavo::TTIFList list;
    for (int n = 1; n <= 3; ++n) list.InsertPage(PageOf(Numbered(n)), 0);
    pictavo::SaveTIFListToFile(list, base);
    std::unique_ptr<pictavo::TTIFImage> page = PageOf(Numbered(9, 17));
    pictavo::InsertTIFPage(" " + base + " ", dir_.File("out"), c.position, *page);
    const std::string out = dir_.File("out.tif");
    EXPECT_EQ(Capture("tiffinfo -D '" + out + "' 2>&1 >/dev/null"), "");
    ASSERT_EQ(pictavo::CountTIFPages(out, "", ""), 4);
    for (size_t i = 0; i < c.order.size(); ++i)
      ExpectSamePixels(Numbered(c.order[i], c.order[i] == 9 ? 17 : 21),
                       LibtiffPage(dir_, out, static_cast<int>(i) + 1));
  }
}

TEST_F(TiffPages, InsertTIFPageOverItsSourceAndIntoNewOrBigEndianFiles) {
  std::unique_ptr<pictavo::TTIFImage> page = PageOf(Numbered(9, 17), 32773);
  // No source yet: the page becomes a single-page file named with ".tif".
  pictavo::InsertTIFPage(dir_.File("fresh"), "", 1, *page);
  EXPECT_EQ(pictavo::CountTIFPages(dir_.File("fresh.tif"), "", ""), 1);
  // An empty Dest writes back over the source.
  pictavo::InsertTIFPage(dir_.File("fresh.tif"), "", 0, *PageOf(Numbered(2)));
  EXPECT_EQ(pictavo::CountTIFPages(dir_.File("fresh.tif"), "", ""), 2);
  ExpectSamePixels(Numbered(2), LibtiffPage(dir_, dir_.File("fresh.tif"), 2));
  // A big-endian file is rebuilt little-endian with the page in its place.
  ASSERT_TRUE(Shell(dir_, "tiffcp -B -c packbits three.tif big.tif"));
  pictavo::InsertTIFPage(dir_.File("big.tif"), dir_.File("big2.tif"), 2, *page);
  const std::string out = dir_.File("big2.tif");
  EXPECT_EQ(Capture("tiffinfo -D '" + out + "' 2>&1 >/dev/null"), "");
  ASSERT_EQ(pictavo::CountTIFPages(out, "", ""), 4);
  ExpectSamePixels(Numbered(9, 17), LibtiffPage(dir_, out, 2));
  ExpectSamePixels(DecodeTiff(dir_.File("three.tif"), 3), LibtiffPage(dir_, out, 4));
  // Not a TIFF file.
  WriteBytes(dir_.File("x.tif"), {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8});
  try {
    pictavo::InsertTIFPage(dir_.File("x.tif"), "", 0, *page);
    FAIL();
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "File is not TIFF format");
  }
}

// A two-page file whose second directory points back at the first.
std::vector<uint8_t> CyclicFile() {
  pictavo::TTIFList list;
  list.InsertPage(PageOf(Numbered(1)), 0);
  list.InsertPage(PageOf(Numbered(2)), 0);
  plat::TMemoryStream out;
  pictavo::SaveTIFListToStream(list, out);
  std::vector<uint8_t> bytes = out.TakeBytes();
  uint32_t second = bytes[8 + 2 + 12 * bytes[8]] | bytes[8 + 3 + 12 * bytes[8]] << 8 |
                    bytes[8 + 4 + 12 * bytes[8]] << 16;
  size_t next = second + 2 + 12 * bytes[second];
  bytes[next] = 8;  // back to the first directory
  return bytes;
}

TEST_F(TiffPages, CyclicChainEnds) {
  std::vector<uint8_t> bytes = CyclicFile();
  plat::TMemoryStream stream(bytes);
  EXPECT_EQ(pictavo::CountTIFPagesInStream(stream), 2);
  WriteBytes(dir_.File("loop.tif"), bytes);
  ExpectSamePixels(Numbered(2), LibtiffPage(dir_, dir_.File("loop.tif"), 2));
  EXPECT_THROW(DecodeTiff(dir_.File("loop.tif"), 3), plat::EInvalidGraphic);
  EXPECT_THROW(DecodeTiff(dir_.File("loop.tif"), 1000000), plat::EInvalidGraphic);
  try {
    pictavo::InsertTIFPage(dir_.File("loop.tif"), "", 0, *PageOf(Numbered(3)));
    FAIL();
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Source file is corrupt");
  }
}

// Counting the pages of a TIFF at an address: a loopback server answers two requests and ends.
TEST_F(TiffPages, CountTIFPagesOverHttp) {
  setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
  const std::string server =
      "python3 -c \"import http.server,functools,sys;"
      "h=functools.partial(http.server.SimpleHTTPRequestHandler,directory=sys.argv[1]);"
      "h.log_message=lambda *a:None;"
      "s=http.server.HTTPServer(('127.0.0.1',0),h);print(s.server_port,flush=True);"
      "[s.handle_request() for _ in range(2)]\" '" +
      dir_.File("") + "'";
  FILE* pipe = popen(server.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  int port = 0;
  ASSERT_EQ(fscanf(pipe, "%d", &port), 1);
  const std::string base = "HTTP://127.0.0.1:" + std::to_string(port) + "/";
  EXPECT_EQ(pictavo::CountTIFPages(base + "three.tif", "", ""), 3);
  try {
    pictavo::CountTIFPages(base + "missing.tif", "", "");
    ADD_FAILURE() << "no error";
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Cannot access TIF file at given URL.");
  }
  pclose(pipe);
}

// A file cut inside its first directory or its strip says it is cut off, in its own words.
TEST_F(TiffPages, TruncatedFileSaysSo) {
  pictavo::TTIFList list;
  list.InsertPage(PageOf(Numbered(1)), 0);
  plat::TMemoryStream out;
  pictavo::SaveTIFListToStream(list, out);
  const std::vector<uint8_t> whole = out.TakeBytes();
  const uint32_t ifd = whole[4] | whole[5] << 8 | whole[6] << 16 | uint32_t{whole[7]} << 24;
  for (size_t keep : {size_t{ifd} + 1, size_t{ifd} + 2 + 12 + 5}) {
    WriteBytes(dir_.File("cut.tif"), std::vector<uint8_t>(whole.begin(), whole.begin() + keep));
    try {
      DecodeTiff(dir_.File("cut.tif"));
      ADD_FAILURE() << "a file cut at " << keep << " loaded";
    } catch (const plat::Exception& e) {
      EXPECT_STREQ(e.what(), "TIFF file is truncated") << "cut at " << keep;
    }
  }
}

}  // namespace
}  // namespace velmora_test
