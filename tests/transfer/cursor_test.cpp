// Cursors loaded from .cur files the test builds byte by byte: the directory of type 2 with the
// hotspot, and entries holding a BMP with its AND mask (1 and 32 bits) or a PNG.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <fstream>

#include "activex/member_client.h"
#include "control/engine/view/cursor_file.h"
#include "control/engine/view/cursor_table.h"
#include "transfer/transfer_support.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// The picture every fixture shows: opaque where (x + y) % 3 != 0, the opaque pixels white in
// the left half and black in the right one.
bool Opaque(int x, int y) {
  return (x + y) % 3 != 0;
}
QRgb Expected(int x, int y, int width) {
  if (!Opaque(x, y)) return 0;
  return x < width / 2 ? 0xFFFFFFFFu : 0xFF000000u;
}

// A BMP entry without file header: header, palette, colour rows and AND mask, bottom-up.
Bytes BmpEntry(int width, int height, int bits) {
  Bytes b;
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(width));
  Put32(b, static_cast<uint32_t>(2 * height));
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(bits));
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  if (bits == 1) {
    Put32(b, 0x000000);  // black
    Put32(b, 0xFFFFFF);  // white
  }
  const int colour_stride = (width * bits + 31) / 32 * 4, mask_stride = (width + 31) / 32 * 4;
  for (int y = height - 1; y >= 0; --y) {
    Bytes row(static_cast<size_t>(colour_stride));
    for (int x = 0; x < width; ++x) {
      const bool white = x < width / 2;
      if (bits == 1 && white && Opaque(x, y)) row[x / 8] |= 0x80 >> (x % 8);
      if (bits == 32) {
        const uint8_t level = white && Opaque(x, y) ? 0xFF : 0x00;
        row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = level;
        row[4 * x + 3] = Opaque(x, y) ? 0xFF : 0x00;
      }
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  for (int y = height - 1; y >= 0; --y) {
    Bytes row(static_cast<size_t>(mask_stride));
    for (int x = 0; x < width; ++x)
      if (!Opaque(x, y)) row[x / 8] |= 0x80 >> (x % 8);
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

Bytes PngEntry(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, Expected(x, y, width));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return Bytes(png.begin(), png.end());
}

// A cursor file of one entry.
Bytes CursorFile(const Bytes& entry, int width, int height, int hot_x, int hot_y,
                 uint16_t type = 2) {
  Bytes b;
  Put16(b, 0);
  Put16(b, type);
  Put16(b, 1);
  b.push_back(static_cast<uint8_t>(width));
  b.push_back(static_cast<uint8_t>(height));
  b.push_back(0);
  b.push_back(0);
  Put16(b, static_cast<uint32_t>(hot_x));
  Put16(b, static_cast<uint32_t>(hot_y));
  Put32(b, static_cast<uint32_t>(entry.size()));
  Put32(b, 22);
  b.insert(b.end(), entry.begin(), entry.end());
  return b;
}

class Cursors : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = velmora_test::MakeScratchDir("velmora-cursors");
    ASSERT_FALSE(dir_.empty());
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  static std::u16string Write(const std::string& name, const Bytes& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::string text = path.string();
    return std::u16string(text.begin(), text.end());
  }
  void AddCursor(int16_t index, const std::u16string& file_name) {
    client_.Call("AddCursor", {int64_t{index}, file_name});
  }

  static fs::path dir_;
  velmora_test::TestImageBox box_;
  velmora_test::MemberClient client_{box_};
};
fs::path Cursors::dir_;

TEST_F(Cursors, CursorShowsTheFilesPictureAndHotspot) {
  struct Case {
    const char* name;
    Bytes entry;
    int width, height, hot_x, hot_y;
  } cases[] = {
      {"mono.cur", BmpEntry(32, 32, 1), 32, 32, 5, 9},
      {"odd.cur", BmpEntry(13, 7, 1), 13, 7, 12, 6},  // rows padded to four bytes
      {"alpha.cur", BmpEntry(24, 20, 32), 24, 20, 0, 19},
      {"png.cur", PngEntry(48, 40), 48, 40, 47, 0},
  };
  int16_t index = 100;
  for (const Case& c : cases) {
    AddCursor(index, Write(c.name, CursorFile(c.entry, c.width, c.height, c.hot_x, c.hot_y)));
    client_.Put("Cursor", int64_t{index});
    const QCursor shown = box_.View().cursor();
    EXPECT_EQ(shown.pixmap().size(), QSize(c.width, c.height)) << c.name;
    EXPECT_EQ(shown.hotSpot(), QPoint(c.hot_x, c.hot_y)) << c.name;
    const QImage pixels = shown.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    int wrong = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) wrong += pixels.pixel(x, y) != Expected(x, y, c.width);
    EXPECT_EQ(wrong, 0) << c.name;
    ++index;
  }
}

TEST_F(Cursors, FilesThatHoldNoCursorChangeNothing) {
  const Bytes good = CursorFile(BmpEntry(16, 16, 1), 16, 16, 3, 4);
  AddCursor(7, Write("good.cur", good));
  const QPoint hotspot = pictavo::TCursorTable::Instance().CursorOf(7).hotSpot();
  ASSERT_EQ(hotspot, QPoint(3, 4));

  Bytes bad_bits = CursorFile(BmpEntry(16, 16, 1), 16, 16, 1, 1);
  bad_bits[22 + 14] = 7;  // no such bit count
  Bytes past_end = CursorFile(BmpEntry(16, 16, 1), 16, 16, 1, 1);
  past_end[18] = 0xF0;  // the entry's offset lies beyond the file
  const std::pair<const char*, Bytes> broken[] = {
      {"truncated.cur", Bytes(good.begin(), good.end() - 10)},
      {"header_only.cur", Bytes(good.begin(), good.begin() + 30)},
      {"icon.ico", CursorFile(BmpEntry(16, 16, 1), 16, 16, 1, 1, 1)},
      {"hotspot_outside.cur", CursorFile(BmpEntry(16, 16, 1), 16, 16, 16, 0)},
      {"bad_bits.cur", bad_bits},
      {"past_end.cur", past_end},
      {"not_a_cursor.png", PngEntry(16, 16)},
      {"empty.cur", Bytes()},
  };
  for (const auto& [name, bytes] : broken) {
    AddCursor(7, Write(name, bytes));
    EXPECT_EQ(pictavo::TCursorTable::Instance().CursorOf(7).hotSpot(), hotspot) << name;
    EXPECT_FALSE(pictavo::ReadCursor(bytes).has_value()) << name;
  }
  AddCursor(7, u"/no/such/file.cur");
  EXPECT_EQ(pictavo::TCursorTable::Instance().CursorOf(7).hotSpot(), hotspot);
}

TEST_F(Cursors, TheEntryNearestTheDefaultSizeIsTaken) {
  const Bytes big = BmpEntry(64, 64, 1), normal = BmpEntry(32, 32, 32);
  Bytes file;
  Put16(file, 0);
  Put16(file, 2);
  Put16(file, 2);
  const std::pair<const Bytes*, int> entries[] = {{&big, 64}, {&normal, 32}};
  uint32_t offset = 6 + 2 * 16;
  for (const auto& [entry, size] : entries) {
    file.push_back(static_cast<uint8_t>(size));
    file.push_back(static_cast<uint8_t>(size));
    Put16(file, 0);
    Put16(file, static_cast<uint32_t>(size - 1));
    Put16(file, 2);
    Put32(file, static_cast<uint32_t>(entry->size()));
    Put32(file, offset);
    offset += static_cast<uint32_t>(entry->size());
  }
  for (const auto& [entry, size] : entries) file.insert(file.end(), entry->begin(), entry->end());
  const auto cursor = pictavo::ReadCursor(file);
  ASSERT_TRUE(cursor.has_value());
  EXPECT_EQ(cursor->image.size(), QSize(32, 32));
  EXPECT_EQ(cursor->hotspot, QPoint(31, 2));
}

}  // namespace
