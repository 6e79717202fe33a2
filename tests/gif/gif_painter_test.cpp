// Animation painters: timing, loops and events driven by a test clock, composition of the
// disposal methods, and threaded painters started and stopped through the image.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "control/formats/gif/gif_extensions.h"
#include "platform/base/exceptions.h"
#include "tests/gif/gif_frame_builder.h"
#include "tests/gif/gif_test_support.h"

namespace pictavo {
namespace {

using test::BuildImage;
using test::FrameSpec;

constexpr plat::TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kGrey = 0x808080;

// Time passes only by the painter's own sleeps and waits.
class TTestClock : public TPainterClock {
 public:
  int64_t now = 1000;
  std::vector<int> waits;
  std::atomic<bool> waiting{false};
  int64_t Milliseconds() override { return now; }
  bool WaitForWake(plat::TAutoResetEvent& event, int milliseconds) override {
    waits.push_back(milliseconds);
    waiting = true;
    if (milliseconds < 0) return event.WaitFor(-1);
    now += milliseconds;
    return false;
  }
  void Sleep(int milliseconds) override { now += milliseconds; }
};

FrameSpec Frame(int delay, int disposal = 0, std::vector<uint8_t> pixels = {0}) {
  FrameSpec spec{0, 0, 1, 1, std::move(pixels)};
  spec.delay = delay;
  spec.disposal = disposal;
  spec.control = true;
  return spec;
}

void AddLoop(TGIFImage& image, int frame, int count) {
  TGIFSubImage* target = image.Frames().FrameAt(frame);
  auto loop = std::make_unique<TGIFAppExtNSLoop>(target);
  loop->LoopCount = static_cast<uint16_t>(count);
  target->Extensions().Append(std::move(loop));
}

// Records "<event><frame>" and the test clock's time at every frame start.
struct Recorder {
  std::vector<std::string> events;
  std::vector<int64_t> frame_times;

  void Attach(TGIFImage& image, TTestClock* clock) {
    const auto note = [this](const char* name) {
      return [this, name](TGIFPainter& painter) {
        events.push_back(name + std::to_string(painter.ActiveFrame));
      };
    };
    image.OnRunBegin = note("run");
    image.OnLoopBegin = note("loop");
    image.OnFrameDone = note("done");
    image.OnRunEnd = note("end");
    image.OnFrameBegin = [this, clock](TGIFPainter& painter) {
      events.push_back("begin" + std::to_string(painter.ActiveFrame));
      if (clock) frame_times.push_back(clock->now);
    };
  }
};

struct Painted {
  std::unique_ptr<TGIFImage> image;
  std::shared_ptr<TTestClock> clock = std::make_shared<TTestClock>();
  Recorder recorder;
  plat::TBitmap target{4, 4, plat::TPixelFormat::pf24bit};

  Painted(std::vector<FrameSpec> frames, int width = 1, int height = 1)
      : image(BuildImage(width, height, {kRed, kGreen, kBlue, kGrey}, frames)) {
    image->PainterClock = clock;
    recorder.Attach(*image, clock.get());
  }
  TGIFPainter* Run(uint16_t flags) {
    return image->CreatePainter(nullptr, target.Canvas(), flags,
                                {0, 0, image->GetWidth(), image->GetHeight()});
  }
};

constexpr uint16_t kAnimate = paAnimate | paLoop;

TEST(GifPainterTiming, FrameDelaysBecomeWaitsByThePace) {
  struct Case {
    int delay, pace, shown_ms;
  } cases[] = {
      {1, 100, 36},                      // raised to 3 hundredths of 12 ms
      {0, 100, 120},                     // no delay: 10 hundredths
      {2000, 100, 12000},                // cut to 1000 hundredths without a thread
      {5, 100, 60},       {5, 50, 120},  // half the pace, twice the wait
      {1, 50, 72},
  };
  for (const Case& c : cases) {
    Painted painted({Frame(c.delay), Frame(c.delay)});
    painted.image->AnimationPace = c.pace;
    EXPECT_EQ(painted.Run(kAnimate), nullptr);
    ASSERT_EQ(painted.recorder.frame_times.size(), 2u);
    EXPECT_EQ(painted.recorder.frame_times[1] - painted.recorder.frame_times[0], c.shown_ms)
        << "delay " << c.delay << " pace " << c.pace;
  }
}

TEST(GifPainterLoops, PassesFollowTheLoopExtension) {
  struct Case {
    int loop_count;  // -1: no loop extension
    int loop_frame;
    std::vector<std::string> events;
  } cases[] = {
      {-1, 0, {"run0", "begin0", "done0", "begin1", "done1", "end-1"}},
      {2,
       1,
       {"run0", "begin0", "done0", "begin1", "done1", "begin2", "done2", "loop1", "begin1", "done1",
        "begin2", "done2", "end-1"}},
      // Endless only on a thread of its own: inside Draw it plays once.
      {0, 0, {"run0", "begin0", "done0", "begin1", "done1", "begin2", "done2", "end-1"}},
  };
  for (const Case& c : cases) {
    Painted painted({Frame(2), Frame(2), Frame(2)});
    if (c.loop_count < 0) painted.image->Frames().FreeAt(2);
    if (c.loop_count >= 0) AddLoop(*painted.image, c.loop_frame, c.loop_count);
    painted.Run(kAnimate);
    EXPECT_EQ(painted.recorder.events, c.events) << "loop count " << c.loop_count;
  }
}

TEST(GifPainterLoops, WithoutAnimateOnlyTheFirstFrameShows) {
  Painted painted({Frame(2), Frame(2)});
  painted.Run(paLoop);
  EXPECT_EQ(painted.recorder.events,
            (std::vector<std::string>{"run0", "begin0", "done0", "end-1"}));
}

TEST(GifPainterLoops, FrameDoneHandlerJumps) {
  Painted painted({Frame(2), Frame(2), Frame(2)});
  painted.image->OnFrameDone = [](TGIFPainter& painter) {
    if (painter.ActiveFrame == 0) painter.ActiveFrame = 2;
  };
  painted.Run(kAnimate);
  EXPECT_EQ(painted.recorder.events,
            (std::vector<std::string>{"run0", "begin0", "begin2", "end-1"}));
}

TEST(GifPainterLoops, ThreadedPaceZeroShowsFrameZeroAndWaitsUntilStopped) {
  Painted painted({Frame(2), Frame(2)});
  painted.image->AnimationPace = 0;
  painted.image->OnFrameBegin = nullptr;
  TGIFPainter* active = nullptr;
  TGIFPainter* painter = painted.image->CreatePainter(&active, painted.target.Canvas(),
                                                      kAnimate | paThreaded, {0, 0, 1, 1});
  ASSERT_NE(painter, nullptr);
  painter->Start();
  while (!painted.clock->waiting) plat::CheckSynchronize();
  painted.image->StopAllPainters();
  EXPECT_EQ(active, nullptr);
  EXPECT_EQ(painted.clock->waits, std::vector<int>{-1});
  EXPECT_EQ(painted.recorder.events, (std::vector<std::string>{"run0", "done0"}));
}

// Screen 3x1 on grey: frame 0 red over all, then frames at x = 1 and x = 2 with the given
// disposals. Expected pictures are worked out by hand from GIF's disposal rules; the target
// rectangle starts at x = offset.
TEST(GifPainterComposition, DisposalsBuildOnThePictureBefore) {
  struct Case {
    int d0, d1, d2;
    std::vector<std::vector<plat::TColor>> pictures;
  } cases[] = {
      // 1 leaves red, 2 restores x = 1 to the background, 3 restores to what was before.
      {1, 2, 3, {{kRed, kRed, kRed}, {kRed, kGreen, kRed}, {kRed, kGrey, kBlue}}},
      {2, 3, 1, {{kRed, kRed, kRed}, {kGrey, kGreen, kGrey}, {kGrey, kGrey, kBlue}}},
      // Reserved values leave the frame in place.
      {5, 3, 1, {{kRed, kRed, kRed}, {kRed, kGreen, kRed}, {kRed, kRed, kBlue}}},
  };
  for (int offset : {0, 1})
    for (const Case& c : cases) {
      FrameSpec f0 = Frame(2, c.d0, {0, 0, 0});
      f0.width = 3;
      FrameSpec f1 = Frame(2, c.d1, {1});
      f1.left = 1;
      FrameSpec f2 = Frame(2, c.d2, {2});
      f2.left = 2;
      Painted painted({f0, f1, f2}, 3, 1);
      painted.image->PaintBackground = kGrey;
      std::vector<std::vector<plat::TColor>> pictures;
      plat::TCanvas& canvas = painted.target.Canvas();
      painted.image->OnFrameDone = [&](TGIFPainter&) {
        pictures.push_back(
            {canvas.Pixel(offset, 1), canvas.Pixel(offset + 1, 1), canvas.Pixel(offset + 2, 1)});
      };
      canvas.Brush.Color = kGrey;
      canvas.FillRect({0, 0, 4, 4});
      painted.image->CreatePainter(nullptr, canvas, kAnimate, {offset, 1, offset + 3, 2});
      EXPECT_EQ(pictures, c.pictures) << c.d0 << c.d1 << c.d2 << " at " << offset;
    }
}

// The pictures after each frame, as ImageMagick coalesces the GIF and lays every frame on the
// background colour.
std::vector<std::vector<plat::TColor>> CoalescedByImageMagick(TGIFImage& image,
                                                              plat::TColor background) {
  test::ScratchDir dir;
  image.SaveToFile(dir.Path("a.gif"));
  char colour[16];
  std::snprintf(colour, sizeof colour, "#%02X%02X%02X", background & 0xFF, (background >> 8) & 0xFF,
                (background >> 16) & 0xFF);
  const std::string rgb =
      test::RunTool("/usr/bin/convert '" + dir.Path("a.gif") + "' -coalesce -background '" +
                    colour + "' -alpha remove -alpha off -depth 8 rgb:-");
  const size_t pixels = size_t(image.GetWidth()) * image.GetHeight();
  std::vector<std::vector<plat::TColor>> pictures(rgb.size() / (3 * pixels));
  for (size_t i = 0; i < pictures.size() * pixels; ++i) {
    const auto byte = [&](int k) { return plat::TColor(uint8_t(rgb[3 * i + k])); };
    pictures[i / pixels].push_back(byte(0) | byte(1) << 8 | byte(2) << 16);
  }
  return pictures;
}

// Three frames with disposals 1, 2 and 3 in every order, shown by composition, compared with
// ImageMagick's coalesced frames on the same background.
TEST(GifPainterComposition, PicturesMatchImageMagickCoalesce) {
  constexpr plat::TColor kWhite = 0xFFFFFF;
  // Not disposal 3 on the first frame: ImageMagick then keeps the frame, this painter restores
  // what the canvas showed before it.
  const int orders[][3] = {{1, 2, 3}, {2, 3, 1}, {1, 3, 2}, {2, 2, 3}, {1, 3, 3}};
  const uint16_t flag_sets[] = {0, paTransparent, paTransparent | paClearOnLoop};
  for (uint16_t flags : flag_sets)
    for (const auto& order : orders) {
      const int transparent = (flags & paTransparent) ? 3 : -1;
      FrameSpec f0{0, 0, 4, 2, {0, 1, 2, 0, 2, 3, 1, 0}, transparent, order[0], 2};
      FrameSpec f1{1, 0, 2, 2, {1, 3, 2, 2}, transparent, order[1], 2};
      FrameSpec f2{2, 1, 2, 1, {0, 3}, transparent, order[2], 2};
      if (transparent < 0) f0.pixels = {0, 1, 2, 0, 2, 1, 1, 0};
      auto image = BuildImage(4, 2, {kRed, kGreen, kBlue, kWhite}, {f0, f1, f2});
      image->PaintBackground = kGrey;
      const auto expected = CoalescedByImageMagick(*image, kGrey);
      plat::TBitmap target(4, 2, plat::TPixelFormat::pf24bit);
      target.Canvas().Brush.Color = kGrey;
      target.Canvas().FillRect({0, 0, 4, 2});
      std::vector<std::vector<plat::TColor>> pictures;
      image->OnFrameDone = [&](TGIFPainter&) {
        pictures.emplace_back();
        for (int y = 0; y < 2; ++y)
          for (int x = 0; x < 4; ++x) pictures.back().push_back(target.Canvas().Pixel(x, y));
      };
      image->CreatePainter(nullptr, target.Canvas(), kAnimate | flags, {0, 0, 4, 2});
      ASSERT_EQ(expected.size(), 3u);
      EXPECT_EQ(pictures, expected)
          << "flags " << flags << " disposals " << order[0] << order[1] << order[2];
    }
}

TEST(GifPainterThreaded, DrawStartsReusesAndChangesStop) {
  auto image = BuildImage(1, 1, {kRed, kGreen}, {Frame(2, 0, {0}), Frame(2, 0, {1})});
  AddLoop(*image, 0, 0);
  int changes = 0;
  image->OnChange = [&](TGIFImage&) { ++changes; };
  plat::TBitmap target(2, 2, plat::TPixelFormat::pf24bit);
  const auto draw = [&] { image->Draw(target.Canvas(), {0, 0, 2, 2}); };
  draw();
  TGIFPainter* first = image->ActivePainter();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->FirstFrameShown());
  EXPECT_GE(changes, 1);
  EXPECT_EQ(target.Canvas().Pixel(1, 1), kRed);
  image->PaintFlags |= paDirect;
  draw();
  EXPECT_EQ(image->ActivePainter(), first) << "same canvas and rectangle: the painter goes on";
  while (changes < 3) plat::CheckSynchronize();  // it animates: frames keep coming
  image->SetWidth(2);
  EXPECT_EQ(image->ActivePainter(), nullptr);
  EXPECT_TRUE(image->PainterList().empty());
  EXPECT_EQ(*image->LivePainters(), 0);
}

TEST(GifPainterThreaded, ResetFrameChangeAndDestructorEndPainters) {
  for (int cycle = 0; cycle < 50; ++cycle) {
    auto image = BuildImage(1, 1, {kRed, kGreen}, {Frame(2, 0, {0}), Frame(2, 0, {1})});
    AddLoop(*image, 0, 0);
    plat::TBitmap target(1, 1, plat::TPixelFormat::pf24bit);
    image->Draw(target.Canvas(), {0, 0, 1, 1});
    ASSERT_NE(image->ActivePainter(), nullptr);
    switch (cycle % 3) {
      case 0:
        image->Reset();
        EXPECT_TRUE(image->PainterList().empty());
        break;
      case 1:
        image->AddFrame(std::make_unique<TGIFSubImage>(image.get()));
        EXPECT_EQ(*image->LivePainters(), 0);
        break;
      default:
        break;  // the destructor
    }
  }
}

TEST(GifPainterThreaded, StopAllWithACallWaitingDoesNotHang) {
  Painted painted({Frame(2), Frame(2)});
  AddLoop(*painted.image, 0, 0);
  painted.image->Draw(painted.target.Canvas(), {0, 0, 1, 1});
  ASSERT_NE(painted.image->ActivePainter(), nullptr);
  while (!plat::SynchronizePending()) std::this_thread::yield();
  painted.image->StopAllPainters();
  EXPECT_TRUE(painted.image->PainterList().empty());
  EXPECT_FALSE(plat::SynchronizePending());
}

TEST(GifPainterFailure, RunFailureIsRaisedByTheWaitOrReported) {
  const auto failing = [](TGIFPainter&) { throw plat::Exception("broken frame"); };
  {
    Painted inside_draw({Frame(2), Frame(2)});
    inside_draw.image->OnFrameBegin = failing;
    try {
      inside_draw.Run(kAnimate);
      ADD_FAILURE() << "the failure of the run was lost";
    } catch (const plat::Exception& error) {
      EXPECT_STREQ(error.what(), "broken frame");
    }
    EXPECT_TRUE(inside_draw.image->PainterList().empty());
  }
  for (bool explicit_wait : {true, false}) {
    std::vector<std::string> warnings;
    Painted threaded({Frame(2), Frame(2)});
    threaded.image->OnFrameDone = failing;
    threaded.image->WarningHandler = [&](const void*, int, const std::string& message) {
      warnings.push_back(message);
    };
    // Drawing straight onto the canvas, Draw does not wait for the painter.
    threaded.image->PaintFlags |= paDirect;
    threaded.image->Draw(threaded.target.Canvas(), {0, 0, 1, 1});
    while (*threaded.image->LivePainters() > 0) plat::CheckSynchronize();
    if (explicit_wait) {
      EXPECT_THROW(threaded.image->StopAllPainters(), plat::Exception);
      threaded.image.reset();
      EXPECT_TRUE(warnings.empty());
    } else {
      threaded.image.reset();  // a destructor reports instead of throwing
      EXPECT_EQ(warnings, std::vector<std::string>{"broken frame"});
    }
  }
}

// A painter told to check its canvas ends at the first frame after the canvas is destroyed,
// whether it paints straight onto it or composes first, inside Draw or on its own thread; a
// live canvas keeps it going until the handler stops it.
TEST(GifPainterCanvas, CheckedCanvasDestroyedStopsThePainter) {
  constexpr int kStopAfter = 4;
  for (bool threaded : {false, true})
    for (int disposal : {0, 2})  // 2 needs the composition buffers
      for (bool destroy : {true, false}) {
        auto image =
            BuildImage(1, 1, {kRed, kGreen}, {Frame(2, disposal, {0}), Frame(2, disposal, {1})});
        image->PainterClock = std::make_shared<TTestClock>();
        auto target = std::make_unique<plat::TBitmap>(1, 1, plat::TPixelFormat::pf24bit);
        int done = 0;
        image->OnFrameDone = [&](TGIFPainter& painter) {
          if (++done == 1 && destroy) target.reset();
          if (done >= kStopAfter) painter.Stop();
        };
        const uint16_t flags = kAnimate | paLoopForever | paCheckCanvas;
        TGIFPainter* painter = image->CreatePainter(
            nullptr, target->Canvas(), threaded ? flags | paThreaded : flags, {0, 0, 1, 1});
        if (threaded) {
          ASSERT_NE(painter, nullptr);
          painter->Start();
          while (*image->LivePainters() > 0) plat::CheckSynchronize();
        }
        EXPECT_EQ(done, destroy ? 1 : kStopAfter)
            << "threaded " << threaded << " disposal " << disposal << " destroy " << destroy;
        EXPECT_TRUE(image->PainterList().empty());
        if (!destroy) {
          EXPECT_EQ(target->Canvas().Pixel(0, 0), kGreen) << "the last frame shown";
        }
      }
}

TEST(GifPainterThreaded, OneFrameNeverCreatesAPainter) {
  auto image = BuildImage(1, 1, {kRed}, {Frame(2, 0, {0})});
  plat::TBitmap target(1, 1, plat::TPixelFormat::pf24bit);
  TGIFPainter* reference = nullptr;
  image->Draw(target.Canvas(), {0, 0, 1, 1});
  EXPECT_EQ(image->ActivePainter(), nullptr);
  EXPECT_EQ(image->CreatePainter(&reference, target.Canvas(), DefaultPaintFlags, {0, 0, 1, 1}),
            nullptr);
  EXPECT_TRUE(image->PainterList().empty());
  EXPECT_EQ(target.Canvas().Pixel(0, 0), kRed);
}

}  // namespace
}  // namespace pictavo
