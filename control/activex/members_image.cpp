// Members of the image's life, files, transfer and image-held properties.
#include <cmath>

#include "control/activex/imagebox.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/picture.h"

namespace pictavo {

namespace {

const TImageDocument& Document(TImageBox& box) {
  return box.View().Document();
}

}  // namespace

PICTAVO_CALL(Clear) {
  box.View().Clear();
}
PICTAVO_CALL(NewImage) {
  box.View().NewImage(call.Long(0), call.Long(1));
}
PICTAVO_CALL(LoadFromFile) {
  box.View().LoadFromFile(call.Utf8(0));
}
PICTAVO_CALL(SaveToFile) {
  box.View().SaveToFile(call.Utf8(0));
}
PICTAVO_CALL(WriteBinary) {
  // Without an image or for a format code with no encoder the result is an empty variant.
  if (auto bytes = box.View().WriteBinary(call.Enum(0))) call.Return(std::move(*bytes));
}
PICTAVO_CALL(ReadBinary) {
  const TBytes& data = call.Bytes(1);
  box.View().ReadBinary(call.Enum(0), data.data(), static_cast<int64_t>(data.size()));
}
PICTAVO_CALL(NewFileSize) {
  call.Return(static_cast<int32_t>(box.View().NewFileSize(call.Enum(0))));
}
PICTAVO_CALL(LoadFromURL) {
  box.View().LoadFromURL(call.Text(0));
}
PICTAVO_GET(URLUserName) {
  call.Return(box.View().URLUserName);
}
PICTAVO_PUT(URLUserName) {
  box.View().URLUserName = call.Text(call.Value());
}
PICTAVO_GET(URLPassword) {
  call.Return(box.View().URLPassword);
}
PICTAVO_PUT(URLPassword) {
  box.View().URLPassword = call.Text(call.Value());
}
PICTAVO_CALL(Copy) {
  box.View().Copy();
}
PICTAVO_CALL(Paste) {
  box.View().Paste();
}
PICTAVO_GET(BMPHandle) {
  call.Return(box.View().BitmapHandle());
}

// A picture that owns its own copy of the image's bitmap; without an image a bitmap picture
// without a bitmap.
PICTAVO_GET(Picture) {
  const plat::THandle image = box.View().BitmapHandle();
  plat::THandle copy = 0;
  if (image) {
    copy = plat::NewBitmapHandle(*plat::BitmapOfHandle(image));
    plat::DeleteBitmapHandle(image);
  }
  call.Return(TObjectArg{plat::CreateBitmapPicture(copy, true).As<plat::com::IDispatch>()});
}

PICTAVO_GET(ReleaseBMPHandle) {
  call.Return(box.View().ReleaseBMPHandle);
}
PICTAVO_PUT(ReleaseBMPHandle) {
  box.View().ReleaseBMPHandle = call.Bool(call.Value());
}
PICTAVO_GET(PictureData) {
  if (!box.View().ImageLoaded()) return call.Return(TVariantInt{0});
  call.Return(box.View().PictureData());
}
PICTAVO_GET(ReadImageNumber) {
  call.Return(box.View().ReadImageNumber);
}
PICTAVO_PUT(ReadImageNumber) {
  box.View().ReadImageNumber = std::max(1, call.Long(call.Value()));
}
PICTAVO_GET(LastFileName) {
  call.Return(box.View().LastFileName);
}
PICTAVO_GET(UseLZW) {
  call.Return(box.View().UseLZW);
}
PICTAVO_PUT(UseLZW) {
  box.View().UseLZW = call.Bool(call.Value());
}

PICTAVO_GET(ColorFormat) {
  call.Return(int32_t{box.View().ColorFormat()});
}
PICTAVO_PUT(ColorFormat) {
  box.View().SetColorFormat(call.Enum(call.Value()));
}
PICTAVO_GET(ImageWidth) {
  call.Return(box.View().ImageWidth());
}
PICTAVO_GET(ImageHeight) {
  call.Return(box.View().ImageHeight());
}
PICTAVO_GET(ImageLoaded) {
  call.Return(box.View().ImageLoaded());
}
PICTAVO_GET(JPEGQuality) {
  call.Return(int32_t{box.View().JPEGQuality});
}
PICTAVO_PUT(JPEGQuality) {
  box.View().SetJPEGQuality(call.Short(call.Value()));
}
PICTAVO_GET(XPelsPerMeter) {
  call.Return(Document(box).XPelsPerMeter());
}
PICTAVO_PUT(XPelsPerMeter) {
  box.View().SetXPelsPerMeter(call.Long(call.Value()));
}
PICTAVO_GET(YPelsPerMeter) {
  call.Return(Document(box).YPelsPerMeter());
}
PICTAVO_PUT(YPelsPerMeter) {
  box.View().SetYPelsPerMeter(call.Long(call.Value()));
}
PICTAVO_GET(XDPI) {
  call.Return(Document(box).XDPI());
}
PICTAVO_PUT(XDPI) {
  box.View().SetXDPI(call.Long(call.Value()));
}
PICTAVO_GET(YDPI) {
  call.Return(Document(box).YDPI());
}
PICTAVO_PUT(YDPI) {
  box.View().SetYDPI(call.Long(call.Value()));
}
PICTAVO_GET(BGColor) {
  call.Return(Document(box).BGColor());
}
PICTAVO_PUT(BGColor) {
  box.View().SetBGColor(call.Color(call.Value()));
}
PICTAVO_GET(Transparent) {
  call.Return(Document(box).Transparent());
}
PICTAVO_PUT(Transparent) {
  box.View().SetTransparent(call.Bool(call.Value()));
}
PICTAVO_GET(Compression) {
  call.Return(int32_t{Document(box).Compression()});
}
PICTAVO_PUT(Compression) {
  box.View().SetCompression(call.Enum(call.Value()));
}
PICTAVO_GET(ProgressiveJPEG) {
  call.Return(Document(box).ProgressiveJPEG());
}
PICTAVO_PUT(ProgressiveJPEG) {
  box.View().SetProgressiveJPEG(call.Bool(call.Value()));
}
PICTAVO_GET(WasCMYK) {
  call.Return(Document(box).WasCMYK());
}
PICTAVO_GET(JPEGApproxQuality) {
  call.Return(Document(box).JPEGApproxQuality());
}
PICTAVO_GET(JPEGApproxQualityError) {
  call.Return(Document(box).JPEGApproxQualityError());
}

}  // namespace pictavo
