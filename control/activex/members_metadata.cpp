// The EXIF and IPTC members: the image's file info and EXIF store through the view's metadata
// part. Texts cross as Windows-1252.
#include "control/activex/imagebox.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

TImageMetadata Metadata(TImageBox& box) {
  return box.View().Metadata();
}

std::string Ansi(std::u16string_view text) {
  return plat::Utf16ToAnsi(text);
}

std::u16string FromAnsi(const std::string& text) {
  return plat::AnsiToUtf16(text);
}

}  // namespace

// A text of the file info by its field name; three fields answer to a second member name.
#define PICTAVO_TEXT_FIELD(member, field)                           \
  PICTAVO_GET(member)(TImageBox & box) {                            \
    return FromAnsi(Metadata(box).Text(field));                     \
  }                                                                 \
  PICTAVO_PUT(member)(TImageBox & box, std::u16string_view value) { \
    Metadata(box).SetText(field, Ansi(value));                      \
  }
PICTAVO_TEXT_FIELD(FFO_Caption, "Caption")
PICTAVO_TEXT_FIELD(FFO_CaptionWriter, "CaptionWriter")
PICTAVO_TEXT_FIELD(FFO_Headline, "Headline")
PICTAVO_TEXT_FIELD(FFO_SpecialInstructions, "SpecialInstructions")
PICTAVO_TEXT_FIELD(FFO_Category, "Category")
PICTAVO_TEXT_FIELD(FFO_Byline, "Byline")
PICTAVO_TEXT_FIELD(FFO_BylineTitle, "BylineTitle")
PICTAVO_TEXT_FIELD(FFO_Credit, "Credit")
PICTAVO_TEXT_FIELD(FFO_Source, "Source")
PICTAVO_TEXT_FIELD(FFO_ObjectName, "ObjectName")
PICTAVO_TEXT_FIELD(FFO_City, "City")
PICTAVO_TEXT_FIELD(FFO_ProvinceState, "ProvinceState")
PICTAVO_TEXT_FIELD(FFO_CountryName, "CountryName")
PICTAVO_TEXT_FIELD(FFO_OTR, "OTR")
PICTAVO_TEXT_FIELD(FFO_CopyrightNotice, "CopyrightNotice")
PICTAVO_TEXT_FIELD(FFO_EditStatus, "EditStatus")
PICTAVO_TEXT_FIELD(FFO_FixtureIdentifier, "FixtureIdentifier")
PICTAVO_TEXT_FIELD(FFO_ReferenceService, "ReferenceService")
PICTAVO_TEXT_FIELD(FFO_ReferenceNumber, "ReferenceNumber")
PICTAVO_TEXT_FIELD(FFO_OriginatingProgram, "OriginatingProgram")
PICTAVO_TEXT_FIELD(FFO_ProgramVersion, "ProgramVersion")
PICTAVO_TEXT_FIELD(FFO_ObjectCycle, "ObjectCycle")
PICTAVO_TEXT_FIELD(FFO_Sublocation, "Sublocation")
PICTAVO_TEXT_FIELD(FFO_CountryCode, "CountryCode")
PICTAVO_TEXT_FIELD(FFO_LocalCaption, "LocalCaption")
PICTAVO_TEXT_FIELD(FFO_CustomField1, "CustomField1")
PICTAVO_TEXT_FIELD(FFO_CustomField2, "CustomField2")
PICTAVO_TEXT_FIELD(FFO_CustomField3, "CustomField3")
PICTAVO_TEXT_FIELD(FFO_CustomField4, "CustomField4")
PICTAVO_TEXT_FIELD(FFO_CustomField5, "CustomField5")
PICTAVO_TEXT_FIELD(FFO_CustomField6, "CustomField6")
PICTAVO_TEXT_FIELD(FFO_CustomField7, "CustomField7")
PICTAVO_TEXT_FIELD(FFO_CustomField8, "CustomField8")
PICTAVO_TEXT_FIELD(FFO_CustomField9, "CustomField9")
PICTAVO_TEXT_FIELD(FFO_CustomField10, "CustomField10")
PICTAVO_TEXT_FIELD(FFO_CustomField11, "CustomField11")
PICTAVO_TEXT_FIELD(FFO_CustomField12, "CustomField12")
PICTAVO_TEXT_FIELD(FFO_CustomField13, "CustomField13")
PICTAVO_TEXT_FIELD(FFO_CustomField14, "CustomField14")
PICTAVO_TEXT_FIELD(FFO_CustomField15, "CustomField15")
PICTAVO_TEXT_FIELD(FFO_CustomField16, "CustomField16")
PICTAVO_TEXT_FIELD(FFO_CustomField17, "CustomField17")
PICTAVO_TEXT_FIELD(FFO_CustomField18, "CustomField18")
PICTAVO_TEXT_FIELD(FFO_CustomField19, "CustomField19")
PICTAVO_TEXT_FIELD(FFO_CustomField20, "CustomField20")
PICTAVO_TEXT_FIELD(FFO_ImageNotes, "ImageNotes")
PICTAVO_TEXT_FIELD(FFO_Title, "ObjectName")
PICTAVO_TEXT_FIELD(FFO_Author, "Byline")
PICTAVO_TEXT_FIELD(FFO_AuthorsPosition, "BylineTitle")

#define PICTAVO_DATE_FIELD(field)                           \
  PICTAVO_GET(FFO_##field)(TImageBox & box) {               \
    return Metadata(box).Date(#field);                      \
  }                                                         \
  PICTAVO_PUT(FFO_##field)(TImageBox & box, double value) { \
    Metadata(box).SetDate(#field, value);                   \
  }
PICTAVO_DATE_FIELD(DateCreated)
PICTAVO_DATE_FIELD(DateReleased)
PICTAVO_DATE_FIELD(TimeReleased)
PICTAVO_DATE_FIELD(ReferenceDate)
PICTAVO_DATE_FIELD(TimeCreated)

PICTAVO_GET(FFO_ImageURL)(TImageBox& box) {
  return FromAnsi(Metadata(box).ImageURL());
}
PICTAVO_PUT(FFO_ImageURL)(TImageBox& box, std::u16string_view value) {
  Metadata(box).SetImageURL(Ansi(value));
}
PICTAVO_GET(FFO_Urgency)(TImageBox& box) {
  return Metadata(box).Urgency();
}
PICTAVO_PUT(FFO_Urgency)(TImageBox& box, int32_t value) {
  Metadata(box).SetUrgency(static_cast<uint8_t>(value & 0xFF));
}
PICTAVO_GET(FFO_CopyrightFlag)(TImageBox& box) {
  return Metadata(box).CopyrightFlag();
}
PICTAVO_PUT(FFO_CopyrightFlag)(TImageBox& box, bool value) {
  Metadata(box).SetCopyrightFlag(value);
}

// The members of one IPTC list: FFO_<list>, its count, add, delete, clear and insert.
#define PICTAVO_LIST(list)                                                                     \
  PICTAVO_GET(FFO_##list)(TImageBox & box, int32_t index) {                                    \
    return FromAnsi(Metadata(box).Item(TIptcList::list, index));                               \
  }                                                                                            \
  PICTAVO_PUT(FFO_##list)(TImageBox & box, int32_t index, std::u16string_view value) {         \
    Metadata(box).SetItem(TIptcList::list, index, Ansi(value));                                \
  }                                                                                            \
  PICTAVO_GET(FFO_##list##Count)(TImageBox & box) {                                            \
    return Metadata(box).Count(TIptcList::list);                                               \
  }                                                                                            \
  PICTAVO_CALL(FFO_##list##Add)(TImageBox & box, std::u16string_view item) {                   \
    return Metadata(box).Add(TIptcList::list, Ansi(item));                                     \
  }                                                                                            \
  PICTAVO_CALL(FFO_##list##Delete)(TImageBox & box, int32_t index) {                           \
    Metadata(box).Delete(TIptcList::list, index);                                              \
  }                                                                                            \
  PICTAVO_CALL(FFO_##list##Clear)(TImageBox & box) {                                           \
    Metadata(box).Clear(TIptcList::list);                                                      \
  }                                                                                            \
  PICTAVO_CALL(FFO_##list##Insert)(TImageBox & box, int32_t index, std::u16string_view item) { \
    Metadata(box).Insert(TIptcList::list, index, Ansi(item));                                  \
  }
PICTAVO_LIST(Keywords)
PICTAVO_LIST(SuppCat)

PICTAVO_GET(HasFileInfo)(TImageBox& box) {
  return Metadata(box).HasFileInfo();
}
PICTAVO_CALL(FFO_Clear)(TImageBox& box) {
  Metadata(box).ClearFileInfo();
}
PICTAVO_CALL(FFO_Save)(TImageBox& box, std::u16string_view file_name) {
  Metadata(box).SaveFileInfo(plat::Utf16ToUtf8(file_name));
}
PICTAVO_CALL(FFO_Load)(TImageBox& box, std::u16string_view file_name) {
  Metadata(box).LoadFileInfo(plat::Utf16ToUtf8(file_name));
}

PICTAVO_GET(ExifCount)(TImageBox& box) {
  return Metadata(box).ExifCount();
}
PICTAVO_GET(ExifName)(TImageBox& box, int32_t index) {
  return FromAnsi(Metadata(box).ExifName(index));
}
PICTAVO_GET(ExifValueByIndex)(TImageBox& box, int32_t index) {
  return FromAnsi(Metadata(box).ExifValueByIndex(index));
}
PICTAVO_GET(ExifValueByName)(TImageBox& box, std::u16string_view name) {
  return FromAnsi(Metadata(box).ExifValue(Ansi(name)));
}
PICTAVO_CALL(ExifClear)(TImageBox& box) {
  Metadata(box).ExifClear();
}
PICTAVO_CALL(ExifDelete)(TImageBox& box, std::u16string_view name) {
  return Metadata(box).ExifDelete(Ansi(name));
}
PICTAVO_CALL(ExifSetAttribute)
(TImageBox& box, std::u16string_view name, std::u16string_view argument) {
  return Metadata(box).ExifSetAttribute(Ansi(name), argument);
}
PICTAVO_GET(ExifConvertUTF8)(TImageBox& box) {
  return Metadata(box).ExifConvertUTF8();
}
PICTAVO_PUT(ExifConvertUTF8)(TImageBox& box, bool value) {
  Metadata(box).SetExifConvertUTF8(value);
}
PICTAVO_CALL(ExifAttributeName)(TImageBox&, int32_t tag) {
  return FromAnsi(TImageMetadata::ExifAttributeName(tag));
}
PICTAVO_CALL(ExifDataCount)(TImageBox&, std::u16string_view name) {
  return TImageMetadata::ExifDataCount(Ansi(name));
}
PICTAVO_CALL(ExifDataType)(TImageBox&, std::u16string_view name) {
  return TImageMetadata::ExifDataType(Ansi(name));
}
PICTAVO_CALL(RationalToReal)(TImageBox&, std::u16string_view argument) {
  return ExifRationalToReal(Ansi(argument));
}
PICTAVO_CALL(ExifDateToString)(TImageBox&, double argument) {
  return FromAnsi(ExifDateText(argument));
}
PICTAVO_CALL(ExifStringToDate)(TImageBox&, std::u16string_view argument) {
  return ExifTextDate(Ansi(argument));
}

PICTAVO_CALL(OverwriteMetaData)(TImageBox& box, std::u16string_view file_name) {
  Metadata(box).OverwriteMetaData(plat::Utf16ToUtf8(file_name));
}

}  // namespace pictavo
