#include "platform/graphics/graphic.h"

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace plat {

void TGraphic::Assign(const TGraphic& source) {
  source.AssignTo(*this);
}

void TGraphic::AssignTo(TGraphic& dest) const {
  throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

bool TGraphic::Equals(const TGraphic& other) const {
  if (GetEmpty() || other.GetEmpty()) return GetEmpty() == other.GetEmpty();
  TMemoryStream a, b;
  SaveToStream(a);
  other.SaveToStream(b);
  return a.Bytes() == b.Bytes();
}

void TGraphic::Draw(TCanvas& canvas, const TRect& rect) const {
  TBitmap pixels;
  pixels.Assign(*this);
  canvas.StretchDraw(rect, pixels);
}

void TGraphic::LoadFromClipboardFormat(uint16_t, THandle, THandle) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(uint16_t&, THandle&, THandle&) const {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::LoadFromFile(const std::string& path) {
  TFileStream in(path, FileMode::OpenRead);
  LoadFromStream(in);
}

void TGraphic::SaveToFile(const std::string& path) const {
  WriteFileReplacing(path, [this](TStream& out) { SaveToStream(out); });
}

}  // namespace plat
