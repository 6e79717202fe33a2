#include "control/formats/gif/gif_base.h"

#include <algorithm>
#include <cstring>

#include "control/formats/gif/gif_frame.h"
#include "control/formats/gif/gif_image.h"

namespace pictavo {

void RaiseGIFError(const std::string& message) {
  throw GIFException(message);
}

void ReadExact(plat::TStream& stream, void* buffer, int64_t count) {
  if (count <= 0) return;
  if (stream.Read(buffer, count) != count) RaiseGIFError("Premature end of data");
}

int ReadOneByte(plat::TStream& stream) {
  uint8_t value = 0;
  return stream.Read(&value, 1) == 1 ? value : -1;
}

void WriteOneByte(plat::TStream& stream, uint8_t value) {
  stream.WriteBuffer(&value, 1);
}

int BitsForColorCount(int n) {
  if (n <= 0) return 0;
  int bits = 1;
  while ((1 << bits) < n) ++bits;
  return bits;
}

void WriteStringsAsBlocks(plat::TStream& stream, const TStringList& strings) {
  for (const std::string& text : strings) {
    size_t done = 0;
    while (done < text.size()) {
      size_t n = std::min<size_t>(255, text.size() - done);
      WriteOneByte(stream, static_cast<uint8_t>(n));
      stream.WriteBuffer(text.data() + done, static_cast<int64_t>(n));
      done += n;
    }
  }
  WriteOneByte(stream, 0);
}

void ReadBlocksAsStrings(plat::TStream& stream, TStringList& strings) {
  strings.clear();
  for (int n = ReadOneByte(stream); n > 0; n = ReadOneByte(stream)) {
    char block[255];
    ReadExact(stream, block, n);
    strings.emplace_back(block, strnlen(block, static_cast<size_t>(n)));
  }
}

bool SkipSubBlocks(plat::TStream& stream) {
  // The size is asked once: for a file it costs a system call.
  const int64_t size = stream.Size();
  int n = ReadOneByte(stream);
  for (; n > 0; n = ReadOneByte(stream)) {
    if (n > size - stream.Position()) {
      stream.Seek(0, plat::SeekOrigin::End);
      return false;
    }
    stream.Seek(n, plat::SeekOrigin::Current);
  }
  return n == 0;
}

TSubBlockData MeasureSubBlocks(plat::TStream& stream) {
  const int64_t start = stream.Position();
  TSubBlockData data;
  data.terminated = SkipSubBlocks(stream);
  data.bytes = stream.Position() - start;
  stream.SetPosition(start);
  return data;
}

// ---- colour maps ----

void TGIFColorMap::ResetColors() {
  triples_.clear();
  triples_.shrink_to_fit();
  entry_count_ = 0;
  is_optimized_ = false;
}

plat::TColor TGIFColorMap::TripleToColor(const uint8_t* triple) {
  return plat::RGB(triple[0], triple[1], triple[2]);
}

void TGIFColorMap::ColorToTriple(plat::TColor color, uint8_t* triple) {
  triple[0] = plat::GetRValue(color);
  triple[1] = plat::GetGValue(color);
  triple[2] = plat::GetBValue(color);
}

void TGIFColorMap::WriteEntries(plat::TStream& stream) const {
  if (entry_count_ == 0) return;
  stream.WriteBuffer(triples_.data(), int64_t{entry_count_} * 3);
  // A table always has a power-of-two size of at least 2.
  int padding = (1 << std::max(1, IndexBits())) - entry_count_;
  static const uint8_t kBlack[3] = {0, 0, 0};
  for (int i = 0; i < padding; ++i) stream.WriteBuffer(kBlack, 3);
}

void TGIFColorMap::ReadEntries(plat::TStream& stream, int count) {
  ResetColors();
  ReserveEntries(count);
  ReadExact(stream, triples_.data(), int64_t{count} * 3);
  entry_count_ = count;
}

int TGIFColorMap::FindColor(plat::TColor color) const {
  uint8_t wanted[3];
  ColorToTriple(color, wanted);
  auto matches = [&](int i) { return std::memcmp(&triples_[size_t(i) * 3], wanted, 3) == 0; };
  if (is_optimized_) {
    for (int i = 0; i < entry_count_; ++i)
      if (matches(i)) return i;
  } else {
    for (int i = entry_count_ - 1; i >= 0; --i)
      if (matches(i)) return i;
  }
  return -1;
}

void TGIFColorMap::ReserveEntries(int count) {
  if (count < AllocatedEntries()) return;
  int allocated = count <= 16 ? 16 : std::min(256, (count + 31) / 32 * 32);
  triples_.resize(static_cast<size_t>(allocated) * 3, 0);
}

void TGIFColorMap::LoadFromPalette(const plat::TColorTable& palette) {
  ResetColors();
  int count = std::min<int>(256, static_cast<int>(palette.size()));
  if (count == 0) return;
  LoadFromQuads(palette.data(), count);
}

void TGIFColorMap::LoadFromTriples(const uint8_t* table, int count) {
  // The table may be our own block: copy it before anything is freed.
  std::vector<uint8_t> copy(table, table + 768);
  ResetColors();
  if (count <= 0) return;
  count = std::min(count, 256);
  ReserveEntries(count);
  entry_count_ = count;
  std::memcpy(triples_.data(), copy.data(), static_cast<size_t>(count) * 3);
  NotifyChanged();
}

void TGIFColorMap::LoadFromQuads(const plat::TRGBQuad* table, int count) {
  std::vector<plat::TRGBQuad> copy(table, table + std::max(count, 0));
  ResetColors();
  if (count <= 0) return;
  count = std::min(count, 256);
  ReserveEntries(count);
  for (int i = 0; i < count; ++i)
    ColorToTriple(copy[size_t(i)].ToColor(), &triples_[size_t(i) * 3]);
  entry_count_ = count;
  NotifyChanged();
}

void TGIFColorMap::LoadFirst16Quads(const plat::TRGBQuad* table) {
  std::vector<plat::TRGBQuad> copy(table, table + 16);
  ResetColors();
  ReserveEntries(16);
  for (int i = 0; i < 16; ++i) ColorToTriple(copy[size_t(i)].ToColor(), &triples_[size_t(i) * 3]);
  entry_count_ = 16;
  NotifyChanged();
}

plat::TColorTable TGIFColorMap::MakePalette() const {
  plat::TColorTable palette;
  for (int i = 0; i < entry_count_; ++i)
    palette.push_back(plat::TRGBQuad::FromColor(TripleToColor(&triples_[size_t(i) * 3])));
  return palette;
}

int TGIFColorMap::AppendColor(plat::TColor color) {
  if (entry_count_ >= 256) RaiseGIFError("Color table overflow");
  if (entry_count_ >= AllocatedEntries()) ReserveEntries(entry_count_ + 1);
  ColorToTriple(color, &triples_[size_t(entry_count_) * 3]);
  ++entry_count_;
  is_optimized_ = false;
  NotifyChanged();
  return entry_count_ - 1;
}

int TGIFColorMap::FindOrAppendColor(plat::TColor color) {
  int index = FindColor(color);
  return index >= 0 ? index : AppendColor(color);
}

void TGIFColorMap::RemoveColor(int index) {
  if (index < 0 || index >= entry_count_) RaiseGIFError("Invalid color index");
  triples_.erase(triples_.begin() + index * 3, triples_.begin() + index * 3 + 3);
  triples_.insert(triples_.end(), 3, 0);
  --entry_count_;
  is_optimized_ = false;
  NotifyChanged();
}

plat::TColor TGIFColorMap::ColorAt(int index) {
  if (index < 0 || index >= entry_count_) {
    ReportWarning(kGIFWarning, "Invalid color index");
    if (entry_count_ == 0) RaiseGIFError("Color table is empty");
    index = 0;
  }
  return TripleToColor(&triples_[size_t(index) * 3]);
}

void TGIFColorMap::Assign(const TGIFColorMap& source) {
  if (&source == this) return;
  ResetColors();
  triples_.assign(source.triples_.size(), 0);
  // An empty map may have no storage at all.
  if (source.entry_count_ > 0)
    std::memcpy(triples_.data(), source.triples_.data(), size_t(source.entry_count_) * 3);
  entry_count_ = source.entry_count_;
  is_optimized_ = source.is_optimized_;
  NotifyChanged();
}

namespace {

// Largest count first; the partition scheme fixes where equal counts end up.
void SortPairs(TUsageHistogram& pairs, int lo, int hi) {
  int i, j;
  do {
    i = lo;
    j = hi;
    uint32_t pivot = pairs[size_t(lo + hi) / 2].UseCount;
    do {
      while (pairs[size_t(i)].UseCount > pivot) ++i;
      while (pairs[size_t(j)].UseCount < pivot) --j;
      if (i <= j) {
        std::swap(pairs[size_t(i)], pairs[size_t(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (lo < j) SortPairs(pairs, lo, j);
    lo = i;
  } while (i < hi);
}

}  // namespace

bool TGIFColorMap::SortByUsage() {
  if (entry_count_ <= 1) return false;
  is_optimized_ = true;
  TUsageHistogram pairs{};
  for (int i = 0; i < entry_count_; ++i) pairs[size_t(i)] = {0, i};
  CountUsage(pairs);
  SortPairs(pairs, 0, entry_count_ - 1);
  bool unchanged = true;
  for (int i = 0; i < entry_count_; ++i) unchanged &= pairs[size_t(i)].SourceIndex == i;
  if (unchanged) return true;

  TRemapTable table{};
  for (int i = 0; i < entry_count_; ++i) table[size_t(pairs[size_t(i)].SourceIndex)] = uint8_t(i);
  RemapPixels(table);
  std::vector<uint8_t> sorted(triples_.size(), 0);
  int used = entry_count_;
  for (int i = 0; i < entry_count_; ++i) {
    std::memcpy(&sorted[size_t(i) * 3], &triples_[size_t(pairs[size_t(i)].SourceIndex) * 3], 3);
    if (pairs[size_t(i)].UseCount == 0 && used == entry_count_) used = i;
  }
  triples_ = std::move(sorted);
  entry_count_ = used;
  NotifyChanged();
  return true;
}

namespace {

// Every frame whose active colour map is `map`.
template <class Fn>
void ForFramesUsing(TGIFImage* image, const TGIFColorMap* map, Fn fn) {
  if (!image) return;
  for (int i = 0; i < image->Frames().ItemCount(); ++i) {
    TGIFSubImage* frame = image->Frames().FrameAt(i);
    if (&frame->ActiveColorMap() == map) fn(*frame);
  }
}

void CountFramePixels(const TGIFSubImage& frame, TUsageHistogram& histogram) {
  for (uint8_t p : frame.PixelData()) ++histogram[p].UseCount;
}

}  // namespace

void TGIFGlobalColorMap::ReportWarning(int severity, const std::string& message) {
  owner_->ReportWarning(severity, message);
}

void TGIFGlobalColorMap::CountUsage(TUsageHistogram& histogram) {
  ForFramesUsing(owner_->OwnerImage(), this,
                 [&](TGIFSubImage& frame) { CountFramePixels(frame, histogram); });
}

void TGIFGlobalColorMap::RemapPixels(const TRemapTable& map) {
  ForFramesUsing(owner_->OwnerImage(), this, [&](TGIFSubImage& frame) { frame.RemapPixels(map); });
}

bool TGIFGlobalColorMap::SortByUsage() {
  TGIFImage* image = owner_->OwnerImage();
  if (!image || image->Frames().ItemCount() == 0) return false;
  return TGIFColorMap::SortByUsage();
}

void TGIFGlobalColorMap::NotifyChanged() {
  if (owner_->OwnerImage()) owner_->OwnerImage()->PaletteChanged();
}

void TGIFLocalColorMap::ReportWarning(int severity, const std::string& message) {
  owner_->ReportWarning(severity, message);
}

void TGIFLocalColorMap::CountUsage(TUsageHistogram& histogram) {
  CountFramePixels(*owner_, histogram);
}

void TGIFLocalColorMap::RemapPixels(const TRemapTable& map) {
  owner_->RemapPixels(map);
}

void TGIFLocalColorMap::NotifyChanged() {
  owner_->PaletteChanged();
}

// ---- items ----

void TGIFItem::ReportWarning(int severity, const std::string& message) {
  if (owner_image_) owner_image_->ReportWarning(this, severity, message);
}

void TGIFItem::WriteToFile(const std::string& path) {
  plat::WriteFileReplacing(path, [this](plat::TStream& stream) { SaveToStream(stream); });
}

void TGIFItem::ReadFromFile(const std::string& path) {
  plat::TFileStream stream(path, plat::FileMode::OpenRead);
  LoadFromStream(stream);
}

void TGIFHeader::ResetHeader() {
  global_map_.ResetColors();
  LogicalScreenWidth = LogicalScreenHeight = 0;
  PackedFields = BackgroundColorIndex = PixelAspectRatio = 0;
}

void TGIFHeader::PrepareFlags() {
  TGIFImage* image = OwnerImage();
  int resolution = image ? image->MaxColorResolution() : std::max(0, ResolutionField());
  bool has_map = global_map_.EntryCount() > 0;
  int bits = has_map || !image ? IndexBits() : image->MaxBitsPerPixel();
  uint8_t flags = has_map ? (global_map_.IsOptimized() ? 0x88 : 0x80) : 0;
  PackedFields = static_cast<uint8_t>(flags | ((resolution << 4) & 0x70) | ((bits - 1) & 7));
}

void TGIFHeader::SaveToStream(plat::TStream& stream) {
  int version = OwnerImage() ? OwnerImage()->RequiredVersion() : NeededVersion();
  if (version == verNone) RaiseGIFError("Unsupported GIF version");
  PrepareFlags();
  stream.WriteBuffer(version == ver87a ? "GIF87a" : "GIF89a", 6);
  uint8_t descriptor[7] = {uint8_t(LogicalScreenWidth),
                           uint8_t(LogicalScreenWidth >> 8),
                           uint8_t(LogicalScreenHeight),
                           uint8_t(LogicalScreenHeight >> 8),
                           PackedFields,
                           BackgroundColorIndex,
                           PixelAspectRatio};
  stream.WriteBuffer(descriptor, 7);
  if (PackedFields & 0x80) global_map_.WriteEntries(stream);
}

namespace {

bool StartsWithGIF(const uint8_t* signature) {
  return std::toupper(signature[0]) == 'G' && std::toupper(signature[1]) == 'I' &&
         std::toupper(signature[2]) == 'F';
}

}  // namespace

void TGIFHeader::LoadFromStream(plat::TStream& stream) {
  int64_t start = stream.Position();
  uint8_t signature[6];
  ReadExact(stream, signature, 6);
  if (!StartsWithGIF(signature)) {
    // Some writers put a 4-byte prefix in front of the signature.
    stream.SetPosition(start + 4);
    ReadExact(stream, signature, 6);
    if (!StartsWithGIF(signature)) RaiseGIFError("Invalid GIF signature");
  }
  uint8_t descriptor[7];
  ReadExact(stream, descriptor, 7);
  LogicalScreenWidth = uint16_t(descriptor[0] | descriptor[1] << 8);
  LogicalScreenHeight = uint16_t(descriptor[2] | descriptor[3] << 8);
  PackedFields = descriptor[4];
  BackgroundColorIndex = descriptor[5];
  PixelAspectRatio = descriptor[6];
  if (PackedFields & 0x80)
    global_map_.ReadEntries(stream, 2 << (PackedFields & 7));
  else
    global_map_.ResetColors();
}

int TGIFHeader::NeededVersion() const {
  return global_map_.IsOptimized() || PixelAspectRatio != 0 ? ver89a : ver87a;
}

plat::TColor TGIFHeader::BackgroundColor() {
  return global_map_.ColorAt(BackgroundColorIndex);
}

void TGIFHeader::Assign(const TGIFHeader& source) {
  if (&source == this) return;
  global_map_.Assign(source.global_map_);
  LogicalScreenWidth = source.LogicalScreenWidth;
  LogicalScreenHeight = source.LogicalScreenHeight;
  PackedFields = source.PackedFields;
  BackgroundColorIndex = source.BackgroundColorIndex;
  PixelAspectRatio = source.PixelAspectRatio;
}

void TGIFHeader::Assign(const TGIFColorMap& source) {
  ResetHeader();
  global_map_.Assign(source);
}

void TGIFTrailer::SaveToStream(plat::TStream& stream) {
  WriteOneByte(stream, ';');
}

void TGIFTrailer::LoadFromStream(plat::TStream& stream) {
  int value = ReadOneByte(stream);
  if (value >= 0 && value != ';') ReportWarning(kGIFWarning, "Invalid Image trailer");
}

}  // namespace pictavo
