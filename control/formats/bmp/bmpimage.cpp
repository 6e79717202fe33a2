#include "control/formats/bmp/bmpimage.h"

#include <vector>

#include "platform/base/streams.h"
#include "platform/graphics/bmp_format.h"

namespace pictavo {

namespace {

// The 24-bit file: headers, then the rows.
void Write24BitFile(const plat::TBitmap& bitmap, int32_t x_ppm, int32_t y_ppm,
                    plat::TStream& stream) {
  plat::bmp::Layout layout;
  layout.width = bitmap.Width();
  layout.height = bitmap.Height();
  layout.bits = 24;
  layout.row_bytes = Bmp24RowSize(bitmap.Width());
  layout.x_pels_per_meter = x_ppm;
  layout.y_pels_per_meter = y_ppm;
  const std::vector<uint8_t> headers = plat::bmp::Headers(layout);
  stream.WriteBuffer(headers.data(), static_cast<int64_t>(headers.size()));
  plat::bmp::WriteRowsBottomUp(bitmap, layout.row_bytes, stream);
}

}  // namespace

int64_t Bmp24RowSize(int64_t width) {
  // Division truncates toward zero, so a row of width 0 still takes one padded word, as files
  // written by earlier versions have it.
  return ((width * 3 - 1) / 4 + 1) * 4;
}

bool TBMPImage::IsGrayscalePalette() const {
  if (plat::PaletteSizeOf(PixelFormat()) == 0) return false;
  return plat::IsGreyPalette(Palette());
}

void TBMPImage::AssignTo(plat::TGraphic& dest) const {
  if (auto* bitmap = dynamic_cast<plat::TBitmap*>(&dest)) {
    bitmap->TBitmap::Assign(*this);
    return;
  }
  TBitmap::AssignTo(dest);
}

void TBMPImage::LoadFromStream(plat::TStream& stream) {
  int32_t x_ppm = x_pels_per_meter_;
  int32_t y_ppm = y_pels_per_meter_;
  if (stream.Size() > plat::bmp::kHeadersSize) {
    uint8_t header[plat::bmp::kHeadersSize];
    stream.SetPosition(0);
    stream.ReadBuffer(header, plat::bmp::kHeadersSize);
    // A core header (12 bytes) has colour table or pixel bytes where the resolution would be.
    if (plat::bmp::Get32(header + plat::bmp::kHeaderSizeAt) >= plat::bmp::kInfoHeaderSize) {
      x_ppm = static_cast<int32_t>(plat::bmp::Get32(header + plat::bmp::kXPelsPerMeterAt));
      y_ppm = static_cast<int32_t>(plat::bmp::Get32(header + plat::bmp::kYPelsPerMeterAt));
    }
    stream.SetPosition(0);
  }
  TBitmap::LoadFromStream(stream);
  x_pels_per_meter_ = x_ppm;
  y_pels_per_meter_ = y_ppm;
}

void TBMPImage::SaveToStream(plat::TStream& stream) const {
  if (PixelFormat() == plat::TPixelFormat::pf24bit) {
    Write24BitFile(*this, x_pels_per_meter_, y_pels_per_meter_, stream);
    return;
  }
  // The resolution is patched relative to where the file starts, so a file written behind
  // other data does not overwrite it.
  const int64_t start = stream.Position();
  TBitmap::SaveToStream(stream);
  if (stream.Size() - start <= plat::bmp::kHeadersSize) return;
  uint8_t resolution[8];
  plat::bmp::Put32(resolution, static_cast<uint32_t>(x_pels_per_meter_));
  plat::bmp::Put32(resolution + 4, static_cast<uint32_t>(y_pels_per_meter_));
  stream.SetPosition(start + plat::bmp::kXPelsPerMeterAt);
  stream.WriteBuffer(resolution, 8);
  stream.SetPosition(start);
}

}  // namespace pictavo
