// Decoding a loaded TIFF page into a bitmap: bilevel, greyscale, palette, RGB and CMYK pages,
// uncompressed, PackBits, LZW (with horizontal differencing) and the CCITT codings.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <exception>
#include <mutex>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/support/icutils.h"
#include "control/formats/tiff/ccitt.h"
#include "control/formats/tiff/tif_image.h"
#include "control/formats/tiff/tiff_file.h"
#include "control/formats/tiff/tiff_lzw.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/base/worker_pool.h"
#include "platform/graphics/channel_order.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

namespace {

[[noreturn]] void Fail(const char* message) {
  throw plat::EInvalidGraphic(message);
}

constexpr char kCorrupt[] = "TIFF file image data corrupted";
constexpr char kTooLarge[] = "TIFF file image is too large";

uint8_t ReverseBits(uint8_t b) {
  b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

// Undoes horizontal differencing: each byte is added to the byte `stride` places before it in
// its row.
void UndoPredictor(plat::TLargeBytes& bytes, size_t rowBytes, size_t stride) {
  if (rowBytes == 0) return;
  for (size_t row = 0; row + rowBytes <= bytes.size(); row += rowBytes)
    for (size_t i = stride; i < rowBytes; ++i)
      bytes[row + i] = static_cast<uint8_t>(bytes[row + i] + bytes[row + i - stride]);
}

plat::TColorTable GreyRamp(int entries) {
  plat::TColorTable palette(static_cast<size_t>(entries));
  int step = 255 / (entries - 1);
  for (int i = 0; i < entries; ++i) {
    uint8_t g = static_cast<uint8_t>(step * i);
    palette[static_cast<size_t>(i)] = {g, g, g, 0};
  }
  return palette;
}

}  // namespace

int64_t TTIFImage::BestRatio() const {
  switch (Compression) {
    case 2:
    case 3:
    case 4:
      // A fax row costs at least one bit, whatever its width.
      return 8 * ((int64_t{imageWidth_} + 7) / 8);
    case 5:
      return plat::best_ratio::kLzw;
    case 32773:
      return plat::best_ratio::kPackBits;
    default:
      return plat::best_ratio::kStored;
  }
}

void TTIFImage::Allocate(plat::TBitmap& bmp, plat::TPixelFormat format) const {
  const int64_t filePixelBits = int64_t{samplesPerPixel_} * bitsPerSample_[0];
  const int64_t decoded = (int64_t{imageWidth_} * filePixelBits + 7) / 8 * imageLength_;
  const auto stored = static_cast<int64_t>(StoredBytes());
  if (decoded > plat::kCutShortAllowance)
    plat::RequireDataJustifies(stored, decoded, BestRatio(), kTooLarge);
  plat::RequirePixelBudget(
      plat::BytesPerRow(imageWidth_, plat::BitsPerPixel(format)) * imageLength_, kTooLarge);
  bmp.SetPixelFormat(format);
  // Every strip writes all its rows or the decoding fails and the bitmap is dropped.
  bmp.SetSizeForDecoding(static_cast<int>(imageWidth_), static_cast<int>(imageLength_));
}

uint64_t TTIFImage::StoredBytes() const {
  uint64_t total = 0;
  for (const TStrip& s : strips_) total += s.available;
  return total;
}

uint32_t TTIFImage::RowsOfStrip(size_t strip) const {
  size_t perPlane = planarConfiguration_ == 2 && samplesPerPixel_ > 1
                        ? strips_.size() / samplesPerPixel_
                        : strips_.size();
  size_t index = strip % perPlane;
  uint64_t before = uint64_t{rowsPerStrip_} * index;
  if (index + 1 < perPlane) return rowsPerStrip_;
  return before >= imageLength_ ? 0 : static_cast<uint32_t>(imageLength_ - before);
}

// The strip's bytes as stored, the part beyond the end of the file read as zeros (up to `padTo`
// bytes at most, never beyond the declared count).
TTIFImage::TStripData TTIFImage::StripBytes(size_t strip, uint64_t padTo) const {
  const TStrip& s = strips_[strip];
  const std::span<const uint8_t> stored(data_.data() + s.offset, s.available);
  const uint64_t padded = std::min(s.size, std::max<uint64_t>(s.available, padTo));
  // Bilevel rows of the non-fax codings are stored with the first pixel in the lowest bit.
  const bool reversed = fillOrder_ == 2 && bitsPerSample_[0] == 1 && !IsFaxCompression(Compression);
  if (padded == s.available && !reversed) return {stored, std::nullopt};
  std::vector<uint8_t> bytes(stored.begin(), stored.end());
  bytes.resize(padded, 0);
  if (reversed)
    for (uint8_t& b : bytes) b = ReverseBits(b);
  return {{}, std::move(bytes)};
}

std::span<const uint8_t> TTIFImage::StripRows(size_t strip, uint32_t rows, size_t rowBytes,
                                              size_t stride, bool checksum,
                                              plat::TLargeBytes& out) const {
  const uint64_t needed = uint64_t{rows} * rowBytes;
  out.clear();
  switch (Compression) {
    case 1: {
      TStripData data = StripBytes(strip, needed);
      if ((checksum && strips_[strip].size != needed) || data.Bytes().size() < needed)
        Fail("TIFF file checksum error");
      if (!data.owned) return data.stored.first(needed);
      out.assign(data.owned->begin(), data.owned->end());
      return std::span<const uint8_t>(out).first(needed);
    }
    case 32773: {
      const TStripData packed = StripBytes(strip, 2 * needed + 16);
      // A run that starts before the declared count ends at most 128 bytes after it.
      const std::span<const uint8_t> runs = packed.Bytes().first(std::min<uint64_t>(
          packed.Bytes().size(), std::max<uint64_t>(strips_[strip].size, 1) + 128));
      out.resize(needed);
      if (!DecodePackBitsExactly(runs, static_cast<int64_t>(strips_[strip].size), out))
        Fail(kCorrupt);
      return out;
    }
    case 5: {
      if (!UseLZW) Fail("Reading of LZW-compressed files not supported");
      DecodeLZW(out, StripBytes(strip, 2 * needed + 16).Bytes(), needed);
      out.resize(needed, 0);
      if (predictor_ == 2 && stride > 0) UndoPredictor(out, rowBytes, stride);
      return out;
    }
    case 6:
      Fail("JPEG Compression not supported");
    default:
      Fail("Unknown or unsupported Compression method");
  }
}

std::vector<uint8_t> TTIFImage::FaxRows(size_t strip, uint32_t rows) const {
  const size_t needed = size_t{rows} * ((size_t{imageWidth_} + 7) / 8);
  const TStripData stored = StripBytes(strip, 0);
  const std::span<const uint8_t> bytes = stored.Bytes();
  TFaxPage page{imageWidth_, photometric_, fillOrder_ == 2};
  std::vector<uint8_t> out;
  if (Compression == 2) {
    DecodeModifiedHuffman(out, bytes, rows, page);
  } else if (Compression == 3) {
    // A Group 3 strip cut short ends in white rows.
    try {
      DecodeGroup3(out, bytes, rows, page, (t4Options_ & 1) != 0);
    } catch (const plat::Exception&) {
    }
    if (out.size() < needed) out.resize(needed, photometric_ == 0 ? 0xFF : 0x00);
  } else {
    try {
      DecodeGroup4(out, bytes, rows, page);
    } catch (const EOverrunStream&) {
    }
  }
  if (out.size() != needed) Fail(kCorrupt);
  return out;
}

namespace {

// Copies decoded rows into the bitmap from row `top` on, inverted where the page stores
// white as zero.
void StoreRows(plat::TBitmap& bmp, std::span<const uint8_t> rows, size_t rowBytes, uint64_t top,
               bool invert) {
  for (size_t r = 0; rowBytes > 0 && r < rows.size() / rowBytes; ++r) {
    const uint8_t* from = rows.data() + r * rowBytes;
    uint8_t* line = bmp.ScanLine(static_cast<int>(top + r));
    if (invert)
      for (size_t i = 0; i < rowBytes; ++i) line[i] = static_cast<uint8_t>(~from[i]);
    else
      std::memcpy(line, from, rowBytes);
  }
}

// Room for decoded strips, one buffer a plane, reused by the strips a thread decodes in turn.
using TScratch = std::array<plat::TLargeBytes, 4>;

// Runs decode(strip, scratch) for every strip index below `count` on the worker pool. Each strip
// writes only its own rows, and the bitmap owns its pixels before the threads start, so the pixels
// are the same on any number of threads. A failure is the first failing strip's, the same one a
// single thread meets.
template <typename Decode>
void DecodeStrips(plat::TBitmap& bmp, size_t count, int64_t stripPixels, Decode&& decode) {
  if (!bmp.GetEmpty()) bmp.ScanLine(0);
  std::mutex lock;
  size_t failedAt = count;
  std::exception_ptr failure;
  // About 64k pixels a range at the least: below that, handing out costs more than it saves.
  const int64_t minStrips = std::max<int64_t>(1, 65536 / std::max<int64_t>(stripPixels, 1));
  plat::ParallelFor(static_cast<int64_t>(count), minStrips, [&](int64_t begin, int64_t end) {
    TScratch scratch;
    for (auto i = static_cast<size_t>(begin); i < static_cast<size_t>(end); ++i) {
      try {
        decode(i, scratch);
      } catch (...) {
        std::lock_guard<std::mutex> hold(lock);
        if (i < failedAt) {
          failedAt = i;
          failure = std::current_exception();
        }
        return;
      }
    }
  });
  if (failure) std::rethrow_exception(failure);
}

// One row of 8-bit samples (or the high bytes of 16-bit ones) to BGR: `at` points at each
// channel's first sample, `step` bytes apart from pixel to pixel.
void ColourRow(uint8_t* line, const uint8_t* const at[4], size_t step, size_t width, bool cmyk) {
  if (cmyk) {
    for (size_t x = 0, k = 0; x < width; ++x, k += step) {
      uint8_t r = 0, g = 0, b = 0;
      plat::CMYKToRGB(at[0][k], at[1][k], at[2][k], at[3][k], r, g, b);
      line[3 * x] = b;
      line[3 * x + 1] = g;
      line[3 * x + 2] = r;
    }
    return;
  }
  if (step == 3 && at[1] == at[0] + 1 && at[2] == at[0] + 2) {
    plat::SwapRedAndBlue(line, at[0], width);
    return;
  }
  for (size_t x = 0, k = 0; x < width; ++x, k += step) {
    line[3 * x] = at[2][k];
    line[3 * x + 1] = at[1][k];
    line[3 * x + 2] = at[0][k];
  }
}

}  // namespace

int64_t TTIFImage::StripPixels() const {
  return int64_t{imageWidth_} * std::min(rowsPerStrip_, imageLength_);
}

void TTIFImage::DecodeBilevel(plat::TBitmap& bmp) const {
  Allocate(bmp, plat::TPixelFormat::pf1bit);
  bmp.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  const size_t rowBytes = (size_t{imageWidth_} + 7) / 8;
  DecodeStrips(bmp, strips_.size(), StripPixels(), [&](size_t i, TScratch& scratch) {
    const uint32_t rows = RowsOfStrip(i);
    const uint64_t top = uint64_t{rowsPerStrip_} * i;
    if (IsFaxCompression(Compression))
      StoreRows(bmp, FaxRows(i, rows), rowBytes, top, false);
    else
      StoreRows(bmp, StripRows(i, rows, rowBytes, 0, true, scratch[0]), rowBytes, top,
                photometric_ != 1);
  });
}

void TTIFImage::DecodeGreyscale(plat::TBitmap& bmp) const {
  const int bits = bitsPerSample_[0];
  if (bits != 4 && bits != 8) Fail("TIFF file colour depth not supported");
  Allocate(bmp, bits == 4 ? plat::TPixelFormat::pf4bit : plat::TPixelFormat::pf8bit);
  bmp.SetColorTable(GreyRamp(bits == 4 ? 16 : 256));
  const size_t rowBytes = bits == 4 ? (size_t{imageWidth_} + 1) / 2 : imageWidth_;
  DecodeStrips(bmp, strips_.size(), StripPixels(), [&](size_t i, TScratch& scratch) {
    StoreRows(bmp, StripRows(i, RowsOfStrip(i), rowBytes, 1, true, scratch[0]), rowBytes,
              uint64_t{rowsPerStrip_} * i, photometric_ != 1);
  });
}

void TTIFImage::DecodePalette(plat::TBitmap& bmp) const {
  const int bits = bitsPerSample_[0];
  if (bits != 4 && bits != 8) Fail("TIFF file colour depth not supported");
  const size_t entries = size_t{1} << bits;
  Allocate(bmp, bits == 4 ? plat::TPixelFormat::pf4bit : plat::TPixelFormat::pf8bit);
  auto level = [](uint16_t v) { return static_cast<uint8_t>(std::trunc(v / 257.0 + 0.5)); };
  plat::TColorTable palette(entries);
  for (size_t k = 0; k < entries; ++k)
    palette[k] = {level(colorMap_[2 * entries + k]), level(colorMap_[entries + k]),
                  level(colorMap_[k]), 0};
  bmp.SetColorTable(palette);
  const size_t rowBytes = bits == 4 ? (size_t{imageWidth_} + 1) / 2 : imageWidth_;
  DecodeStrips(bmp, strips_.size(), StripPixels(), [&](size_t i, TScratch& scratch) {
    StoreRows(bmp, StripRows(i, RowsOfStrip(i), rowBytes, 1, true, scratch[0]), rowBytes,
              uint64_t{rowsPerStrip_} * i, false);
  });
}

void TTIFImage::DecodeColour(plat::TBitmap& bmp, bool cmyk) const {
  const size_t samples = samplesPerPixel_;
  const size_t sampleBytes = bitsPerSample_[0] / 8;
  Allocate(bmp, plat::TPixelFormat::pf24bit);
  // The most significant byte of a 16-bit sample.
  const size_t msb = sampleBytes == 2 && !bigEndian_ ? 1 : 0;
  const bool planar = planarConfiguration_ == 2;
  const size_t planes = planar ? samples : 1;
  const size_t channels = cmyk ? 4 : 3;
  const size_t stripsPerPlane = strips_.size() / planes;
  const size_t pixelBytes = planar ? sampleBytes : samples * sampleBytes;
  const size_t rowBytes = pixelBytes * imageWidth_;

  DecodeStrips(bmp, stripsPerPlane, StripPixels(), [&](size_t i, TScratch& scratch) {
    const uint32_t rows = RowsOfStrip(i);
    // One buffer per plane (one in all for contiguous pixels).
    std::span<const uint8_t> plane[4];
    for (size_t p = 0; p < std::min(planes, channels); ++p)
      plane[p] =
          StripRows(p * stripsPerPlane + i, rows, rowBytes, planar ? 1 : samples, cmyk, scratch[p]);
    const uint64_t top = uint64_t{rowsPerStrip_} * i;
    for (uint32_t r = 0; r < rows; ++r) {
      const uint8_t* at[4] = {};
      for (size_t c = 0; c < channels; ++c)
        at[c] = plane[planar ? c : 0].data() + r * rowBytes + (planar ? 0 : c * sampleBytes) + msb;
      ColourRow(bmp.ScanLine(static_cast<int>(top + r)), at, pixelBytes, imageWidth_, cmyk);
    }
  });
}

void TTIFImage::AssignTo(plat::TGraphic& dest) const {
  auto* target = dynamic_cast<plat::TBitmap*>(&dest);
  if (target == nullptr) {
    TGraphic::AssignTo(dest);
    return;
  }
  TBMPImage image;
  const size_t bpsCount = bitsPerSample_.size();
  auto allBits = [&](size_t n, uint16_t bits) {
    return std::all_of(bitsPerSample_.begin(), bitsPerSample_.begin() + static_cast<ptrdiff_t>(n),
                       [bits](uint16_t b) { return b == bits; });
  };
  const bool single = bpsCount == 1 && samplesPerPixel_ == 1;
  switch (photometric_) {
    case 0:
    case 1:
      if (bitsPerSample_[0] == 1) {
        if (!single) Fail("TIFF file error in bilevel image data");
        DecodeBilevel(image);
      } else if (bitsPerSample_[0] == 4 || bitsPerSample_[0] == 8) {
        if (!single) Fail("TIFF file error in grayscale image data");
        DecodeGreyscale(image);
      } else {
        Fail("TIFF file has unknown or unsupported format");
      }
      break;
    case 2:
      if (bpsCount != samplesPerPixel_ || bpsCount < 3 ||
          !(allBits(3, 8) || (allBits(3, 16) && Compression == 1)))
        Fail("TIFF file error in RGB image data");
      DecodeColour(image, false);
      break;
    case 3:
      if (!single || (bitsPerSample_[0] != 1 && bitsPerSample_[0] != 4 && bitsPerSample_[0] != 8) ||
          colorMap_.size() < 3 * (size_t{1} << bitsPerSample_[0]))
        Fail("TIFF file error in palette image data");
      DecodePalette(image);
      break;
    case 5:
      if (bpsCount != samplesPerPixel_ || bpsCount < 4 || !allBits(4, 8) || inkSet_ != 1 ||
          numberOfInks_ != 4)
        Fail("TIFF file Separated image format not supported");
      DecodeColour(image, true);
      break;
    case 6:
      Fail("TIFF file YCbCr format not supported");
    default:
      Fail("TIFF file PhotometricInterpretation value not supported");
  }
  target->Assign(image);
}

}  // namespace pictavo
