// Cropping, merging and the frame optimiser, with ImageMagick as the referee for animations.
#include <gtest/gtest.h>

#include "gif_frame_builder.h"
#include "gif_test_support.h"

namespace pictavo::test {
namespace {

TEST(GIFCrop, CutsToTheOpaquePixelsOrEmptiesTheFrame) {
  struct Case {
    std::vector<uint8_t> pixels;  // 4 x 3, index 2 transparent
    plat::TRect bounds;           // expected, on the screen; empty when the frame empties
    std::vector<uint8_t> kept;
  };
  for (const Case& c : {Case{{2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {}, {}},
                        Case{{2, 2, 2, 2, 2, 0, 2, 2, 2, 2, 1, 2}, {2, 2, 4, 4}, {0, 2, 2, 1}},
                        Case{{0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {1, 1, 2, 2}, {0}}}) {
    auto image = BuildImage(8, 8, {kRed, kBlue, kWhite}, {{1, 1, 4, 3, c.pixels, 2}});
    TGIFSubImage& frame = *image->Frames().FrameAt(0);
    frame.Crop();
    if (c.kept.empty()) {
      EXPECT_TRUE(frame.IsEmpty());
      EXPECT_EQ(frame.Extensions().ItemCount(), 0);
      continue;
    }
    EXPECT_EQ(frame.BoundsRect(), c.bounds);
    EXPECT_EQ(frame.PixelData(), c.kept);
    EXPECT_EQ(image->GetWidth(), 8) << "the logical screen is not touched";
  }
}

TEST(GIFMerge, AfterAFrameThatIsClearedNothingChanges) {
  for (int disposal : {2, 3}) {
    auto image =
        BuildImage(2, 1, {kRed, kBlue}, {{0, 0, 2, 1, {0, 1}, -1, disposal}, {0, 0, 2, 1, {0, 1}}});
    TGIFSubImage& top = *image->Frames().FrameAt(1);
    top.Merge(image->Frames().FrameAt(0));
    EXPECT_FALSE(top.IsTransparent()) << disposal;
    EXPECT_EQ(top.PixelData(), (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(image->GlobalColorMap().EntryCount(), 2);
  }
}

TEST(GIFMerge, OnlyPixelsOfTheSameColourTurnTransparent) {
  // The top frame has a local map in another order: index 1 is red there.
  auto image = BuildImage(3, 1, {kRed, kBlue, kWhite}, {{0, 0, 3, 1, {0, 1, 2}}});
  auto top = std::make_unique<TGIFSubImage>(image.get());
  top->SetBounds(0, 0, 3, 1);
  top->LocalMap().AppendColor(kBlue);
  top->LocalMap().AppendColor(kRed);
  top->MutablePixelData() = {1, 0, 0};  // red, blue, blue over red, blue, white
  image->AddFrame(std::move(top));
  TGIFSubImage& frame = *image->Frames().FrameAt(1);
  frame.Merge(image->Frames().FrameAt(0));
  ASSERT_TRUE(frame.IsTransparent());
  const int t = frame.ControlExtension()->TransparentIndex();
  EXPECT_EQ(t, 2) << "black appended to the local map";
  EXPECT_EQ(frame.PixelData(), (std::vector<uint8_t>{2, 2, 0}));
}

TEST(GIFMerge, ASharedTransparentIndexIsReusedOnlyWhenThisFrameNeverShowsIt) {
  struct Case {
    std::vector<uint8_t> top;  // over a frame of {0, 1, 1}
    int expected_index;
  };
  // Frame 0 is transparent with index 2 of the global map.
  for (const Case& c : {Case{{0, 0, 0}, 2}, Case{{0, 2, 1}, 3}}) {
    auto image =
        BuildImage(3, 1, {kRed, kBlue, kWhite}, {{0, 0, 3, 1, {0, 1, 1}, 2}, {0, 0, 3, 1, c.top}});
    TGIFSubImage& frame = *image->Frames().FrameAt(1);
    frame.Merge(image->Frames().FrameAt(0));
    ASSERT_TRUE(frame.IsTransparent());
    EXPECT_EQ(frame.ControlExtension()->TransparentIndex(), c.expected_index);
    // Opaque white stays white: it never becomes the transparent index.
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(c.top[i] != 2 || frame.PixelData()[i] == 2) << i;
    EXPECT_EQ(frame.PixelData()[0], c.expected_index) << "red over red";
  }
}

TEST(GIFOptimize, DisposalIsDroppedOnlyWhenTheNextFrameCoversThisOne) {
  struct Case {
    FrameSpec next;
    bool dropped;
  };
  const std::vector<uint8_t> four(4, 1);
  for (const Case& c :
       {Case{{1, 1, 2, 2, four}, false}, Case{{0, 0, 4, 4, std::vector<uint8_t>(16, 1)}, true}}) {
    for (int disposal : {2, 3}) {
      auto image =
          BuildImage(4, 4, {kRed, kBlue},
                     {{0, 0, 4, 4, std::vector<uint8_t>(16, 0), -1, disposal, 10}, c.next});
      image->OptimizeFrames(optCleanUp, TReductionMethod::crNone, 8,
                            TDitherMethod::dtNearestColour);
      ASSERT_NE(image->Frames().FrameAt(0)->ControlExtension(), nullptr);
      EXPECT_EQ(image->Frames().FrameAt(0)->ControlExtension()->DisposalMethod(),
                c.dropped ? 0 : disposal)
          << disposal;
    }
  }
}

TEST(GIFOptimize, CustomPaletteReductionWithoutCleanUpIsRefused) {
  auto image = BuildImage(1, 1, {kRed}, {{0, 0, 1, 1, {0}}});
  EXPECT_EQ(ErrorOf([&] {
              image->OptimizeFrames(optReduceColours, TReductionMethod::crCustomPalette, 8,
                                    TDitherMethod::dtNearestColour);
            }),
            "Invalid reduction method");
  EXPECT_TRUE(ErrorOf([&] {
                image->OptimizeFrames(optReduceColours | optCleanUp,
                                      TReductionMethod::crCustomPalette, 8,
                                      TDitherMethod::dtNearestColour);
              }).empty());
}

int CommentCount(TGIFImage& image) {
  int comments = 0;
  for (int i = 0; i < image.Frames().ItemCount(); ++i) {
    TGIFExtensionList& list = image.Frames().FrameAt(i)->Extensions();
    for (int k = 0; k < list.ItemCount(); ++k)
      comments += dynamic_cast<TGIFCommentExtension*>(list.ItemAt(k)) != nullptr;
  }
  return comments;
}

int64_t PixelCount(TGIFImage& image) {
  int64_t pixels = 0;
  for (int i = 0; i < image.Frames().ItemCount(); ++i)
    pixels += int64_t{image.Frames().FrameAt(i)->Width()} * image.Frames().FrameAt(i)->Height();
  return pixels;
}

// Every frame as ImageMagick shows it after coalescing; transparent pixels count as one value.
std::vector<uint32_t> Coalesced(const std::string& path) {
  const std::string rgba = RunTool("/usr/bin/convert '" + path + "' -coalesce -depth 8 rgba:-");
  std::vector<uint32_t> pixels;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    const auto byte = [&](size_t k) { return uint32_t(uint8_t(rgba[i + k])); };
    pixels.push_back(byte(3) == 0 ? 0 : byte(0) | byte(1) << 8 | byte(2) << 16 | 0xFF000000u);
  }
  return pixels;
}

TEST(GIFOptimize, AnimationsLookTheSameAfterOptimising) {
  ScratchDir dir;
  const std::string frames =
      " \\( -size 12x10 xc:white -fill red -draw 'rectangle 2,2,6,6' \\)"
      " \\( -size 12x10 xc:white -fill red -draw 'rectangle 3,2,7,6' \\)"
      " \\( -size 12x10 xc:white -fill blue -draw 'rectangle 3,3,5,8' \\)";
  for (const std::string dispose : {"None", "Background", "Previous"}) {
    const std::string in = dir.Path(dispose + ".gif"), out = dir.Path(dispose + "-opt.gif");
    RunTool("/usr/bin/convert -delay 10 -dispose " + dispose + frames +
            " -loop 0 -set comment 'made by a test' '" + in + "'");
    TGIFImage image;
    image.LoadFromFile(in);
    ASSERT_EQ(image.Frames().ItemCount(), 3);
    ASSERT_GT(CommentCount(image), 0);
    const int64_t before = PixelCount(image);
    image.OptimizeFrames(kAllOptimizeOptions, TReductionMethod::crNone, 8,
                         TDitherMethod::dtNearestColour);
    image.SaveToFile(out);
    EXPECT_EQ(CommentCount(image), 0) << dispose;
    EXPECT_LT(PixelCount(image), before) << dispose;
    EXPECT_EQ(Coalesced(out), Coalesced(in)) << dispose;
    const std::string text = RunTool("giftext '" + out + "'");
    EXPECT_EQ(text.find("comment"), std::string::npos) << text;
    EXPECT_NE(text.find("application block"), std::string::npos) << "the loop stays";
  }
}

TEST(GIFOptimize, StreamingOptimisesOnlyWhenAskedTo) {
  for (bool optimise : {false, true}) {
    auto image = BuildImage(2, 1, {kRed, kBlue}, {{0, 0, 2, 1, {0, 1}}});
    auto comment = std::make_unique<TGIFCommentExtension>(image->Frames().FrameAt(0));
    comment->Text = {"note"};
    image->Frames().FrameAt(0)->Extensions().Append(std::move(comment));
    OptimizeWhenStreamed = optimise;
    plat::TMemoryStream stream;
    image->WriteData(stream);
    OptimizeWhenStreamed = false;
    stream.SetPosition(0);
    TGIFImage back;
    back.LoadFromStream(stream);
    EXPECT_EQ(CommentCount(back), optimise ? 0 : 1);
  }
}

}  // namespace
}  // namespace pictavo::test
