// Decoding of the joined image data into the bitmap (the IDAT chunk's ProcessLoaded).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "control/formats/png/png_image.h"
#include "control/formats/png/png_rows.h"
#include "control/formats/png/png_zlib.h"
#include "platform/graphics/pixel_access.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

namespace {

struct Header {
  int width = 0;
  int height = 0;
  int depth = 0;
  int color_type = 0;
  bool interlaced = false;

  int Channels() const { return ChannelsOf(color_type); }
  int BitsPerPixel() const { return Channels() * depth; }
  int64_t RowBytes(int64_t pixels) const { return (pixels * BitsPerPixel() + 7) / 8; }
};

struct Pass {
  int start_row, start_col, row_step, col_step;
};

constexpr std::array<Pass, 7> kAdam7 = {{{0, 0, 8, 8},
                                         {0, 4, 8, 8},
                                         {4, 0, 8, 4},
                                         {0, 2, 4, 4},
                                         {2, 0, 4, 2},
                                         {0, 1, 2, 2},
                                         {1, 0, 2, 1}}};
constexpr std::array<Pass, 1> kWholeImage = {{{0, 0, 1, 1}}};

int PassSize(int full, int start, int step) {
  return full <= start ? 0 : (full - start + step - 1) / step;
}

bool DepthAllowed(int color_type, int depth) {
  switch (color_type) {
    case 0:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

Header ValidatedHeader(const TChunkIHDR& ihdr) {
  // Zero is accepted as an empty image; anything the format or the bitmap cannot hold is not.
  constexpr uint32_t kMaxDimension = 0x7FFFFFFF;
  if (ihdr.Width() > kMaxDimension || ihdr.Height() > kMaxDimension)
    RaisePNGError("Invalid PNG file header.");
  if (!DepthAllowed(ihdr.ColorType(), ihdr.BitDepth())) RaisePNGError("Invalid colour type.");
  if (ihdr.InterlaceMethod() > 1) RaisePNGError("Unknown interlace method.");
  return {static_cast<int>(ihdr.Width()), static_cast<int>(ihdr.Height()), ihdr.BitDepth(),
          ihdr.ColorType(), ihdr.InterlaceMethod() == 1};
}

plat::TPixelFormat PixelFormatFor(const Header& h) {
  if (h.color_type == 2 || h.color_type == 6) return plat::TPixelFormat::pf24bit;
  if (h.depth == 1) return plat::TPixelFormat::pf1bit;
  if (h.depth <= 4) return plat::TPixelFormat::pf4bit;
  return plat::TPixelFormat::pf8bit;
}

plat::TColorTable GreyPalette(const Header& h, TChunkGAMA* gamma) {
  int entries = h.depth == 16 ? 256 : 1 << h.depth;
  if (gamma) gamma->BuildTables();
  plat::TColorTable palette(entries);
  for (int k = 0; k < entries; ++k) {
    auto level = static_cast<uint8_t>(std::nearbyint(k * 255.0 / (entries - 1)));
    if (gamma) level = gamma->ReadingTable()[level];
    palette[k] = {level, level, level, 0};
  }
  return palette;
}

plat::TColorTable FilePalette(const TChunkPLTE* plte) {
  if (!plte) RaisePNGError("Palette missing.");
  const std::vector<uint8_t>& data = plte->ChunkData.Bytes();
  if (data.size() % 3 != 0 || data.size() > 256 * 3) RaisePNGError("Invalid palette.");
  plat::TColorTable palette(data.size() / 3);
  for (size_t i = 0; i < palette.size(); ++i)
    palette[i] = {data[3 * i + 2], data[3 * i + 1], data[3 * i], 0};
  return palette;
}

// 2-bit samples are stored as 4-bit values v * 5, so entry v * 5 of the 16 must show colour v.
void RepeatForTwoBitSamples(plat::TColorTable& palette) {
  palette.resize(4);
  for (int k = 4; k < 16; ++k) palette.push_back(palette[k % 4]);
}

plat::TColorTable PaletteFor(const Header& h, const TChunkList& chunks) {
  if (h.color_type == 2 || h.color_type == 6) return {};
  plat::TColorTable palette = h.color_type == 3 ? FilePalette(chunks.Find<TChunkPLTE>())
                                                : GreyPalette(h, chunks.Find<TChunkGAMA>());
  if (h.depth == 2) RepeatForTwoBitSamples(palette);
  return palette;
}

template <size_t N>
int64_t FilteredBytes(const Header& h, const std::array<Pass, N>& passes) {
  int64_t total = 0;
  for (const Pass& p : passes) {
    int64_t cols = PassSize(h.width, p.start_col, p.col_step);
    int64_t rows = PassSize(h.height, p.start_row, p.row_step);
    if (cols > 0) total += rows * (1 + h.RowBytes(cols));
  }
  return total;
}

uint8_t IndexSample(const uint8_t* src, int64_t i, int depth) {
  switch (depth) {
    case 16:
      return src[2 * i];
    case 8:
      return src[i];
    default: {
      int64_t bit = i * depth;
      return static_cast<uint8_t>((src[bit >> 3] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1));
    }
  }
}

// One pass row (count pixels) into bitmap row dst at columns first, first + step, ...
void ConvertRow(const Header& h, int dst_bits, const uint8_t* src, uint8_t* dst, int first,
                int step, int64_t count) {
  if (h.color_type == 2 || h.color_type == 6) {
    int sample = h.depth / 8;
    int pixel = h.Channels() * sample;
    for (int64_t i = 0; i < count; ++i) {
      const uint8_t* s = src + i * pixel;
      uint8_t* d = dst + (first + i * step) * 3;
      d[0] = s[2 * sample];
      d[1] = s[sample];
      d[2] = s[0];
    }
    return;
  }
  if (h.Channels() == 1 && step == 1 && h.depth == dst_bits) {
    std::memcpy(dst, src, static_cast<size_t>(h.RowBytes(count)));
    return;
  }
  const int pair = 2 * (h.depth / 8);  // grey+alpha: the grey sample's first byte leads each pair
  for (int64_t i = 0; i < count; ++i) {
    uint8_t v = h.color_type == 4 ? src[i * pair] : IndexSample(src, i, h.depth);
    plat::SetIndexAt(dst, first + i * step, dst_bits,
                     static_cast<uint8_t>(h.depth == 2 ? v * 5 : v));
  }
}

// ConvertRow with a faster way for whole rows of 8-bit red, green, blue: their bytes are
// swapped a block at a time into a row buffer, since the bitmap's rows have no room behind them
// for whole blocks, and copied over from there.
class RowConverter {
 public:
  RowConverter(const Header& h, int dst_bits, int64_t widest)
      : h_(h),
        dst_bits_(dst_bits),
        plain_rgb_(h.color_type == 2 && h.depth == 8),
        swapped_(plain_rgb_ ? widest : 0) {}

  void Convert(const uint8_t* src, uint8_t* dst, int first, int step, int64_t count) {
    if (!plain_rgb_ || step != 1) return ConvertRow(h_, dst_bits_, src, dst, first, step, count);
    SwapRedBlue(src, swapped_.Data(), 3 * count);
    std::memcpy(dst + int64_t{first} * 3, swapped_.Data(), static_cast<size_t>(3 * count));
  }

 private:
  const Header& h_;
  int dst_bits_;
  bool plain_rgb_;
  TRowBuffer swapped_;
};

}  // namespace

void TChunkIDAT::ProcessLoaded() {
  TPNGImage& image = Image();
  const Header h = ValidatedHeader(*OwnerList().Find<TChunkIHDR>());
  plat::TColorTable palette = PaletteFor(h, OwnerList());

  int64_t compressed = ChunkData.Size();
  int64_t needed = h.interlaced ? FilteredBytes(h, kAdam7) : FilteredBytes(h, kWholeImage);
  // An image the data present cannot fill is refused before anything is allocated.
  if (!plat::DataJustifies(compressed, needed, plat::best_ratio::kDeflate))
    RaisePNGError("Image data incomplete.");

  image.Clear();
  image.SetPixelFormat(PixelFormatFor(h));
  image.SetColorTable(palette);
  const int dst_bits = plat::BitsPerPixel(image.PixelFormat());
  // Rows of whole bytes are written whole, top to bottom, unless the image is interlaced; only
  // those need not be cleared first.
  const bool rows_written_whole = !h.interlaced && dst_bits >= 8;
  if (rows_written_whole)
    image.SetSizeForDecoding(h.width, h.height);
  else
    image.SetSize(h.width, h.height);
  const int filter_bpp = std::max(1, h.BitsPerPixel() / 8);

  plat::TReadOnlyMemoryStream source(ChunkData.Memory(), compressed);
  TZDecompressionStream inflater(source);
  const int64_t widest = h.RowBytes(h.width);
  // Each row is inflated with its filter type byte in front, into the byte before the data.
  TRowBuffer current(widest);
  TRowBuffer previous(widest);
  RowConverter converter(h, dst_bits, widest);

  int rows_done = 0;  // of the last pass
  auto decode_passes = [&](const auto& passes) {
    for (const Pass& p : passes) {
      int cols = PassSize(h.width, p.start_col, p.col_step);
      int rows = PassSize(h.height, p.start_row, p.row_step);
      if (cols == 0 || rows == 0) continue;
      int64_t row_bytes = h.RowBytes(cols);
      previous.Zero();
      rows_done = 0;
      for (int r = 0; r < rows; ++r) {
        uint8_t* row = current.Data();
        // Rows the data do not reach stay zero, and the load reports them.
        if (inflater.Read(row - 1, row_bytes + 1) != row_bytes + 1)
          RaisePNGError("Image data incomplete.");
        if (!Unfilter(row[-1], row, previous.Data(), row_bytes, filter_bpp))
          RaisePNGError("Unknown filter type.");
        converter.Convert(row, image.ScanLine(p.start_row + r * p.row_step), p.start_col,
                          p.col_step, cols);
        std::swap(current, previous);
        ++rows_done;
      }
    }
  };
  if (h.interlaced) {
    decode_passes(kAdam7);
    return;
  }
  try {
    decode_passes(kWholeImage);
  } catch (...) {
    if (rows_written_whole) image.ClearRowsFrom(rows_done);
    throw;
  }
}

}  // namespace pictavo
