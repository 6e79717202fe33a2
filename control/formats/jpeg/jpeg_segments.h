#pragma once
// The one marker-segment scanner of the JPEG unit. The codec, the metadata reader and the
// in-place rewrite all walk a file's segments through it, so each length is checked once.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pictavo {

class TExif;
class TFileInfo;

constexpr uint8_t kMarkerSOI = 0xD8;
constexpr uint8_t kMarkerSOS = 0xDA;
constexpr uint8_t kMarkerDQT = 0xDB;
constexpr uint8_t kMarkerAPP0 = 0xE0;
constexpr uint8_t kMarkerAPP1 = 0xE1;
constexpr uint8_t kMarkerAPP13 = 0xED;

struct TJpegSegment {
  uint8_t Marker = 0;
  size_t Start = 0;    // offset of the 0xFF
  size_t Payload = 0;  // offset of the bytes after the length field
  size_t PayloadSize = 0;
  size_t End() const { return Payload + PayloadSize; }
};

enum class TScanEnd {
  StartOfScan,  // reached the first SOS: ScanStart is its offset
  EndOfData,    // the data (or an EOI) ended before any SOS
  Truncated,    // Broken's length runs past the end of the data
  BadLength,    // Broken's length field is below 2
};

struct TJpegLayout {
  std::vector<TJpegSegment> Segments;  // in file order, up to the first SOS
  TScanEnd End = TScanEnd::EndOfData;
  size_t ScanStart = 0;
  TJpegSegment Broken;  // the segment that ended the walk for Truncated and BadLength
};

// Walks the marker segments from the start of the data up to the first SOS. Bytes between
// segments that are not markers and fill bytes (0xFF 0xFF) are passed over.
TJpegLayout ScanJpegSegments(std::span<const uint8_t> data);

// True when the segment's payload starts with the given identification bytes.
bool PayloadStartsWith(std::span<const uint8_t> data, const TJpegSegment& segment,
                       std::string_view prefix);
bool IsExifSegment(std::span<const uint8_t> data, const TJpegSegment& segment);

// Where new metadata segments go: behind the last APP0, or behind SOI when there is none.
size_t MetadataInsertionPoint(const TJpegLayout& layout);

// A complete APP1 segment with the store's EXIF data; empty when there is nothing to write.
// `previous` is the APP1 payload the file had, whose entries the store does not model are
// carried over (see exif_carry.h). Raises EJPEG "Error writing file." when a value cannot be
// written and a clear EJPEG when the data does not fit in one segment.
std::string ExifSegment(const TExif& exif, std::span<const uint8_t> previous = {});
// A complete APP13 segment for the file info (EJPEG when it does not fit one segment).
std::string FileInfoSegment(const TFileInfo& info);

}  // namespace pictavo
