#pragma once
// The BMP file format of the platform bitmap.
namespace plat {

class TBitmap;
class TStream;

// Reads a BMP file from the stream's current position into bitmap. Raises EInvalidGraphic
// with a message naming what is wrong when the data is not a valid bitmap.
void ReadBmp(TStream& stream, TBitmap& bitmap);
// Writes bitmap as a BMP file (14-byte file header, 40-byte info header, colour table, rows
// bottom-up) at the stream's current position.
void WriteBmp(const TBitmap& bitmap, TStream& stream);

}  // namespace plat
