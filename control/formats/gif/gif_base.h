#pragma once
// The skeleton every GIF block shares: the unit's exception and stream helpers, colour tables,
// the item and list base classes, the header and the trailer.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/color.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

class TGIFImage;
class TGIFHeader;
class TGIFSubImage;

class GIFException : public plat::EInvalidGraphic {
 public:
  explicit GIFException(const std::string& message) : plat::EInvalidGraphic(message) {}
};

[[noreturn]] void RaiseGIFError(const std::string& message);

// Every warning of the unit has this severity.
constexpr int kGIFWarning = 1;

// A frame, or the picture of the logical screen, may always take this many pixels; beyond it,
// only as many as the data present can describe.
constexpr int64_t kGIFPixelsWithoutData = plat::kCutShortAllowance;

enum TGIFVersion { verNone = 0, ver87a = 1, ver89a = 2 };

using TStringList = std::vector<std::string>;

// Reads exactly count bytes or raises "Premature end of data".
void ReadExact(plat::TStream& stream, void* buffer, int64_t count);
// The next byte, or -1 at the end of the stream.
int ReadOneByte(plat::TStream& stream);
void WriteOneByte(plat::TStream& stream, uint8_t value);
// Smallest b >= 1 with 2^b >= n; 0 for n = 0.
int BitsForColorCount(int n);
// Text as data sub-blocks: each string starts a new sub-block; one zero length ends the run.
void WriteStringsAsBlocks(plat::TStream& stream, const TStringList& strings);
void ReadBlocksAsStrings(plat::TStream& stream, TStringList& strings);
// Skips data sub-blocks up to and including the zero length (or the end of the stream); false
// when the stream ends before the zero length.
bool SkipSubBlocks(plat::TStream& stream);

// The bytes a chain of data sub-blocks takes from the current position, and whether it ends
// with its zero length before the end of the stream. The position is kept.
struct TSubBlockData {
  int64_t bytes = 0;
  bool terminated = false;
};
TSubBlockData MeasureSubBlocks(plat::TStream& stream);

// One use count per colour-table entry, with the entry it counts for.
struct TUsagePair {
  uint32_t UseCount = 0;
  int32_t SourceIndex = 0;
};
using TUsageHistogram = std::array<TUsagePair, 256>;
using TRemapTable = std::array<uint8_t, 256>;

// One GIF colour table. Colours are exchanged as 0x00BBGGRR values.
class TGIFColorMap {
 public:
  virtual ~TGIFColorMap() = default;
  TGIFColorMap() = default;
  TGIFColorMap(const TGIFColorMap&) = delete;
  TGIFColorMap& operator=(const TGIFColorMap&) = delete;

  virtual void ReportWarning(int severity, const std::string& message) = 0;
  virtual void CountUsage(TUsageHistogram& histogram) = 0;
  virtual void RemapPixels(const TRemapTable& map) = 0;
  virtual bool SortByUsage();
  virtual void NotifyChanged() = 0;

  int EntryCount() const { return entry_count_; }
  int AllocatedEntries() const { return static_cast<int>(triples_.size() / 3); }
  bool IsOptimized() const { return is_optimized_; }
  void SetOptimized(bool value) { is_optimized_ = value; }
  const uint8_t* Triples() const { return triples_.data(); }

  void ResetColors();
  static plat::TColor TripleToColor(const uint8_t* triple);
  static void ColorToTriple(plat::TColor color, uint8_t* triple);

  void WriteEntries(plat::TStream& stream) const;
  void ReadEntries(plat::TStream& stream, int count);
  int FindColor(plat::TColor color) const;
  void ReserveEntries(int count);
  void LoadFromPalette(const plat::TColorTable& palette);
  void LoadFromTriples(const uint8_t* table, int count);
  void LoadFromQuads(const plat::TRGBQuad* table, int count);
  void LoadFirst16Quads(const plat::TRGBQuad* table);
  // The entries as a palette; empty for an empty map.
  plat::TColorTable MakePalette() const;
  int AppendColor(plat::TColor color);
  int FindOrAppendColor(plat::TColor color);
  void RemoveColor(int index);
  plat::TColor ColorAt(int index);
  int IndexBits() const { return BitsForColorCount(entry_count_); }
  void Assign(const TGIFColorMap& source);

 private:
  std::vector<uint8_t> triples_;
  int entry_count_ = 0;
  bool is_optimized_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
 public:
  explicit TGIFGlobalColorMap(TGIFHeader* owner) : owner_(owner) {}
  void ReportWarning(int severity, const std::string& message) override;
  void CountUsage(TUsageHistogram& histogram) override;
  void RemapPixels(const TRemapTable& map) override;
  bool SortByUsage() override;
  void NotifyChanged() override;

 private:
  TGIFHeader* owner_;
};

class TGIFLocalColorMap : public TGIFColorMap {
 public:
  explicit TGIFLocalColorMap(TGIFSubImage* owner) : owner_(owner) {}
  void ReportWarning(int severity, const std::string& message) override;
  void CountUsage(TUsageHistogram& histogram) override;
  void RemapPixels(const TRemapTable& map) override;
  void NotifyChanged() override;

 private:
  TGIFSubImage* owner_;
};

// Base of every block object.
class TGIFItem {
 public:
  explicit TGIFItem(TGIFImage* owner) : owner_image_(owner) {}
  virtual ~TGIFItem() = default;
  TGIFItem(const TGIFItem&) = delete;
  TGIFItem& operator=(const TGIFItem&) = delete;

  TGIFImage* OwnerImage() const { return owner_image_; }
  virtual int NeededVersion() const { return ver87a; }
  virtual void ReportWarning(int severity, const std::string& message);
  virtual void SaveToStream(plat::TStream& stream) = 0;
  virtual void LoadFromStream(plat::TStream& stream) = 0;
  void WriteToFile(const std::string& path);
  void ReadFromFile(const std::string& path);

 private:
  TGIFImage* owner_image_;
};

// An ordered list that owns its items.
template <class Item>
class TGIFList {
 public:
  explicit TGIFList(TGIFImage* owner) : owner_image_(owner) {}
  virtual ~TGIFList() = default;
  TGIFList(const TGIFList&) = delete;
  TGIFList& operator=(const TGIFList&) = delete;

  TGIFImage* OwnerImage() const { return owner_image_; }
  Item* ItemAt(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  int Append(std::unique_ptr<Item> item) {
    items_.push_back(std::move(item));
    return ItemCount() - 1;
  }
  void FreeAt(int index) {
    // Take the item out before it runs its destructor, which may look at the list.
    std::unique_ptr<Item> item = std::move(items_.at(static_cast<size_t>(index)));
    items_.erase(items_.begin() + index);
  }
  // -1 when the item is not in the list.
  int IndexOf(const Item* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }
  // Takes the item out without freeing it.
  std::unique_ptr<Item> Detach(const Item* item) {
    int index = IndexOf(item);
    if (index < 0) return nullptr;
    std::unique_ptr<Item> taken = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    return taken;
  }
  void FreeAll() {
    while (!items_.empty()) FreeAt(0);
  }
  void WriteItems(plat::TStream& stream) const {
    for (const auto& item : items_) item->SaveToStream(stream);
  }

 private:
  TGIFImage* owner_image_;
  std::vector<std::unique_ptr<Item>> items_;
};

// Signature, logical screen descriptor and global colour table.
class TGIFHeader : public TGIFItem {
 public:
  explicit TGIFHeader(TGIFImage* owner) : TGIFItem(owner), global_map_(this) {}

  // The logical screen descriptor, as the 7 bytes of the file.
  uint16_t LogicalScreenWidth = 0;
  uint16_t LogicalScreenHeight = 0;
  uint8_t PackedFields = 0;
  uint8_t BackgroundColorIndex = 0;
  uint8_t PixelAspectRatio = 0;

  TGIFGlobalColorMap& GlobalMap() { return global_map_; }
  const TGIFGlobalColorMap& GlobalMap() const { return global_map_; }

  void ResetHeader();
  void PrepareFlags();
  void SaveToStream(plat::TStream& stream) override;
  void LoadFromStream(plat::TStream& stream) override;
  int NeededVersion() const override;
  plat::TColor BackgroundColor();
  int IndexBits() const { return global_map_.IndexBits(); }
  int ResolutionField() const { return IndexBits() - 1; }
  void Assign(const TGIFHeader& source);
  void Assign(const TGIFColorMap& source);

 private:
  TGIFGlobalColorMap global_map_;
};

class TGIFTrailer : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;
  void SaveToStream(plat::TStream& stream) override;
  void LoadFromStream(plat::TStream& stream) override;
};

}  // namespace pictavo
