#pragma once
// TImageMetadata: the IPTC file info and the EXIF store of the document's image, as the
// control's members read and change them. Texts are 8-bit Windows-1252 strings; every setter of
// a file-info field marks the file info as present; without an image everything reads empty and
// changes nothing. It holds no state of its own: the view hands one out over its document.
#include <cstdint>
#include <string>
#include <string_view>

#include "control/engine/view/image_document.h"

namespace pictavo {

// The two IPTC lists.
enum class TIptcList : uint8_t { Keywords, SuppCat };

class TImageMetadata {
 public:
  explicit TImageMetadata(TImageDocument& document) : document_(document) {}

  // --- IPTC file info; texts and dates by their field name ("Caption", "DateCreated") ---
  bool HasFileInfo() const;
  std::string Text(std::string_view field) const;
  void SetText(std::string_view field, const std::string& value);
  double Date(std::string_view field) const;
  void SetDate(std::string_view field, double value);
  std::string ImageURL() const;
  void SetImageURL(const std::string& url);
  uint8_t Urgency() const;
  void SetUrgency(uint8_t urgency);
  bool CopyrightFlag() const;
  void SetCopyrightFlag(bool on);
  // List items: a negative index fails with "List index out of bounds (<index>)"; reading past
  // the end gives an empty text, writing or deleting past it does nothing.
  std::string Item(TIptcList list, int32_t index) const;
  void SetItem(TIptcList list, int32_t index, const std::string& value);
  int32_t Count(TIptcList list) const;
  // The index of the new item (0 without an image).
  int32_t Add(TIptcList list, const std::string& value);
  void Delete(TIptcList list, int32_t index);
  void Clear(TIptcList list);
  // Before index, 0 .. Count; any other index fails as above.
  void Insert(TIptcList list, int32_t index, const std::string& value);
  void ClearFileInfo();
  void SaveFileInfo(const std::string& file_name) const;
  void LoadFileInfo(const std::string& file_name);

  // --- EXIF store: entries by index (empty out of range) or by name ---
  int32_t ExifCount() const;
  std::string ExifName(int32_t index) const;
  std::string ExifValueByIndex(int32_t index) const;
  std::string ExifValue(std::string_view name) const;
  void ExifClear();
  bool ExifDelete(std::string_view name);
  bool ExifSetAttribute(std::string_view name, std::u16string_view value);
  // True without an image, as a fresh store says.
  bool ExifConvertUTF8() const;
  void SetExifConvertUTF8(bool on);
  // What the EXIF tables say of a tag or name, with or without an image.
  static std::string ExifAttributeName(int32_t tag);
  static int32_t ExifDataCount(std::string_view name);
  static uint8_t ExifDataType(std::string_view name);

  // Writes the image's metadata into the JPEG file_name, which must exist.
  void OverwriteMetaData(const std::string& file_name);

 private:
  // The image's stores, nullptr without an image.
  TFileInfo* Info() const { return document_.FileInfo(); }
  TExif* Exif() const { return document_.Exif(); }
  TImageDocument& document_;
};

// The EXIF text forms of numbers and dates.
double ExifRationalToReal(std::string_view text);
std::string ExifDateText(double date);
double ExifTextDate(std::string_view text);

}  // namespace pictavo
