#include "platform/graphics/graphic.h"

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

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

void TGraphic::LoadFromFile(const std::string& path) {
  TFileStream in(path, FileMode::OpenRead);
  LoadFromStream(in);
}

void TGraphic::SaveToFile(const std::string& path) const {
  WriteFileReplacing(path, [this](TStream& out) { SaveToStream(out); });
}

}  // namespace plat
