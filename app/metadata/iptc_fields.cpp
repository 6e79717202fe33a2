#include "app/metadata/iptc_fields.h"

#include <algorithm>

#include "app/metadata/control_text.h"
#include "control/activex/imagebox_interface.h"

namespace metadata {

namespace {

using pictavo::ax::ImageBoxProxy;

// clang-format off
#define VELMORA_IPTC_TEXT(label, member)                                                   \
  {label, IptcKind::Text, true,                                                           \
   [](const ImageBoxProxy& box) { return Text(box.get_##member()); },                      \
   [](const ImageBoxProxy& box, const QString& value) { box.put_##member(Arg(value)); },   \
   nullptr, nullptr}
#define VELMORA_IPTC_DATE(label, member, listed)                                            \
  {label, IptcKind::Date, listed, nullptr, nullptr,                                         \
   [](const ImageBoxProxy& box) { return static_cast<double>(box.get_##member()); },         \
   [](const ImageBoxProxy& box, double value) { box.put_##member(plat::com::DATE(value)); }}

const IptcField kFields[] = {
    VELMORA_IPTC_TEXT("Caption", FFO_Caption),
    VELMORA_IPTC_TEXT("Caption Writer", FFO_CaptionWriter),
    VELMORA_IPTC_TEXT("Headline", FFO_Headline),
    VELMORA_IPTC_TEXT("Special Instructions", FFO_SpecialInstructions),
    {"Keywords", IptcKind::Keywords, true, nullptr, nullptr, nullptr, nullptr},
    VELMORA_IPTC_TEXT("Category", FFO_Category),
    {"Supplemental Categories", IptcKind::SupplementalCategories, true, nullptr, nullptr, nullptr, nullptr},
    VELMORA_IPTC_TEXT("By (Author)", FFO_Byline),
    VELMORA_IPTC_TEXT("By Title (Author's Position)", FFO_BylineTitle),
    VELMORA_IPTC_TEXT("Credit", FFO_Credit),
    VELMORA_IPTC_TEXT("Source", FFO_Source),
    VELMORA_IPTC_TEXT("Object Name (Title)", FFO_ObjectName),
    VELMORA_IPTC_TEXT("City", FFO_City),
    VELMORA_IPTC_TEXT("Province/State", FFO_ProvinceState),
    VELMORA_IPTC_TEXT("Country Name", FFO_CountryName),
    VELMORA_IPTC_TEXT("Original Transmission Reference (OTR)", FFO_OTR),
    VELMORA_IPTC_TEXT("Copyright Notice", FFO_CopyrightNotice),
    VELMORA_IPTC_TEXT("Image URL", FFO_ImageURL),
    VELMORA_IPTC_DATE("Date Created", FFO_DateCreated, true),
    VELMORA_IPTC_TEXT("Edit Status", FFO_EditStatus),
    VELMORA_IPTC_TEXT("Fixture Identifier", FFO_FixtureIdentifier),
    VELMORA_IPTC_DATE("Date Released", FFO_DateReleased, true),
    VELMORA_IPTC_TEXT("Reference Service", FFO_ReferenceService),
    VELMORA_IPTC_DATE("Reference Date", FFO_ReferenceDate, true),
    VELMORA_IPTC_TEXT("Reference Number", FFO_ReferenceNumber),
    VELMORA_IPTC_TEXT("Originating Program", FFO_OriginatingProgram),
    VELMORA_IPTC_TEXT("Program Version", FFO_ProgramVersion),
    VELMORA_IPTC_TEXT("Object Cycle", FFO_ObjectCycle),
    VELMORA_IPTC_TEXT("Sublocation", FFO_Sublocation),
    VELMORA_IPTC_TEXT("Country Code", FFO_CountryCode),
    VELMORA_IPTC_TEXT("Local Caption", FFO_LocalCaption),
    VELMORA_IPTC_TEXT("Custom Field 1", FFO_CustomField1),
    VELMORA_IPTC_TEXT("Custom Field 2", FFO_CustomField2),
    VELMORA_IPTC_TEXT("Custom Field 3", FFO_CustomField3),
    VELMORA_IPTC_TEXT("Custom Field 4", FFO_CustomField4),
    VELMORA_IPTC_TEXT("Custom Field 5", FFO_CustomField5),
    VELMORA_IPTC_TEXT("Custom Field 6", FFO_CustomField6),
    VELMORA_IPTC_TEXT("Custom Field 7", FFO_CustomField7),
    VELMORA_IPTC_TEXT("Custom Field 8", FFO_CustomField8),
    VELMORA_IPTC_TEXT("Custom Field 9", FFO_CustomField9),
    VELMORA_IPTC_TEXT("Custom Field 10", FFO_CustomField10),
    VELMORA_IPTC_TEXT("Custom Field 11", FFO_CustomField11),
    VELMORA_IPTC_TEXT("Custom Field 12", FFO_CustomField12),
    VELMORA_IPTC_TEXT("Custom Field 13", FFO_CustomField13),
    VELMORA_IPTC_TEXT("Custom Field 14", FFO_CustomField14),
    VELMORA_IPTC_TEXT("Custom Field 15", FFO_CustomField15),
    VELMORA_IPTC_TEXT("Custom Field 16", FFO_CustomField16),
    VELMORA_IPTC_TEXT("Custom Field 17", FFO_CustomField17),
    VELMORA_IPTC_TEXT("Custom Field 18", FFO_CustomField18),
    VELMORA_IPTC_TEXT("Custom Field 19", FFO_CustomField19),
    VELMORA_IPTC_TEXT("Custom Field 20", FFO_CustomField20),
    VELMORA_IPTC_TEXT("Image Notes", FFO_ImageNotes),
    VELMORA_IPTC_DATE("Time Released", FFO_TimeReleased, false),
    VELMORA_IPTC_DATE("Time Created", FFO_TimeCreated, false),
};
#undef VELMORA_IPTC_TEXT
#undef VELMORA_IPTC_DATE
// clang-format on

}  // namespace

std::span<const IptcField> IptcFields() {
  return kFields;
}

const IptcField* IptcFieldByLabel(const QString& label) {
  const auto found =
      std::find_if(std::begin(kFields), std::end(kFields),
                   [&](const IptcField& field) { return label == QLatin1String(field.label); });
  return found == std::end(kFields) ? nullptr : found;
}

}  // namespace metadata
