#include "app/metadata/metadata_blocks.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "platform/base/byte_cursor.h"
#include "platform/base/exceptions.h"
#include "platform/base/tiff_directories.h"

namespace metadata {

namespace {

using plat::TiffDirectory;
using plat::TiffField;

constexpr uint16_t kIptcTag = 33723;
constexpr uint16_t kPhotoshopTag = 34377;
constexpr uint16_t kExifPointerTag = 34665;
constexpr uint16_t kGpsPointerTag = 34853;
constexpr uint16_t kXmpTag = 700;
constexpr uint16_t kIccTag = 34675;
constexpr uint16_t kTypeByte = 1;
constexpr uint16_t kTypeUndefined = 7;
// The resource blocks the control writes: IPTC, copyright flag, URL.
constexpr uint16_t kOwnResources[] = {0x0404, 0x040A, 0x040B};

[[noreturn]] void Damaged(std::string_view what) {
  throw plat::EReadError("Damaged file: " + std::string(what));
}

// Entries that describe the pixels and how they are stored, and the colorimetry that goes with
// them: the file's own stay whatever the control's TIFF says.
bool DescribesThePixels(uint16_t tag) {
  constexpr std::pair<uint16_t, uint16_t> kRanges[] = {
      {254, 259}, {262, 266}, {273, 273}, {277, 284}, {290, 293}, {296, 297},
      {301, 301}, {317, 325}, {330, 330}, {338, 347}, {512, 532}};
  return std::any_of(std::begin(kRanges), std::end(kRanges), [tag](const auto& range) {
    return tag >= range.first && tag <= range.second;
  });
}

// Entries of the first directory handled on their own.
bool HandledApart(uint16_t tag) {
  for (uint16_t handled :
       {kIptcTag, kPhotoshopTag, kExifPointerTag, kGpsPointerTag, kXmpTag, kIccTag})
    if (tag == handled) return true;
  return false;
}

struct Tiff {
  std::span<const uint8_t> bytes;
  bool bigEndian = false;
  uint32_t firstDirectory = 0;
  TiffDirectory ifd0, exif, gps;
};

std::optional<TiffDirectory> Pointed(const Tiff& tiff, uint16_t pointer) {
  const TiffField* field = tiff.ifd0.Find(pointer);
  if (!field) return std::nullopt;
  const std::optional<uint32_t> offset = plat::TiffNumber(*field, tiff.bigEndian);
  if (!offset) Damaged("sub-directory pointer");
  return plat::ReadTiffDirectory(tiff.bytes, tiff.bigEndian, *offset);
}

Tiff ReadTiff(std::span<const uint8_t> bytes) {
  plat::TByteCursor cursor(bytes, Damaged);
  Tiff tiff;
  tiff.bytes = bytes;
  const std::string order = cursor.Text(2, "header");
  if (order != "II" && order != "MM") Damaged("not a TIFF file");
  tiff.bigEndian = order == "MM";
  cursor.SetBigEndian(tiff.bigEndian);
  if (cursor.Word("header") != 42) Damaged("not a classic TIFF file");
  tiff.firstDirectory = cursor.DWord("header");
  tiff.ifd0 = plat::ReadTiffDirectory(bytes, tiff.bigEndian, tiff.firstDirectory);
  tiff.exif = Pointed(tiff, kExifPointerTag).value_or(TiffDirectory{});
  tiff.gps = Pointed(tiff, kGpsPointerTag).value_or(TiffDirectory{});
  return tiff;
}

std::set<uint16_t> TagsOf(std::initializer_list<const TiffDirectory*> directories) {
  std::set<uint16_t> tags;
  for (const TiffDirectory* directory : directories)
    for (const TiffField& field : directory->fields) tags.insert(field.tag);
  return tags;
}

// A field of the control's TIFF in the file's byte order, its value placed anew. IPTC data is a
// byte stream whatever its declared type: it is never swapped, only declared as bytes.
TiffField Converted(TiffField field, bool from, bool to) {
  field.at.reset();
  if (from == to) return field;
  if (field.tag == kIptcTag) {
    field.type = kTypeUndefined;
    field.count = static_cast<uint32_t>(field.value.size());
  } else {
    plat::SwapTiffByteOrder(field);
  }
  return field;
}

// ---- Photoshop image resources

struct Resource {
  uint16_t id = 0;
  std::span<const uint8_t> bytes;  // the whole block with its padding
};

std::vector<Resource> Resources(std::span<const uint8_t> section) {
  plat::TByteCursor cursor(section, Damaged);
  std::vector<Resource> blocks;
  while (cursor.Remaining() >= 4) {
    const size_t start = cursor.Position();
    const std::string signature = cursor.Text(4, "resource signature");
    if (signature != "8BIM" && signature != "MeSa" && signature != "AgHg" && signature != "PHUT" &&
        signature != "DCSR")
      Damaged("resource signature");
    Resource block;
    block.id = cursor.Word("resource id");
    const uint8_t name = cursor.Byte("resource name");
    cursor.Skip(name + ((name + 1) % 2), "resource name");
    const uint32_t size = cursor.DWord("resource size");
    cursor.Skip(size, "resource data");
    if (size % 2 != 0 && !cursor.AtEnd()) cursor.Skip(1);
    block.bytes = section.subspan(start, cursor.Position() - start);
    blocks.push_back(block);
  }
  return blocks;
}

bool IsOwn(uint16_t id) {
  return std::find(std::begin(kOwnResources), std::end(kOwnResources), id) !=
         std::end(kOwnResources);
}

// The old section's blocks but the control's own, then the control's.
std::vector<uint8_t> MergedResources(std::span<const uint8_t> old, std::span<const uint8_t> fresh) {
  std::vector<uint8_t> merged;
  for (const Resource& block : Resources(old))
    if (!IsOwn(block.id)) merged.insert(merged.end(), block.bytes.begin(), block.bytes.end());
  for (const Resource& block : Resources(fresh))
    if (IsOwn(block.id)) merged.insert(merged.end(), block.bytes.begin(), block.bytes.end());
  return merged;
}

std::span<const uint8_t> ValueOf(const TiffDirectory& directory, uint16_t tag) {
  const TiffField* field = directory.Find(tag);
  return field ? std::span<const uint8_t>(field->value) : std::span<const uint8_t>();
}

// ---- TIFF

// The first directory: the file's entries with the control's metadata entries in place of
// the ones it models, and its IPTC and Photoshop resources.
TiffDirectory FirstDirectory(const Tiff& file, const Tiff& fresh, const Tiff& read) {
  const std::set<uint16_t> modelled = TagsOf({&fresh.ifd0, &read.ifd0});
  TiffDirectory first = file.ifd0;
  std::erase_if(first.fields, [&](const TiffField& field) {
    return field.tag == kIptcTag || field.tag == kExifPointerTag || field.tag == kGpsPointerTag ||
           (modelled.count(field.tag) && !DescribesThePixels(field.tag) &&
            !HandledApart(field.tag));
  });
  for (const TiffField& field : fresh.ifd0.fields)
    if (field.tag == kIptcTag || (!DescribesThePixels(field.tag) && !HandledApart(field.tag)))
      first.Set(Converted(field, fresh.bigEndian, file.bigEndian));

  const std::span<const uint8_t> old_resources = ValueOf(file.ifd0, kPhotoshopTag);
  std::vector<uint8_t> resources =
      MergedResources(old_resources, ValueOf(fresh.ifd0, kPhotoshopTag));
  first.Remove(kPhotoshopTag);
  if (!resources.empty()) {
    const TiffField* old = file.ifd0.Find(kPhotoshopTag);
    const TiffField* own = fresh.ifd0.Find(kPhotoshopTag);
    first.Set(TiffField{kPhotoshopTag,
                        old   ? old->type
                        : own ? own->type
                              : kTypeByte,
                        static_cast<uint32_t>(resources.size()),
                        std::move(resources),
                        {}});
  }
  return first;
}

// The control's entries with the file's entries it does not model, which keep their values
// where they are.
TiffDirectory SubDirectory(const TiffDirectory& file, const Tiff& fresh,
                           const TiffDirectory& freshDirectory, const TiffDirectory& read,
                           bool fileBigEndian) {
  const std::set<uint16_t> modelled = TagsOf({&freshDirectory, &read});
  TiffDirectory directory;
  for (const TiffField& field : freshDirectory.fields)
    directory.fields.push_back(Converted(field, fresh.bigEndian, fileBigEndian));
  for (const TiffField& field : file.fields)
    if (!modelled.count(field.tag)) directory.fields.push_back(field);
  return directory;
}

void PointTo(plat::TiffLayout& layout, const TiffDirectory& directory, TiffDirectory& first,
             uint16_t pointer, bool bigEndian) {
  if (directory.fields.empty()) return;
  const uint64_t at = layout.PlaceDirectory(directory);
  first.Set(plat::TiffLongField(pointer, static_cast<uint32_t>(at), bigEndian));
}

}  // namespace

std::vector<uint8_t> TiffWithMetadata(std::span<const uint8_t> file, const ControlTiffs& control) {
  const Tiff old = ReadTiff(file);
  const Tiff fresh = ReadTiff(control.fresh);
  const Tiff read = ReadTiff(control.read);
  TiffDirectory first = FirstDirectory(old, fresh, read);
  TiffDirectory exif, gps;
  if (!control.storeEmpty) {
    exif = SubDirectory(old.exif, fresh, fresh.exif, read.exif, old.bigEndian);
    gps = SubDirectory(old.gps, fresh, fresh.gps, read.gps, old.bigEndian);
  }
  std::vector<uint8_t> out(file.begin(), file.end());
  plat::TiffLayout layout(out, old.bigEndian, out.size());
  PointTo(layout, exif, first, kExifPointerTag, old.bigEndian);
  PointTo(layout, gps, first, kGpsPointerTag, old.bigEndian);
  first.next = old.ifd0.next;
  layout.PutLong(4, static_cast<uint32_t>(layout.PlaceDirectory(std::move(first))));
  return out;
}

std::vector<uint8_t> PsdWithMetadata(std::span<const uint8_t> file,
                                     std::span<const uint8_t> fresh) {
  plat::TByteCursor cursor(file, Damaged);
  if (cursor.Text(4, "header") != "8BPS" || cursor.Word("header") != 1)
    Damaged("not a Photoshop file");
  cursor.Seek(26, "header");
  cursor.Skip(cursor.DWord("colour data"), "colour data");
  const size_t resources_at = cursor.Position();
  const uint32_t resources_size = cursor.DWord("image resources");
  const std::span<const uint8_t> old_resources = cursor.Bytes(resources_size, "image resources");
  const std::vector<uint8_t> resources =
      MergedResources(old_resources, ValueOf(ReadTiff(fresh).ifd0, kPhotoshopTag));

  std::vector<uint8_t> out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(resources_at));
  const uint32_t size = static_cast<uint32_t>(resources.size());
  for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<uint8_t>(size >> shift));
  out.insert(out.end(), resources.begin(), resources.end());
  out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(cursor.Position()), file.end());
  return out;
}

}  // namespace metadata
