#pragma once
// The EXIF block a JPEG file gets when its metadata is rewritten in place: the attributes of the
// image's store, and everything of the file's old block that the store does not model, so that
// a rewrite loses nothing a camera or another program wrote there.
#include <cstdint>
#include <span>
#include <string>

namespace pictavo {

// The APP1 payload ("Exif\0\0" and the TIFF structure) made of `storePayload` (the store's own
// payload; empty for an empty store) and of `oldPayload` (the file's old APP1 payload, empty or
// damaged for none): the old block's unmodelled entries of IFD0 and of the EXIF and GPS
// directories, its interoperability directory, its second directory with the thumbnail, in
// the old block's byte order; the maker note stays at its old offset, since offsets inside it
// count from the TIFF header. An empty store gives an empty payload.
std::string ExifPayloadKeeping(const std::string& storePayload,
                               std::span<const uint8_t> oldPayload);

}  // namespace pictavo
