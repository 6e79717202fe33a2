#pragma once
// The EXIF attributes of an image held as text lines "name=value" (names compare without regard
// to case), with the built-in table of the 111 attributes the library knows. Read from a JPEG
// APP1 payload or a TIFF file's IFDs; written back in either form.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "control/formats/jpeg/be_stream.h"

namespace pictavo {

enum class TExifDataType : uint8_t { Byte, Ascii, Short, Long, Rational, Undefined, SRational };
enum class TExifIFD : uint8_t { IFD0, Exif, GPS };

struct TExifLookupRecord {
  const char* Name = "";
  uint16_t Tag = 0;
  TExifDataType DataType = TExifDataType::Byte;
  TExifIFD IFD = TExifIFD::IFD0;
  uint8_t Count = 0;  // 0: one or more values
};

// The table in its fixed order (lookups take the first match; slot 31 is an empty slot).
std::span<const TExifLookupRecord> ExifTagTable();
// The TIFF field type number of a data type (1, 2, 3, 4, 5, 7, 10).
int TiffFieldType(TExifDataType type);

constexpr uint16_t kExifIFDPointerTag = 0x8769;
constexpr uint16_t kGPSIFDPointerTag = 0x8825;

class TExif {
 public:
  std::vector<std::string> Tags;  // "name=value", in the order they were added
  bool ConvertUTF8 = true;

  void Clear() { Tags.clear(); }
  void CopyFrom(const TExif& source) { *this = source; }

  // Index of the first line named name (ignoring case), or -1.
  int IndexOfName(std::string_view name) const;
  // Value of the first line named name; empty when there is none.
  std::string Value(std::string_view name) const;

  // Removes the line of name; true when there was one. A line whose value is empty can be
  // removed too (otherwise nothing could ever take it out again).
  bool DeleteAttribute(std::string_view name);
  // The table entry of exactly this name; when none matches, the returned Tag is 0 and Name empty.
  TExifLookupRecord Lookup(std::string_view name) const;
  std::string AttributeNameOf(int tag) const;
  int AttributeDataCount(std::string_view name) const;
  int AttributeDataType(std::string_view name) const;
  // Converts value by the attribute's type and count and stores it; false (nothing changed)
  // for an unknown name, a wrong number of items or an item that does not fit its type.
  bool SetAttribute(std::string_view name, std::u16string_view value);

  // Fills Tags from a JPEG APP1 payload ("Exif\0\0" at position 0) or, in TIFF form, from the
  // IFD at the stream's position (byte order as the stream says). Never raises for bad data: it
  // stops at the first problem and keeps what it has read.
  void ReadFromStream(TBEMemoryStream& stream, bool& found, bool tiffForm);
  // The TIFF form read in place: the IFD at `ifd` of a whole TIFF file's bytes.
  void ReadTiffIFD(std::span<const uint8_t> file, bool bigEndian, uint64_t ifd);
  // JPEG form: the APP1 payload from position 0 (nothing when no line is a known attribute).
  // TIFF form: at the current position, the Exif and GPS pointer entries that continue the
  // caller's IFD0 (pointerCount of them), the next-IFD link (nextIFDPosition) and the sub-IFDs
  // with offsets counted from baseOffset, the stream offset of the current position.
  // A value that does not convert is left out; layout tags (width, length, bits, compression,
  // photometric, samples, planar) are never written from here.
  void WriteToStream(plat::TStream& stream, bool tiffForm, int64_t& nextIFDPosition,
                     int& pointerCount, int64_t baseOffset) const;
  // The APP1 payload of the JPEG form; empty when there is nothing to write.
  std::string JpegPayload() const;

 private:
  void SetValue(std::string_view name, std::string value);
  // The IFD at `first` and the Exif and GPS IFDs it points at (offsets counted from base).
  void ReadIFDs(plat::TByteCursor& cursor, uint64_t base, uint64_t first);
  bool ReadIFD(plat::TByteCursor& cursor, uint64_t base, uint64_t& exif_offset,
               uint64_t& gps_offset);
};

// Rational text (numerator "/" denominator) or plain number to real; "." is the separator
// whatever the locale. Raises plat::EConvertError "Conversion error - value is not a number."
// or "Conversion error - division by zero."; any other shape gives 0.
double RationalToReal(std::string_view text);
// Continued-fraction approximation with denominators up to 10^9: 0.5 gives "1/2".
std::string RealToRational(double value);
// "yyyy:mm:dd hh:mm:ss" to a DATE; 0 unless 19 characters of numbers; raises plat::EConvertError
// when the numbers form no valid date and time.
double ExifStringToDate(std::string_view text);
// DATE to "yyyy:mm:dd hh:mm:ss"; empty when the value cannot be formatted.
std::string ExifDateToString(double date);

}  // namespace pictavo
