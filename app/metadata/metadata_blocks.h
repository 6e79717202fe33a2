#pragma once
// The byte work of writing metadata into an existing TIFF or PSD file in place. The new blocks
// come from TIFF files the image control wrote; these functions only move them. Every walk is
// bounds-checked: a file that is not a classic TIFF or a PSD, or whose offsets lead outside it,
// raises plat::EReadError and nothing is produced.
#include <cstdint>
#include <span>
#include <vector>

namespace metadata {

// What the control writes for the image: a TIFF of the image with its metadata (`fresh`) and a
// TIFF of the file as the control reads it (`read`), whose metadata entries tell which entries
// of the file the control models.
struct ControlTiffs {
  std::span<const uint8_t> fresh;
  std::span<const uint8_t> read;
  bool storeEmpty = false;  // the image has no EXIF attributes: the file keeps no EXIF or GPS data
};

// The TIFF file with a new first directory appended and the header pointing at it: the old
// entries with the control's metadata entries and IPTC from `fresh`, the Photoshop resources
// merged, new EXIF and GPS directories of `fresh`'s entries and the file's unmodelled ones (whose
// values stay where they are). Every old byte stays; other pages stay linked.
std::vector<uint8_t> TiffWithMetadata(std::span<const uint8_t> file, const ControlTiffs& control);

// The PSD file with the IPTC, copyright-flag and URL blocks of its image resources taken from
// `fresh`'s Photoshop resources (dropped when `fresh` has none); every other section and block
// byte for byte.
std::vector<uint8_t> PsdWithMetadata(std::span<const uint8_t> file, std::span<const uint8_t> fresh);

}  // namespace metadata
