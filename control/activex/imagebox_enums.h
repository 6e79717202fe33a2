#pragma once
// The sixteen enumerations of the control's type library: names, values and help strings.
// The member table, the type information and the persisted identifiers all read them here.
#include <cstdint>
#include <span>
#include <string_view>

namespace pictavo {

enum class EnumId : uint8_t {
  TxFlipMode,
  TxGraphicsFormat,
  TxColorFormat,
  TxWMStyle,
  TxPenMode,
  TxPenStyle,
  TxBrushStyle,
  TxHelpType,
  TxFloodFillStyle,
  TxSelectionType,
  TxPrinterOrientation,
  TxPrintUnits,
  TxCompression,
  TxTextJustify,
  TxTwainUnits,
  TxPixelType,
};
inline constexpr int kEnumCount = 16;

struct EnumConstant {
  int32_t value;
  const char* name;
  const char* help;
};

struct EnumInfo {
  EnumId id;
  const char* name;
  const char* help;  // nullptr when the enumeration has none
  const char* guid;
  std::span<const EnumConstant> constants;
  bool is_signed;  // results widened with their sign (-1 = unknown)
};

std::span<const EnumInfo> Enumerations();
const EnumInfo& Enumeration(EnumId id);
// The constant's name for value, or nullptr.
const char* EnumName(EnumId id, int32_t value);
// The value of a constant name; false when the enumeration has no such name.
bool EnumValue(EnumId id, std::string_view name, int32_t& value);

}  // namespace pictavo
