// Hand-made files for the errors the reader must refuse and the faults it must not repeat.
#include <gtest/gtest.h>

#include "control/formats/png/png_image.h"
#include "control/formats/png/png_zlib.h"
#include "png_test_util.h"

namespace pictavo {
namespace {

using pngtest::Bytes;
using pngtest::RawChunk;

Bytes Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t color_type,
             uint8_t interlace = 0) {
  Bytes data;
  pngtest::PutBE32(data, width);
  pngtest::PutBE32(data, height);
  data.insert(data.end(), {depth, color_type, 0, 0, interlace});
  return data;
}

// An 8-bit grey image whose pixel (x, y) is x * 16 + y, every row with filter None.
Bytes GreyRows(int width, int height) {
  Bytes raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) raw.push_back(static_cast<uint8_t>(x * 16 + y));
  }
  return raw;
}

std::vector<RawChunk> GreyFile(int width, int height) {
  return {{"IHDR", Header(width, height, 8, 0)},
          {"IDAT", pngtest::Deflate(GreyRows(width, height))},
          {"IEND", {}}};
}

std::string LoadError(const Bytes& file) {
  plat::TMemoryStream stream(file);
  TPNGImage png;
  try {
    png.LoadFromStream(stream);
  } catch (const plat::Exception& e) {
    return e.what();
  }
  return "";
}

std::string PngError(const std::string& text) {
  return "PNG Error\r\n\r\n" + text;
}

struct RefusedCase {
  const char* name;
  std::vector<RawChunk> chunks;
  std::string message;
};

std::vector<RefusedCase> RefusedCases() {
  Bytes rows = pngtest::Deflate(GreyRows(4, 4));
  Bytes palette_rows = pngtest::Deflate(Bytes(5, 0));
  return {
      {"short_ihdr",
       {{"IHDR", Bytes(9, 0)}, {"IDAT", rows}, {"IEND", {}}},
       PngError("PNG header missing or out of order.")},
      {"ihdr_not_first",
       {{"gAMA", {0, 1, 0x86, 0xA0}}, {"IHDR", Header(4, 4, 8, 0)}, {"IDAT", rows}, {"IEND", {}}},
       PngError("PNG header missing or out of order.")},
      {"no_image_data",
       {{"IHDR", Header(4, 4, 8, 0)}, {"IEND", {}}},
       PngError("No image data present.")},
      {"unknown_critical",
       {{"IHDR", Header(4, 4, 8, 0)}, {"ABCD", {1}}, {"IDAT", rows}},
       PngError("Unknown critical chunk.")},
      {"width_beyond_format",
       {{"IHDR", Header(0x80000000u, 1, 8, 0)}, {"IDAT", rows}},
       PngError("Invalid PNG file header.")},
      {"pixel_count_beyond_its_data",
       {{"IHDR", Header(0x10000, 0x10001, 8, 0)}, {"IDAT", rows}},
       PngError("Image data incomplete.")},
      {"rgb_depth_4",
       {{"IHDR", Header(4, 4, 4, 2)}, {"IDAT", rows}},
       PngError("Invalid colour type.")},
      {"colour_type_5",
       {{"IHDR", Header(4, 4, 8, 5)}, {"IDAT", rows}},
       PngError("Invalid colour type.")},
      {"interlace_2",
       {{"IHDR", Header(4, 4, 8, 0, 2)}, {"IDAT", rows}},
       PngError("Unknown interlace method.")},
      {"palette_missing",
       {{"IHDR", Header(4, 1, 8, 3)}, {"IDAT", palette_rows}},
       PngError("Palette missing.")},
      {"palette_not_triples",
       {{"IHDR", Header(4, 1, 8, 3)}, {"PLTE", Bytes(7, 0)}, {"IDAT", palette_rows}},
       PngError("Invalid palette.")},
      {"palette_of_257",
       {{"IHDR", Header(4, 1, 8, 3)}, {"PLTE", Bytes(257 * 3, 9)}, {"IDAT", palette_rows}},
       PngError("Invalid palette.")},
      {"filter_type_5",
       {{"IHDR", Header(4, 1, 8, 0)}, {"IDAT", pngtest::Deflate({5, 1, 2, 3, 4})}},
       PngError("Unknown filter type.")},
      {"corrupt_deflate",
       {{"IHDR", Header(4, 4, 8, 0)}, {"IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF}}},
       "data error"},
  };
}

TEST(Refused, EachBrokenFileGivesItsMessage) {
  for (const RefusedCase& c : RefusedCases())
    EXPECT_EQ(LoadError(pngtest::JoinChunks(c.chunks)), c.message) << c.name;
}

TEST(Refused, WrongSignature) {
  Bytes file = pngtest::JoinChunks(GreyFile(4, 4));
  file[1] = 'p';
  EXPECT_EQ(LoadError(file), PngError("Invalid PNG file header."));
  EXPECT_EQ(LoadError(Bytes(file.begin(), file.begin() + 5)), PngError("Invalid PNG file header."));
}

TEST(Refused, ChunkLengthBeyondTheDataSaysTheFileIsCutOff) {
  Bytes file = pngtest::JoinChunks(GreyFile(4, 4));
  EXPECT_EQ(LoadError(Bytes(file.begin(), file.end() - 14)),
            PngError("The file ends inside a chunk."));  // inside the last chunk
  file[33 + 3] = 0xFF;  // IDAT's length (after signature and IHDR) now exceeds the file
  file[33 + 2] = 0xFF;
  EXPECT_EQ(LoadError(file), PngError("The file ends inside a chunk."));
  file[33] = 0xFF;  // beyond the 2^31 - 1 the format allows
  EXPECT_EQ(LoadError(file), PngError("Chunk length out of range."));
}

TEST(Refused, PresetDictionaryImageDataEndsWithAnError) {
  // A zlib header announcing a preset dictionary (FDICT) followed by its Adler-32.
  Bytes data = {0x78, 0xBB, 0x00, 0x00, 0x00, 0x01, 0x03, 0x00};
  auto chunks = GreyFile(4, 4);
  chunks[1].data = data;
  EXPECT_EQ(LoadError(pngtest::JoinChunks(chunks)), "need dictionary");
}

TEST(Refused, ShortImageDataIsZeroFilledAndReported) {
  constexpr int kWidth = 200, kHeight = 60;
  Bytes raw = GreyRows(kWidth, kHeight);
  // Rows of incompressible noise, so a cut in the compressed data cuts the rows.
  uint32_t state = 1;
  for (size_t i = 0; i < raw.size(); ++i)
    if (i % (kWidth + 1) != 0) raw[i] = static_cast<uint8_t>((state = state * 69069 + 1) >> 24);
  Bytes full = pngtest::Deflate(raw);
  auto chunks = GreyFile(kWidth, kHeight);
  chunks[1].data.assign(full.begin(), full.begin() + full.size() / 2);

  plat::TMemoryStream stream(pngtest::JoinChunks(chunks));
  TPNGImage png;
  try {
    png.LoadFromStream(stream);
    FAIL();
  } catch (const EPNGImageException& e) {
    EXPECT_EQ(std::string(e.what()), PngError("Image data incomplete."));
  }
  ASSERT_EQ(png.Height(), kHeight);
  EXPECT_TRUE(std::equal(png.ScanLine(0), png.ScanLine(0) + kWidth, raw.begin() + 1));
  const uint8_t* last = png.ScanLine(kHeight - 1);
  EXPECT_TRUE(std::all_of(last, last + kWidth, [](uint8_t v) { return v == 0; }));
}

TEST(Refused, HugeImageWithTinyDataIsRefusedBeforeAllocating) {
  auto chunks = GreyFile(4, 4);
  chunks[0].data = Header(30000, 30000, 8, 2);
  EXPECT_EQ(LoadError(pngtest::JoinChunks(chunks)), PngError("Image data incomplete."));
}

TEST(Transparency, GreyscaleWithTrnsLoadsWithThatGrey) {
  auto chunks = GreyFile(4, 4);
  chunks.insert(chunks.begin() + 1, {"tRNS", {0x00, 0x21}});
  plat::TMemoryStream stream(pngtest::JoinChunks(chunks));
  TPNGImage png;
  png.LoadFromStream(stream);
  EXPECT_TRUE(png.HasTransparentColor);
  EXPECT_EQ(png.TransparentColor, plat::RGB(0x21, 0x21, 0x21));
  EXPECT_EQ(png.PixelColor(2, 1), plat::RGB(0x21, 0x21, 0x21));
}

TEST(Transparency, ShortTruecolourTrnsIsNotReadPastItsEnd) {
  std::vector<RawChunk> chunks = {{"IHDR", Header(1, 1, 8, 2)},
                                  {"tRNS", {0, 1, 0}},
                                  {"IDAT", pngtest::Deflate({0, 1, 2, 3})},
                                  {"IEND", {}}};
  plat::TMemoryStream stream(pngtest::JoinChunks(chunks));
  TPNGImage png;
  png.LoadFromStream(stream);
  EXPECT_FALSE(png.HasTransparentColor);
  EXPECT_EQ(png.PixelColor(0, 0), plat::RGB(1, 2, 3));
}

TEST(Transparency, LoadingAFileWithoutTrnsForgetsTheLastOne) {
  auto with = GreyFile(4, 4);
  with.insert(with.begin() + 1, {"tRNS", {0x00, 0x21}});
  TPNGImage png;
  plat::TMemoryStream first(pngtest::JoinChunks(with));
  png.LoadFromStream(first);
  plat::TMemoryStream second(pngtest::JoinChunks(GreyFile(4, 4)));
  png.LoadFromStream(second);
  EXPECT_FALSE(png.HasTransparentColor);
}

TEST(Writing, IndexedBitmapWithoutPaletteIsWrittenAsTruecolour) {
  pngtest::ScratchDir dir;
  plat::TBitmap bitmap(6, 3, plat::TPixelFormat::pf8bit);
  bitmap.SetColorTable({});
  TPNGImage png;
  png.Assign(bitmap);
  std::string path = dir / "nopalette.png";
  png.SaveToFile(path);
  pngtest::CommandResult check = pngtest::Run("pngcheck -v '" + path + "'");
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(pngtest::ReadBytes(path)[25], 2);  // colour type
  EXPECT_EQ(pngtest::MagickPixels(path), Bytes(6 * 3 * 3, 0));
}

TEST(Writing, GammaWritingTableHasNoGaps) {
  for (uint32_t gamma : {45455u, 100000u, 220000u, 30000u}) {
    TPNGImage png;
    auto& chunk = png.Chunks().Add<TChunkGAMA>();
    chunk.SetGamma(gamma);
    const auto& reading = chunk.ReadingTable();
    const auto& writing = chunk.WritingTable();
    for (int v = 0; v < 256; ++v) {
      // Written back through the reading curve, every value comes as near to itself as the
      // curve allows.
      int best = 256;
      for (int i = 0; i < 256; ++i) best = std::min(best, std::abs(reading[i] - v));
      EXPECT_EQ(std::abs(reading[writing[v]] - v), best) << gamma << " " << v;
      if (v > 0) {
        EXPECT_GE(writing[v], writing[v - 1]) << gamma << " " << v;
      }
    }
  }
}

TEST(Writing, SafeToCopyChunksAreKeptAndUnsafeOnesDropped) {
  pngtest::ScratchDir dir;
  auto chunks = GreyFile(4, 4);
  chunks.insert(chunks.begin() + 1, {"gAMA", {0x00, 0x01, 0x86, 0xA0}});
  chunks.insert(chunks.begin() + 2, {"cHRM", Bytes(32, 0)});
  chunks.insert(chunks.begin() + 3, {"tEXt", {'K', 0, 'v'}});
  chunks.insert(chunks.begin() + 4, {"prVt", {1, 2, 3}});
  chunks.insert(chunks.begin() + 5, {"prVT", {4, 5, 6}});
  plat::TMemoryStream in(pngtest::JoinChunks(chunks));
  TPNGImage png;
  png.LoadFromStream(in);
  std::string path = dir / "kept.png";
  png.SaveToFile(path);
  std::vector<std::string> written;
  for (auto& c : pngtest::SplitChunks(pngtest::ReadBytes(path))) written.push_back(c.type);
  EXPECT_EQ(written,
            (std::vector<std::string>{"IHDR", "gAMA", "PLTE", "tEXt", "prVt", "IDAT", "IEND"}));
  pngtest::CommandResult check = pngtest::Run("pngcheck '" + path + "'");
  EXPECT_EQ(check.status, 0) << check.output;
}

TEST(ChunkList, ErrorsAndRegistry) {
  TPNGImage png;
  EXPECT_EQ(png.Chunks().Count(), 3);
  EXPECT_THROW(png.Chunks().Item(3), EPNGImageException);
  TPNGImage other;
  try {
    png.Chunks().Remove(other.Chunks().Item(0));
    FAIL();
  } catch (const EPNGImageException& e) {
    EXPECT_EQ(std::string(e.what()), PngError("The chunk is not in the chunk list."));
  }
  const TChunkClasses& classes = RegisteredChunkClasses();
  std::string order;
  for (int i = 0; i < classes.Count(); ++i) order += classes.Item(i).type;
  EXPECT_EQ(order, "IENDIHDRgAMAIDATPLTEtEXttIMEtRNS");
  EXPECT_THROW(classes.Item(classes.Count()), EPNGImageException);
}

TEST(ChunkList, AssignFromAnotherPngCopiesChunksAndPixels) {
  auto chunks = GreyFile(4, 4);
  chunks.insert(chunks.begin() + 1, {"gAMA", {0x00, 0x00, 0xB1, 0x8F}});
  plat::TMemoryStream in(pngtest::JoinChunks(chunks));
  TPNGImage source;
  source.LoadFromStream(in);
  source.SetFilterSet(0x04);
  TPNGImage copy;
  copy.Assign(source);
  ASSERT_EQ(copy.Chunks().Count(), source.Chunks().Count());
  auto* gamma = copy.Chunks().Find<TChunkGAMA>();
  ASSERT_NE(gamma, nullptr);
  EXPECT_EQ(gamma->Gamma(), 45455u);
  EXPECT_EQ(gamma->ReadingTable(), source.Chunks().Find<TChunkGAMA>()->ReadingTable());
  EXPECT_EQ(copy.FilterSet(), 0x05);
  EXPECT_EQ(copy.PixelColor(3, 2), source.PixelColor(3, 2));
}

}  // namespace
}  // namespace pictavo
