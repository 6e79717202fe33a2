// The metadata segments of the JPEG graphic: reading them at load time (with the quality
// estimate), inserting them when saving, and rewriting them in an existing file.
#include <array>
#include <cmath>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/jpeg_image.h"
#include "control/formats/jpeg/jpeg_segments.h"
#include "platform/base/rounding.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

// The example tables of the JPEG standard (Annex K, tables K.1 and K.2) in natural order.
constexpr std::array<uint16_t, 64> kLuminanceTable = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<uint16_t, 64> kChrominanceTable = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Natural position of each entry in the zig-zag order a DQT segment stores.
constexpr std::array<uint8_t, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

constexpr double kInchesPerCentimetre = 0.3937007874;

// Ratios of a file's quantisation entries to the reference tables, in percent.
struct TQualityStatistics {
  double Sum = 0;
  double SumOfSquares = 0;
  int Tables = 0;
  bool AllOnes = true;

  // Adds the tables of one DQT segment; a table cut short by the segment's end is left out.
  void AddSegment(std::span<const uint8_t> payload) {
    plat::TByteCursor cursor = JpegCursor(payload);
    while (!cursor.AtEnd()) {
      uint8_t info = cursor.Byte();
      bool wide = (info >> 4) != 0;
      if (cursor.Remaining() < (wide ? 128u : 64u)) return;
      const auto& reference = (info & 1) == 0 ? kLuminanceTable : kChrominanceTable;
      for (int i = 0; i < 64; ++i) {
        uint16_t value = wide ? cursor.Word() : cursor.Byte();
        if (value != 1) AllOnes = false;
        double ratio = value * 100.0 / reference[kZigZag[i]];
        Sum += ratio;
        SumOfSquares += ratio * ratio;
      }
      ++Tables;
    }
  }
};

uint16_t DensityFromExif(const TExif& exif, const char* name, bool centimetres) {
  float value = static_cast<float>(RationalToReal(exif.Value(name)));
  double dpi = centimetres ? value / kInchesPerCentimetre : value;
  return static_cast<uint16_t>(std::clamp<int64_t>(plat::RoundHalfEven(dpi), 0, 65535));
}

std::vector<uint8_t> Spliced(const std::vector<uint8_t>& data, size_t at,
                             const std::string& insert) {
  std::vector<uint8_t> out;
  out.reserve(data.size() + insert.size());
  out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(at));
  out.insert(out.end(), insert.begin(), insert.end());
  out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.end());
  return out;
}

// The units and densities of a JFIF APP0: "JFIF\0", version, then these five bytes.
constexpr size_t kJfifUnitsOffset = 7;

void PatchJfifDensity(std::vector<uint8_t>& data, uint16_t x, uint16_t y) {
  for (const TJpegSegment& segment : ScanJpegSegments(data).Segments) {
    if (segment.Marker != kMarkerAPP0 || segment.PayloadSize < kJfifUnitsOffset + 5 ||
        !PayloadStartsWith(data, segment, std::string_view("JFIF\0", 5)))
      continue;
    uint8_t* units = data.data() + segment.Payload + kJfifUnitsOffset;
    units[0] = 1;  // dots per inch
    units[1] = static_cast<uint8_t>(x >> 8);
    units[2] = static_cast<uint8_t>(x & 0xFF);
    units[3] = static_cast<uint8_t>(y >> 8);
    units[4] = static_cast<uint8_t>(y & 0xFF);
    return;
  }
}

// The APP13 "Photoshop 3.0" segments of a file: their resource blocks of kinds the file info
// does not model, kept so a rewrite does not lose them.
std::vector<std::string> UnmodelledResourceBlocks(std::span<const uint8_t> data,
                                                  const TJpegSegment& segment) {
  TApp14Segment container;
  try {
    container.LoadFromAPP13(data.subspan(segment.Payload, segment.PayloadSize));
  } catch (const plat::EReadError&) {
    return {};
  }
  return container.OtherBlocks;
}

bool IsPhotoshopSegment(std::span<const uint8_t> data, const TJpegSegment& segment) {
  return segment.Marker == kMarkerAPP13 &&
         PayloadStartsWith(data, segment, std::string_view("Photoshop 3.0\0", 14));
}

// The payload of the file's first EXIF segment (what a reader takes), or nothing.
std::span<const uint8_t> OldExifPayload(std::span<const uint8_t> data, const TJpegLayout& layout) {
  for (const TJpegSegment& segment : layout.Segments)
    if (IsExifSegment(data, segment)) return data.subspan(segment.Payload, segment.PayloadSize);
  return {};
}

}  // namespace

void TJPEGImageExtra::ReadMetadata() {
  FileInfo.Clear();
  const std::vector<uint8_t>& data = *image_->Data;
  TJpegLayout layout = ScanJpegSegments(data);
  // An APP1 cut short fails the load; every other damaged segment just ends the scan.
  if (layout.End == TScanEnd::Truncated && layout.Broken.Marker == kMarkerAPP1)
    JpegShortRead("APP1 segment");
  TQualityStatistics statistics;
  for (const TJpegSegment& segment : layout.Segments) {
    std::span<const uint8_t> payload(data.data() + segment.Payload, segment.PayloadSize);
    switch (segment.Marker) {
      case kMarkerAPP13:
        try {
          TApp14Segment container;
          container.LoadFromAPP13(payload);
          FileInfo.FromSegment(container);
          if (container.BlockCount() > 0) FileInfo.HasFileInfo = true;
        } catch (const plat::Exception&) {
          // A damaged file info leaves what was read so far.
        }
        break;
      case kMarkerAPP1: {
        TBEMemoryStream stream(std::vector<uint8_t>(payload.begin(), payload.end()));
        bool found = false;
        Exif.ReadFromStream(stream, found, false);
        if (found) ApplyExifResolution();
        break;
      }
      case kMarkerDQT:
        statistics.AddSegment(payload);
        break;
      default:
        break;
    }
  }
  if (statistics.Tables == 0) return;
  double n = 64.0 * statistics.Tables;
  double mean = statistics.Sum / n;
  ApproxQualityError = statistics.SumOfSquares / n - mean * mean;
  double q = statistics.AllOnes ? 100 : mean > 100 ? 5000 / mean : (200 - mean) / 2;
  ApproxQuality = q >= 0 && q <= 100 ? static_cast<int>(plat::RoundHalfEven(q)) : 0;
}

// Files without a JFIF resolution take the one their EXIF data gives.
void TJPEGImageExtra::ApplyExifResolution() {
  try {
    bool centimetres = Exif.Value("ResolutionUnit") == "3";
    if (image_->XDensity == 1) image_->XDensity = DensityFromExif(Exif, "XResolution", centimetres);
    if (image_->YDensity == 1) image_->YDensity = DensityFromExif(Exif, "YResolution", centimetres);
  } catch (const plat::Exception&) {
    image_->XDensity = 0;
    image_->YDensity = 0;
  }
}

// The saved file: the compressed data with APP1 (EXIF) and APP13 (file info) behind the JFIF
// header, whose units and densities carry the resolution. A store that cannot be written fails
// the save rather than being dropped silently.
std::vector<uint8_t> TJPEGImageExtra::FileBytes() const {
  JPEGNeeded();
  if (!image_->Data) return {};
  std::vector<uint8_t> data = *image_->Data;
  size_t at = MetadataInsertionPoint(ScanJpegSegments(data));
  std::string segments = ExifSegment(Exif);
  if (FileInfo.HasFileInfo) segments += FileInfoSegment(FileInfo);
  data = Spliced(data, at, segments);
  PatchJfifDensity(data, GetXDensity(), GetYDensity());
  return data;
}

void TJPEGImageExtra::RewriteFileMetadata(const std::string& path, const TFileInfo& info,
                                          const TExif& exif) {
  std::vector<uint8_t> data = plat::ReadWholeFile(path);
  TJpegLayout layout = ScanJpegSegments(data);
  if (layout.End != TScanEnd::StartOfScan) throw plat::EInvalidGraphic("Error");
  std::string exif_segment = ExifSegment(exif, OldExifPayload(data, layout));

  TApp14Segment resources = info.HasFileInfo ? info.ToSegment() : TApp14Segment();
  resources.Header = "Photoshop 3.0";
  std::vector<std::pair<size_t, size_t>> dropped;
  for (const TJpegSegment& segment : layout.Segments) {
    if (IsPhotoshopSegment(data, segment)) {
      for (std::string& block : UnmodelledResourceBlocks(data, segment))
        resources.OtherBlocks.push_back(std::move(block));
      dropped.emplace_back(segment.Start, segment.End());
    } else if (IsExifSegment(data, segment)) {
      dropped.emplace_back(segment.Start, segment.End());
    }
  }
  std::string inserted;
  if (info.HasFileInfo || !resources.OtherBlocks.empty()) inserted += resources.APP13Bytes();
  inserted += exif_segment;

  size_t at = MetadataInsertionPoint(layout);
  std::vector<uint8_t> out;
  out.reserve(data.size() + inserted.size());
  size_t pos = 0;
  auto copy_until = [&](size_t end) {
    for (const auto& [start, stop] : dropped) {
      if (start < pos || start >= end) continue;
      out.insert(out.end(), data.begin() + pos, data.begin() + start);
      pos = stop;
    }
    out.insert(out.end(), data.begin() + pos, data.begin() + end);
    pos = end;
  };
  copy_until(at);
  out.insert(out.end(), inserted.begin(), inserted.end());
  copy_until(data.size());
  plat::WriteFileReplacing(path, [&out](plat::TStream& stream) {
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  });
}

}  // namespace pictavo
