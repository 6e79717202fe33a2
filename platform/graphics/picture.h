#pragma once
// A minimal OLE picture of the bitmap type: what the image control hands out from its Picture
// property and what the program takes pictures in as. It wraps one bitmap handle of the handle
// table; drawing, saving and device contexts are not offered.
#include <cstdint>

#include "platform/com/member_table.h"
#include "platform/graphics/handles.h"

namespace plat::com {

constexpr int16_t PICTYPE_NONE = 0;
constexpr int16_t PICTYPE_BITMAP = 1;

// The picture's own interface, with its slots in the standard order. Sizes are in HIMETRIC
// (hundredths of a millimetre) at 96 pixels per inch.
struct IPicture : IUnknown {
  static constexpr IID kIid = MakeGuid("{7BF80980-BF32-101A-8BBB-00AA00300CAB}");
  virtual HRESULT get_Handle(int32_t* Value) = 0;
  virtual HRESULT get_hPal(int32_t* Value) = 0;
  virtual HRESULT get_Type(int16_t* Value) = 0;
  virtual HRESULT get_Width(int32_t* Value) = 0;
  virtual HRESULT get_Height(int32_t* Value) = 0;
  virtual HRESULT Render(void* dc, int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t xSrc,
                         int32_t ySrc, int32_t cxSrc, int32_t cySrc, const void* bounds) = 0;
  virtual HRESULT set_hPal(int32_t palette) = 0;
  virtual HRESULT get_CurDC(void** dc) = 0;
  virtual HRESULT SelectPicture(void* dcIn, void** dcOut, int32_t* bitmapOut) = 0;
  virtual HRESULT get_KeepOriginalFormat(int32_t* keep) = 0;
  virtual HRESULT put_KeepOriginalFormat(int32_t keep) = 0;
  virtual HRESULT PictureChanged() = 0;
  virtual HRESULT SaveAsFile(void* stream, int32_t saveMemCopy, int32_t* size) = 0;
  virtual HRESULT get_Attributes(uint32_t* attributes) = 0;

 protected:
  ~IPicture() = default;
};

// The standard automation picture interface, as the image control's Picture property declares
// its result; the picture object below is reached through it.
struct IPictureDisp : IDispatch {
  static constexpr IID kIid = MakeGuid("{7BF80981-BF32-101A-8BBB-00AA00300CAB}");

 protected:
  ~IPictureDisp() = default;
};

// The automation view of the same picture: IPictureDisp with its properties as slots, so the
// member table can answer dispatch calls by id and by name.
struct IPictureDispMembers : IPictureDisp {
  static const MemberTable& Table();
#define VELMORA_MEMBER VELMORA_PURE_SLOT
#include "platform/graphics/picture_members.inc"
#undef VELMORA_MEMBER

 protected:
  ~IPictureDispMembers() = default;
};

}  // namespace plat::com

namespace plat {

// A new bitmap picture for a bitmap handle (0 gives a bitmap picture without a bitmap). When
// owns is set, the picture deletes the handle on its last release.
com::ComPtr<com::IPicture> CreateBitmapPicture(THandle bitmap, bool owns);

// Pixels to HIMETRIC at 96 pixels per inch, rounded to nearest.
constexpr int32_t PixelsToHimetric(int32_t pixels) {
  return static_cast<int32_t>((int64_t{pixels} * 2540 + 48) / 96);
}

}  // namespace plat
