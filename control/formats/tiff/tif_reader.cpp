// Parsing one page of a TIFF file: header, page walk, directory entries and strips.
#include <cmath>
#include <limits>
#include <set>

#include "control/formats/tiff/tif_image.h"
#include "control/formats/tiff/tiff_file.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

[[noreturn]] void Fail(const std::string& message) {
  throw plat::EInvalidGraphic(message);
}

[[noreturn]] void FailTag(const char* name) {
  Fail(std::string("Error in TIFF file ") + name + " data");
}

enum : uint16_t {
  kImageWidth = 256,
  kImageLength = 257,
  kBitsPerSample = 258,
  kCompression = 259,
  kPhotometric = 262,
  kFillOrder = 266,
  kStripOffsets = 273,
  kSamplesPerPixel = 277,
  kRowsPerStrip = 278,
  kStripByteCounts = 279,
  kXResolution = 282,
  kYResolution = 283,
  kPlanarConfiguration = 284,
  kT4Options = 292,
  kResolutionUnit = 296,
  kPredictor = 317,
  kColorMap = 320,
  kInkSet = 332,
  kNumberOfInks = 334,
  kIptc = 33723,
  kPhotoshop = 34377,
};

// A SHORT or LONG array of the file: where it lies, how many values, which type.
struct TArrayRef {
  uint64_t location = 0;
  uint32_t count = 0;
  uint16_t type = 0;
};

}  // namespace

struct TTIFImage::TReadState {
  explicit TReadState(plat::TStream& stream)
      : bytes(plat::ReadRestInLargeBlocks(stream)), file(bytes) {}
  plat::TLargeBytes bytes;  // the whole file as read
  TTiffBytes file;
  uint64_t ifd = 0;
  std::set<uint16_t> seen;
  double xResolution = 0;
  double yResolution = 0;
  uint16_t resolutionUnit = 2;
  TArrayRef stripOffsets, stripByteCounts, colorMap;
  std::vector<TStrip> strips;  // offsets in the file until the page keeps its bytes
  uint64_t stored = 0;         // bytes of the strips the file holds
  TByteRange iptc, photoshop;

  bool Seen(uint16_t tag) const { return seen.count(tag) != 0; }
};

namespace {

uint16_t Short1(const TTiffBytes& f, const TTiffEntry& e, const char* name) {
  if (e.type != kTypeShort || e.count != 1) FailTag(name);
  return f.U16(e.valuePosition);
}

uint32_t ShortOrLong1(const TTiffBytes& f, const TTiffEntry& e, const char* name) {
  if (e.count != 1 || (e.type != kTypeShort && e.type != kTypeLong)) FailTag(name);
  return f.Value(e.type, e.valuePosition);
}

double Rational1(const TTiffBytes& f, const TTiffEntry& e, const char* name) {
  if (e.type != kTypeRational || e.count != 1) FailTag(name);
  uint64_t at = f.Location(e);
  uint32_t numerator = f.U32(at);
  uint32_t denominator = f.U32(at + 4);
  if (denominator == 0) FailTag(name);
  return static_cast<double>(numerator) / denominator;
}

TArrayRef ShortOrLongArray(const TTiffBytes& f, const TTiffEntry& e, const char* name) {
  if (e.type != kTypeShort && e.type != kTypeLong) FailTag(name);
  TArrayRef a{f.Location(e), e.count, e.type};
  if (!f.Holds(a.location, uint64_t{a.count} * TypeSize(a.type))) FailTag(name);
  return a;
}

int32_t DotsPerInch(double value) {
  double rounded = std::trunc(value + 0.5);
  return rounded >= std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                        : static_cast<int32_t>(rounded);
}

}  // namespace

TTIFImage::TTIFImage() = default;
TTIFImage::~TTIFImage() = default;

void TTIFImage::SetWidth(int) {}
void TTIFImage::SetHeight(int) {}

void TTIFImage::LoadFromStream(plat::TStream& stream) {
  stream.SetPosition(0);
  TReadState r(stream);
  if (!r.file.ReadHeader()) Fail("File is not TIFF format");
  r.ifd = r.file.U32(4);

  std::set<uint64_t> visited;
  for (int32_t page = 1; page < PageNumber; ++page) {
    uint64_t next = 0;
    try {
      next = r.file.NextIfd(r.ifd);
    } catch (const plat::Exception&) {
      next = 0;
    }
    visited.insert(r.ifd);
    if (next == 0 || visited.count(next) != 0) Fail("TIFF file error - cannot find requested page");
    r.ifd = next;
  }

  bigEndian_ = r.file.BigEndian();
  ParseEntries(r);
  ReadExif(r);
  ApplyDefaults(r);
  ReadStrips(r);

  if (photometric_ == 0 || photometric_ == 1) {
    if (bitsPerSample_[0] == 1) writeKind_ = 0;
    if (bitsPerSample_[0] == 4 || bitsPerSample_[0] == 8) writeKind_ = 1;
  } else if (photometric_ == 2) {
    writeKind_ = 3;
  } else if (photometric_ == 3) {
    writeKind_ = 2;
  }
  WasCMYK = photometric_ == 5;

  switch (r.resolutionUnit) {
    case 1:
      XDPI = YDPI = 0;
      break;
    case 2:
      XDPI = DotsPerInch(r.xResolution);
      YDPI = DotsPerInch(r.yResolution);
      break;
    case 3:
      XDPI = DotsPerInch(r.xResolution * 2.54);
      YDPI = DotsPerInch(r.yResolution * 2.54);
      break;
    default:
      FailTag("ResolutionUnit");
  }
  ReadFileInfo(r);
  KeepStripBytes(r);
  loadedFromFile_ = true;
}

void TTIFImage::ParseEntries(TReadState& r) {
  const TTiffBytes& f = r.file;
  uint16_t count = f.U16(r.ifd);
  for (uint32_t i = 0; i < count; ++i) {
    TTiffEntry e = f.Entry(r.ifd, i);
    switch (e.tag) {
      case kImageWidth:
        imageWidth_ = ShortOrLong1(f, e, "ImageWidth");
        break;
      case kImageLength:
        imageLength_ = ShortOrLong1(f, e, "ImageLength");
        break;
      case kBitsPerSample: {
        if (e.type != kTypeShort || e.count == 0 || e.count == 2) FailTag("BitsPerSample");
        TArrayRef a = ShortOrLongArray(f, e, "BitsPerSample");
        bitsPerSample_.assign(a.count, 0);
        for (uint32_t k = 0; k < a.count; ++k) bitsPerSample_[k] = f.U16(a.location + 2 * k);
        break;
      }
      case kCompression:
        Compression = Short1(f, e, "Compression");
        break;
      case kPhotometric:
        photometric_ = Short1(f, e, "PhotometricInterpretation");
        break;
      case kFillOrder:
        fillOrder_ = Short1(f, e, "FillOrder");
        if (fillOrder_ != 1 && fillOrder_ != 2) FailTag("FillOrder");
        break;
      case kStripOffsets:
        r.stripOffsets = ShortOrLongArray(f, e, "StripOffsets");
        break;
      case kSamplesPerPixel:
        samplesPerPixel_ = Short1(f, e, "SamplesPerPixel");
        break;
      case kRowsPerStrip:
        rowsPerStrip_ = ShortOrLong1(f, e, "RowsPerStrip");
        break;
      case kStripByteCounts:
        r.stripByteCounts = ShortOrLongArray(f, e, "StripByteCounts");
        break;
      case kXResolution:
        r.xResolution = Rational1(f, e, "XResolution");
        break;
      case kYResolution:
        r.yResolution = Rational1(f, e, "YResolution");
        break;
      case kPlanarConfiguration:
        planarConfiguration_ = Short1(f, e, "PlanarConfiguration");
        break;
      case kT4Options:
        if (e.count != 1 || (e.type != kTypeShort && e.type != kTypeLong)) continue;
        t4Options_ = f.Value(e.type, e.valuePosition);
        break;
      case kResolutionUnit:
        r.resolutionUnit = Short1(f, e, "ResolutionUnit");
        break;
      case kPredictor:
        predictor_ = Short1(f, e, "Predictor");
        break;
      case kColorMap:
        if (e.type != kTypeShort) FailTag("ColorMap");
        r.colorMap = ShortOrLongArray(f, e, "ColorMap");
        break;
      case kInkSet:
        inkSet_ = Short1(f, e, "InkSet");
        break;
      case kNumberOfInks:
        numberOfInks_ = Short1(f, e, "NumberOfInks");
        break;
      case kIptc:
        if (e.count > 1 && (e.type == kTypeShort || e.type == kTypeLong))
          r.iptc = {f.Location(e), uint64_t{e.count} * TypeSize(e.type)};
        else
          continue;
        break;
      case kPhotoshop:
        if (e.count > 1 && e.type == kTypeByte)
          r.photoshop = {f.Location(e), e.count};
        else
          continue;
        break;
      default:
        continue;
    }
    r.seen.insert(e.tag);
  }
}

void TTIFImage::ApplyDefaults(TReadState& r) {
  if (!r.Seen(kImageWidth) || !r.Seen(kImageLength))
    Fail("TIFF file has missing image Width/Height");
  if (!r.Seen(kPhotometric)) {
    if (r.Seen(kBitsPerSample) && bitsPerSample_[0] != 1)
      Fail("TIFF file has missing PhotometricInterpretation data");
    photometric_ = 0;
  }
  if (!r.Seen(kStripOffsets)) Fail("TIFF file has missing StripOffsets data");
  if (!r.Seen(kStripByteCounts)) Fail("TIFF file has missing StripByteCounts data");
  if (!r.Seen(kXResolution)) r.xResolution = 0;
  if (!r.Seen(kYResolution)) r.yResolution = 0;
  if (!r.Seen(kCompression)) Compression = 1;
  if (!r.Seen(kBitsPerSample)) bitsPerSample_.assign(1, 1);
  if (!r.Seen(kSamplesPerPixel)) samplesPerPixel_ = 1;
  if (!r.Seen(kRowsPerStrip)) rowsPerStrip_ = std::numeric_limits<uint32_t>::max();
  if (!r.Seen(kResolutionUnit)) r.resolutionUnit = 2;
  if (!r.Seen(kPredictor)) predictor_ = 1;
  if (!r.Seen(kPlanarConfiguration)) planarConfiguration_ = 1;
  if (!r.Seen(kT4Options)) t4Options_ = 0;
  if (!r.Seen(kInkSet) && photometric_ == 5) inkSet_ = 1;
  if (!r.Seen(kNumberOfInks) && photometric_ == 5) numberOfInks_ = 4;
  if (!r.Seen(kFillOrder)) fillOrder_ = 1;
  if (rowsPerStrip_ == 0) FailTag("RowsPerStrip");
}

void TTIFImage::ReadStrips(TReadState& r) {
  const TTiffBytes& f = r.file;
  uint64_t stripsPerPlane =
      imageLength_ <= rowsPerStrip_
          ? 1
          : (uint64_t{imageLength_} + rowsPerStrip_ - 1) / uint64_t{rowsPerStrip_};
  uint64_t planes = planarConfiguration_ == 2 ? samplesPerPixel_ : 1;
  uint64_t count = stripsPerPlane * std::max<uint64_t>(planes, 1);
  if ((count != r.stripByteCounts.count && count == r.stripOffsets.count) ||
      r.stripOffsets.count < count || r.stripByteCounts.count < count)
    Fail("TIFF file has errors in strip counts");

  colorMap_.clear();
  if (photometric_ == 3) {
    colorMap_.resize(r.colorMap.count);
    for (uint32_t k = 0; k < r.colorMap.count; ++k)
      colorMap_[k] = f.U16(r.colorMap.location + 2 * k);
  }

  // Each strip is kept with the bytes the file holds of it; a strip cut short by the end of the
  // file is padded with zeros when it is decoded, so the strips after it still start at their
  // place. Strips may share bytes, but never more than twice the file in total.
  std::vector<TStrip>& strips = r.strips;
  strips.resize(count);
  uint64_t& total = r.stored;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t offset =
        f.Value(r.stripOffsets.type, r.stripOffsets.location + i * TypeSize(r.stripOffsets.type));
    uint64_t size = f.Value(r.stripByteCounts.type,
                            r.stripByteCounts.location + i * TypeSize(r.stripByteCounts.type));
    uint64_t available = offset < f.Size() ? std::min(size, f.Size() - offset) : 0;
    strips[i] = {available ? offset : 0, size, available};
    total += available;
    if (total > 2 * f.Size()) Fail("TIFF file has errors in strip counts");
  }
}

void TTIFImage::KeepStripBytes(TReadState& r) {
  const TTiffBytes& f = r.file;
  // A page that is most of its file keeps the file's bytes as they were read; a page of a larger
  // file takes only its own strips, so pages held together never hold their file many times over.
  plat::TLargeBytes kept;
  if (2 * r.stored >= f.Size()) {
    kept = std::move(r.bytes);
  } else {
    kept.reserve(r.stored);
    for (TStrip& s : r.strips) {
      const uint8_t* from = f.Data() + s.offset;
      s.offset = kept.size();
      kept.insert(kept.end(), from, from + s.available);
    }
  }
  data_ = std::move(kept);
  strips_ = std::move(r.strips);
}

void TTIFImage::ReadExif(TReadState& r) {
  Exif.Clear();
  Exif.ReadTiffIFD({r.file.Data(), r.file.Size()}, r.file.BigEndian(), r.ifd);
}

void TTIFImage::ReadFileInfo(TReadState& r) {
  FileInfo.Clear();
  try {
    std::vector<uint8_t> blocks;
    auto range = [&r](const TByteRange& b) {
      if (!r.file.Holds(b.location, b.length)) throw plat::EReadError(kTiffTruncated);
      const uint8_t* at = r.file.Data() + b.location;
      return std::vector<uint8_t>(at, at + b.length);
    };
    if (r.Seen(kPhotoshop)) {
      blocks = range(r.photoshop);
    } else if (r.Seen(kIptc)) {
      // The bare IPTC datasets become one resource block 0x0404 named "Caption".
      std::vector<uint8_t> iptc = range(r.iptc);
      std::string head = std::string("8BIM\x04\x04\x07", 7) + "Caption";
      PutDWordBE(head, static_cast<uint32_t>(iptc.size()));
      blocks.assign(head.begin(), head.end());
      blocks.insert(blocks.end(), iptc.begin(), iptc.end());
    } else {
      return;
    }
    TApp14Segment container;
    container.LoadFromResources(blocks);
    FileInfo.FromSegment(container);
    FileInfo.HasFileInfo = container.BlockCount() > 0;
  } catch (const std::exception&) {
    // The page loads with the file info it has.
  }
}

}  // namespace pictavo
