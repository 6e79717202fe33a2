// The image class, its header, colour maps and extensions, and the colour-map merging.
#include <gtest/gtest.h>

#include <fstream>

#include "control/formats/gif/gif_optimizer.h"
#include "gif_test_support.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo::test {
namespace {

const std::vector<plat::TColor> kFour = DistinctColours(4);

std::vector<uint8_t> SmallGIF() {
  return EncodeIndexedGIF({0, 1, 2, 3, 3, 2}, 3, 2, kFour, false, ecLZW);
}

TEST(GIFHeader, AcceptsAPrefixLowerCaseAndAnyVersion) {
  std::vector<uint8_t> gif = SmallGIF();
  std::vector<uint8_t> prefixed = {'M', 'a', 'c', 'B'};
  prefixed.insert(prefixed.end(), gif.begin(), gif.end());
  std::vector<uint8_t> lower = gif;
  std::copy_n("gif12x", 6, lower.begin());
  for (const auto& bytes : {prefixed, lower}) {
    LoadedGIF loaded = LoadGIF(bytes);
    EXPECT_EQ(loaded.image->Frames().FrameAt(0)->PixelData(),
              (std::vector<uint8_t>{0, 1, 2, 3, 3, 2}));
  }
  std::vector<uint8_t> wrong = gif;
  wrong[0] = 'J';
  EXPECT_EQ(ErrorOf([&] { LoadGIF(wrong); }), "Invalid GIF signature");
}

TEST(GIFHeader, ColourTablesArePaddedToAPowerOfTwo) {
  struct Case {
    int colours;
    size_t entries_written;
    int size_field;
  };
  for (Case c : {Case{3, 4, 1}, Case{1, 2, 0}, Case{5, 8, 2}, Case{200, 256, 7}}) {
    std::vector<uint8_t> gif =
        EncodeIndexedGIF({0}, 1, 1, DistinctColours(c.colours), false, ecLZW);
    EXPECT_EQ(gif[10] & 7, c.size_field) << c.colours;
    EXPECT_EQ(gif[10] & 0x80, 0x80);
    // The image separator follows the table.
    EXPECT_EQ(gif[13 + c.entries_written * 3], ',') << c.colours;
    EXPECT_EQ(gif[13 + c.entries_written * 3 - 1], 0) << "padding is black";
  }
}

TEST(GIFHeader, SortFlagIsNotCarriedIntoTheMap) {
  std::vector<uint8_t> gif = SmallGIF();
  gif[10] |= 0x08;
  LoadedGIF loaded = LoadGIF(gif);
  EXPECT_FALSE(loaded.image->GlobalColorMap().IsOptimized());
  plat::TMemoryStream out;
  loaded.image->SaveToStream(out);
  EXPECT_EQ(out.Bytes()[10] & 0x08, 0);
}

TEST(GIFImage, SavingWithoutFramesFails) {
  TGIFImage image;
  plat::TMemoryStream out;
  EXPECT_EQ(ErrorOf([&] { image.SaveToStream(out); }), "Unsupported GIF version");
}

TEST(GIFColorMap, FindColorAndColorAt) {
  TGIFImage image;
  TGIFColorMap& map = image.GlobalColorMap();
  std::vector<std::string> warnings;
  image.WarningHandler = [&](const void*, int, const std::string& m) { warnings.push_back(m); };
  EXPECT_EQ(ErrorOf([&] { map.ColorAt(0); }), "Color table is empty");
  map.AppendColor(plat::RGB(1, 2, 3));
  map.AppendColor(plat::RGB(9, 9, 9));
  map.AppendColor(plat::RGB(1, 2, 3));
  EXPECT_EQ(map.FindColor(plat::RGB(1, 2, 3)), 2);
  map.SetOptimized(true);
  EXPECT_EQ(map.FindColor(plat::RGB(1, 2, 3)), 0);
  EXPECT_EQ(map.ColorAt(300), plat::RGB(1, 2, 3));
  EXPECT_EQ(warnings, std::vector<std::string>({"Invalid color index", "Invalid color index"}));
  for (int i = 3; i < 256; ++i) map.AppendColor(plat::RGB(uint8_t(i), 0, 0));
  EXPECT_EQ(ErrorOf([&] { map.AppendColor(0); }), "Color table overflow");
}

TEST(GIFImage, FailedLoadLeavesTheImageResetAndTheStreamWhereItWas) {
  LoadedGIF loaded = LoadGIF(SmallGIF());
  ASSERT_FALSE(loaded.image->GetEmpty());
  std::vector<uint8_t> bytes = SmallGIF();
  bytes.resize(16 + 12 + 5);  // inside the image descriptor
  std::vector<uint8_t> padded = {7, 7};
  padded.insert(padded.end(), bytes.begin(), bytes.end());
  plat::TReadOnlyMemoryStream stream(padded.data(), int64_t(padded.size()));
  stream.SetPosition(2);
  EXPECT_EQ(ErrorOf([&] { loaded.image->LoadFromStream(stream); }), "Premature end of data");
  EXPECT_TRUE(loaded.image->GetEmpty());
  EXPECT_EQ(loaded.image->GetWidth(), 0);
  EXPECT_EQ(loaded.image->GlobalColorMap().EntryCount(), 0);
  EXPECT_EQ(stream.Position(), 2);
}

TEST(GIFImage, FrameLargerThanItsDataCanFillIsRefused) {
  std::vector<uint8_t> gif = SmallGIF();
  // Width and height of the frame (after 13 header bytes, 12 table bytes, 5 descriptor bytes).
  size_t at = 13 + 12 + 5;
  gif[at] = gif[at + 1] = gif[at + 2] = gif[at + 3] = 0xFF;
  EXPECT_EQ(ErrorOf([&] { LoadGIF(gif); }), plat::kImageTooLarge);
  // Cut off by the end of the file inside its data, the same frame is data that ended early.
  gif.resize(at + 4 + 1 + 1 + 2);
  EXPECT_EQ(ErrorOf([&] { LoadGIF(gif); }), "Premature end of data");
  // A huge logical screen around a tiny frame loads, but is not rendered at that size.
  std::vector<uint8_t> huge_screen = SmallGIF();
  huge_screen[6] = huge_screen[7] = huge_screen[8] = huge_screen[9] = 0xFF;
  LoadedGIF loaded = LoadGIF(huge_screen);
  EXPECT_EQ(loaded.image->GetWidth(), 65535);
  EXPECT_EQ(ErrorOf([&] { loaded.image->RenderedBitmap(); }), "Invalid image dimensions");
}

// Builds a GIF from its parts: header and global table of four colours, then `blocks`.
std::vector<uint8_t> WithBlocks(const std::vector<uint8_t>& blocks) {
  std::vector<uint8_t> gif = SmallGIF();
  size_t image = 13 + 12;
  gif.insert(gif.begin() + long(image), blocks.begin(), blocks.end());
  return gif;
}

TEST(GIFExtensions, UnknownLabelIsSkippedWithAWarning) {
  LoadedGIF loaded = LoadGIF(WithBlocks({'!', 0x77, 3, 'a', 'b', 'c', 2, 'd', 'e', 0}));
  EXPECT_TRUE(loaded.HasWarning("Unknown extension type"));
  EXPECT_EQ(loaded.image->Frames().ItemCount(), 1);
  EXPECT_EQ(loaded.image->Frames().FrameAt(0)->PixelData(),
            (std::vector<uint8_t>{0, 1, 2, 3, 3, 2}));
}

TEST(GIFExtensions, LoopCommentTextAndUnknownApplicationSurviveARoundTrip) {
  std::vector<uint8_t> blocks = {'!', 0xFF, 11};
  blocks.insert(blocks.end(), {'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0'});
  blocks.insert(blocks.end(), {3, 1, 7, 0, 0});
  blocks.insert(blocks.end(), {'!', 0xFF, 11, 'X', 'Y', 'Z', 'W', 'V', 'U', 'T', 'S', '1', '2', '3',
                               2, 0xAB, 0xCD, 0});
  blocks.insert(blocks.end(), {'!', 0x01, 12, 1, 0, 2, 0, 30, 0, 8, 0, 6, 8, 1, 0, 2, 'h', 'i', 0});
  std::string long_line(300, 'q');
  blocks.insert(blocks.end(), {'!', 0xFE});
  blocks.push_back(255);
  blocks.insert(blocks.end(), long_line.begin(), long_line.begin() + 255);
  blocks.push_back(45);
  blocks.insert(blocks.end(), long_line.begin() + 255, long_line.end());
  blocks.push_back(0);
  std::vector<uint8_t> gif = WithBlocks(blocks);

  LoadedGIF loaded = LoadGIF(gif);
  ASSERT_TRUE(loaded.warnings.empty());
  TGIFSubImage& frame = *loaded.image->Frames().FrameAt(0);
  ASSERT_EQ(frame.Extensions().ItemCount(), 4);
  auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(frame.Extensions().ItemAt(0));
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->LoopCount, 7);
  auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(frame.Extensions().ItemAt(1));
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->Blocks, (std::vector<std::vector<uint8_t>>{{0xAB, 0xCD}}));
  auto* comment = dynamic_cast<TGIFCommentExtension*>(frame.Extensions().ItemAt(3));
  ASSERT_NE(comment, nullptr);
  EXPECT_EQ(comment->Text, (TStringList{long_line.substr(0, 255), long_line.substr(255)}));

  // Written back byte for byte, and giflib reads the result.
  plat::TMemoryStream out;
  loaded.image->SaveToStream(out);
  std::vector<uint8_t> expected = gif;
  std::copy_n("GIF89a", 6, expected.begin());
  EXPECT_EQ(out.Bytes(), expected);
  ScratchDir dir;
  WriteBytes(dir.Path("x.gif"), out.Bytes());
  std::string text = RunTool("giftext " + dir.Path("x.gif"));
  EXPECT_NE(text.find("Ext Code = 254"), std::string::npos);
  EXPECT_NE(text.find("Ext Code = 1 "), std::string::npos);
  EXPECT_NE(text.find("terminated normally"), std::string::npos);
}

TEST(GIFExtensions, GraphicControlDrivesTheFrameTransparency) {
  LoadedGIF loaded =
      LoadGIF(WithBlocks({'!', 0xF9, 4, 0x01, 0, 0, 3, 0, '!', 0xF9, 4, 0, 9, 0, 1, 0}));
  TGIFSubImage& frame = *loaded.image->Frames().FrameAt(0);
  EXPECT_TRUE(frame.IsTransparent());
  EXPECT_TRUE(loaded.image->HasTransparency());
  ASSERT_EQ(frame.Extensions().ItemCount(), 2);
  EXPECT_EQ(frame.ControlExtension(), frame.Extensions().ItemAt(0));
  EXPECT_EQ(frame.ControlExtension()->GetTransparentRGB(), kFour[3]);
  frame.Extensions().FreeAt(0);
  EXPECT_FALSE(frame.IsTransparent());
  EXPECT_EQ(frame.ControlExtension(), nullptr);
}

TEST(GIFExtensions, MalformedApplicationBlocksFailTheLoad) {
  EXPECT_EQ(ErrorOf([&] {
              LoadGIF(WithBlocks({'!', 0xFF, 5, 1, 2, 3, 4, 5, 0}));
            }),
            "Unsupported Application Extension block size");
  std::vector<uint8_t> short_loop = {'!', 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A',
                                     'P', 'E',  '2', '.', '0', 2,   1,   0,   0};
  EXPECT_EQ(ErrorOf([&] { LoadGIF(WithBlocks(short_loop)); }), "Invalid GIF data");
}

TEST(GIFImage, StreamStructureTolerances) {
  std::vector<uint8_t> gif = SmallGIF();
  // Zero bytes between blocks are skipped; a stream ending after the frame needs no trailer.
  std::vector<uint8_t> zeros = gif;
  zeros.insert(zeros.end() - 1, {0, 0, 0});
  EXPECT_TRUE(LoadGIF(zeros).warnings.empty());
  std::vector<uint8_t> no_trailer(gif.begin(), gif.end() - 1);
  EXPECT_TRUE(LoadGIF(no_trailer).warnings.empty());
  std::vector<uint8_t> stray = gif;
  stray.back() = 'x';
  LoadedGIF loaded = LoadGIF(stray);
  EXPECT_TRUE(loaded.HasWarning("Unknown GIF block type"));
  EXPECT_TRUE(loaded.HasWarning("Invalid Image trailer"));
  // A frame of width 0 takes the logical screen size.
  std::vector<uint8_t> zero_width = gif;
  zero_width[13 + 12 + 5] = 0;
  LoadedGIF screen = LoadGIF(zero_width);
  EXPECT_TRUE(screen.HasWarning("Image exceeds Logical Screen size"));
  EXPECT_EQ(screen.image->Frames().FrameAt(0)->Width(), 3);
  // A descriptor read behind a stray byte is written back with a proper separator.
  std::vector<uint8_t> odd_separator = WithBlocks({'!', 0xFE, 0});
  odd_separator[13 + 12 + 3] = '#';
  LoadedGIF odd = LoadGIF(odd_separator);
  EXPECT_TRUE(odd.HasWarning("Invalid extension introducer"));
  plat::TMemoryStream out;
  odd.image->SaveToStream(out);
  EXPECT_EQ(out.Bytes()[13 + 12 + 3], ',');
  EXPECT_EQ(LoadGIF(out.Bytes()).image->Frames().FrameAt(0)->PixelData(),
            odd.image->Frames().FrameAt(0)->PixelData());
}

TEST(GIFImage, InterlaceIsKeptOnlyWithoutALocalTable) {
  LoadedGIF loaded = LoadGIF(EncodeIndexedGIF({0, 1, 2, 3, 3, 2}, 2, 3, kFour, true, ecLZW));
  TGIFSubImage& frame = *loaded.image->Frames().FrameAt(0);
  ASSERT_TRUE(frame.Interlaced());
  plat::TMemoryStream global;
  loaded.image->SaveToStream(global);
  EXPECT_TRUE(LoadGIF(global.Bytes()).image->Frames().FrameAt(0)->Interlaced());
  frame.LocalMap().Assign(loaded.image->GlobalColorMap());
  plat::TMemoryStream local;
  loaded.image->SaveToStream(local);
  LoadedGIF again = LoadGIF(local.Bytes());
  EXPECT_FALSE(again.image->Frames().FrameAt(0)->Interlaced());
  EXPECT_EQ(again.image->Frames().FrameAt(0)->PixelData(), frame.PixelData());
}

TEST(GIFColorMap, SortByUsageDropsUnusedColoursOnlyWhenItReorders) {
  std::vector<plat::TColor> five = DistinctColours(5);
  // Already in decreasing use: nothing moves, the unused colour stays.
  LoadedGIF ordered = LoadGIF(EncodeIndexedGIF({0, 0, 0, 1, 1, 2}, 6, 1, kFour, false, ecLZW));
  EXPECT_TRUE(ordered.image->GlobalColorMap().SortByUsage());
  EXPECT_EQ(ordered.image->GlobalColorMap().EntryCount(), 4);
  // Reordered: the pixels follow their colours and the unused ones are gone.
  LoadedGIF mixed = LoadGIF(EncodeIndexedGIF({2, 2, 2, 4, 4, 0}, 6, 1, five, false, ecLZW));
  TGIFColorMap& map = mixed.image->GlobalColorMap();
  EXPECT_TRUE(map.SortByUsage());
  EXPECT_TRUE(map.IsOptimized());
  ASSERT_EQ(map.EntryCount(), 3);
  EXPECT_EQ(mixed.image->Frames().FrameAt(0)->PixelData(),
            (std::vector<uint8_t>{0, 0, 0, 1, 1, 2}));
  EXPECT_EQ(map.ColorAt(0), five[2]);
  EXPECT_EQ(map.ColorAt(1), five[4]);
  EXPECT_EQ(map.ColorAt(2), five[0]);
}

TEST(GIFImage, RenderedBitmapCoversTheLogicalScreen) {
  TGIFImage image;
  for (plat::TColor c : kFour) image.GlobalColorMap().AppendColor(c);
  auto frame = std::make_unique<TGIFSubImage>(&image);
  frame->SetBounds(2, 1, 2, 2);
  frame->MutablePixelData() = {1, 2, 3, 1};
  image.AddFrame(std::move(frame));
  image.SetWidth(5);
  image.SetHeight(4);
  EXPECT_EQ(ErrorOf([&] { image.SetWidth(3); }), "Image width too small for contained frames");
  const plat::TBitmap* screen = image.RenderedBitmap();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->Width(), 5);
  EXPECT_EQ(screen->Height(), 4);
  EXPECT_EQ(screen->PixelColor(2, 1), kFour[1]);
  EXPECT_EQ(screen->PixelColor(3, 2), kFour[1]);
  EXPECT_EQ(screen->PixelColor(3, 1), kFour[2]);

  LoadedGIF whole = LoadGIF(SmallGIF());
  const plat::TBitmap* own = whole.image->RenderedBitmap();
  EXPECT_EQ(own->PixelFormat(), plat::TPixelFormat::pf8bit);
  EXPECT_EQ(own->PixelColor(2, 1), kFour[2]);
}

TEST(GIFImage, BitmapsOfEveryDepthSaveAsTheirColours) {
  ScratchDir dir;
  plat::TBitmap source(7, 5, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      uint8_t* p = source.ScanLine(y) + x * 3;
      p[0] = uint8_t(x * 40);
      p[1] = uint8_t(y * 60);
      p[2] = uint8_t((x + y) % 3 * 100);
    }
  for (plat::TPixelFormat format : {plat::TPixelFormat::pf1bit, plat::TPixelFormat::pf4bit,
                                    plat::TPixelFormat::pf8bit, plat::TPixelFormat::pf24bit}) {
    plat::TBitmap bitmap(source);
    bitmap.SetPixelFormat(format);
    for (uint8_t method : {ecLZW, ecRunLength}) {
      TGIFImage image;
      image.CompressionMethod = method;
      image.Assign(bitmap);
      std::string path = dir.Path("depth.gif");
      image.SaveToFile(path);
      RgbImage decoded = DecodeWithImageMagick(path);
      ASSERT_EQ(decoded.width, 7);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
          plat::TColor c = bitmap.PixelColor(x, y);
          const uint8_t* rgb = &decoded.rgb[size_t(y * 7 + x) * 3];
          EXPECT_EQ(plat::RGB(rgb[0], rgb[1], rgb[2]), c) << int(format) << " " << x << "," << y;
        }
    }
  }
}

TEST(GIFImage, MoreThan256ColoursCannotBeImported) {
  plat::TBitmap bitmap(300, 1, plat::TPixelFormat::pf24bit);
  for (int x = 0; x < 300; ++x)
    bitmap.ScanLine(0)[x * 3] = uint8_t(x), bitmap.ScanLine(0)[x * 3 + 1] = uint8_t(x / 256);
  TGIFImage image;
  EXPECT_EQ(ErrorOf([&] { image.Assign(bitmap); }), "Color table overflow");
}

// Two frames over one global map.
std::unique_ptr<TGIFImage> TwoFrames(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                     const std::vector<plat::TColor>& colours) {
  auto image = std::make_unique<TGIFImage>();
  for (plat::TColor c : colours) image->GlobalColorMap().AppendColor(c);
  for (const auto* pixels : {&a, &b}) {
    auto frame = std::make_unique<TGIFSubImage>(image.get());
    frame->SetBounds(0, 0, int(pixels->size()), 1);
    frame->MutablePixelData() = *pixels;
    image->AddFrame(std::move(frame));
  }
  return image;
}

std::vector<plat::TColor> Colours(TGIFColorMap& map) {
  std::vector<plat::TColor> colours;
  for (int i = 0; i < map.EntryCount(); ++i) colours.push_back(map.ColorAt(i));
  return colours;
}

TEST(GIFMergeMaps, SharedMapKeepsUsedColoursMostUsedFirst) {
  std::vector<plat::TColor> eight = DistinctColours(8);
  auto image = TwoFrames({0, 1, 1, 2, 2, 2}, {2, 3, 4, 4, 5, 5, 5, 5}, eight);
  image->BuildGlobalColorMap();
  TGIFColorMap& map = image->GlobalColorMap();
  EXPECT_TRUE(map.IsOptimized());
  // Uses: 2 four times, 5 four times, 1 and 4 twice, 0 and 3 once.
  ASSERT_EQ(map.EntryCount(), 6);
  std::vector<plat::TColor> merged = Colours(map);
  EXPECT_TRUE((merged[0] == eight[2] && merged[1] == eight[5]) ||
              (merged[0] == eight[5] && merged[1] == eight[2]));
  EXPECT_TRUE((merged[2] == eight[1] && merged[3] == eight[4]) ||
              (merged[2] == eight[4] && merged[3] == eight[1]));
  // Every pixel still shows its colour.
  std::vector<uint8_t> a = {0, 1, 1, 2, 2, 2}, b = {2, 3, 4, 4, 5, 5, 5, 5};
  for (size_t i = 0; i < a.size(); ++i)
    EXPECT_EQ(merged[image->Frames().FrameAt(0)->PixelData()[i]], eight[a[i]]);
  for (size_t i = 0; i < b.size(); ++i)
    EXPECT_EQ(merged[image->Frames().FrameAt(1)->PixelData()[i]], eight[b[i]]);
}

TEST(GIFMergeMaps, DuplicateColoursOfLocalMapsBecomeOneEntry) {
  TGIFImage image;
  std::vector<plat::TColor> shared = DistinctColours(3);
  for (int f = 0; f < 2; ++f) {
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(0, 0, 3, 1);
    // The second frame holds the same colours in another order.
    for (int i = 0; i < 3; ++i) frame->LocalMap().AppendColor(shared[size_t(f ? 2 - i : i)]);
    frame->MutablePixelData() = {0, 1, 2};
    image.AddFrame(std::move(frame));
  }
  image.BuildGlobalColorMap();
  EXPECT_EQ(image.GlobalColorMap().EntryCount(), 3);
  for (int f = 0; f < 2; ++f) {
    TGIFSubImage& frame = *image.Frames().FrameAt(f);
    EXPECT_EQ(frame.LocalMap().EntryCount(), 0);
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(image.GlobalColorMap().ColorAt(frame.PixelIndex(x, 0)),
                shared[size_t(f ? 2 - x : x)]);
  }
}

TEST(GIFMergeMaps, TransparencyIsKeptOnlyWhenItsIndexIsUsed) {
  std::vector<plat::TColor> four = DistinctColours(4);
  auto image = TwoFrames({0, 1, 3}, {1, 1, 2}, four);
  for (int f = 0; f < 2; ++f) {
    TGIFSubImage& frame = *image->Frames().FrameAt(f);
    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    control->SetTransparencyFlag(true);
    control->SetTransparentIndex(3);  // used by frame 0 only
    frame.Extensions().Append(std::move(control));
  }
  image->BuildGlobalColorMap();
  TGIFSubImage& first = *image->Frames().FrameAt(0);
  TGIFSubImage& second = *image->Frames().FrameAt(1);
  EXPECT_TRUE(first.IsTransparent());
  EXPECT_FALSE(second.IsTransparent());
  EXPECT_FALSE(second.ControlExtension()->TransparencyFlag());
  // Colours 0, 1, 2 in use, then the transparent slot, black.
  ASSERT_EQ(image->GlobalColorMap().EntryCount(), 4);
  EXPECT_EQ(first.ControlExtension()->TransparentIndex(), 3);
  EXPECT_EQ(image->GlobalColorMap().ColorAt(3), plat::RGB(0, 0, 0));
  EXPECT_EQ(first.PixelIndex(2, 0), 3);
  EXPECT_EQ(image->GlobalColorMap().ColorAt(first.PixelIndex(0, 0)), four[0]);
  EXPECT_EQ(image->GlobalColorMap().ColorAt(second.PixelIndex(2, 0)), four[2]);
}

}  // namespace
}  // namespace pictavo::test
