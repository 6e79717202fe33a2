// The EXIF and IPTC members: the image's file info and EXIF store, read and changed through the
// current image. Texts cross as Windows-1252; every field setter marks the file info as present.
#include <string>
#include <utility>
#include <vector>

#include "control/activex/imagebox.h"
#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/file_info.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

TFileInfo* Info(TImageBox& box) {
  return box.View().FileInfo();
}
TExif* Exif(TImageBox& box) {
  return box.View().Exif();
}

// ---- The text fields, registered from the file info's own field list

// Second names of three fields.
constexpr std::pair<const char*, const char*> kSecondNames[] = {
    {"FFO_Title", "ObjectName"}, {"FFO_Author", "Byline"}, {"FFO_AuthorsPosition", "BylineTitle"}};

template <size_t I>
void GetTextField(TImageBox& box, MemberCall& call) {
  TFileInfo* info = Info(box);
  call.ReturnAnsi(info ? info->*(FileInfoTexts()[I].Field) : std::string());
}

template <size_t I>
void PutTextField(TImageBox& box, MemberCall& call) {
  if (TFileInfo* info = Info(box)) {
    info->*(FileInfoTexts()[I].Field) = call.Ansi(call.Value());
    info->HasFileInfo = true;
  }
}

void RegisterTextField(const std::string& member, MemberBody get, MemberBody put) {
  BodyRegistrar(member.c_str(), Accessor::Get, get);
  BodyRegistrar(member.c_str(), Accessor::Put, put);
}

template <size_t... I>
bool RegisterTextFields(std::index_sequence<I...>) {
  auto one = [](size_t index, MemberBody get, MemberBody put) {
    std::string field = FileInfoTexts()[index].Name;
    RegisterTextField("FFO_" + field, get, put);
    for (const auto& [second, of] : kSecondNames)
      if (field == of) RegisterTextField(second, get, put);
  };
  (one(I, &GetTextField<I>, &PutTextField<I>), ...);
  return true;
}

const bool kTextFieldsRegistered =
    RegisterTextFields(std::make_index_sequence<kFileInfoTextCount>());

// ---- Dates, urgency, flag and URL

double GetDate(TImageBox& box, double TFileInfo::*field) {
  return Info(box) ? Info(box)->*field : 0.0;
}

void PutDate(TImageBox& box, MemberCall& call, double TFileInfo::*field) {
  if (TFileInfo* info = Info(box)) {
    info->*field = call.Double(call.Value());
    info->HasFileInfo = true;
  }
}

// ---- Keyword and category lists

[[noreturn]] void IndexOutOfBounds(int32_t index) {
  throw plat::EListError("List index out of bounds (" + std::to_string(index) + ")");
}

using List = std::vector<std::string> TFileInfo::*;

void GetItem(TImageBox& box, MemberCall& call, List list) {
  int32_t index = call.Long(0);
  TFileInfo* info = Info(box);
  if (!info) return call.ReturnAnsi({});
  if (index < 0) IndexOutOfBounds(index);
  const std::vector<std::string>& items = info->*list;
  call.ReturnAnsi(static_cast<size_t>(index) < items.size() ? items[index] : std::string());
}

void PutItem(TImageBox& box, MemberCall& call, List list) {
  int32_t index = call.Long(0);
  TFileInfo* info = Info(box);
  if (!info) return;
  if (index < 0) IndexOutOfBounds(index);
  std::vector<std::string>& items = info->*list;
  if (static_cast<size_t>(index) < items.size()) items[index] = call.Ansi(call.Value());
}

void Count(TImageBox& box, MemberCall& call, List list) {
  call.Return(Info(box) ? static_cast<int32_t>((Info(box)->*list).size()) : 0);
}

void Add(TImageBox& box, MemberCall& call, List list) {
  TFileInfo* info = Info(box);
  if (!info) return call.Return(int32_t{0});
  std::vector<std::string>& items = info->*list;
  items.push_back(call.Ansi(0));
  info->HasFileInfo = true;
  call.Return(static_cast<int32_t>(items.size() - 1));
}

void Delete(TImageBox& box, MemberCall& call, List list) {
  int32_t index = call.Long(0);
  TFileInfo* info = Info(box);
  if (!info) return;
  if (index < 0) IndexOutOfBounds(index);
  std::vector<std::string>& items = info->*list;
  if (static_cast<size_t>(index) < items.size()) items.erase(items.begin() + index);
}

void ClearList(TImageBox& box, List list) {
  if (TFileInfo* info = Info(box)) (info->*list).clear();
}

void Insert(TImageBox& box, MemberCall& call, List list) {
  int32_t index = call.Long(0);
  TFileInfo* info = Info(box);
  if (!info) return;
  std::vector<std::string>& items = info->*list;
  if (index < 0 || static_cast<size_t>(index) > items.size()) IndexOutOfBounds(index);
  items.insert(items.begin() + index, call.Ansi(1));
  info->HasFileInfo = true;
}

// The first line of the store named like entry index; nullptr for an index out of range.
const std::string* LineAt(TImageBox& box, int32_t index) {
  TExif* exif = Exif(box);
  if (!exif || index < 0 || static_cast<size_t>(index) >= exif->Tags.size()) return nullptr;
  return &exif->Tags[index];
}

std::string NameOf(const std::string& line) {
  return line.substr(0, line.find('='));
}

}  // namespace

PICTAVO_GET(FFO_ImageURL) {
  call.ReturnAnsi(Info(box) ? Info(box)->ImageURL : std::string());
}
PICTAVO_PUT(FFO_ImageURL) {
  if (TFileInfo* info = Info(box)) {
    info->ImageURL = call.Ansi(call.Value());
    info->HasFileInfo = true;
  }
}
PICTAVO_GET(FFO_Urgency) {
  call.Return(int32_t{Info(box) ? Info(box)->Urgency : uint8_t{0}});
}
PICTAVO_PUT(FFO_Urgency) {
  if (TFileInfo* info = Info(box)) {
    info->Urgency = static_cast<uint8_t>(call.Long(call.Value()) & 0xFF);
    info->HasFileInfo = true;
  }
}
PICTAVO_GET(FFO_CopyrightFlag) {
  call.Return(Info(box) && Info(box)->CopyrightFlag);
}
PICTAVO_PUT(FFO_CopyrightFlag) {
  if (TFileInfo* info = Info(box)) {
    info->CopyrightFlag = call.Bool(call.Value());
    info->HasFileInfo = true;
  }
}
PICTAVO_GET(FFO_DateCreated) {
  call.Return(GetDate(box, &TFileInfo::DateCreated));
}
PICTAVO_PUT(FFO_DateCreated) {
  PutDate(box, call, &TFileInfo::DateCreated);
}
PICTAVO_GET(FFO_DateReleased) {
  call.Return(GetDate(box, &TFileInfo::DateReleased));
}
PICTAVO_PUT(FFO_DateReleased) {
  PutDate(box, call, &TFileInfo::DateReleased);
}
PICTAVO_GET(FFO_TimeReleased) {
  call.Return(GetDate(box, &TFileInfo::TimeReleased));
}
PICTAVO_PUT(FFO_TimeReleased) {
  PutDate(box, call, &TFileInfo::TimeReleased);
}
PICTAVO_GET(FFO_ReferenceDate) {
  call.Return(GetDate(box, &TFileInfo::ReferenceDate));
}
PICTAVO_PUT(FFO_ReferenceDate) {
  PutDate(box, call, &TFileInfo::ReferenceDate);
}
PICTAVO_GET(FFO_TimeCreated) {
  call.Return(GetDate(box, &TFileInfo::TimeCreated));
}
PICTAVO_PUT(FFO_TimeCreated) {
  PutDate(box, call, &TFileInfo::TimeCreated);
}

PICTAVO_GET(FFO_Keywords) {
  GetItem(box, call, &TFileInfo::Keywords);
}
PICTAVO_PUT(FFO_Keywords) {
  PutItem(box, call, &TFileInfo::Keywords);
}
PICTAVO_GET(FFO_KeywordsCount) {
  Count(box, call, &TFileInfo::Keywords);
}
PICTAVO_CALL(FFO_KeywordsAdd) {
  Add(box, call, &TFileInfo::Keywords);
}
PICTAVO_CALL(FFO_KeywordsDelete) {
  Delete(box, call, &TFileInfo::Keywords);
}
PICTAVO_CALL(FFO_KeywordsClear) {
  ClearList(box, &TFileInfo::Keywords);
}
PICTAVO_CALL(FFO_KeywordsInsert) {
  Insert(box, call, &TFileInfo::Keywords);
}
PICTAVO_GET(FFO_SuppCat) {
  GetItem(box, call, &TFileInfo::SuppCat);
}
PICTAVO_PUT(FFO_SuppCat) {
  PutItem(box, call, &TFileInfo::SuppCat);
}
PICTAVO_GET(FFO_SuppCatCount) {
  Count(box, call, &TFileInfo::SuppCat);
}
PICTAVO_CALL(FFO_SuppCatAdd) {
  Add(box, call, &TFileInfo::SuppCat);
}
PICTAVO_CALL(FFO_SuppCatDelete) {
  Delete(box, call, &TFileInfo::SuppCat);
}
PICTAVO_CALL(FFO_SuppCatClear) {
  ClearList(box, &TFileInfo::SuppCat);
}
PICTAVO_CALL(FFO_SuppCatInsert) {
  Insert(box, call, &TFileInfo::SuppCat);
}

PICTAVO_GET(HasFileInfo) {
  call.Return(Info(box) && Info(box)->HasFileInfo);
}
PICTAVO_CALL(FFO_Clear) {
  if (TFileInfo* info = Info(box)) info->Clear();
}
PICTAVO_CALL(FFO_Save) {
  if (TFileInfo* info = Info(box)) info->SaveToFile(call.Utf8(0));
}
PICTAVO_CALL(FFO_Load) {
  if (TFileInfo* info = Info(box)) info->LoadFromFile(call.Utf8(0));
}

PICTAVO_GET(ExifCount) {
  call.Return(Exif(box) ? static_cast<int32_t>(Exif(box)->Tags.size()) : 0);
}
PICTAVO_GET(ExifName) {
  const std::string* line = LineAt(box, call.Long(0));
  call.ReturnAnsi(line ? NameOf(*line) : std::string());
}
PICTAVO_GET(ExifValueByIndex) {
  const std::string* line = LineAt(box, call.Long(0));
  call.ReturnAnsi(line ? Exif(box)->Value(NameOf(*line)) : std::string());
}
PICTAVO_GET(ExifValueByName) {
  call.ReturnAnsi(Exif(box) ? Exif(box)->Value(call.Ansi(0)) : std::string());
}
PICTAVO_CALL(ExifClear) {
  if (TExif* exif = Exif(box)) exif->Clear();
}
PICTAVO_CALL(ExifDelete) {
  call.Return(Exif(box) && Exif(box)->DeleteAttribute(call.Ansi(0)));
}
PICTAVO_CALL(ExifSetAttribute) {
  call.Return(Exif(box) && Exif(box)->SetAttribute(call.Ansi(0), call.Text(1)));
}
PICTAVO_GET(ExifConvertUTF8) {
  call.Return(!Exif(box) || Exif(box)->ConvertUTF8);
}
PICTAVO_PUT(ExifConvertUTF8) {
  if (TExif* exif = Exif(box)) exif->ConvertUTF8 = call.Bool(call.Value());
}
PICTAVO_CALL(ExifAttributeName) {
  int32_t tag = call.Long(0);
  call.ReturnAnsi(tag < 0 || tag > 65535 ? std::string() : TExif().AttributeNameOf(tag));
}
PICTAVO_CALL(ExifDataCount) {
  call.Return(int32_t{TExif().AttributeDataCount(call.Ansi(0))});
}
PICTAVO_CALL(ExifDataType) {
  call.Return(int32_t{TExif().AttributeDataType(call.Ansi(0)) & 0xFF});
}
PICTAVO_CALL(RationalToReal) {
  call.Return(RationalToReal(call.Ansi(0)));
}
PICTAVO_CALL(ExifDateToString) {
  call.ReturnAnsi(ExifDateToString(call.Double(0)));
}
PICTAVO_CALL(ExifStringToDate) {
  call.Return(ExifStringToDate(call.Ansi(0)));
}

PICTAVO_CALL(OverwriteMetaData) {
  std::string file_name = call.Utf8(0);
  if (!plat::FileExists(file_name))
    throw plat::EFOpenError("File not found: " + TicBitmap::NameWithoutFolder(file_name));
  box.View().OverwriteMetaData(file_name);
}

}  // namespace pictavo
