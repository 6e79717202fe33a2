#include "platform/base/tiff_directories.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

#include "platform/base/byte_cursor.h"
#include "platform/base/exceptions.h"

namespace plat {

namespace {

[[noreturn]] void OutsideTheData(std::string_view) {
  throw EReadError("TIFF directory lies outside the data");
}

// The unit a byte-order swap works on: a rational is two longs.
uint32_t SwapUnit(uint16_t type) {
  switch (type) {
    case 3:
    case 8:
      return 2;
    case 4:
    case 5:
    case 9:
    case 10:
    case 11:
    case 13:
      return 4;
    case 12:
      return 8;
    default:
      return 1;
  }
}

uint32_t Offset32(uint64_t offset) {
  if (offset > std::numeric_limits<uint32_t>::max())
    throw EWriteError("TIFF offsets do not reach past 4 GB");
  return static_cast<uint32_t>(offset);
}

}  // namespace

const TiffField* TiffDirectory::Find(uint16_t tag) const {
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [tag](const TiffField& field) { return field.tag == tag; });
  return found == fields.end() ? nullptr : &*found;
}

TiffField* TiffDirectory::Find(uint16_t tag) {
  return const_cast<TiffField*>(std::as_const(*this).Find(tag));
}

void TiffDirectory::Remove(uint16_t tag) {
  std::erase_if(fields, [tag](const TiffField& field) { return field.tag == tag; });
}

void TiffDirectory::Set(TiffField field) {
  if (TiffField* existing = Find(field.tag))
    *existing = std::move(field);
  else
    fields.push_back(std::move(field));
}

uint32_t TiffTypeSize(uint16_t type) {
  switch (type) {
    case 3:
    case 8:
      return 2;
    case 4:
    case 9:
    case 11:
    case 13:
      return 4;
    case 5:
    case 10:
    case 12:
      return 8;
    default:
      return 1;
  }
}

TiffDirectory ReadTiffDirectory(std::span<const uint8_t> bytes, bool bigEndian, uint64_t offset) {
  TByteCursor cursor(bytes, OutsideTheData, bigEndian);
  cursor.Seek(offset);
  const uint16_t count = cursor.Word();
  TiffDirectory directory;
  directory.fields.reserve(std::min<size_t>(count, cursor.Remaining() / 12));
  for (uint16_t i = 0; i < count; ++i) {
    TiffField field;
    field.tag = cursor.Word();
    field.type = cursor.Word();
    field.count = cursor.DWord();
    const uint64_t size = uint64_t{field.count} * TiffTypeSize(field.type);
    const std::span<const uint8_t> inline_value = cursor.Bytes(4);
    std::span<const uint8_t> value;
    if (size <= 4) {
      value = inline_value.first(static_cast<size_t>(size));
    } else {
      field.at = cursor.DWordAt(cursor.Position() - 4);
      value = cursor.BytesAt(*field.at, size);
    }
    field.value.assign(value.begin(), value.end());
    directory.fields.push_back(std::move(field));
  }
  directory.next = cursor.DWord();
  return directory;
}

std::optional<uint32_t> TiffNumber(const TiffField& field, bool bigEndian) {
  if (field.count == 0) return std::nullopt;
  if (field.type == kTiffTypeShort && field.value.size() >= 2)
    return TByteCursor(field.value, OutsideTheData, bigEndian).Word();
  if (field.type == kTiffTypeLong && field.value.size() >= 4)
    return TByteCursor(field.value, OutsideTheData, bigEndian).DWord();
  return std::nullopt;
}

TiffField TiffLongField(uint16_t tag, uint32_t value, bool bigEndian) {
  TiffField field{tag, kTiffTypeLong, 1, std::vector<uint8_t>(4), std::nullopt};
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    field.value[i] = static_cast<uint8_t>(value >> shift);
  }
  return field;
}

void SwapTiffByteOrder(TiffField& field) {
  const uint32_t unit = SwapUnit(field.type);
  for (size_t i = 0; i + unit <= field.value.size(); i += unit)
    std::reverse(field.value.begin() + static_cast<std::ptrdiff_t>(i),
                 field.value.begin() + static_cast<std::ptrdiff_t>(i + unit));
}

void TiffLayout::Keep(uint64_t at, uint64_t size) {
  kept_.emplace_back(at, at + size);
}

uint64_t TiffLayout::Allocate(uint64_t size) {
  uint64_t at = (free_ + 1) & ~uint64_t{1};
  // Step past every kept range the new bytes would overlap, until none does.
  for (bool moved = true; moved;) {
    moved = false;
    for (const auto& [from, to] : kept_)
      if (at < to && from < at + size) {
        at = (to + 1) & ~uint64_t{1};
        moved = true;
      }
  }
  free_ = at + size;
  return at;
}

void TiffLayout::Write(uint64_t at, std::span<const uint8_t> bytes) {
  if (out_.size() < at + bytes.size()) out_.resize(at + bytes.size());
  std::copy(bytes.begin(), bytes.end(), out_.begin() + static_cast<std::ptrdiff_t>(at));
}

uint64_t TiffLayout::Place(std::span<const uint8_t> bytes) {
  const uint64_t at = Allocate(bytes.size());
  Write(at, bytes);
  return at;
}

void TiffLayout::PutLong(uint64_t at, uint32_t value) {
  Write(at, TiffLongField(0, value, bigEndian_).value);
}

void TiffLayout::PutShort(uint64_t at, uint16_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(bigEndian_ ? value >> 8 : value),
                            static_cast<uint8_t>(bigEndian_ ? value : value >> 8)};
  Write(at, bytes);
}

uint64_t TiffLayout::PlaceDirectory(TiffDirectory directory) {
  std::stable_sort(directory.fields.begin(), directory.fields.end(),
                   [](const TiffField& a, const TiffField& b) { return a.tag < b.tag; });
  for (const TiffField& field : directory.fields)
    if (field.at && field.value.size() > 4) Keep(*field.at, field.value.size());
  const uint64_t at = Allocate(2 + 12 * uint64_t{directory.fields.size()} + 4);
  PutShort(at, static_cast<uint16_t>(directory.fields.size()));
  uint64_t entry = at + 2;
  for (const TiffField& field : directory.fields) {
    PutShort(entry, field.tag);
    PutShort(entry + 2, field.type);
    PutLong(entry + 4, field.count);
    if (field.value.size() <= 4) {
      std::vector<uint8_t> padded = field.value;
      padded.resize(4);
      Write(entry + 8, padded);
    } else {
      const uint64_t value_at = field.at ? *field.at : Allocate(field.value.size());
      Write(value_at, field.value);
      PutLong(entry + 8, Offset32(value_at));
    }
    entry += 12;
  }
  PutLong(entry, directory.next);
  Offset32(End());
  return at;
}

}  // namespace plat
