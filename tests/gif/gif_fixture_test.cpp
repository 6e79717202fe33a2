// Files written by ImageMagick and by giflib's gifbuild load with the pixels ImageMagick decodes.
#include <gtest/gtest.h>

#include <fstream>

#include "gif_test_support.h"
#include "support/test_files.h"

namespace pictavo::test {
namespace {

// Pixels, local colour tables, interlace, transparency, a comment, a loop and two frames.
const char* kGifbuildSource = R"(screen width 7
screen height 5
screen colors 4
screen background 0
pixel aspect byte 0

screen map
	rgb 255 000 000 is a
	rgb 000 255 000 is b
	rgb 000 000 255 is c
	rgb 255 255 255 is d
end

comment
written by gifbuild
end

netscape loop 3

graphics control
	disposal mode 1
	user input flag off
	delay 5
	transparent index 1
end

image # 1
image left 0
image top 0
image interlaced
image map
	rgb 010 020 030 is x
	rgb 200 100 050 is y
	rgb 090 180 045 is z
end
image bits 7 by 5
xyzxyzx
yyyxxxz
zzxxxxy
yxyxyxz
xxxxxxx

image # 2
image left 1
image top 1
image bits 2 by 2
ab
cd
)";

struct Fixture {
  const char* name;
  std::string command;  // makes <dir>/<name>.gif; $OUT stands for that path
};

std::vector<Fixture> Fixtures() {
  return {
      {"gradient", "convert -size 40x30 gradient:red-blue -colors 50 $OUT"},
      {"interlaced", "convert -seed 4 -size 33x17 plasma:fractal -colors 64 -interlace GIF $OUT"},
      {"transparent",
       "convert -size 30x20 xc:white -fill red -draw 'rectangle 5,5 20,15' -transparent white "
       "$OUT"},
      {"animation",
       "convert -delay 10 -size 16x12 xc:blue -size 16x12 gradient:yellow-green -loop 0 "
       "-comment 'made by a test' $OUT"},
      {"offset_frame", "convert -size 9x6 xc:orange -repage 20x15+5+4 $OUT"},
      {"gifbuild", "gifbuild $SRC > $OUT"},
  };
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

using velmora::test::ReadBytes;

// Frame 0 as we render it matches ImageMagick's decoding at every opaque pixel, and pixels
// ImageMagick shows transparent hold frame 0's transparent index.
void ExpectFrame0LikeImageMagick(const std::string& path, const std::vector<uint8_t>& bytes) {
  RgbImage reference = DecodeWithImageMagick(path);
  LoadedGIF ours = LoadGIF(bytes);
  ASSERT_FALSE(ours.image->GetEmpty());
  EXPECT_TRUE(ours.warnings.empty()) << ours.warnings.front();
  TGIFSubImage& frame = *ours.image->Frames().FrameAt(0);
  ASSERT_EQ(frame.Width(), reference.width);
  ASSERT_EQ(frame.Height(), reference.height);
  ASSERT_EQ(frame.Left(), reference.left);
  ASSERT_EQ(frame.Top(), reference.top);
  std::vector<uint8_t> rendered = RenderedRgb(*ours.image);
  int screen_width = ours.image->GetWidth();
  int mismatches = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      size_t at = size_t(y) * size_t(reference.width) + size_t(x);
      if (reference.alpha[at] == 0) {
        ASSERT_TRUE(frame.IsTransparent());
        mismatches += frame.PixelIndex(x, y) != frame.ControlExtension()->TransparentIndex();
        continue;
      }
      size_t ours_at =
          (size_t(y + frame.Top()) * size_t(screen_width) + size_t(x + frame.Left())) * 3;
      mismatches +=
          !std::equal(rendered.begin() + long(ours_at), rendered.begin() + long(ours_at) + 3,
                      reference.rgb.begin() + long(at) * 3);
    }
  EXPECT_EQ(mismatches, 0);
}

TEST(GIFFixtures, Frame0LoadsWithTheReferencePixels) {
  ScratchDir dir;
  std::string source = dir.Path("gifbuild.txt");
  std::ofstream(source) << kGifbuildSource;
  for (const Fixture& fixture : Fixtures()) {
    SCOPED_TRACE(fixture.name);
    std::string path = dir.Path(std::string(fixture.name) + ".gif");
    RunTool(Replace(Replace(fixture.command, "$OUT", path), "$SRC", source));
    std::vector<uint8_t> bytes = ReadBytes(path);
    ExpectFrame0LikeImageMagick(path, bytes);

    // The same data in sub-blocks of one byte: every code of 9 bits or more spans blocks.
    std::string rechunked = dir.Path(std::string(fixture.name) + "_1byte.gif");
    WriteBytes(rechunked, RechunkImageData(bytes, 1));
    ExpectFrame0LikeImageMagick(rechunked, ReadBytes(rechunked));
  }
}

template <class Kind>
Kind* FindExtension(TGIFSubImage& frame) {
  for (int i = 0; i < frame.Extensions().ItemCount(); ++i)
    if (auto* found = dynamic_cast<Kind*>(frame.Extensions().ItemAt(i))) return found;
  return nullptr;
}

TEST(GIFFixtures, ExtensionsAndFramesOfOtherWritersAreRead) {
  ScratchDir dir;
  std::string source = dir.Path("gifbuild.txt");
  std::ofstream(source) << kGifbuildSource;
  RunTool("gifbuild " + source + " > " + dir.Path("b.gif"));
  LoadedGIF built = LoadGIF(ReadBytes(dir.Path("b.gif")));
  ASSERT_EQ(built.image->Frames().ItemCount(), 2);
  TGIFSubImage& first = *built.image->Frames().FrameAt(0);
  EXPECT_EQ(first.LocalMap().EntryCount(), 4);  // 3 colours in a table of 4
  EXPECT_TRUE(first.Interlaced());
  ASSERT_NE(FindExtension<TGIFCommentExtension>(first), nullptr);
  EXPECT_EQ(FindExtension<TGIFCommentExtension>(first)->Text, TStringList{"written by gifbuild"});
  ASSERT_NE(FindExtension<TGIFAppExtNSLoop>(first), nullptr);
  EXPECT_EQ(FindExtension<TGIFAppExtNSLoop>(first)->LoopCount, 3);
  ASSERT_NE(first.ControlExtension(), nullptr);
  EXPECT_EQ(first.ControlExtension()->DelayHundredths(), 5);
  EXPECT_EQ(first.ControlExtension()->DisposalMethod(), 1);
  EXPECT_EQ(first.ControlExtension()->GetTransparentRGB(), plat::RGB(200, 100, 50));
  EXPECT_TRUE(built.image->HasTransparency());
  TGIFSubImage& second = *built.image->Frames().FrameAt(1);
  EXPECT_EQ(second.Left(), 1);
  EXPECT_EQ(&second.ActiveColorMap(), &built.image->GlobalColorMap());
  EXPECT_EQ(second.PixelData(), (std::vector<uint8_t>{0, 1, 2, 3}));

  RunTool(
      "convert -delay 10 -size 16x12 xc:blue -size 16x12 xc:red -loop 0 -comment 'two frames' " +
      dir.Path("a.gif"));
  LoadedGIF animation = LoadGIF(ReadBytes(dir.Path("a.gif")));
  EXPECT_EQ(animation.image->Frames().ItemCount(), 2);
  EXPECT_NE(FindExtension<TGIFAppExtNSLoop>(*animation.image->Frames().FrameAt(0)), nullptr);
}

}  // namespace
}  // namespace pictavo::test
