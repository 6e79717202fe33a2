#include "control/activex/component_stream.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

constexpr char kSignature[] = "TPF0";

[[noreturn]] void Invalid() {
  throw plat::EReadError("Invalid stream format");
}

// One bounds-checked cursor over the stream's bytes.
class Cursor {
 public:
  Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  const uint8_t* Take(size_t count) {
    if (count > size_ - pos_) Invalid();
    const uint8_t* at = data_ + pos_;
    pos_ += count;
    return at;
  }
  uint8_t Byte() { return *Take(1); }
  int64_t Little(int bytes) {
    const uint8_t* p = Take(bytes);
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t{p[i]} << (8 * i);
    const int shift = 64 - 8 * bytes;  // sign-extend
    return static_cast<int64_t>(v << shift) >> shift;
  }
  std::string ShortString() {
    const uint8_t length = Byte();
    const uint8_t* p = Take(length);
    return std::string(reinterpret_cast<const char*>(p), length);
  }
  bool AtEnd() const { return pos_ == size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class Writer {
 public:
  void Byte(uint8_t b) { out_.push_back(b); }
  void Little(int64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      Byte(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
  }
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  void ShortString(const std::string& s) {
    if (s.size() > 255) throw plat::EWriteError("Name too long for the stream: " + s.substr(0, 32));
    Byte(static_cast<uint8_t>(s.size()));
    Bytes(s.data(), s.size());
  }
  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<uint8_t> out_;
};

TStreamValue ReadValue(Cursor& in) {
  TStreamValue v;
  v.tag = static_cast<TValueTag>(in.Byte());
  switch (v.tag) {
    case TValueTag::Int8:
      v.integer = in.Little(1);
      break;
    case TValueTag::Int16:
      v.integer = in.Little(2);
      break;
    case TValueTag::Int32:
      v.integer = in.Little(4);
      break;
    case TValueTag::Extended:
      std::memcpy(v.extended, in.Take(10), 10);
      v.real = ExtendedToDouble(v.extended);
      break;
    case TValueTag::Single:
      std::memcpy(v.single, in.Take(4), 4);
      v.real = SingleToDouble(v.single);
      break;
    case TValueTag::String:
    case TValueTag::Ident:
      v.text = in.ShortString();
      break;
    case TValueTag::LString: {
      const auto length = static_cast<uint32_t>(in.Little(4));
      const uint8_t* p = in.Take(length);
      v.text.assign(reinterpret_cast<const char*>(p), length);
      break;
    }
    case TValueTag::False:
    case TValueTag::True:
    case TValueTag::Nil:
      break;
    case TValueTag::Set:
      for (std::string e = in.ShortString(); !e.empty(); e = in.ShortString())
        v.elements.push_back(e);
      break;
    default:
      Invalid();
  }
  return v;
}

void WriteValue(Writer& out, const TStreamValue& v) {
  out.Byte(static_cast<uint8_t>(v.tag));
  switch (v.tag) {
    case TValueTag::Int8:
      out.Little(v.integer, 1);
      break;
    case TValueTag::Int16:
      out.Little(v.integer, 2);
      break;
    case TValueTag::Int32:
      out.Little(v.integer, 4);
      break;
    case TValueTag::Extended:
      out.Bytes(v.extended, 10);
      break;
    case TValueTag::Single:
      out.Bytes(v.single, 4);
      break;
    case TValueTag::String:
    case TValueTag::Ident:
      out.ShortString(v.text);
      break;
    case TValueTag::LString:
      out.Little(static_cast<int64_t>(v.text.size()), 4);
      out.Bytes(v.text.data(), v.text.size());
      break;
    case TValueTag::Set:
      for (const std::string& e : v.elements) out.ShortString(e);
      out.Byte(0);
      break;
    default:
      break;
  }
}

}  // namespace

void DoubleToExtended(double value, uint8_t out[10]) {
  std::memset(out, 0, 10);
  uint16_t sign_exponent = std::signbit(value) ? 0x8000 : 0;
  uint64_t mantissa = 0;
  if (std::isnan(value)) {
    sign_exponent |= 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    sign_exponent |= 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);  // [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    sign_exponent |= static_cast<uint16_t>(exponent - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  out[8] = static_cast<uint8_t>(sign_exponent);
  out[9] = static_cast<uint8_t>(sign_exponent >> 8);
}

double SingleToDouble(const uint8_t in[4]) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= uint32_t{in[i]} << (8 * i);
  return std::bit_cast<float>(bits);
}

double ExtendedToDouble(const uint8_t in[10]) {
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= uint64_t{in[i]} << (8 * i);
  const int sign_exponent = in[8] | (in[9] << 8);
  const bool negative = sign_exponent & 0x8000;
  const int exponent = sign_exponent & 0x7FFF;
  double value;
  if (exponent == 0x7FFF) {
    value = (mantissa << 1) ? NAN : INFINITY;
  } else {
    value = std::ldexp(static_cast<double>(mantissa), (exponent ? exponent : 1) - 16383 - 63);
  }
  return negative ? -value : value;
}

TStreamValue TStreamValue::Integer(int64_t value) {
  TStreamValue v;
  v.integer = value;
  v.tag = value >= -128 && value <= 127       ? TValueTag::Int8
          : value >= -32768 && value <= 32767 ? TValueTag::Int16
                                              : TValueTag::Int32;
  return v;
}

TStreamValue TStreamValue::Real(double value) {
  TStreamValue v;
  v.tag = TValueTag::Extended;
  v.real = value;
  DoubleToExtended(value, v.extended);
  return v;
}

TStreamValue TStreamValue::Float(float value) {
  TStreamValue v;
  v.tag = TValueTag::Single;
  v.real = value;
  // Little-endian like every number of the stream.
  const auto bits = std::bit_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) v.single[i] = static_cast<uint8_t>(bits >> (8 * i));
  return v;
}

TStreamValue TStreamValue::Text(const std::string& value) {
  TStreamValue v;
  v.tag = value.size() > 255 ? TValueTag::LString : TValueTag::String;
  v.text = value;
  return v;
}

TStreamValue TStreamValue::Identifier(const std::string& name) {
  TStreamValue v;
  v.tag = TValueTag::Ident;
  v.text = name;
  return v;
}

TStreamValue TStreamValue::Boolean(bool value) {
  TStreamValue v;
  v.tag = value ? TValueTag::True : TValueTag::False;
  return v;
}

TStreamValue TStreamValue::SetOf(std::vector<std::string> names) {
  TStreamValue v;
  v.tag = TValueTag::Set;
  v.elements = std::move(names);
  return v;
}

bool TStreamValue::IsInteger() const {
  return tag == TValueTag::Int8 || tag == TValueTag::Int16 || tag == TValueTag::Int32;
}
bool TStreamValue::IsReal() const {
  return tag == TValueTag::Extended || tag == TValueTag::Single || IsInteger();
}
bool TStreamValue::IsText() const {
  return tag == TValueTag::String || tag == TValueTag::LString;
}

TComponentImage ReadComponentStream(const uint8_t* data, size_t size) {
  Cursor in(data, size);
  if (std::memcmp(in.Take(4), kSignature, 4) != 0) Invalid();
  TComponentImage image;
  image.class_name = in.ShortString();
  image.name = in.ShortString();
  for (std::string name = in.ShortString(); !name.empty(); name = in.ShortString())
    image.properties.emplace_back(name, ReadValue(in));
  if (in.Byte() != 0) Invalid();  // a control stores no children
  return image;
}

std::vector<uint8_t> WriteComponentStream(const TComponentImage& image) {
  Writer out;
  out.Bytes(kSignature, 4);
  out.ShortString(image.class_name);
  out.ShortString(image.name);
  for (const auto& [name, value] : image.properties) {
    out.ShortString(name);
    WriteValue(out, value);
  }
  out.Byte(0);
  out.Byte(0);
  return out.Take();
}

}  // namespace pictavo
