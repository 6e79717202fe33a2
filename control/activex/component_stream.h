#pragma once
// The "TPF0" component stream: the persisted state of a control as hosts store it.
//
// Layout: "TPF0", the class name and the component name (each a length byte and the bytes),
// then the properties (name, value tag, value) ended by a 0 byte, then a 0 byte ending the
// (empty) list of children. Values keep the tag they were read with, so a stream read and
// written again comes back byte for byte.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pictavo {

enum class TValueTag : uint8_t {
  Null = 0,
  List = 1,
  Int8 = 2,
  Int16 = 3,
  Int32 = 4,
  Extended = 5,
  String = 6,
  Ident = 7,
  False = 8,
  True = 9,
  Binary = 10,
  Set = 11,
  LString = 12,
  Nil = 13,
  Single = 14,
};

struct TStreamValue {
  TValueTag tag = TValueTag::Null;
  int64_t integer = 0;                // Int8, Int16, Int32
  double real = 0;                    // Extended, Single
  std::string text;                   // String, LString, Ident (8-bit bytes)
  std::vector<std::string> elements;  // Set
  uint8_t extended[10] = {};          // the 80-bit bytes as read, so they round-trip exactly
  uint8_t single[4] = {};             // the 32-bit bytes as read (a NaN keeps its payload)

  static TStreamValue Integer(int64_t value);          // the smallest integer tag that holds value
  static TStreamValue Real(double value);              // Extended
  static TStreamValue Float(float value);              // Single
  static TStreamValue Text(const std::string& value);  // String, or LString above 255 bytes
  static TStreamValue Identifier(const std::string& name);
  static TStreamValue Boolean(bool value);
  static TStreamValue SetOf(std::vector<std::string> names);

  bool IsInteger() const;
  bool IsReal() const;
  bool IsText() const;
  bool IsBoolean() const { return tag == TValueTag::False || tag == TValueTag::True; }
};

struct TComponentImage {
  std::string class_name;
  std::string name;
  std::vector<std::pair<std::string, TStreamValue>> properties;
};

// Raises plat::EReadError "Invalid stream format" for anything that is not such a stream.
TComponentImage ReadComponentStream(const uint8_t* data, size_t size);
std::vector<uint8_t> WriteComponentStream(const TComponentImage& image);

// 80-bit extended reals as the stream stores them (little-endian, explicit integer bit).
void DoubleToExtended(double value, uint8_t out[10]);
double ExtendedToDouble(const uint8_t in[10]);
// The little-endian 32-bit float of the Single tag.
double SingleToDouble(const uint8_t in[4]);

}  // namespace pictavo
