// Building frames from bitmaps and graphics, copying images, palettes and progress.
#include <gtest/gtest.h>

#include <set>

#include "gif_frame_builder.h"
#include "gif_test_support.h"

namespace pictavo::test {
namespace {

const plat::TColor kYellow = plat::RGB(255, 255, 0);

// A 24-bit bitmap of 20 x 15 pixels, every one a different colour.
plat::TBitmap ManyColours() {
  plat::TBitmap bitmap(20, 15, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x)
      bitmap.SetPixelColor(x, y, plat::RGB(uint8_t(x * 12), uint8_t(y * 17), uint8_t(x + y)));
  return bitmap;
}

std::set<plat::TColor> ColoursOfMap(TGIFColorMap& map) {
  std::set<plat::TColor> colours;
  for (int i = 0; i < map.EntryCount(); ++i)
    colours.insert(TGIFColorMap::TripleToColor(map.Triples() + i * 3));
  return colours;
}

struct ProgressLog {
  struct Entry {
    plat::TProgressStage stage;
    int percent;
    bool redraw;
    std::string message;
  };
  std::vector<Entry> entries;
  plat::TProgressEvent Handler() {
    return [this](const plat::TGraphic&, plat::TProgressStage stage, int percent, bool redraw,
                  const plat::TRect&, const std::string& message) {
      entries.push_back({stage, percent, redraw, message});
    };
  }
  // The entries of one message, which must start at 0, never fall back and end at `end`.
  void ExpectRun(const std::string& message, int end, bool redraw) const {
    std::vector<Entry> run;
    for (const Entry& e : entries)
      if (e.message == message) run.push_back(e);
    ASSERT_GE(run.size(), 2u) << message;
    EXPECT_EQ(run.front().stage, plat::TProgressStage::psStarting) << message;
    EXPECT_EQ(run.front().percent, 0);
    EXPECT_EQ(run.back().stage, plat::TProgressStage::psEnding) << message;
    EXPECT_EQ(run.back().percent, end) << message;
    EXPECT_EQ(run.back().redraw, redraw) << message;
    for (size_t i = 1; i + 1 < run.size(); ++i) {
      EXPECT_EQ(run[i].stage, plat::TProgressStage::psRunning) << message;
      EXPECT_GE(run[i].percent, run[i - 1].percent) << message;
      EXPECT_LE(run[i].percent, 100) << message;
    }
  }
};

TEST(GIFImport, TrueColourBitmapsAreReducedByTheImagesMethod) {
  TGIFImage image;
  image.ReductionMethod = TReductionMethod::crNone;
  EXPECT_EQ(ErrorOf([&] { image.Assign(ManyColours()); }), "Color table overflow");
  EXPECT_TRUE(image.GetEmpty());

  image.ReductionMethod = TReductionMethod::crWebSafe216;
  image.Assign(ManyColours());
  TGIFSubImage& frame = *image.Frames().FrameAt(0);
  EXPECT_EQ(frame.Width(), 20);
  EXPECT_EQ(frame.Height(), 15);
  const std::set<plat::TColor> colours = ColoursOfMap(frame.LocalMap());
  EXPECT_LE(colours.size(), 216u);
  EXPECT_GT(colours.size(), 10u);
  for (plat::TColor c : colours)
    EXPECT_TRUE(plat::GetRValue(c) % 51 == 0 && plat::GetGValue(c) % 51 == 0 &&
                plat::GetBValue(c) % 51 == 0)
        << std::hex << c;
}

TEST(GIFImport, IndexedBitmapsKeepTheirPalettes) {
  struct Case {
    plat::TPixelFormat format;
    int entries;
  };
  for (Case c : {Case{plat::TPixelFormat::pf1bit, 2}, Case{plat::TPixelFormat::pf4bit, 16}}) {
    plat::TBitmap bitmap(5, 3, c.format);
    plat::TColorTable palette;
    for (int i = 0; i < c.entries; ++i)
      palette.push_back(plat::TRGBQuad::FromColor(plat::RGB(uint8_t(i * 15), 7, uint8_t(250 - i))));
    bitmap.SetColorTable(palette);
    for (int i = 0; i < 15; ++i)
      bitmap.SetPixelColor(i % 5, i / 5, palette[size_t(i % c.entries)].ToColor());
    TGIFImage image;
    image.Assign(bitmap);
    TGIFSubImage& frame = *image.Frames().FrameAt(0);
    ASSERT_EQ(frame.LocalMap().EntryCount(), c.entries);
    for (int i = 0; i < c.entries; ++i)
      EXPECT_EQ(frame.LocalMap().ColorAt(i), palette[size_t(i)].ToColor());
    for (int i = 0; i < 15; ++i) EXPECT_EQ(frame.PixelIndex(i % 5, i / 5), i % c.entries);
  }
}

TEST(GIFImport, TransparentBitmapGetsAMaskThatOutsideToolsSee) {
  // Transparent where the bottom-left pixel's colour (yellow) is.
  plat::TBitmap bitmap(4, 3, plat::TPixelFormat::pf8bit);
  bitmap.SetColorTable({plat::TRGBQuad::FromColor(kRed), plat::TRGBQuad::FromColor(kBlue),
                        plat::TRGBQuad::FromColor(kYellow)});
  const std::vector<uint8_t> indices = {0, 1, 2, 0, 1, 2, 2, 1, 2, 0, 0, 1};
  for (int i = 0; i < 12; ++i) bitmap.ScanLine(i / 4)[i % 4] = indices[size_t(i)];
  bitmap.SetTransparent(true);
  TGIFImage image;
  image.Assign(bitmap);
  TGIFSubImage& frame = *image.Frames().FrameAt(0);
  ASSERT_TRUE(frame.IsTransparent());
  const int t = frame.ControlExtension()->TransparentIndex();
  EXPECT_EQ(t, frame.LocalMap().EntryCount() - 1);
  EXPECT_EQ(frame.LocalMap().ColorAt(t), 0u) << "black was appended";
  EXPECT_TRUE(image.HasTransparency());

  ScratchDir dir;
  image.SaveToFile(dir.Path("t.gif"));
  const std::string text = RunTool("giftext '" + dir.Path("t.gif") + "'");
  EXPECT_NE(text.find("Transparency on: yes"), std::string::npos) << text;
  EXPECT_NE(text.find("Transparent Index: " + std::to_string(t)), std::string::npos) << text;
  const std::string rgba = RunTool("/usr/bin/convert '" + dir.Path("t.gif") + "' -depth 8 rgba:-");
  ASSERT_EQ(rgba.size(), 48u);
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(uint8_t(rgba[size_t(i) * 4 + 3]), indices[size_t(i)] == 2 ? 0 : 255) << i;
}

TEST(GIFImport, OtherGraphicsComeInThroughATrueColourBitmap) {
  auto source = BuildImage(3, 1, {kRed, kBlue, kYellow}, {{0, 0, 3, 1, {0, 1, 2}}});
  TGIFImage image;
  image.AddFrame(static_cast<const plat::TGraphic&>(*source));
  TGIFSubImage& frame = *image.Frames().FrameAt(0);
  EXPECT_EQ(frame.Width(), 3);
  EXPECT_EQ(frame.LocalMap().ColorAt(frame.PixelIndex(0, 0)), kRed);
  EXPECT_EQ(frame.LocalMap().ColorAt(frame.PixelIndex(2, 0)), kYellow);
  EXPECT_EQ(ErrorOf([&] { image.AddFrame(std::make_unique<TGIFTrailer>(&image)); }),
            "Object type not supported for operation");
  EXPECT_EQ(image.Frames().ItemCount(), 1);
}

TEST(GIFCopy, SettingsThatTravelAndSettingsThatStay) {
  auto source = BuildImage(2, 1, {kRed, kBlue}, {{0, 0, 2, 1, {0, 1}}, {0, 0, 1, 1, {1}}});
  source->PaintFlags = paTile;
  source->PainterPriority = 5;
  source->PaintBackground = kYellow;
  source->ReductionMethod = TReductionMethod::crGrey256;
  source->DitherMethod = TDitherMethod::dtBurkes;
  source->ReductionDepth = 3;
  source->CompressionMethod = ecRunLength;
  source->AnimationPace = 40;
  ProgressLog log;
  source->OnProgress = log.Handler();

  TGIFImage copy;
  copy.Assign(static_cast<const plat::TGraphic&>(*source));
  EXPECT_EQ(copy.Frames().ItemCount(), 2);
  EXPECT_EQ(copy.Frames().FrameAt(1)->PixelData(), source->Frames().FrameAt(1)->PixelData());
  EXPECT_EQ(copy.PaintFlags, paTile);
  EXPECT_EQ(copy.PainterPriority, 5);
  EXPECT_EQ(copy.PaintBackground, kYellow);
  EXPECT_EQ(copy.ReductionMethod, TReductionMethod::crGrey256);
  EXPECT_EQ(copy.DitherMethod, TDitherMethod::dtBurkes);
  EXPECT_EQ(copy.ReductionDepth, DefaultReductionDepth);
  EXPECT_EQ(copy.CompressionMethod, DefaultCompressionMethod);
  EXPECT_EQ(copy.AnimationPace, DefaultAnimationPace);
  log.ExpectRun("Copying...", 100, false);
  EXPECT_FALSE(copy.OnProgress) << "the source's handler is not kept";
}

TEST(GIFPalette, NestedRequestRaisesAndSetPaletteTakesOver) {
  TGIFImage image;
  auto frame = std::make_unique<TGIFSubImage>(&image);
  frame->SetBounds(0, 0, 1, 1);
  image.AddFrame(std::move(frame));
  EXPECT_EQ(ErrorOf([&] { image.GetPalette(); }), "No global or local color table defined");

  auto coloured = BuildImage(1, 1, {kRed, kBlue}, {{0, 0, 1, 1, {0}}});
  EXPECT_EQ(coloured->GetPalette().size(), 2u);
  const plat::TColorTable mine = {plat::TRGBQuad::FromColor(kYellow)};
  coloured->SetPalette(mine);
  EXPECT_EQ(coloured->GetPalette(), mine);
  EXPECT_EQ(*coloured->GlobalPaletteHandle(), mine);

  // A frame given other colours drops its bitmap and tells the image so.
  struct CountingGIF : TGIFImage {
    int changes = 0;
    void Changed() override { ++changes; }
  } counting;
  counting.GlobalColorMap().AppendColor(kRed);
  auto own = std::make_unique<TGIFSubImage>(&counting);
  own->SetBounds(0, 0, 1, 1);
  counting.AddFrame(std::move(own));
  TGIFSubImage& counted = *counting.Frames().FrameAt(0);
  counted.RenderBitmap();
  counting.changes = 0;
  counted.SetPaletteHandle(mine);
  EXPECT_FALSE(counted.HasBitmap());
  EXPECT_TRUE(counting.PaletteModified);
  EXPECT_EQ(counting.changes, 1);
  EXPECT_EQ(counted.PaletteHandle(), mine);
}

TEST(GIFProgress, LoadSaveCopyAndOptimiseReportFromStartToEnd) {
  auto image = BuildImage(4, 2, {kRed, kBlue},
                          {{0, 0, 4, 2, {0, 1, 0, 1, 1, 0, 1, 0}, -1, 0, 5},
                           {0, 0, 4, 2, {0, 1, 0, 1, 1, 0, 1, 1}, -1, 0, 5}});
  ProgressLog log;
  image->OnProgress = log.Handler();
  plat::TMemoryStream stream;
  image->SaveToStream(stream);
  log.ExpectRun("Saving...", 100, true);
  stream.SetPosition(0);
  TGIFImage loaded;
  loaded.OnProgress = log.Handler();
  loaded.LoadFromStream(stream);
  log.ExpectRun("Loading...", 100, true);
  image->OptimizeFrames(kAllOptimizeOptions, TReductionMethod::crNone, 8,
                        TDitherMethod::dtNearestColour);
  log.ExpectRun("Optimizing...", 100, false);
  image->Frames().FrameAt(0)->RenderBitmap();
  log.ExpectRun("Rendering...", 100, false);
  image->Assign(ManyColours());
  log.ExpectRun("Converting...", 100, false);

  ProgressLog failed;
  TGIFImage broken;
  broken.OnProgress = failed.Handler();
  plat::TMemoryStream junk(std::vector<uint8_t>{'G', 'I', 'F'});
  EXPECT_FALSE(ErrorOf([&] { broken.LoadFromStream(junk); }).empty());
  failed.ExpectRun("Loading...", 0, true);
}

TEST(GIFClipboard, WithoutAClipboardStoringFails) {
  auto image = BuildImage(1, 1, {kRed}, {{0, 0, 1, 1, {0}}});
  uint16_t format = 0;
  plat::THandle data = 0, palette = 0;
  const int64_t handles = plat::LiveHandleCount();
  EXPECT_EQ(ErrorOf([&] { image->SaveToClipboardFormat(format, data, palette); }),
            "Failed to store GIF on clipboard");
  EXPECT_EQ(format, plat::CF_BITMAP);
  plat::DeleteBitmapHandle(data);
  EXPECT_EQ(plat::LiveHandleCount(), handles) << "the GIF's memory block was freed";
  EXPECT_EQ(ErrorOf([&] { image->LoadFromClipboardFormat(99, 0, 0); }),
            "Unsupported clipboard format");
}

}  // namespace
}  // namespace pictavo::test
