#include "control/formats/png/png_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <ctime>

#include "control/formats/png/png_image.h"

namespace pictavo {

namespace {

constexpr const char* kPngTruncated = "The file ends inside a chunk.";

}  // namespace

void RaisePNGError(const std::string& text) {
  throw EPNGImageException("PNG Error\r\n\r\n" + text);
}

uint32_t ChunkCRC(const std::string& type, const uint8_t* data, size_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(type.data()), static_cast<uInt>(type.size()));
  // zlib counts in 32 bits (a chunk holds at most 2^31 - 1 bytes) and answers a null buffer,
  // as an empty vector may give, with the initial value.
  if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
  return static_cast<uint32_t>(crc);
}

void WriteBE32(plat::TStream& stream, uint32_t v) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  stream.WriteBuffer(bytes, 4);
}

namespace {

uint32_t BE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void PutBE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// Longest chunk the PNG standard allows.
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;

}  // namespace

// ---------------------------------------------------------------------------------------------
// TChunk

TChunk::TChunk(TChunkList& owner) : owner_(&owner) {}

TPNGImage& TChunk::Image() const {
  return owner_->Image();
}

bool TChunk::IsCritical() const {
  return ChunkType.size() == 4 && (ChunkType[0] & 0x20) == 0;
}

bool TChunk::IsSafeToCopy() const {
  return ChunkType.size() == 4 && (ChunkType[3] & 0x20) != 0;
}

bool TChunk::KeptOnWrite() const {
  return IsCritical() || IsSafeToCopy();
}

void TChunk::CopyFrom(const TChunk& source) {
  ChunkType = source.ChunkType;
  ChunkData.Clear();
  ChunkData.WriteBuffer(source.ChunkData.Bytes().data(),
                        static_cast<int64_t>(source.ChunkData.Bytes().size()));
}

void TChunk::WriteChunk(plat::TStream& stream) {
  const std::vector<uint8_t>& data = ChunkData.Bytes();
  WriteBE32(stream, static_cast<uint32_t>(data.size()));
  stream.WriteBuffer(ChunkType.data(), 4);
  stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  WriteBE32(stream, ChunkCRC(ChunkType, data.data(), data.size()));
}

uint32_t TChunk::DataBE32(int offset) const {
  const std::vector<uint8_t>& data = ChunkData.Bytes();
  return offset + 4 <= static_cast<int>(data.size()) ? BE32(data.data() + offset) : 0;
}

void TChunk::SetDataBE32(int offset, uint32_t value) {
  if (offset + 4 <= ChunkData.Size()) PutBE32(ChunkData.Memory() + offset, value);
}

uint8_t TChunk::DataByte(int offset) const {
  const std::vector<uint8_t>& data = ChunkData.Bytes();
  return offset < static_cast<int>(data.size()) ? data[offset] : 0;
}

void TChunk::SetDataByte(int offset, uint8_t value) {
  if (offset < ChunkData.Size()) ChunkData.Memory()[offset] = value;
}

void TChunk::SetDataSize(int size) {
  ChunkData.Clear();
  ChunkData.SetSize(size);
}

// ---------------------------------------------------------------------------------------------
// IHDR

TChunkIHDR::TChunkIHDR(TChunkList& owner) : TChunk(owner) {
  SetDataSize(kDataSize);
}

void TChunkIHDR::SetWidth(uint32_t value) {
  SetDataBE32(0, value);
  if (static_cast<uint32_t>(Image().Width()) != value) Image().SetWidth(static_cast<int>(value));
}

void TChunkIHDR::SetHeight(uint32_t value) {
  SetDataBE32(4, value);
  if (static_cast<uint32_t>(Image().Height()) != value) Image().SetHeight(static_cast<int>(value));
}

void TChunkIHDR::WriteChunk(plat::TStream& stream) {
  const TPNGImage& image = Image();
  SetDataSize(kDataSize);
  SetWidth(static_cast<uint32_t>(image.Width()));
  SetHeight(static_cast<uint32_t>(image.Height()));
  int bits = plat::BitsPerPixel(image.PixelFormat());
  bool indexed = plat::PaletteSizeOf(image.PixelFormat()) > 0;
  SetColorType(indexed ? 3 : 2);
  SetBitDepth(static_cast<uint8_t>(indexed ? bits : 8));
  SetInterlaceMethod(image.InterlaceFlag() ? 1 : 0);
  TChunk::WriteChunk(stream);
}

// ---------------------------------------------------------------------------------------------
// PLTE

namespace {

// The palette as a file can carry it: an indexed image's pixels address at most 2^bits entries,
// and a suggested palette of a truecolour image has at most 256.
plat::TColorTable WrittenPalette(const TPNGImage& image) {
  plat::TColorTable palette = image.Palette();
  size_t limit = plat::PaletteSizeOf(image.PixelFormat());
  palette.resize(std::min(palette.size(), limit > 0 ? limit : size_t{256}));
  return palette;
}

}  // namespace

void TChunkPLTE::WriteChunk(plat::TStream& stream) {
  plat::TColorTable palette = WrittenPalette(Image());
  if (palette.empty()) return;
  SetDataSize(static_cast<int>(palette.size() * 3));
  uint8_t* out = ChunkData.Memory();
  for (const plat::TRGBQuad& entry : palette) {
    *out++ = entry.rgbRed;
    *out++ = entry.rgbGreen;
    *out++ = entry.rgbBlue;
  }
  TChunk::WriteChunk(stream);
}

// ---------------------------------------------------------------------------------------------
// tRNS

void TChunkTRNS::WriteChunk(plat::TStream& stream) {
  const TPNGImage& image = Image();
  const TChunkIHDR* header = OwnerList().Find<TChunkIHDR>();
  plat::TColor color = image.TransparentColor;
  ChunkData.Clear();
  if (header && header->ColorType() == 3) {
    for (const plat::TRGBQuad& entry : WrittenPalette(image)) {
      bool match = entry.ToColor() == (color & 0xFFFFFF);
      ChunkData.WriteByte(match ? 0 : 255);
      if (match) break;
    }
  } else {
    for (uint8_t sample :
         {plat::GetRValue(color), plat::GetGValue(color), plat::GetBValue(color)}) {
      ChunkData.WriteByte(0);
      ChunkData.WriteByte(sample);
    }
  }
  TChunk::WriteChunk(stream);
}

// ---------------------------------------------------------------------------------------------
// gAMA

TChunkGAMA::TChunkGAMA(TChunkList& owner) : TChunk(owner) {
  SetDataSize(4);
  SetGamma(100000);
}

void TChunkGAMA::SetGamma(uint32_t value) {
  SetDataBE32(0, value);
  BuildTables();
}

void TChunkGAMA::ProcessLoaded() {
  BuildTables();
}

void TChunkGAMA::CopyFrom(const TChunk& source) {
  TChunk::CopyFrom(source);
  if (const auto* gamma = dynamic_cast<const TChunkGAMA*>(&source)) {
    reading_ = gamma->reading_;
    writing_ = gamma->writing_;
  }
}

void TChunkGAMA::BuildTables() {
  double exponent = 1.0 / (2.2 * (Gamma() / 100000.0));
  std::array<bool, 256> hit{};
  for (int i = 0; i < 256; ++i) {
    reading_[i] = static_cast<uint8_t>(std::nearbyint(255.0 * std::pow(i / 255.0, exponent)));
    writing_[reading_[i]] = static_cast<uint8_t>(i);
    hit[reading_[i]] = true;
  }
  // Values the reading curve skips over still need an inverse, or they would be written as 0:
  // each takes the input whose reading value lies nearest (the lower one on a tie).
  for (int v = 0; v < 256; ++v) {
    if (hit[v]) continue;
    int below = v, above = v;
    while (below >= 0 && !hit[below]) --below;
    while (above < 256 && !hit[above]) ++above;
    bool use_below = below >= 0 && (above >= 256 || v - below <= above - v);
    writing_[v] = writing_[use_below ? below : above];
  }
}

// ---------------------------------------------------------------------------------------------
// tEXt, tIME

TChunkTEXT::TChunkTEXT(TChunkList& owner) : TChunk(owner) {
  ChunkType = "tEXt";
  SetDataSize(2);
}

TChunkTIME::TChunkTIME(TChunkList& owner) : TChunk(owner) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  SetDataSize(7);
  uint8_t* p = ChunkData.Memory();
  int year = local.tm_year + 1900;
  p[0] = static_cast<uint8_t>(year >> 8);
  p[1] = static_cast<uint8_t>(year);
  p[2] = static_cast<uint8_t>(local.tm_mon + 1);
  p[3] = static_cast<uint8_t>(local.tm_mday);
  p[4] = static_cast<uint8_t>(local.tm_hour);
  p[5] = static_cast<uint8_t>(local.tm_min);
  p[6] = static_cast<uint8_t>(local.tm_sec);
}

// ---------------------------------------------------------------------------------------------
// Registry

const TChunkClasses::Entry& TChunkClasses::Item(int index) const {
  if (index < 0 || index >= Count()) RaisePNGError("Chunk class index out of range.");
  return entries_[index];
}

const TChunkClasses::Entry* TChunkClasses::FindType(const std::string& type) const {
  for (const Entry& entry : entries_)
    if (entry.type == type) return &entry;
  return nullptr;
}

const TChunkClasses::Entry* TChunkClasses::FindClass(std::type_index cls) const {
  for (const Entry& entry : entries_)
    if (entry.cls == cls) return &entry;
  return nullptr;
}

const TChunkClasses& RegisteredChunkClasses() {
  static const TChunkClasses classes = [] {
    TChunkClasses c;
    c.Register<TChunkIEND>("IEND");
    c.Register<TChunkIHDR>("IHDR");
    c.Register<TChunkGAMA>("gAMA");
    c.Register<TChunkIDAT>("IDAT");
    c.Register<TChunkPLTE>("PLTE");
    c.Register<TChunkTEXT>("tEXt");
    c.Register<TChunkTIME>("tIME");
    c.Register<TChunkTRNS>("tRNS");
    return c;
  }();
  return classes;
}

// ---------------------------------------------------------------------------------------------
// TChunkList

TChunk& TChunkList::Item(int index) const {
  if (index < 0 || index >= Count()) RaisePNGError("Chunk index out range.");
  return *chunks_[index];
}

void TChunkList::Move(int from, int to) {
  Item(from);
  Item(to);
  auto chunk = std::move(chunks_[from]);
  chunks_.erase(chunks_.begin() + from);
  chunks_.insert(chunks_.begin() + to, std::move(chunk));
}

int TChunkList::IndexOf(const TChunk& chunk) const {
  for (int i = 0; i < Count(); ++i)
    if (chunks_[i].get() == &chunk) return i;
  return -1;
}

int TChunkList::IndexOfClass(std::type_index cls) const {
  for (int i = 0; i < Count(); ++i)
    if (const TChunk& chunk = *chunks_[i]; std::type_index(typeid(chunk)) == cls) return i;
  return -1;
}

TChunk& TChunkList::Add(std::type_index cls) {
  const TChunkClasses::Entry* entry = RegisteredChunkClasses().FindClass(cls);
  if (!entry) return Add(std::make_unique<TChunk>(*this));
  std::unique_ptr<TChunk> chunk = entry->create(*this);
  chunk->ChunkType = entry->type;
  return Add(std::move(chunk));
}

TChunk& TChunkList::Add(std::unique_ptr<TChunk> chunk) {
  chunks_.push_back(std::move(chunk));
  return *chunks_.back();
}

void TChunkList::Remove(TChunk& chunk) {
  int index = IndexOf(chunk);
  if (index < 0) RaisePNGError("The chunk is not in the chunk list.");
  chunks_.erase(chunks_.begin() + index);
}

void TChunkList::Clear() {
  while (!chunks_.empty()) chunks_.pop_back();
}

TChunk& TChunkList::ReadChunk(plat::TStream& stream) {
  uint8_t head[8];
  if (stream.Remaining() < 8) RaisePNGError(kPngTruncated);
  stream.ReadBuffer(head, 8);
  uint32_t length = BE32(head);
  std::string type(reinterpret_cast<const char*>(head + 4), 4);
  // The data and the CRC must both be there before anything is allocated for them.
  if (length > kMaxChunkLength) RaisePNGError("Chunk length out of range.");
  if (int64_t{length} + 4 > stream.Remaining()) RaisePNGError(kPngTruncated);

  const TChunkClasses::Entry* entry = RegisteredChunkClasses().FindType(type);
  if (!entry && (head[4] & 0x20) == 0) RaisePNGError("Unknown critical chunk.");
  std::unique_ptr<TChunk> chunk = entry ? entry->create(*this) : std::make_unique<TChunk>(*this);
  chunk->ChunkType = type;
  chunk->ChunkData.Clear();
  chunk->ChunkData.SetSize(length);
  stream.ReadBuffer(chunk->ChunkData.Memory(), length);

  uint8_t crc[4];
  stream.ReadBuffer(crc, 4);
  if (BE32(crc) != ChunkCRC(type, chunk->ChunkData.Memory(), length)) RaisePNGError("CRC Error.");

  if (auto* first = Find<TChunkIDAT>(); first && dynamic_cast<TChunkIDAT*>(chunk.get())) {
    first->ChunkData.Seek(0, plat::SeekOrigin::End);
    first->ChunkData.WriteBuffer(chunk->ChunkData.Memory(), length);
    return *first;
  }
  return Add(std::move(chunk));
}

}  // namespace pictavo
