#pragma once
// The identity and the dual interface of the ImageBox control, and the typed client proxy that
// hosts call it through. The members come from imagebox_members.inc. Hosts include only this
// header (namespace pictavo::ax keeps the interface's own types apart from the engine's).
#include <cstdint>

#include "platform/com/member_table.h"
#include "platform/graphics/picture.h"

namespace pictavo::ax {

using plat::com::BSTR;
using plat::com::DATE;
using plat::com::HRESULT;
using plat::com::OLE_COLOR;
using plat::com::VARIANT;
using plat::com::VARIANT_BOOL;

constexpr plat::com::GUID kLibId = plat::com::MakeGuid("{F35A7E50-17E0-4809-956E-6AAA12C69CC0}");
constexpr plat::com::IID kImageBoxEventsIid =
    plat::com::MakeGuid("{F35A7E53-17E0-4809-956E-6AAA12C69CC0}");
constexpr plat::com::CLSID kImageBoxClsid =
    plat::com::MakeGuid("{F35A7E55-17E0-4809-956E-6AAA12C69CC0}");
constexpr char16_t kImageBoxProgId[] = u"Pictavo.ImageBox";

// Enumerations at the boundary: a value arriving as a long keeps its low 8 bits; results widen
// unsigned, except the two that report -1 for "unknown". Names and values: imagebox_enums.h.
enum TxFlipMode : uint8_t {};
enum TxGraphicsFormat : uint8_t {};
enum TxColorFormat : uint8_t {};
enum TxWMStyle : uint8_t {};
enum TxCompression : uint8_t {};
enum TxPenMode : uint8_t {};
enum TxPenStyle : uint8_t {};
enum TxBrushStyle : uint8_t {};
enum TxHelpType : uint8_t {};
enum TxFloodFillStyle : uint8_t {};
enum TxSelectionType : uint8_t {};
enum TxPrinterOrientation : uint8_t {};
enum TxPrintUnits : uint8_t {};
enum TxTextJustify : uint8_t {};
enum TxTwainUnits : int8_t {};
enum TxPixelType : int8_t {};

// The standard automation font and picture interfaces are the platform's.
using plat::com::IFontDisp;
using plat::com::IPictureDisp;

// The control's persisted state as a "TPF0" component stream (what a host stores in its forms).
struct IControlState : plat::com::IUnknown {
  static constexpr plat::com::IID kIid =
      plat::com::MakeGuid("{9D3B6C41-5E27-4F08-A1D3-7B2E6F0C4A19}");
  virtual HRESULT LoadState(const uint8_t* data, uint32_t size) = 0;
  // A byte array of the stream.
  virtual HRESULT SaveState(VARIANT* bytes) = 0;

 protected:
  ~IControlState() = default;
};

// The seventh column of the member list (parameter names) serves only the control itself.

struct IImageBox : plat::com::IDispatch {
  static constexpr plat::com::IID kIid =
      plat::com::MakeGuid("{F35A7E51-17E0-4809-956E-6AAA12C69CC0}");
  static const plat::com::MemberTable& Table();
#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names) \
  VELMORA_PURE_SLOT(kind, name, dispid, slot, type, params)
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER

 protected:
  ~IImageBox() = default;
};

// Calls every member by dispatch id; failures throw plat::com::EOleException with the control's
// message.
class ImageBoxProxy : public plat::com::DispatchProxy<IImageBox> {
 public:
  using DispatchProxy::DispatchProxy;
#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names) \
  VELMORA_PROXY_MEMBER(kind, name, dispid, slot, type, params)
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER
};

}  // namespace pictavo::ax
