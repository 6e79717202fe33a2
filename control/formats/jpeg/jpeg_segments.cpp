#include "control/formats/jpeg/jpeg_segments.h"

#include <algorithm>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/exif_carry.h"
#include "control/formats/jpeg/file_info.h"
#include "control/formats/jpeg/jpeg_errors.h"
#include "control/formats/jpeg/photoshop_resources.h"

namespace pictavo {

namespace {

constexpr uint8_t kMarkerEOI = 0xD9;
constexpr uint8_t kMarkerTEM = 0x01;

bool StandsAlone(uint8_t marker) {
  return marker == kMarkerSOI || marker == kMarkerTEM || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

TJpegLayout ScanJpegSegments(std::span<const uint8_t> data) {
  TJpegLayout layout;
  size_t pos = 0;
  while (pos < data.size()) {
    if (data[pos] != 0xFF) {
      ++pos;
      continue;
    }
    size_t start = pos;
    while (pos < data.size() && data[pos] == 0xFF) ++pos;  // fill bytes
    if (pos >= data.size()) break;
    uint8_t marker = data[pos++];
    if (marker == 0x00) continue;  // a stuffed zero, not a marker
    if (marker == kMarkerEOI) break;
    if (marker == kMarkerSOS) {
      layout.End = TScanEnd::StartOfScan;
      layout.ScanStart = start;
      return layout;
    }
    TJpegSegment segment{marker, start, pos, 0};
    if (!StandsAlone(marker)) {
      if (data.size() - pos < 2) {
        layout.End = TScanEnd::Truncated;
        layout.Broken = segment;
        return layout;
      }
      size_t length = static_cast<size_t>(data[pos] << 8 | data[pos + 1]);
      segment.Payload = pos + 2;
      segment.PayloadSize = length >= 2 ? length - 2 : 0;
      if (length < 2 || segment.PayloadSize > data.size() - segment.Payload) {
        layout.End = length < 2 ? TScanEnd::BadLength : TScanEnd::Truncated;
        layout.Broken = segment;
        return layout;
      }
    }
    layout.Segments.push_back(segment);
    pos = segment.End();
  }
  layout.End = TScanEnd::EndOfData;
  return layout;
}

bool PayloadStartsWith(std::span<const uint8_t> data, const TJpegSegment& segment,
                       std::string_view prefix) {
  if (segment.PayloadSize < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), data.begin() + segment.Payload,
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

bool IsExifSegment(std::span<const uint8_t> data, const TJpegSegment& segment) {
  return segment.Marker == kMarkerAPP1 &&
         PayloadStartsWith(data, segment, std::string_view("Exif\0\0", 6));
}

size_t MetadataInsertionPoint(const TJpegLayout& layout) {
  size_t point = 0;
  for (const TJpegSegment& segment : layout.Segments) {
    if (segment.Marker == kMarkerAPP0) point = segment.End();
    if (segment.Marker == kMarkerSOI && point == 0) point = segment.End();
  }
  return point;
}

std::string ExifSegment(const TExif& exif, std::span<const uint8_t> previous) {
  std::string payload;
  try {
    payload = ExifPayloadKeeping(exif.JpegPayload(), previous);
  } catch (const plat::Exception&) {
    throw EJPEG("Error writing file.");
  }
  if (payload.empty()) return {};
  if (payload.size() > kMaxSegmentPayload)
    throw EJPEG("The EXIF data does not fit in one JPEG segment.");
  std::string segment = "\xFF\xE1";
  PutWordBE(segment, static_cast<uint32_t>(payload.size() + 2));
  return segment + payload;
}

std::string FileInfoSegment(const TFileInfo& info) {
  return info.ToSegment().APP13Bytes();
}

}  // namespace pictavo
