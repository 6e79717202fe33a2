#include "control/formats/jpeg/photoshop_resources.h"

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/jpeg_errors.h"

namespace pictavo {

namespace {

constexpr uint8_t kIptcTag = 0x1C;
constexpr uint8_t kRecord2 = 0x02;

bool IsModelled(uint8_t high, uint8_t low) {
  return high == 4 && (low == 4 || low == 10 || low == 11);
}

std::vector<uint8_t> WholeStream(plat::TStream& stream) {
  stream.SetPosition(0);
  return stream.ReadRest();
}

void WriteFromStart(plat::TStream& stream, const std::string& bytes) {
  stream.SetPosition(0);
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
}

// Name field: a length byte and the characters, padded to an even total.
void SkipNamePad(plat::TByteCursor& cursor, size_t name_length) {
  if (name_length % 2 == 0) cursor.Skip(1);
}

// Moves past a block's name, size and data; false when they run past the end.
bool SkipBlockBody(plat::TByteCursor& cursor) {
  try {
    uint8_t name_length = cursor.Byte();
    cursor.Skip(name_length);
    SkipNamePad(cursor, name_length);
    uint64_t size = cursor.DWord();
    cursor.Skip(size + (size & 1));
    return true;
  } catch (const plat::EReadError&) {
    return false;
  }
}

}  // namespace

TSegmentData& TBIMSegment::AddDataSet() {
  return DataSets.emplace_back();
}

uint64_t TBIMSegment::DataSize() const {
  switch (ID()) {
    case kIptcResourceID: {
      uint64_t size = 0;
      for (const TSegmentData& set : DataSets) size += set.Value.size() + 5;
      return size;
    }
    case kCopyrightFlagResourceID:
    case kImageURLResourceID:
      return Data.size();
    default:
      return 0;
  }
}

void TBIMSegment::ReadData(plat::TByteCursor& cursor) {
  uint64_t size = cursor.DWord();
  std::span<const uint8_t> data = cursor.Bytes(size + (size & 1));
  switch (ID()) {
    case kIptcResourceID:
      ReadDataSets(data);
      break;
    case kCopyrightFlagResourceID:
      Data.append(data.begin(), data.end());
      break;
    case kImageURLResourceID:
      for (uint8_t byte : data)
        if (byte != 0) Data += static_cast<char>(byte);
      break;
    default:
      break;
  }
}

void TBIMSegment::ReadDataSets(std::span<const uint8_t> data) {
  plat::TByteCursor cursor = JpegCursor(data);
  while (cursor.Remaining() >= 2) {
    uint8_t tag = cursor.Byte();
    uint8_t record = cursor.Byte();
    if (tag != kIptcTag || record != kRecord2) continue;
    TSegmentData& set = AddDataSet();
    set.DataSet = cursor.Byte();
    uint16_t length = cursor.Word();
    set.Value = cursor.Text(length);
  }
}

void TBIMSegment::AppendTo(std::string& out) const {
  out += "8BIM";
  out += static_cast<char>(IDHigh);
  out += static_cast<char>(IDLow);
  std::string name = Name.substr(0, 255);
  out += static_cast<char>(name.size());
  out += name;
  if (name.size() % 2 == 0) out += '\0';
  uint64_t size = DataSize();
  PutDWordBE(out, static_cast<uint32_t>(size));
  if (ID() == kIptcResourceID) {
    for (const TSegmentData& set : DataSets) {
      if (set.Value.size() > kMaxDataSetSize)
        throw EJPEG("IPTC data set 2:" + std::to_string(set.DataSet) +
                    " is longer than 65535 bytes.");
      out += static_cast<char>(kIptcTag);
      out += static_cast<char>(kRecord2);
      out += static_cast<char>(set.DataSet);
      PutWordBE(out, static_cast<uint32_t>(set.Value.size()));
      out += set.Value;
    }
  } else if (ID() == kCopyrightFlagResourceID || ID() == kImageURLResourceID) {
    out += Data;
  }
  if (size % 2 == 1) out += '\0';
}

TBIMSegment& TApp14Segment::AddBlock() {
  return Blocks.emplace_back();
}

void TApp14Segment::LoadFromAPP13(std::span<const uint8_t> payload) {
  plat::TByteCursor cursor = JpegCursor(payload);
  Header.clear();
  for (uint8_t byte = cursor.Byte(); byte != 0; byte = cursor.Byte())
    Header += static_cast<char>(byte);
  ScanBlocks(cursor);
}

void TApp14Segment::LoadFromResources(std::span<const uint8_t> blocks) {
  plat::TByteCursor cursor = JpegCursor(blocks);
  ScanBlocks(cursor);
}

void TApp14Segment::LoadFromAPP13(plat::TStream& stream) {
  LoadFromAPP13(WholeStream(stream));
}

void TApp14Segment::LoadFromResources(plat::TStream& stream) {
  LoadFromResources(WholeStream(stream));
}

// Looks for "8BIM" byte by byte, so that junk between blocks is passed over.
void TApp14Segment::ScanBlocks(plat::TByteCursor& cursor) {
  while (cursor.Remaining() >= 2) {
    size_t start = cursor.Position();
    if (cursor.Byte() != '8' || cursor.Byte() != 'B' || cursor.Byte() != 'I' ||
        cursor.Byte() != 'M')
      continue;
    uint8_t high = cursor.Byte();
    uint8_t low = cursor.Byte();
    if (IsModelled(high, low)) {
      TBIMSegment& block = AddBlock();
      block.IDHigh = high;
      block.IDLow = low;
      uint8_t name_length = cursor.Byte();
      block.Name = cursor.Text(name_length);
      SkipNamePad(cursor, name_length);
      block.ReadData(cursor);
      continue;
    }
    // Other kinds are kept whole when their extent lies inside the data; otherwise the search
    // goes on right after the ID.
    size_t after_id = cursor.Position();
    if (!SkipBlockBody(cursor)) {
      cursor.Seek(after_id);
      continue;
    }
    size_t end = cursor.Position();
    cursor.Seek(start);
    OtherBlocks.push_back(cursor.Text(end - start));
  }
}

std::string TApp14Segment::ResourceBytes() const {
  std::string out;
  for (const TBIMSegment& block : Blocks) block.AppendTo(out);
  for (const std::string& raw : OtherBlocks) out += raw;
  return out;
}

std::string TApp14Segment::APP13Bytes() const {
  std::string out = "\xFF\xED";
  PutWordBE(out, 0);
  out += Header;
  out += '\0';
  out += ResourceBytes();
  if (out.size() - 4 > kMaxSegmentPayload)
    throw EJPEG("The file info does not fit in one JPEG segment.");
  uint32_t length = static_cast<uint32_t>(out.size() - 2);
  out[2] = static_cast<char>(length >> 8);
  out[3] = static_cast<char>(length & 0xFF);
  return out;
}

void TApp14Segment::SaveToAPP13(plat::TStream& stream) const {
  WriteFromStart(stream, APP13Bytes());
}

void TApp14Segment::SaveToResources(plat::TStream& stream) const {
  WriteFromStart(stream, ResourceBytes());
}

}  // namespace pictavo
