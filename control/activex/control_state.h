#pragma once
// The persisted state of the control: the view control's published properties in declaration
// order, as the "TPF0" component stream carries them. One table drives reading and writing.
#include <cstdint>
#include <vector>

#include "control/activex/component_stream.h"

namespace pictavo {

class TpvImage;

// The component image of the control's current state: every property whose value differs
// from its default (the font's five parts and the position always).
TComponentImage SaveControlState(const TpvImage& view);
// Applies each property of image in turn; unknown names are skipped, missing ones keep their
// value. Raises plat::EReadError "Invalid property value" for a value of the wrong kind.
void LoadControlState(TpvImage& view, const TComponentImage& image);

std::vector<uint8_t> SaveControlStream(const TpvImage& view);
void LoadControlStream(TpvImage& view, const uint8_t* data, size_t size);

}  // namespace pictavo
