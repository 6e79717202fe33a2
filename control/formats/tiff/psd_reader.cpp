// Reading a Photoshop file: the header, the three sections before the image data, and the
// merged image data of every colour mode the library shows (raw or RLE-packed rows).
#include <algorithm>
#include <vector>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/photoshop_resources.h"
#include "control/formats/support/icutils.h"
#include "control/formats/tiff/psd_image.h"
#include "control/formats/tiff/tif_image.h"
#include "platform/base/streams.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

namespace {

constexpr char kInvalid[] = "Invalid PSD File";
constexpr char kCorrupt[] = "Image data corrupt in PSD File";
constexpr char kUnsupported[] = "Unsupported data format in PSD file";

// Each caller decides what a part cut short by the end of the file means for the load.
[[noreturn]] void ShortRead(std::string_view) {
  throw plat::EReadError(kInvalid);
}

enum : uint16_t {
  kModeBitmap = 0,
  kModeGrayscale = 1,
  kModeIndexed = 2,
  kModeRGB = 3,
  kModeCMYK = 4,
  kModeMultichannel = 7,
  kModeDuotone = 8,
  kModeLab = 9,
};

constexpr uint32_t kMaxSide = 30000;
constexpr uint16_t kResolutionID = 0x03ED;
constexpr size_t kPaletteBytes = 768;

[[noreturn]] void Fail(const char* message) {
  throw plat::EInvalidGraphic(message);
}

bool IsKnownMode(uint16_t mode) {
  return mode <= kModeCMYK || mode == kModeMultichannel || mode == kModeDuotone || mode == kModeLab;
}

uint16_t ReadSide(plat::TByteCursor& cursor) {
  const uint32_t side = cursor.DWord();
  if (side == 0 || side > kMaxSide) Fail(kInvalid);
  return static_cast<uint16_t>(side);
}

// A 16.16 fixed-point resolution to whole dots per inch, rounding to nearest.
int32_t DpiOfFixed(uint32_t fixed) {
  return static_cast<int32_t>((fixed >> 16) + ((fixed & 0x8000) != 0 ? 1 : 0));
}

// The resolution block among the resource blocks the container kept whole; its name does not
// matter (some writers leave it empty). False when there is none, or the first one is too short.
bool FindResolution(const TApp14Segment& resources, int32_t& x_dpi, int32_t& y_dpi) {
  for (const std::string& raw : resources.OtherBlocks) {
    try {
      plat::TByteCursor block(AsBytes(raw), ShortRead);
      block.Skip(4);  // "8BIM"
      if (block.Word() != kResolutionID) continue;
      const uint8_t name_length = block.Byte();
      block.Skip(name_length + (name_length % 2 == 0 ? 1 : 0));
      if (block.DWord() < 16) return false;
      const uint32_t horizontal = block.DWord();
      block.Skip(4);  // units
      const uint32_t vertical = block.DWord();
      x_dpi = DpiOfFixed(horizontal);
      y_dpi = DpiOfFixed(vertical);
      return true;
    } catch (const plat::EReadError&) {
      return false;
    }
  }
  return false;
}

plat::TColorTable GreyPalette() {
  plat::TColorTable palette(256);
  for (size_t i = 0; i < palette.size(); ++i) {
    const auto g = static_cast<uint8_t>(i);
    palette[i] = {g, g, g, 0};
  }
  return palette;
}

}  // namespace

struct TPSDImage::TReadState {
  std::vector<uint8_t> bytes;
  plat::TByteCursor cursor{{}, ShortRead};
  std::span<const uint8_t> resources;
  uint64_t data_at = 0;  // first byte after the compression word

  // Bytes of one stored row of a plane, and of one decoded row (16-bit samples keep one byte).
  uint64_t stored_row = 0;
  uint64_t decoded_row = 0;
};

void TPSDImage::LoadFromStream(plat::TStream& stream) {
  stream.SetPosition(0);
  TReadState r;
  r.bytes = stream.ReadRest();
  r.cursor = plat::TByteCursor(r.bytes, ShortRead);
  Image = TBMPImage();
  FileInfo.Clear();
  XDPI = YDPI = 0;
  WasCMYK = false;
  ReadHeader(r);
  ReadSections(r);
  ReadResources(r);
  ReadPixels(r);
  WasCMYK = ColorMode == kModeCMYK;
}

void TPSDImage::ReadHeader(TReadState& r) {
  try {
    plat::TByteCursor& c = r.cursor;
    if (c.Text(4) != "8BPS" || c.Word() != 1) Fail(kInvalid);
    std::span<const uint8_t> reserved = c.Bytes(6);
    if (std::any_of(reserved.begin(), reserved.end(), [](uint8_t b) { return b != 0; }))
      Fail(kInvalid);
    Channels = c.Word();
    Height = ReadSide(c);
    Width = ReadSide(c);
    Depth = c.Word();
    ColorMode = c.Word();
  } catch (const plat::EReadError&) {
    Fail(kInvalid);
  }
  if (Channels < 1 || Channels > 24 || (Depth != 1 && Depth != 8 && Depth != 16) ||
      !IsKnownMode(ColorMode))
    Fail(kInvalid);
}

// Section lengths are 32-bit, so their sums stay well inside 64 bits.
void TPSDImage::ReadSections(TReadState& r) {
  plat::TByteCursor& c = r.cursor;
  auto length_at = [&c](uint64_t position) {
    if (!c.Holds(position, 4)) Fail(kInvalid);
    c.Seek(position);
    return uint64_t{c.DWord()};
  };
  const uint64_t mode_data = length_at(26);
  const uint64_t resources_at = 30 + mode_data;
  const uint64_t resources = length_at(resources_at);
  const uint64_t layers_at = resources_at + 4 + resources;
  const uint64_t layers = length_at(layers_at);
  const uint64_t data_at = layers_at + 4 + layers;
  if (!c.Holds(data_at, 2)) Fail(kInvalid);
  c.Seek(data_at);
  Compression = c.Word();
  if (Compression > 1) Fail("Invalid data in PSD File");
  r.data_at = data_at + 2;
  r.resources = std::span<const uint8_t>(r.bytes).subspan(resources_at + 4, resources);

  if (ColorMode != kModeIndexed) return;
  // Fewer bytes would take the colours from whatever follows the section.
  if (mode_data < kPaletteBytes) Fail(kInvalid);
  Palette.assign(256, {});
  for (size_t i = 0; i < 256; ++i)
    Palette[i] = {r.bytes[30 + 512 + i], r.bytes[30 + 256 + i], r.bytes[30 + i], 0};
}

void TPSDImage::ReadResources(TReadState& r) {
  TApp14Segment container;
  try {
    container.LoadFromResources(r.resources);
  } catch (const plat::Exception&) {
    // What was gathered before the damage still counts.
  }
  try {
    FileInfo.FromSegment(container);
    FileInfo.HasFileInfo = container.BlockCount() > 0;
  } catch (const plat::Exception&) {
  }
  if (!FindResolution(container, XDPI, YDPI)) XDPI = YDPI = 0;
}

namespace {

// The planes a reader uses, each Height rows of decoded_row bytes.
using TPlanes = std::vector<std::vector<uint8_t>>;

struct TRowRef {
  uint64_t at;
  uint64_t size;
};

int PlanesOf(uint16_t mode) {
  switch (mode) {
    case kModeRGB:
      return 3;
    case kModeCMYK:
      return 4;
    default:
      return 1;
  }
}

// Bits a pixel of the decoded image takes.
int PixelBitsOf(uint16_t mode) {
  switch (mode) {
    case kModeBitmap:
      return 1;
    case kModeRGB:
    case kModeCMYK:
      return 24;
    default:
      return 8;
  }
}

void CheckMode(uint16_t mode, uint16_t channels, uint16_t depth, uint16_t compression) {
  const bool eight_or_raw16 = depth == 8 || (depth == 16 && compression == 0);
  bool supported = false;
  switch (mode) {
    case kModeBitmap:
      supported = channels == 1 && depth == 1;
      break;
    case kModeGrayscale:
    case kModeDuotone:
      supported = (channels == 1 || channels == 2) && eight_or_raw16;
      break;
    case kModeIndexed:
      supported = depth == 8;
      break;
    case kModeRGB:
      supported = channels >= 3 && eight_or_raw16;
      break;
    case kModeCMYK:
      supported = channels >= 4 && eight_or_raw16;
      break;
    case kModeMultichannel:
      Fail("Multichannel mode in PSD file not supported");
    case kModeLab:
      Fail("Lab mode in PSD file not supported");
    default:
      Fail("Invalid PSD Color Mode");
  }
  if (!supported) Fail(kUnsupported);
}

// Checks that the file holds the rows of the planes it needs before anything is allocated.
std::vector<TRowRef> LocateRows(const std::vector<uint8_t>& bytes, uint64_t data_at,
                                uint16_t compression, uint64_t rows, uint64_t channels, int planes,
                                uint64_t stored_row, uint64_t decoded_row) {
  const uint64_t size = bytes.size();
  std::vector<TRowRef> refs;
  if (compression == 0) {
    if (data_at + planes * rows * stored_row > size) Fail(kCorrupt);
    refs.reserve(planes * rows);
    for (uint64_t i = 0; i < planes * rows; ++i)
      refs.push_back({data_at + i * stored_row, stored_row});
    return refs;
  }
  const uint64_t table = channels * rows * 2;
  if (data_at + table > size) Fail(kCorrupt);
  plat::TByteCursor counts(std::span<const uint8_t>(bytes).subspan(data_at, table), ShortRead);
  uint64_t at = data_at + table;
  refs.reserve(planes * rows);
  for (uint64_t i = 0; i < planes * rows; ++i) {
    const uint64_t count = counts.Word();
    if (at + count > size || count * plat::best_ratio::kPackBits < decoded_row) Fail(kCorrupt);
    refs.push_back({at, count});
    at += count;
  }
  return refs;
}

std::vector<uint8_t> UnpackRow(std::span<const uint8_t> packed, uint64_t decoded_row) {
  plat::TReadOnlyMemoryStream source(packed.data(), static_cast<int64_t>(packed.size()));
  plat::TMemoryStream unpacked;
  try {
    UnPackBits(unpacked, source, static_cast<int64_t>(packed.size()));
  } catch (const plat::Exception&) {
    Fail(kCorrupt);
  }
  if (static_cast<uint64_t>(unpacked.Size()) != decoded_row) Fail(kCorrupt);
  return unpacked.TakeBytes();
}

TPlanes DecodePlanes(const std::vector<uint8_t>& bytes, const std::vector<TRowRef>& refs,
                     int planes, uint64_t rows, uint64_t decoded_row, uint16_t compression,
                     uint16_t depth) {
  TPlanes out(static_cast<size_t>(planes));
  for (int p = 0; p < planes; ++p) {
    std::vector<uint8_t>& plane = out[static_cast<size_t>(p)];
    plane.reserve(rows * decoded_row);
    for (uint64_t y = 0; y < rows; ++y) {
      const TRowRef& ref = refs[p * rows + y];
      std::span<const uint8_t> stored(bytes.data() + ref.at, ref.size);
      if (compression == 1) {
        std::vector<uint8_t> row = UnpackRow(stored, decoded_row);
        plane.insert(plane.end(), row.begin(), row.end());
      } else if (depth == 16) {  // the most significant byte of each sample
        for (uint64_t x = 0; x < decoded_row; ++x) plane.push_back(stored[2 * x]);
      } else {
        plane.insert(plane.end(), stored.begin(), stored.end());
      }
    }
  }
  return out;
}

}  // namespace

void TPSDImage::ReadPixels(TReadState& r) {
  CheckMode(ColorMode, Channels, Depth, Compression);
  r.decoded_row = Depth == 1 ? (uint64_t{Width} + 7) / 8 : Width;
  r.stored_row = Depth == 16 ? 2 * uint64_t{Width} : r.decoded_row;
  const int planes = PlanesOf(ColorMode);
  const std::vector<TRowRef> refs = LocateRows(r.bytes, r.data_at, Compression, Height, Channels,
                                               planes, r.stored_row, r.decoded_row);
  plat::RequirePixelBudget(plat::BytesPerRow(Width, PixelBitsOf(ColorMode)) * Height);
  try {
    const TPlanes data =
        DecodePlanes(r.bytes, refs, planes, Height, r.decoded_row, Compression, Depth);
    const size_t row = static_cast<size_t>(r.decoded_row);
    switch (ColorMode) {
      case kModeBitmap: {
        Image.SetPixelFormat(plat::TPixelFormat::pf1bit);
        Image.SetSize(Width, Height);
        Image.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
        // The format's 1 is black; raw rows also clear the bits after the last pixel.
        const int spare = (8 - Width % 8) % 8;
        const auto last_mask = static_cast<uint8_t>(0xFF << spare);
        for (int y = 0; y < Height; ++y) {
          uint8_t* line = Image.ScanLine(y);
          for (size_t i = 0; i < row; ++i) line[i] = static_cast<uint8_t>(~data[0][y * row + i]);
          if (Compression == 0) line[row - 1] &= last_mask;
        }
        break;
      }
      case kModeGrayscale:
      case kModeDuotone:
      case kModeIndexed:
        Image.SetPixelFormat(plat::TPixelFormat::pf8bit);
        Image.SetSize(Width, Height);
        Image.SetColorTable(ColorMode == kModeIndexed ? Palette : GreyPalette());
        for (int y = 0; y < Height; ++y)
          std::copy_n(data[0].begin() + y * row, row, Image.ScanLine(y));
        break;
      default: {  // RGB and CMYK
        Image.SetPixelFormat(plat::TPixelFormat::pf24bit);
        Image.SetSize(Width, Height);
        for (int y = 0; y < Height; ++y) {
          uint8_t* line = Image.ScanLine(y);
          for (size_t x = 0; x < row; ++x) {
            const size_t at = y * row + x;
            uint8_t red = data[0][at], green = data[1][at], blue = data[2][at];
            if (ColorMode == kModeCMYK)  // the format stores 255 for no ink
              plat::CMYKToRGB(255 - red, 255 - green, 255 - blue, 255 - data[3][at], red, green,
                              blue);
            line[3 * x] = blue;
            line[3 * x + 1] = green;
            line[3 * x + 2] = red;
          }
        }
      }
    }
  } catch (const plat::EInvalidGraphic&) {
    throw;
  } catch (const plat::Exception&) {
    Fail(kCorrupt);
  }
}

void TPSDImage::Assign(const plat::TGraphic& source) {
  if (&source == this) return;
  const auto* bitmap = dynamic_cast<const plat::TBitmap*>(&source);
  if (bitmap == nullptr) return;
  Image = TBMPImage();
  Image.plat::TBitmap::Assign(*bitmap);
}

void TPSDImage::AssignTo(plat::TGraphic& dest) const {
  if (auto* bitmap = dynamic_cast<plat::TBitmap*>(&dest)) {
    bitmap->Assign(Image);
    return;
  }
  TGraphic::AssignTo(dest);
}

void TPSDImage::LoadFromClipboardFormat(uint16_t, plat::THandle, plat::THandle) {
  throw plat::EInvalidGraphic("Clipboard functions not supported");
}

void TPSDImage::SaveToClipboardFormat(uint16_t&, plat::THandle&, plat::THandle&) const {
  throw plat::EInvalidGraphic("Clipboard functions not supported");
}

}  // namespace pictavo
