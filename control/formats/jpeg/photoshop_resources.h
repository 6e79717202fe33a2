#pragma once
// The Photoshop image-resource container: "8BIM" blocks, of which this library models the IPTC
// record-2 block (0x0404), the copyright flag (0x040A) and the URL (0x040B). It is read and
// written as a JPEG APP13 segment and as the bare block sequence that TIFF and PSD files carry.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/base/byte_cursor.h"
#include "platform/base/streams.h"

namespace pictavo {

constexpr uint16_t kIptcResourceID = 0x0404;
constexpr uint16_t kCopyrightFlagResourceID = 0x040A;
constexpr uint16_t kImageURLResourceID = 0x040B;

// Largest value one IPTC dataset can hold (its length field has 16 bits).
constexpr size_t kMaxDataSetSize = 65535;
// Largest payload of one JPEG segment: a 16-bit length that counts itself.
constexpr size_t kMaxSegmentPayload = 65533;

// One IPTC dataset of record 2, its value as stored (no terminator, no conversion).
struct TSegmentData {
  uint8_t DataSet = 0;
  std::string Value;
};

// One image-resource block.
class TBIMSegment {
 public:
  std::vector<TSegmentData> DataSets;  // block 0x0404
  std::string Data;                    // blocks 0x040A and 0x040B
  std::string Name;
  uint8_t IDHigh = 0;
  uint8_t IDLow = 0;

  uint16_t ID() const { return static_cast<uint16_t>(IDHigh << 8 | IDLow); }
  TSegmentData& AddDataSet();
  size_t DataSetCount() const { return DataSets.size(); }
  TSegmentData& DataSetItem(size_t index) { return DataSets.at(index); }
  const std::string& GetData() const { return Data; }
  void SetData(std::string data) { Data = std::move(data); }

  // Bytes of data the block writes: datasets with their 5-byte headers, or Data.
  uint64_t DataSize() const;
  // Reads the 32-bit size and the (even-padded) data that follow at the cursor.
  void ReadData(plat::TByteCursor& cursor);
  // Parses IPTC datasets out of a block's data; pairs other than 1C 02 are passed over.
  void ReadDataSets(std::span<const uint8_t> data);
  // Appends the block in file form; raises EJPEG for a dataset longer than kMaxDataSetSize.
  void AppendTo(std::string& out) const;
};

class TApp14Segment {
 public:
  std::vector<TBIMSegment> Blocks;
  // Identification text of the APP13 form, "Photoshop 3.0" when built from file info.
  std::string Header;
  // Blocks of other kinds, kept whole (from "8BIM" to their pad byte) so that rewriting a file's
  // metadata does not lose them. Written after the modelled blocks.
  std::vector<std::string> OtherBlocks;

  TBIMSegment& AddBlock();
  size_t BlockCount() const { return Blocks.size(); }
  TBIMSegment& Block(size_t index) { return Blocks.at(index); }

  // Parse the payload of an APP13 segment (after its length field) or a bare block sequence,
  // from position 0, appending to Blocks. A size or length past the end raises
  // plat::EReadError; so does an identification text without its zero byte.
  void LoadFromAPP13(plat::TStream& stream);
  void LoadFromResources(plat::TStream& stream);
  void LoadFromAPP13(std::span<const uint8_t> payload);
  void LoadFromResources(std::span<const uint8_t> blocks);

  // Write a complete APP13 segment (marker included) or the bare blocks from position 0 and
  // leave the position at 0. Content that does not fit its length field raises EJPEG.
  void SaveToAPP13(plat::TStream& stream) const;
  void SaveToResources(plat::TStream& stream) const;
  std::string APP13Bytes() const;
  std::string ResourceBytes() const;

 private:
  void ScanBlocks(plat::TByteCursor& cursor);
};

}  // namespace pictavo
