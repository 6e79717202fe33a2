#pragma once
// The ways an image arrives in a view control or in the temporary one a merge reads its second
// image with: a file, encoded bytes, or a handle from the host (a bitmap handle or a memory
// handle holding a packed DIB). Each returns a new image and leaves everything else alone, so a
// caller that gets nothing or an exception has changed nothing.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/engine/raster/ticbitmap.h"
#include "platform/graphics/handles.h"

namespace pictavo {

// Raised when the pixels of an image handed over by the host do not fit in memory.
VELMORA_EXCEPTION(ETwainError, plat::Exception);

// The page of a file; errors of the codecs pass out unchanged.
std::unique_ptr<TicBitmap> ImageOfFile(const std::string& file_name, bool use_lzw, int page);
// Encoded bytes in a TxGraphicsFormat (the codec follows the data's first byte); GIF data is
// refused without use_lzw. Page read_image_number counts only for gfTIF.
std::unique_ptr<TicBitmap> ImageOfBytes(uint8_t format, const uint8_t* data, int64_t size,
                                        bool use_lzw, int read_image_number);

// The image of a host handle, or nullptr when the handle holds none (0, a dead handle, a block
// that is no readable DIB). A bitmap handle stays the caller's when release_bitmap is true and
// is deleted otherwise; a memory handle is always freed.
std::unique_ptr<TicBitmap> ImageOfHandle(plat::THandle handle, bool release_bitmap);

// A packed DIB (info header, colour table, pixels) with the 14-byte BMP file header in front
// that points at its pixels; nothing when the block is too short to say where they are.
std::optional<std::vector<uint8_t>> BmpFileOfPackedDib(const uint8_t* data, int64_t size);
// The image of a packed DIB at 1, 4, 8 or 24 bits, a black-first palette on 1-bit images;
// nullptr when the data is no readable DIB.
std::unique_ptr<TicBitmap> ImageOfPackedDib(const uint8_t* data, int64_t size);

}  // namespace pictavo
