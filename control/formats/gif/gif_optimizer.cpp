#include "control/formats/gif/gif_optimizer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "control/formats/gif/gif_frame.h"
#include "control/formats/gif/gif_image.h"

namespace pictavo {

namespace {

int ColourSum(uint32_t colour) {
  return int(colour & 0xFF) + int((colour >> 8) & 0xFF) + int((colour >> 16) & 0xFF);
}

bool ByCountDescending(const HistogramEntry* a, const HistogramEntry* b) {
  return a->Count > b->Count;
}

}  // namespace

THistogram::THistogram(TGIFColorMap& map) : map_size_(map.EntryCount()) {
  entries_.resize(static_cast<size_t>(map_size_));
  for (int i = 0; i < map_size_; ++i) {
    entries_[size_t(i)].OldIndex = i;
    const uint8_t* triple = map.Triples() + i * 3;
    entries_[size_t(i)].Colour = triple[0] | triple[1] << 8 | uint32_t(triple[2]) << 16;
  }
}

bool THistogram::CountFrame(TGIFSubImage& frame) {
  FrameList.push_back(&frame);
  TGIFGraphicControlExtension* control = frame.ControlExtension();
  bool transparent = frame.IsTransparent() && control;
  int transparent_index = transparent ? control->TransparentIndex() : -1;
  bool transparent_used = false;
  bool reported = false;
  std::vector<uint8_t>& pixels = frame.MutablePixelData();
  for (uint8_t& pixel : pixels) {
    if (pixel == transparent_index) {
      transparent_used = true;
      continue;
    }
    if (pixel >= map_size_) {
      pixel = 0;
      if (!reported) frame.ReportWarning(kGIFWarning, "Color not in color table");
      reported = true;
    }
    HistogramEntry& entry = entries_[pixel];
    if (entry.Count == std::numeric_limits<uint32_t>::max()) break;
    ++entry.Count;
  }
  if (transparent && !transparent_used) {
    control->TransparentColorIndex = 0;
    control->SetTransparencyFlag(false);
  }
  return transparent_used;
}

int THistogram::DropUnused() {
  UsedList.clear();
  for (HistogramEntry& entry : entries_) UsedList.push_back(&entry);
  std::stable_sort(UsedList.begin(), UsedList.end(), ByCountDescending);
  auto first_unused = std::find_if(UsedList.begin(), UsedList.end(),
                                   [](const HistogramEntry* e) { return e->Count == 0; });
  UsedList.erase(first_unused, UsedList.end());
  return static_cast<int>(UsedList.size());
}

void THistogram::RemapFrames(bool keep_transparency, uint8_t new_transparent_index) {
  TRemapTable table{};
  for (const HistogramEntry* entry : UsedList)
    table[size_t(entry->OldIndex)] = static_cast<uint8_t>(entry->NewIndex);
  for (TGIFSubImage* frame : FrameList) {
    TGIFGraphicControlExtension* control = frame->ControlExtension();
    bool keep = keep_transparency && frame->IsTransparent() && control;
    int old_transparent = keep ? control->TransparentIndex() : -1;
    std::vector<uint8_t>& pixels = frame->MutablePixelData();
    for (uint8_t& pixel : pixels)
      pixel = pixel == old_transparent ? new_transparent_index : table[pixel];
    if (keep) control->TransparentColorIndex = new_transparent_index;
  }
}

void TColorMapOptimizer::BuildHistograms() {
  keeps_transparency_ = false;
  TGIFImageList& frames = target_.Frames();
  if (target_.GlobalColorMap().EntryCount() > 0) {
    auto shared = std::make_unique<THistogram>(target_.GlobalColorMap());
    for (int i = 0; i < frames.ItemCount(); ++i) {
      TGIFSubImage* frame = frames.FrameAt(i);
      if (!frame->IsEmpty() && frame->LocalMap().EntryCount() == 0)
        keeps_transparency_ |= shared->CountFrame(*frame);
    }
    if (shared->HasFrames()) histograms_.push_back(std::move(shared));
  }
  for (int i = 0; i < frames.ItemCount(); ++i) {
    TGIFSubImage* frame = frames.FrameAt(i);
    if (frame->IsEmpty() || frame->LocalMap().EntryCount() == 0) continue;
    auto own = std::make_unique<THistogram>(frame->LocalMap());
    keeps_transparency_ |= own->CountFrame(*frame);
    histograms_.push_back(std::move(own));
  }
}

void TColorMapOptimizer::MergeDuplicates() {
  std::stable_sort(
      all_entries_.begin(), all_entries_.end(),
      [](const HistogramEntry* a, const HistogramEntry* b) { return a->Colour > b->Colour; });
  for (size_t i = 0; i < all_entries_.size();) {
    HistogramEntry* first = all_entries_[i];
    size_t k = i + 1;
    for (; k < all_entries_.size() && all_entries_[k]->Colour == first->Colour; ++k) {
      first->Count += all_entries_[k]->Count;
      all_entries_[k]->Count = 0;
      all_entries_[k]->MergedInto = first;
    }
    i = k;
  }
}

void TColorMapOptimizer::AssignIndices() {
  std::stable_sort(all_entries_.begin(), all_entries_.end(), ByCountDescending);
  int limit = keeps_transparency_ ? 255 : 256;
  new_count_ = 0;
  while (new_count_ < static_cast<int>(all_entries_.size()) && new_count_ < limit &&
         all_entries_[size_t(new_count_)]->Count > 0) {
    HistogramEntry* entry = all_entries_[size_t(new_count_)];
    entry->NewIndex = new_count_;
    new_map_[new_count_ * 3] = entry->Colour & 0xFF;
    new_map_[new_count_ * 3 + 1] = (entry->Colour >> 8) & 0xFF;
    new_map_[new_count_ * 3 + 2] = (entry->Colour >> 16) & 0xFF;
    ++new_count_;
  }
  // Colours that did not fit take the kept colour closest in brightness.
  for (size_t i = size_t(new_count_); i < all_entries_.size(); ++i) {
    HistogramEntry* entry = all_entries_[i];
    if (entry->Count == 0) continue;
    int best = 0;
    for (int k = 1; k < new_count_; ++k)
      if (std::abs(ColourSum(all_entries_[size_t(k)]->Colour) - ColourSum(entry->Colour)) <
          std::abs(ColourSum(all_entries_[size_t(best)]->Colour) - ColourSum(entry->Colour)))
        best = k;
    entry->NewIndex = best;
  }
  for (HistogramEntry* entry : all_entries_)
    if (entry->Count == 0 && entry->MergedInto) entry->NewIndex = entry->MergedInto->NewIndex;
  if (keeps_transparency_) {
    new_transparent_index_ = static_cast<uint8_t>(new_count_);
    std::fill_n(new_map_ + new_count_ * 3, 3, 0);
    ++new_count_;
  }
}

void TColorMapOptimizer::MergeMaps() {
  target_.StopAllPainters();
  std::lock_guard lock(target_.PainterLock());
  BuildHistograms();
  for (auto& histogram : histograms_) {
    histogram->DropUnused();
    all_entries_.insert(all_entries_.end(), histogram->UsedList.begin(), histogram->UsedList.end());
  }
  MergeDuplicates();
  AssignIndices();
  TGIFImageList& frames = target_.Frames();
  for (int i = 0; i < frames.ItemCount(); ++i) frames.FrameAt(i)->LocalMap().ResetColors();
  target_.GlobalColorMap().LoadFromTriples(new_map_, new_count_);
  target_.GlobalColorMap().SetOptimized(true);
  for (auto& histogram : histograms_)
    histogram->RemapFrames(keeps_transparency_, new_transparent_index_);
  for (int i = 0; i < frames.ItemCount(); ++i) frames.FrameAt(i)->PaletteChanged();
}

}  // namespace pictavo
