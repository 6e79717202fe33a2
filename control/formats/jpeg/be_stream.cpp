#include "control/formats/jpeg/be_stream.h"

#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

uint32_t Combine(const uint8_t* bytes, int count, bool big_endian) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    int index = big_endian ? i : count - 1 - i;
    value = (value << 8) | bytes[index];
  }
  return value;
}

}  // namespace

void JpegShortRead(std::string_view what) {
  std::string message = "JPEG metadata ends early";
  if (!what.empty()) message += std::string(" in ") + std::string(what);
  throw plat::EReadError(message);
}

uint16_t ReadWord(TBEMemoryStream& stream) {
  uint8_t bytes[2];
  stream.ReadBuffer(bytes, 2);
  return static_cast<uint16_t>(Combine(bytes, 2, stream.BigEndian));
}

uint32_t ReadDWord(TBEMemoryStream& stream) {
  uint8_t bytes[4];
  stream.ReadBuffer(bytes, 4);
  return Combine(bytes, 4, stream.BigEndian);
}

void PutWordBE(std::string& out, uint32_t value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

void PutDWordBE(std::string& out, uint32_t value) {
  PutWordBE(out, value >> 16);
  PutWordBE(out, value & 0xFFFF);
}

void PutWordLE(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void PutDWordLE(std::string& out, uint32_t value) {
  PutWordLE(out, value & 0xFFFF);
  PutWordLE(out, value >> 16);
}

}  // namespace pictavo
