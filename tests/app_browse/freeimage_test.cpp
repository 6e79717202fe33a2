// The extension rules of FreeImage saves.
#include "app/browse/freeimage.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

namespace {

TEST(FreeImageExtensions, WholeEntriesOnly) {
  struct {
    const char* name;
    int32_t compareMode;
    bool valid;
  } const cases[] = {
      {"scan", 0, false},     {"scan.tif", 0, true}, {"scan.tiff", 0, true},
      {"scan.TIF", 0, false}, {"scan.TIF", 1, true}, {"scan.if", 0, false},
      {"scan.ti", 0, false},  {"scan.f", 1, false},  {"scan.tif.png", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(browse::fncIsExtensionValidForFormat(FIF_TIFF, c.name, c.compareMode), c.valid);
  }
  EXPECT_EQ(browse::fncGetPrimaryExtension(FIF_TIFF), "tif");
}

}  // namespace
