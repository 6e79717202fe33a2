// The package layout against an outside writer (a Python script that knows only the layout
// table), the reader against damaged packages, and entries cut out by `dd` against `identify`.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/output/package/mapped_file.h"
#include "app/output/package/package_reader.h"
#include "app/output/package/package_writer.h"
#include "support/test_files.h"

namespace output::package {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t size, uint8_t seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

std::span<const uint8_t> View(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

using velmora::test::ReadBytes;

void WriteFile(const fs::path& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

int Shell(const std::string& command) {
  return std::system(command.c_str());
}

class PackageFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("velmora_package_" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, std::span<const uint8_t> bytes) {
    WriteFile(dir_ / name, bytes);
    return dir_ / name;
  }
  // The outside writer's package of `entries` (name=file arguments) behind `player`.
  Bytes ScriptPackage(const fs::path& player, const std::string& arguments) {
    const fs::path out = dir_ / "script.pkg";
    const std::string command = "python3 " VELMORA_SOURCE_DIR
                                "/tests/output_package/write_package.py " +
                                out.string() + " " + player.string() + " " + arguments;
    EXPECT_EQ(Shell(command), 0) << command;
    return ReadBytes(out);
  }

  fs::path dir_;
};

TEST_F(PackageFiles, ThreeImageSlideShowMatchesTheOutsideWriterByteForByte) {
  const Bytes player = Pattern(4321, 1), a = Pattern(1000, 2), b = Pattern(2000, 3),
              c = Pattern(3000, 4);
  const fs::path player_file = Write("player", player);
  const std::string arguments = "--options 0x80000005 9 a=" + Write("a", a).string() +
                                " b=" + Write("b", b).string() + " c=" + Write("c", c).string();
  const Bytes expected = ScriptPackage(player_file, arguments);

  std::ostringstream out;
  PackageWriter writer(out, player);
  writer.AddEntry("a", a);
  writer.AddEntry("b", b);
  writer.AddEntry("c", c);
  writer.AddSlideShowOptions({static_cast<int32_t>(0x80000005u), 9});
  writer.Finish();
  const std::string ours = out.str();
  ASSERT_EQ(Bytes(ours.begin(), ours.end()), expected);

  // The worked example: lines at T, T + 1,000 and T + 3,000, options at T + 6,000, the index at
  // T + 6,006 named by the trailer.
  const std::string index = "a;4321;1000;\r\nb;5321;2000;\r\nc;7321;3000;\r\nOPTIONS;10321;\r\n";
  EXPECT_EQ(ours.substr(10327, index.size()), index);
  EXPECT_EQ(ours.substr(ours.size() - 11, 10), "10327     ");
}

TEST_F(PackageFiles, ReaderReadsTheOutsideWritersPackages) {
  const Bytes player = Pattern(500, 9), a = Pattern(10, 5), b = Pattern(700, 6);
  const fs::path player_file = Write("player", player);
  const std::string entries =
      "first=" + Write("a", a).string() + " zweite=" + Write("b", b).string();

  const Bytes show = ScriptPackage(player_file, "--options 0x00FF8040 3 " + entries);
  const PackageReader slides(show, PackageKind::kSlideShow);
  ASSERT_EQ(slides.Entries().size(), 2u);
  EXPECT_EQ(slides.Entries()[1].Name, "zweite");
  EXPECT_EQ(slides.Entries()[1].Offset, 510);
  EXPECT_EQ(Bytes(slides.Entry(0).begin(), slides.Entry(0).end()), a);
  EXPECT_EQ(Bytes(slides.Entry(1).begin(), slides.Entry(1).end()), b);
  EXPECT_EQ(slides.Options().BackColor, 0x00FF8040);
  EXPECT_EQ(slides.Options().Interval, 3);

  const Bytes greeting = ScriptPackage(player_file, "Single=" + Write("g", b).string());
  const PackageReader single(greeting, PackageKind::kImages);
  ASSERT_EQ(single.Entries().size(), 1u);
  EXPECT_EQ(single.Entries()[0].Name, "Single");
  EXPECT_EQ(single.Entries()[0].Offset, 500);
  EXPECT_EQ(Bytes(single.Entry(0).begin(), single.Entry(0).end()), b);

  // A slide show whose image loop added nothing still reads: it has only its options.
  const Bytes empty_show = ScriptPackage(player_file, "--options 255 1");
  const PackageReader empty(empty_show, PackageKind::kSlideShow);
  EXPECT_TRUE(empty.Entries().empty());
  EXPECT_EQ(empty.Options().BackColor, 255);
  EXPECT_EQ(empty.Options().Interval, 1);
}

TEST(PackageWriter, TrailerHoldsTenDigitsAtMost) {
  const std::string trailer = PackageWriter::Trailer(1000000000);
  ASSERT_EQ(trailer.size(), kTrailerSize);
  EXPECT_EQ(trailer.substr(0, 6), std::string("\x08\x00\x0b\x00\x00\x00", 6));
  EXPECT_EQ(trailer.substr(6, 10), "1000000000");
  EXPECT_EQ(trailer.back(), '\0');
}

TEST(PackageWriter, NamesCannotSplitTheirIndexLine) {
  std::ostringstream out;
  const Bytes player = Pattern(64, 0), image = Pattern(20, 1);
  PackageWriter writer(out, player);
  writer.AddEntry("a;b\r\nc", image);
  writer.AddEntry("zweites Bild ü", image);
  writer.Finish();
  const std::string bytes = out.str();
  const PackageReader reader(View(bytes), PackageKind::kImages);
  ASSERT_EQ(reader.Entries().size(), 2u);
  EXPECT_EQ(reader.Entries()[0].Name, "a_b__c");
  EXPECT_EQ(reader.Entries()[1].Name, "zweites Bild ü");
  EXPECT_EQ(reader.Entries()[1].Offset, 84);
}

TEST(PackageWriter, RefusesToGrowPastSignedThirtyTwoBitOffsets) {
  // 2 GiB of address space that is never touched: the writer refuses before it reads a byte.
  const size_t huge = size_t{1} << 31;
  void* space = mmap(nullptr, huge, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(space, MAP_FAILED);
  std::ostringstream out;
  PackageWriter writer(out, Pattern(1000, 0));
  try {
    writer.AddEntry("big", {static_cast<const uint8_t*>(space), huge - 100});
    ADD_FAILURE() << "no error";
  } catch (const EPackageError& e) {
    EXPECT_STREQ(e.what(), "the package would be larger than 2 GiB");
  }
  EXPECT_EQ(out.str().size(), 1000u);
  munmap(space, huge);
}

TEST_F(PackageFiles, WriteFailureIsReported) {
  const fs::path blocker = Write("blocker", Pattern(1, 0));
  std::ofstream out(blocker / "package", std::ios::binary);
  EXPECT_THROW(PackageWriter(out, Pattern(10, 0)), EPackageError);
}

// A package of `index` (lines without the trailer) behind 100 player bytes and 50 entry bytes;
// `index_offset` overrides the offset the trailer names.
std::string Package(const std::string& index, std::string digits = {}) {
  const std::string player(100, 'P'), entries(50, 'E');
  if (digits.empty()) digits = std::to_string(player.size() + entries.size());
  digits.resize(kTrailerDigits, ' ');
  return player + entries + index + std::string("\x08\x00\x0b\x00\x00\x00", 6) + digits +
         std::string(1, '\0');
}

struct DamagedCase {
  const char* label;
  std::string bytes;
  PackageKind kind;
  const char* message;  // empty: the file carries no package
};

TEST(PackageReader, DamagedPackagesAreRefusedWithTheirFault) {
  const std::string good = Package("x;100;50;\r\nOPTIONS;144;\r\n");
  const std::vector<DamagedCase> cases = {
      {"bare player", std::string(4000, 'P'), PackageKind::kSlideShow, ""},
      {"shorter than a trailer", "abc", PackageKind::kImages, ""},
      {"cut short", good.substr(0, good.size() - 20), PackageKind::kSlideShow, ""},
      {"trailer not numeric", Package("x;100;50;\r\n", "15O"), PackageKind::kImages, ""},
      {"trailer signed", Package("x;100;50;\r\n", "-150"), PackageKind::kImages, ""},
      {"index offset 1,000,000,000", Package("x;100;50;\r\n", "1000000000"), PackageKind::kImages,
       "index offset 1000000000 lies outside the file"},
      {"index shorter than 0", Package("x", "150"), PackageKind::kImages, "index is empty"},
      {"no entries", Package(""), PackageKind::kImages, "index is empty"},
      {"offset outside", Package("x;140;50;\r\n"), PackageKind::kImages,
       "image 1 (offset 140, 50 bytes) lies outside the file"},
      {"length outside", Package("x;100;51;\r\n"), PackageKind::kImages,
       "image 1 (offset 100, 51 bytes)"},
      {"huge length", Package("x;100;4294967396;\r\n"), PackageKind::kImages,
       "line 1 of the index has a length too large"},
      {"offset no number", Package("x;1e2;50;\r\n"), PackageKind::kImages,
       "line 1 of the index has offset \"1e2\", which is no number"},
      {"empty length", Package("x;100;;\r\n"), PackageKind::kImages,
       "has length \"\", which is no number"},
      {"negative length", Package("x;100;-5;\r\n"), PackageKind::kImages,
       "line 1 of the index has a negative length (-5)"},
      {"missing length", Package("x;100\r\n"), PackageKind::kImages,
       "line 1 of the index has no length"},
      {"empty second line", Package("x;100;50;\r\n\r\n"), PackageKind::kImages,
       "line 2 of the index has no offset"},
      {"options missing", Package("x;100;50;\r\n"), PackageKind::kSlideShow,
       "the slide show's options are missing"},
      {"options outside", Package("OPTIONS;145;\r\n"), PackageKind::kSlideShow,
       "options (offset 145) lie outside the file"},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.label);
    try {
      PackageReader reader(View(c.bytes), c.kind);
      ADD_FAILURE() << "read without error";
    } catch (const ENoPackage& e) {
      EXPECT_STREQ(c.message, "") << e.what();
    } catch (const EPackageError& e) {
      ASSERT_STRNE(c.message, "") << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("the package is damaged: ", 0), 0u) << e.what();
    }
  }
  // The same bytes, undamaged, read: the table's faults are the ones named.
  const PackageReader reader(View(good), PackageKind::kSlideShow);
  EXPECT_EQ(reader.Entries().size(), 1u);
}

TEST_F(PackageFiles, EntriesCutOutWithDdAreJpegs) {
  ASSERT_EQ(Shell("convert -size 40x30 xc:red " + (dir_ / "red.jpg").string() +
                  " && convert -size 64x48 gradient:blue-yellow " + (dir_ / "ramp.jpg").string()),
            0);
  std::ofstream out(dir_ / "show", std::ios::binary);
  PackageWriter writer(out, ReadBytes("/bin/true"));
  writer.AddEntry("red", ReadBytes(dir_ / "red.jpg"));
  writer.AddEntry("ramp", ReadBytes(dir_ / "ramp.jpg"));
  writer.AddSlideShowOptions({0, 2});
  writer.Finish();
  out.close();

  const MappedFile file((dir_ / "show").string());
  const PackageReader reader(file.Bytes(), PackageKind::kSlideShow);
  const char* sizes[] = {"40x30", "64x48"};
  ASSERT_EQ(reader.Entries().size(), 2u);
  for (size_t k = 0; k < 2; ++k) {
    const PackageEntry& entry = reader.Entries()[k];
    const fs::path cut = dir_ / ("cut" + std::to_string(k));
    ASSERT_EQ(Shell("dd if=" + (dir_ / "show").string() + " of=" + cut.string() +
                    " bs=1 skip=" + std::to_string(entry.Offset) +
                    " count=" + std::to_string(entry.Length) + " status=none"),
              0);
    const std::string facts = (dir_ / "facts").string();
    ASSERT_EQ(Shell("identify -format '%m %wx%h' " + cut.string() + " > " + facts), 0);
    std::ifstream in(facts);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, std::string("JPEG ") + sizes[k]);
  }
  // The package still starts as the program it was built on.
  EXPECT_EQ(
      Shell("readelf -h " + (dir_ / "show").string() + " | grep -q 'Type:.*EXEC\\|Type:.*DYN'"), 0);
}

TEST_F(PackageFiles, MappedFileReportsAMissingFile) {
  EXPECT_THROW(MappedFile((dir_ / "absent").string()), std::runtime_error);
  const MappedFile empty(Write("empty", {}).string());
  EXPECT_TRUE(empty.Bytes().empty());
}

}  // namespace
}  // namespace output::package
