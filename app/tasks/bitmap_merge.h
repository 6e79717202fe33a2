#pragma once
// Hands pictures to an image control by bitmap handles that live for the call only.
#include "control/activex/imagebox_interface.h"
#include "platform/graphics/bitmap.h"

namespace tasks {

// MergeHandle with a handle of picture, at the control's merge settings.
void MergeBitmap(pictavo::ax::ImageBoxProxy& box, const plat::TBitmap& picture);
// MergeHandle with the image of another control.
void MergeControlImage(pictavo::ax::ImageBoxProxy& box, pictavo::ax::ImageBoxProxy& source);
// BMPHandle: the control's image becomes a copy of picture.
void LoadBitmap(pictavo::ax::ImageBoxProxy& box, const plat::TBitmap& picture);

}  // namespace tasks
