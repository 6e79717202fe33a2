#include "control/formats/jpeg/exif_carry.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "control/formats/jpeg/exif.h"
#include "platform/base/exceptions.h"
#include "platform/base/tiff_directories.h"

namespace pictavo {

namespace {

using plat::TiffDirectory;
using plat::TiffField;

constexpr std::string_view kExifHeader("Exif\0\0", 6);
constexpr uint16_t kInteropPointerTag = 0xA005;
constexpr uint16_t kMakerNoteTag = 0x927C;
constexpr uint16_t kThumbnailOffsetTag = 0x0201;
constexpr uint16_t kThumbnailLengthTag = 0x0202;
constexpr uint64_t kTiffHeaderSize = 8;

// The directories of one EXIF block. Absent directories are empty.
struct ExifBlock {
  bool bigEndian = false;
  TiffDirectory ifd0, exif, gps, interop, ifd1;
  std::span<const uint8_t> thumbnail;
};

std::optional<TiffDirectory> Pointed(std::span<const uint8_t> tiff, bool bigEndian,
                                     const TiffDirectory& from, uint16_t pointer) {
  const TiffField* field = from.Find(pointer);
  if (!field) return std::nullopt;
  const std::optional<uint32_t> offset = plat::TiffNumber(*field, bigEndian);
  if (!offset) return std::nullopt;
  return plat::ReadTiffDirectory(tiff, bigEndian, *offset);
}

// Raises EReadError for a block that is not a TIFF structure inside its bytes.
ExifBlock ReadBlock(std::span<const uint8_t> tiff) {
  if (tiff.size() < kTiffHeaderSize) throw plat::EReadError("EXIF block is too short");
  ExifBlock block;
  if (tiff[0] == 'M' && tiff[1] == 'M')
    block.bigEndian = true;
  else if (tiff[0] != 'I' || tiff[1] != 'I')
    throw plat::EReadError("EXIF block has no byte order");
  const TiffField first{0, plat::kTiffTypeLong, 1, {tiff.begin() + 4, tiff.begin() + 8}, {}};
  block.ifd0 =
      plat::ReadTiffDirectory(tiff, block.bigEndian, *plat::TiffNumber(first, block.bigEndian));
  block.exif =
      Pointed(tiff, block.bigEndian, block.ifd0, kExifIFDPointerTag).value_or(TiffDirectory{});
  block.gps =
      Pointed(tiff, block.bigEndian, block.ifd0, kGPSIFDPointerTag).value_or(TiffDirectory{});
  block.interop =
      Pointed(tiff, block.bigEndian, block.exif, kInteropPointerTag).value_or(TiffDirectory{});
  if (block.ifd0.next != 0) {
    block.ifd1 = plat::ReadTiffDirectory(tiff, block.bigEndian, block.ifd0.next);
    const TiffField* offset = block.ifd1.Find(kThumbnailOffsetTag);
    const TiffField* length = block.ifd1.Find(kThumbnailLengthTag);
    if (offset && length) {
      const uint64_t at = plat::TiffNumber(*offset, block.bigEndian).value_or(0);
      const uint64_t size = plat::TiffNumber(*length, block.bigEndian).value_or(0);
      if (at > tiff.size() || size > tiff.size() - at)
        throw plat::EReadError("EXIF thumbnail lies outside the block");
      block.thumbnail = tiff.subspan(at, size);
    }
  }
  return block;
}

bool Modelled(uint16_t tag, TExifIFD ifd) {
  const auto table = ExifTagTable();
  return std::any_of(table.begin(), table.end(), [&](const TExifLookupRecord& record) {
    return record.Tag == tag && record.IFD == ifd && record.Name[0] != '\0';
  });
}

bool IsPointer(uint16_t tag) {
  return tag == kExifIFDPointerTag || tag == kGPSIFDPointerTag || tag == kInteropPointerTag;
}

// Every value is laid out anew, except the maker note's; pointers are set as the layout goes.
TiffDirectory Movable(TiffDirectory directory) {
  std::erase_if(directory.fields, [](const TiffField& field) { return IsPointer(field.tag); });
  for (TiffField& field : directory.fields)
    if (field.tag != kMakerNoteTag) field.at.reset();
  directory.next = 0;
  return directory;
}

// The store's fields with the old directory's unmodelled ones the store does not set.
TiffDirectory Merged(TiffDirectory fresh, const TiffDirectory& old, TExifIFD ifd) {
  for (const TiffField& field : old.fields)
    if (!IsPointer(field.tag) && !Modelled(field.tag, ifd) && !fresh.Find(field.tag))
      fresh.fields.push_back(field);
  return Movable(std::move(fresh));
}

void SwapAll(ExifBlock& block) {
  for (TiffDirectory* directory : {&block.ifd0, &block.exif, &block.gps})
    for (TiffField& field : directory->fields) plat::SwapTiffByteOrder(field);
  block.bigEndian = !block.bigEndian;
}

// Places `directory` when it has fields and points at it from `parent`.
void PlaceInto(plat::TiffLayout& layout, const TiffDirectory& directory, TiffDirectory& parent,
               uint16_t pointer, bool bigEndian) {
  if (directory.fields.empty()) return;
  const uint64_t at = layout.PlaceDirectory(directory);
  parent.Set(plat::TiffLongField(pointer, static_cast<uint32_t>(at), bigEndian));
}

std::string Laid(ExifBlock block) {
  const bool big = block.bigEndian;
  std::vector<uint8_t> tiff(kTiffHeaderSize);
  plat::TiffLayout layout(tiff, big, kTiffHeaderSize);
  // Offsets inside a maker note count from the TIFF header: it keeps its place when it can.
  if (TiffField* note = block.exif.Find(kMakerNoteTag); note && note->at) {
    if (*note->at >= kTiffHeaderSize)
      layout.Keep(*note->at, note->value.size());
    else
      note->at.reset();
  }
  PlaceInto(layout, block.interop, block.exif, kInteropPointerTag, big);
  PlaceInto(layout, block.exif, block.ifd0, kExifIFDPointerTag, big);
  PlaceInto(layout, block.gps, block.ifd0, kGPSIFDPointerTag, big);
  if (!block.ifd1.fields.empty()) {
    if (!block.thumbnail.empty()) {
      const uint64_t at = layout.Place(block.thumbnail);
      block.ifd1.Set(plat::TiffLongField(kThumbnailOffsetTag, static_cast<uint32_t>(at), big));
    }
    block.ifd1.next = 0;
    block.ifd0.next = static_cast<uint32_t>(layout.PlaceDirectory(block.ifd1));
  }
  const uint64_t ifd0 = layout.PlaceDirectory(block.ifd0);
  tiff[0] = tiff[1] = big ? 'M' : 'I';
  layout.PutShort(2, 42);
  layout.PutLong(4, static_cast<uint32_t>(ifd0));
  return std::string(kExifHeader) + std::string(tiff.begin(), tiff.end());
}

std::span<const uint8_t> TiffPart(std::span<const uint8_t> payload) {
  return payload.subspan(std::min(payload.size(), kExifHeader.size()));
}

}  // namespace

std::string ExifPayloadKeeping(const std::string& storePayload,
                               std::span<const uint8_t> oldPayload) {
  if (storePayload.empty()) return {};
  const std::span<const uint8_t> store(reinterpret_cast<const uint8_t*>(storePayload.data()),
                                       storePayload.size());
  ExifBlock old;
  try {
    if (oldPayload.size() < kExifHeader.size() ||
        !std::equal(kExifHeader.begin(), kExifHeader.end(), oldPayload.begin()))
      return storePayload;
    old = ReadBlock(TiffPart(oldPayload));
  } catch (const plat::EReadError&) {
    return storePayload;  // a damaged old block has nothing that could be kept safely
  }
  ExifBlock fresh = ReadBlock(TiffPart(store));
  if (fresh.bigEndian != old.bigEndian) SwapAll(fresh);
  ExifBlock merged;
  merged.bigEndian = old.bigEndian;
  merged.ifd0 = Merged(fresh.ifd0, old.ifd0, TExifIFD::IFD0);
  merged.exif = Merged(fresh.exif, old.exif, TExifIFD::Exif);
  merged.gps = Merged(fresh.gps, old.gps, TExifIFD::GPS);
  merged.interop = Movable(old.interop);
  merged.ifd1 = Movable(old.ifd1);
  merged.thumbnail = old.thumbnail;
  return Laid(std::move(merged));
}

}  // namespace pictavo
