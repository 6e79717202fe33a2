#include "platform/graphics/system_colors.h"

#include <gtest/gtest.h>

namespace plat {
namespace {

TEST(SystemColors, ResolveToTheClassicSchemeNotTheDesktop) {
  struct Case {
    TColor value;
    TColor expected;
  };
  for (const Case& c : {Case{0x80000005, RGB(255, 255, 255)},  // window
                        Case{0x80000008, RGB(0, 0, 0)},        // window text
                        Case{0x8000000E, RGB(255, 255, 255)},  // highlight text
                        Case{0x8000000F, RGB(212, 208, 200)},  // button face
                        Case{0x80000018, RGB(255, 255, 225)},  // tooltip background
                        Case{0x123456, 0x123456}}) {           // plain colours pass unchanged
    EXPECT_EQ(ColorToRGB(c.value), c.expected) << std::hex << c.value;
  }
  EXPECT_TRUE(IsSystemColor(0x8000000E));
  EXPECT_FALSE(IsSystemColor(0x00FFFFFF));
  EXPECT_EQ(GetSysColor(99), 0u);
}

TEST(SystemColors, DefaultPaletteHasTwentyDistinctColoursFromBlackToWhite) {
  const TColorTable& p = SystemDefaultPalette();
  ASSERT_EQ(p.size(), 20u);
  EXPECT_EQ(p.front().ToColor(), RGB(0, 0, 0));
  EXPECT_EQ(p.back().ToColor(), RGB(255, 255, 255));
  for (size_t i = 0; i < p.size(); ++i)
    for (size_t j = i + 1; j < p.size(); ++j) EXPECT_FALSE(p[i] == p[j]) << i << " " << j;
}

}  // namespace
}  // namespace plat
