// Members of the image's life, files, transfer and image-held properties.
#include <cmath>

#include "control/activex/imagebox.h"
#include "platform/base/text.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/picture.h"

namespace pictavo {

namespace {

const TImageDocument& Document(TImageBox& box) {
  return box.View().Document();
}

}  // namespace

PICTAVO_CALL(Clear)(TImageBox& box) {
  box.View().Clear();
}
PICTAVO_CALL(NewImage)(TImageBox& box, int32_t new_width, int32_t new_height) {
  box.View().NewImage(new_width, new_height);
}
PICTAVO_CALL(LoadFromFile)(TImageBox& box, std::u16string_view file_name) {
  box.View().LoadFromFile(plat::Utf16ToUtf8(file_name));
}
PICTAVO_CALL(SaveToFile)(TImageBox& box, std::u16string_view file_name) {
  box.View().SaveToFile(plat::Utf16ToUtf8(file_name));
}
PICTAVO_CALL(WriteBinary)(TImageBox& box, uint8_t format) {
  // Without an image or for a format code with no encoder the result is an empty variant.
  if (auto bytes = box.View().WriteBinary(format)) return std::move(*bytes);
  return {};
}
PICTAVO_CALL(ReadBinary)(TImageBox& box, uint8_t format, TBytes ole_input) {
  box.View().ReadBinary(format, ole_input.data(), static_cast<int64_t>(ole_input.size()));
}
PICTAVO_CALL(NewFileSize)(TImageBox& box, uint8_t format) {
  return static_cast<int32_t>(box.View().NewFileSize(format));
}
PICTAVO_CALL(LoadFromURL)(TImageBox& box, std::u16string_view url) {
  box.View().LoadFromURL(std::u16string(url));
}
PICTAVO_GET(URLUserName)(TImageBox& box) {
  return box.View().URLUserName();
}
PICTAVO_PUT(URLUserName)(TImageBox& box, std::u16string_view value) {
  box.View().SetURLUserName(std::u16string(value));
}
PICTAVO_GET(URLPassword)(TImageBox& box) {
  return box.View().URLPassword();
}
PICTAVO_PUT(URLPassword)(TImageBox& box, std::u16string_view value) {
  box.View().SetURLPassword(std::u16string(value));
}
PICTAVO_CALL(Copy)(TImageBox& box) {
  box.View().Copy();
}
PICTAVO_CALL(Paste)(TImageBox& box) {
  box.View().Paste();
}
PICTAVO_GET(BMPHandle)(TImageBox& box) {
  return box.View().BitmapHandle();
}
PICTAVO_PUT(BMPHandle)(TImageBox& box, int32_t value) {
  box.View().SetBMPHandle(static_cast<uint32_t>(value));
}
PICTAVO_CALL(MergeFile)(TImageBox& box, std::u16string_view merge_image_file) {
  box.View().MergeFile(plat::Utf16ToUtf8(merge_image_file));
}
PICTAVO_CALL(MergeBinary)(TImageBox& box, uint8_t format, TBytes merge_image_bin) {
  box.View().MergeBinary(format, merge_image_bin.data(),
                         static_cast<int64_t>(merge_image_bin.size()));
}
PICTAVO_CALL(MergeHandle)(TImageBox& box, int32_t handle) {
  box.View().MergeHandle(static_cast<uint32_t>(handle));
}

// A picture that owns its own copy of the image's bitmap; without an image a bitmap picture
// without a bitmap.
PICTAVO_GET(Picture)(TImageBox& box) {
  const plat::THandle image = box.View().BitmapHandle();
  plat::THandle copy = 0;
  if (image) {
    copy = plat::NewBitmapHandle(*plat::BitmapOfHandle(image));
    plat::DeleteBitmapHandle(image);
  }
  return plat::CreateBitmapPicture(copy, true).As<plat::com::IDispatch>();
}

PICTAVO_GET(ReleaseBMPHandle)(TImageBox& box) {
  return box.View().ReleaseBMPHandle();
}
PICTAVO_PUT(ReleaseBMPHandle)(TImageBox& box, bool value) {
  box.View().SetReleaseBMPHandle(value);
}
PICTAVO_GET(PictureData)(TImageBox& box) {
  if (!box.View().ImageLoaded()) return int32_t{0};
  return box.View().PictureData();
}
PICTAVO_GET(ReadImageNumber)(TImageBox& box) {
  return box.View().ReadImageNumber();
}
PICTAVO_PUT(ReadImageNumber)(TImageBox& box, int32_t value) {
  box.View().SetReadImageNumber(value);
}
PICTAVO_GET(LastFileName)(TImageBox& box) {
  return box.View().LastFileName();
}
PICTAVO_GET(UseLZW)(TImageBox& box) {
  return box.View().UseLZW();
}
PICTAVO_PUT(UseLZW)(TImageBox& box, bool value) {
  box.View().SetUseLZW(value);
}

PICTAVO_GET(ColorFormat)(TImageBox& box) {
  return int32_t{box.View().ColorFormat()};
}
PICTAVO_PUT(ColorFormat)(TImageBox& box, uint8_t value) {
  box.View().SetColorFormat(value);
}
PICTAVO_GET(ImageWidth)(TImageBox& box) {
  return box.View().ImageWidth();
}
PICTAVO_GET(ImageHeight)(TImageBox& box) {
  return box.View().ImageHeight();
}
PICTAVO_GET(ImageLoaded)(TImageBox& box) {
  return box.View().ImageLoaded();
}
PICTAVO_GET(JPEGQuality)(TImageBox& box) {
  return int32_t{box.View().JPEGQuality()};
}
PICTAVO_PUT(JPEGQuality)(TImageBox& box, int16_t value) {
  box.View().SetJPEGQuality(value);
}
PICTAVO_GET(XPelsPerMeter)(TImageBox& box) {
  return Document(box).XPelsPerMeter();
}
PICTAVO_PUT(XPelsPerMeter)(TImageBox& box, int32_t value) {
  box.View().SetXPelsPerMeter(value);
}
PICTAVO_GET(YPelsPerMeter)(TImageBox& box) {
  return Document(box).YPelsPerMeter();
}
PICTAVO_PUT(YPelsPerMeter)(TImageBox& box, int32_t value) {
  box.View().SetYPelsPerMeter(value);
}
PICTAVO_GET(XDPI)(TImageBox& box) {
  return Document(box).XDPI();
}
PICTAVO_PUT(XDPI)(TImageBox& box, int32_t value) {
  box.View().SetXDPI(value);
}
PICTAVO_GET(YDPI)(TImageBox& box) {
  return Document(box).YDPI();
}
PICTAVO_PUT(YDPI)(TImageBox& box, int32_t value) {
  box.View().SetYDPI(value);
}
PICTAVO_GET(BGColor)(TImageBox& box) {
  return Document(box).BGColor();
}
PICTAVO_PUT(BGColor)(TImageBox& box, plat::TColor value) {
  box.View().SetBGColor(value);
}
PICTAVO_GET(Transparent)(TImageBox& box) {
  return Document(box).Transparent();
}
PICTAVO_PUT(Transparent)(TImageBox& box, bool value) {
  box.View().SetTransparent(value);
}
PICTAVO_GET(Compression)(TImageBox& box) {
  return int32_t{Document(box).Compression()};
}
PICTAVO_PUT(Compression)(TImageBox& box, uint8_t value) {
  box.View().SetCompression(value);
}
PICTAVO_GET(ProgressiveJPEG)(TImageBox& box) {
  return Document(box).ProgressiveJPEG();
}
PICTAVO_PUT(ProgressiveJPEG)(TImageBox& box, bool value) {
  box.View().SetProgressiveJPEG(value);
}
PICTAVO_GET(WasCMYK)(TImageBox& box) {
  return Document(box).WasCMYK();
}
PICTAVO_GET(JPEGApproxQuality)(TImageBox& box) {
  return Document(box).JPEGApproxQuality();
}
PICTAVO_GET(JPEGApproxQualityError)(TImageBox& box) {
  return Document(box).JPEGApproxQualityError();
}

}  // namespace pictavo
