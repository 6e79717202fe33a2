#pragma once
// CCITT fax coding of bilevel TIFF strips: modified Huffman (compression 2), Group 3 (3) and
// Group 4 (4) decoding, and the Group 4 encoder that the TIFF and PDF writers share.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/base/exceptions.h"

namespace plat {
class TBitmap;
class TStream;
}  // namespace plat

namespace pictavo {

// Raised by DecodeGroup4 when the strip ends inside a horizontal-mode run; the page decoder
// catches it and judges the strip by the rows it got.
class EOverrunStream : public plat::Exception {
 public:
  EOverrunStream() : plat::Exception("Abort Group4 read") {}
};

// What a decoder needs to know about the page the strip belongs to.
struct TFaxPage {
  uint32_t width = 0;
  uint16_t photometric = 0;        // 0: white runs give bit 1; otherwise bit 0
  bool fillOrderReversed = false;  // FillOrder 2: first bit in the least significant position
};

// Each decoder appends the strip's rows to `out`, (width + 7) / 8 bytes a row, and never reads
// beyond `strip`. Corrupt data raises EInvalidGraphic "TIFF file image data corrupted".
void DecodeModifiedHuffman(std::vector<uint8_t>& out, std::span<const uint8_t> strip, uint32_t rows,
                           const TFaxPage& page);
// twoDimensional: T4Options bit 0, every row is an EOL followed by a 1-D/2-D tag bit.
void DecodeGroup3(std::vector<uint8_t>& out, std::span<const uint8_t> strip, uint32_t rows,
                  const TFaxPage& page, bool twoDimensional);
void DecodeGroup4(std::vector<uint8_t>& out, std::span<const uint8_t> strip, uint32_t rows,
                  const TFaxPage& page);

// Writes a pf1bit bitmap (pixel value 1 is white) as one Group 4 stream ending in EOFB.
void EncodeGroup4(const plat::TBitmap& bitmap, plat::TStream& output);

}  // namespace pictavo
