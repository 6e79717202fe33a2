#include "control/engine/view/image_metadata.h"

#include <vector>

#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/file_info.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

std::string TFileInfo::*TextField(std::string_view field) {
  for (const TFileInfoText& text : FileInfoTexts())
    if (field == text.Name) return text.Field;
  throw plat::EListError("No such file info text: " + std::string(field));
}

double TFileInfo::*DateField(std::string_view field) {
  for (const TFileInfoDate& date : FileInfoDates())
    if (field == date.Name) return date.Field;
  throw plat::EListError("No such file info date: " + std::string(field));
}

std::vector<std::string> TFileInfo::*ListField(TIptcList list) {
  return list == TIptcList::Keywords ? &TFileInfo::Keywords : &TFileInfo::SuppCat;
}

[[noreturn]] void IndexOutOfBounds(int32_t index) {
  throw plat::EListError("List index out of bounds (" + std::to_string(index) + ")");
}

// A field setter's one rule: the change marks the file info as present.
template <class T>
void SetField(TFileInfo* info, T TFileInfo::*field, T value) {
  if (!info) return;
  info->*field = std::move(value);
  info->HasFileInfo = true;
}

template <class T>
T GetField(const TFileInfo* info, T TFileInfo::*field) {
  return info ? info->*field : T{};
}

std::string NameOf(const std::string& line) {
  return line.substr(0, line.find('='));
}

}  // namespace

bool TImageMetadata::HasFileInfo() const {
  return GetField(Info(), &TFileInfo::HasFileInfo);
}
std::string TImageMetadata::Text(std::string_view field) const {
  return GetField(Info(), TextField(field));
}
void TImageMetadata::SetText(std::string_view field, const std::string& value) {
  SetField(Info(), TextField(field), value);
}
double TImageMetadata::Date(std::string_view field) const {
  return GetField(Info(), DateField(field));
}
void TImageMetadata::SetDate(std::string_view field, double value) {
  SetField(Info(), DateField(field), value);
}
std::string TImageMetadata::ImageURL() const {
  return GetField(Info(), &TFileInfo::ImageURL);
}
void TImageMetadata::SetImageURL(const std::string& url) {
  SetField(Info(), &TFileInfo::ImageURL, url);
}
uint8_t TImageMetadata::Urgency() const {
  return GetField(Info(), &TFileInfo::Urgency);
}
void TImageMetadata::SetUrgency(uint8_t urgency) {
  SetField(Info(), &TFileInfo::Urgency, urgency);
}
bool TImageMetadata::CopyrightFlag() const {
  return GetField(Info(), &TFileInfo::CopyrightFlag);
}
void TImageMetadata::SetCopyrightFlag(bool on) {
  SetField(Info(), &TFileInfo::CopyrightFlag, on);
}

std::string TImageMetadata::Item(TIptcList list, int32_t index) const {
  const TFileInfo* info = Info();
  if (!info) return {};
  if (index < 0) IndexOutOfBounds(index);
  const std::vector<std::string>& items = info->*ListField(list);
  return static_cast<size_t>(index) < items.size() ? items[index] : std::string();
}

void TImageMetadata::SetItem(TIptcList list, int32_t index, const std::string& value) {
  TFileInfo* info = Info();
  if (!info) return;
  if (index < 0) IndexOutOfBounds(index);
  std::vector<std::string>& items = info->*ListField(list);
  if (static_cast<size_t>(index) < items.size()) items[index] = value;
}

int32_t TImageMetadata::Count(TIptcList list) const {
  return Info() ? static_cast<int32_t>((Info()->*ListField(list)).size()) : 0;
}

int32_t TImageMetadata::Add(TIptcList list, const std::string& value) {
  TFileInfo* info = Info();
  if (!info) return 0;
  std::vector<std::string>& items = info->*ListField(list);
  items.push_back(value);
  info->HasFileInfo = true;
  return static_cast<int32_t>(items.size() - 1);
}

void TImageMetadata::Delete(TIptcList list, int32_t index) {
  TFileInfo* info = Info();
  if (!info) return;
  if (index < 0) IndexOutOfBounds(index);
  std::vector<std::string>& items = info->*ListField(list);
  if (static_cast<size_t>(index) < items.size()) items.erase(items.begin() + index);
}

void TImageMetadata::Clear(TIptcList list) {
  if (TFileInfo* info = Info()) (info->*ListField(list)).clear();
}

void TImageMetadata::Insert(TIptcList list, int32_t index, const std::string& value) {
  TFileInfo* info = Info();
  if (!info) return;
  std::vector<std::string>& items = info->*ListField(list);
  if (index < 0 || static_cast<size_t>(index) > items.size()) IndexOutOfBounds(index);
  items.insert(items.begin() + index, value);
  info->HasFileInfo = true;
}

void TImageMetadata::ClearFileInfo() {
  if (TFileInfo* info = Info()) info->Clear();
}
void TImageMetadata::SaveFileInfo(const std::string& file_name) const {
  if (const TFileInfo* info = Info()) info->SaveToFile(file_name);
}
void TImageMetadata::LoadFileInfo(const std::string& file_name) {
  if (TFileInfo* info = Info()) info->LoadFromFile(file_name);
}

int32_t TImageMetadata::ExifCount() const {
  return Exif() ? static_cast<int32_t>(Exif()->Tags.size()) : 0;
}

std::string TImageMetadata::ExifName(int32_t index) const {
  const TExif* exif = Exif();
  if (!exif || index < 0 || static_cast<size_t>(index) >= exif->Tags.size()) return {};
  return NameOf(exif->Tags[index]);
}

std::string TImageMetadata::ExifValueByIndex(int32_t index) const {
  const std::string name = ExifName(index);
  return name.empty() ? std::string() : Exif()->Value(name);
}

std::string TImageMetadata::ExifValue(std::string_view name) const {
  return Exif() ? Exif()->Value(name) : std::string();
}
void TImageMetadata::ExifClear() {
  if (TExif* exif = Exif()) exif->Clear();
}
bool TImageMetadata::ExifDelete(std::string_view name) {
  return Exif() && Exif()->DeleteAttribute(name);
}
bool TImageMetadata::ExifSetAttribute(std::string_view name, std::u16string_view value) {
  return Exif() && Exif()->SetAttribute(name, value);
}
bool TImageMetadata::ExifConvertUTF8() const {
  return !Exif() || Exif()->ConvertUTF8;
}
void TImageMetadata::SetExifConvertUTF8(bool on) {
  if (TExif* exif = Exif()) exif->ConvertUTF8 = on;
}

std::string TImageMetadata::ExifAttributeName(int32_t tag) {
  return tag < 0 || tag > 65535 ? std::string() : TExif().AttributeNameOf(tag);
}
int32_t TImageMetadata::ExifDataCount(std::string_view name) {
  return TExif().AttributeDataCount(name);
}
uint8_t TImageMetadata::ExifDataType(std::string_view name) {
  return static_cast<uint8_t>(TExif().AttributeDataType(name) & 0xFF);
}

void TImageMetadata::OverwriteMetaData(const std::string& file_name) {
  if (!plat::FileExists(file_name))
    throw plat::EFOpenError("File not found: " + TicBitmap::NameWithoutFolder(file_name));
  document_.OverwriteMetaData(file_name);
}

double ExifRationalToReal(std::string_view text) {
  return RationalToReal(text);
}
std::string ExifDateText(double date) {
  return ExifDateToString(date);
}
double ExifTextDate(std::string_view text) {
  return ExifStringToDate(text);
}

}  // namespace pictavo
