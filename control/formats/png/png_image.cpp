#include "control/formats/png/png_image.h"

#include <algorithm>
#include <cstring>

namespace pictavo {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

uint16_t SampleAt(const TChunk& chunk, size_t offset) {
  const std::vector<uint8_t>& data = chunk.ChunkData.Bytes();
  return static_cast<uint16_t>((data[offset] << 8) | data[offset + 1]);
}

// A 16-bit sample as the decoder keeps it: the high byte at depth 16, the low byte below.
uint8_t ReducedSample(uint16_t sample, int depth) {
  return static_cast<uint8_t>(depth == 16 ? sample >> 8 : sample);
}

bool IsIndexed(const plat::TBitmap& bitmap) {
  return plat::PaletteSizeOf(bitmap.PixelFormat()) > 0;
}

}  // namespace

TPNGImage::TPNGImage() : chunks_(*this) {
  ResetToDefaults();
}

TPNGImage::~TPNGImage() = default;

void TPNGImage::ResetToDefaults() {
  chunks_.Clear();
  TChunkIHDR& header = chunks_.Add<TChunkIHDR>();
  header.SetBitDepth(2);
  header.SetColorType(3);
  SetColorTable({});
  chunks_.Add<TChunkIDAT>();
  chunks_.Add<TChunkIEND>();
}

// ---------------------------------------------------------------------------------------------
// Loading

void TPNGImage::LoadFromStream(plat::TStream& stream) {
  ResetToDefaults();
  chunks_.Clear();
  HasTransparentColor = false;
  TransparentColor = 0;

  uint8_t signature[8] = {};
  if (stream.Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0)
    RaisePNGError("Invalid PNG file header.");
  ReadChunks(stream);
  CheckChunkOrder();
  for (int i = 0; i < chunks_.Count(); ++i) chunks_.Item(i).ProcessLoaded();
  TakeTransparentColor();
  Changed();
}

void TPNGImage::ReadChunks(plat::TStream& stream) {
  while (stream.Position() < stream.Size()) {
    if (dynamic_cast<TChunkIEND*>(&chunks_.ReadChunk(stream))) break;
  }
}

void TPNGImage::CheckChunkOrder() const {
  if (chunks_.Count() == 0 || !dynamic_cast<TChunkIHDR*>(&chunks_.Item(0)) ||
      chunks_.Item(0).ChunkData.Size() < TChunkIHDR::kDataSize)
    RaisePNGError("PNG header missing or out of order.");
  if (!chunks_.Find<TChunkIDAT>()) RaisePNGError("No image data present.");
}

void TPNGImage::TakeTransparentColor() {
  const TChunkTRNS* trns = chunks_.Find<TChunkTRNS>();
  if (!trns) return;
  const TChunkIHDR& header = *chunks_.Find<TChunkIHDR>();
  int depth = header.BitDepth();
  size_t size = trns->ChunkData.Bytes().size();
  const plat::TColorTable& palette = Palette();
  switch (header.ColorType()) {
    case 0: {
      // One grey sample; the colour is what the decoded grey palette shows for it.
      if (size < 2 || palette.empty()) return;
      uint16_t sample = SampleAt(*trns, 0);
      size_t index = depth == 16 ? sample >> 8 : sample & ((1u << depth) - 1);
      if (index >= palette.size()) return;
      TransparentColor = palette[index].ToColor();
      break;
    }
    case 2:
      if (size < 6) return;
      TransparentColor = plat::RGB(ReducedSample(SampleAt(*trns, 0), depth),
                                   ReducedSample(SampleAt(*trns, 2), depth),
                                   ReducedSample(SampleAt(*trns, 4), depth));
      break;
    case 3: {
      const std::vector<uint8_t>& alpha = trns->ChunkData.Bytes();
      size_t count = std::min({alpha.size(), palette.size(), size_t{256}});
      auto zero = std::find(alpha.begin(), alpha.begin() + count, 0);
      TransparentColor =
          zero == alpha.begin() + count ? 0 : palette[zero - alpha.begin()].ToColor();
      break;
    }
    case 4:
    case 6:
      return;  // an alpha channel leaves no room for tRNS; readers ignore it
    default:
      RaisePNGError("Invalid colour type.");
  }
  HasTransparentColor = true;
}

// ---------------------------------------------------------------------------------------------
// Saving

void TPNGImage::SaveToStream(plat::TStream& stream) const {
  // The chunk list is arranged and the pixels possibly converted on a working copy, so saving
  // leaves this image as it was.
  TPNGImage work;
  work.CopyChunks(*this);
  work.HasTransparentColor = HasTransparentColor;
  work.TransparentColor = TransparentColor;
  work.TBitmap::Assign(*this);
  // Only 1-, 4- and 8-bit images with a palette are written indexed: without a palette the
  // file would lack the PLTE chunk its colour type requires.
  if (!(IsIndexed(work) && !work.Palette().empty()))
    work.SetPixelFormat(plat::TPixelFormat::pf24bit);

  stream.WriteBuffer(kSignature, 8);
  work.ArrangeChunksForWriting();
  work.WriteChunks(stream);
}

void TPNGImage::ArrangeChunksForWriting() {
  if (chunks_.Count() == 0) ResetToDefaults();
  if (chunks_.Count() == 0 || !dynamic_cast<TChunkIHDR*>(&chunks_.Item(0))) {
    chunks_.Add<TChunkIHDR>();
    chunks_.Move(chunks_.Count() - 1, 0);
  }
  if (IsIndexed(*this) && !chunks_.Find<TChunkPLTE>()) {
    chunks_.Add<TChunkPLTE>();
    chunks_.Move(chunks_.Count() - 1, 1);
    // gAMA must precede PLTE.
    if (int gamma = chunks_.IndexOfClass(typeid(TChunkGAMA)); gamma > 1) chunks_.Move(gamma, 1);
  }
  while (TChunkTRNS* trns = chunks_.Find<TChunkTRNS>()) chunks_.Remove(*trns);
  if (HasTransparentColor) {
    chunks_.Add<TChunkTRNS>();
    int palette = chunks_.IndexOfClass(typeid(TChunkPLTE));
    chunks_.Move(chunks_.Count() - 1, palette >= 0 ? palette + 1 : 1);
  }
  if (!chunks_.Find<TChunkIEND>()) chunks_.Add<TChunkIEND>();
  if (!chunks_.Find<TChunkIDAT>()) {
    // Right before IEND, so it follows PLTE and tRNS as the format requires.
    chunks_.Add<TChunkIDAT>();
    chunks_.Move(chunks_.Count() - 1, chunks_.IndexOfClass(typeid(TChunkIEND)));
  }
}

void TPNGImage::WriteChunks(plat::TStream& stream) {
  for (int i = 0; i < chunks_.Count(); ++i) {
    TChunk& chunk = chunks_.Item(i);
    if (chunk.KeptOnWrite()) chunk.WriteChunk(stream);
  }
}

// ---------------------------------------------------------------------------------------------
// Copying

void TPNGImage::CopyChunks(const TPNGImage& source) {
  chunks_.Clear();
  for (int i = 0; i < source.chunks_.Count(); ++i) {
    const TChunk& original = source.chunks_.Item(i);
    chunks_.Add(typeid(original)).CopyFrom(original);
  }
  filter_set_ = source.filter_set_ | 1;
  interlace_flag_ = source.interlace_flag_;
}

void TPNGImage::Assign(const plat::TGraphic& source) {
  if (const auto* png = dynamic_cast<const TPNGImage*>(&source)) CopyChunks(*png);
  TBitmap::Assign(source);
}

}  // namespace pictavo
