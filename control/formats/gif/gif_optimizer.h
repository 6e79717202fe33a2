#pragma once
// Merges the colour maps of all frames into one global map that holds only the colours the
// pixels use, most used first.
#include <cstdint>
#include <memory>
#include <vector>

#include "control/formats/gif/gif_base.h"

namespace pictavo {

class TGIFImage;
class TGIFSubImage;

struct HistogramEntry {
  uint32_t Count = 0;
  int OldIndex = 0;
  int NewIndex = 256;  // 256 until assigned
  uint32_t Colour = 0;
  HistogramEntry* MergedInto = nullptr;  // the entry that absorbed this duplicate colour
};

// The colour use of the frames that share one colour map.
class THistogram {
 public:
  explicit THistogram(TGIFColorMap& map);

  // Adds the frame's pixels; true when its transparent index occurs.
  bool CountFrame(TGIFSubImage& frame);
  // Sorts the used entries by decreasing count; returns how many there are.
  int DropUnused();
  void RemapFrames(bool keep_transparency, uint8_t new_transparent_index);

  bool HasFrames() const { return !FrameList.empty(); }
  std::vector<HistogramEntry*> UsedList;

 private:
  std::vector<HistogramEntry> entries_;
  std::vector<TGIFSubImage*> FrameList;
  int map_size_;
};

class TColorMapOptimizer {
 public:
  explicit TColorMapOptimizer(TGIFImage& target) : target_(target) {}
  void MergeMaps();

 private:
  void BuildHistograms();
  void MergeDuplicates();
  void AssignIndices();

  TGIFImage& target_;
  std::vector<std::unique_ptr<THistogram>> histograms_;
  std::vector<HistogramEntry*> all_entries_;
  uint8_t new_map_[256 * 3] = {};
  int new_count_ = 0;
  bool keeps_transparency_ = false;
  uint8_t new_transparent_index_ = 0;
};

}  // namespace pictavo
