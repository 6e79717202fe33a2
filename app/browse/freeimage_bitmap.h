#pragma once
// An owned FreeImage bitmap, unloaded when it goes (private to the FreeImage layer).
#include <FreeImage.h>

#include <memory>

namespace browse {

struct UnloadBitmap {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using FiBitmap = std::unique_ptr<FIBITMAP, UnloadBitmap>;

}  // namespace browse
