// The IImageBox member table and the control object, called in this process through its vtable
// and through IDispatch::Invoke.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "control/activex/about_box.h"
#include "control/activex/imagebox.h"
#include "control/activex/imagebox_interface.h"
#include "control/engine/raster/ticbitmap.h"
#include "platform/base/text.h"
#include "platform/com/object.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/system_colors.h"
#include "platform/scan/source_manager.h"

extern "C" plat::com::HRESULT DllGetClassObject(const plat::com::CLSID&, const plat::com::IID&,
                                                void**);

namespace pictavo {
namespace {

using namespace plat::com;
using ax::IImageBox;
using ax::ImageBoxProxy;

ComPtr<IUnknown> NewImageBox() {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(DllGetClassObject(ax::kImageBoxClsid, IClassFactory::kIid, factory.OutVoid()), S_OK);
  ComPtr<IUnknown> object;
  EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::kIid, object.OutVoid()), S_OK);
  return object;
}

std::vector<uint8_t> SmallBmp(int width, int height) {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.ScanLine(y)[3 * x + 2] = static_cast<uint8_t>(x * 10);
  return image.SaveToBytes(gfBMP, false, 75);
}

std::string ErrorDescription() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) != S_OK || !info) return "(no error info)";
  BSTR text = nullptr;
  info->GetDescription(&text);
  Bstr owned = Bstr::Attach(text);
  return owned.Utf8();
}

TEST(MemberTable, HoldsTheWholeInterface) {
  const auto& entries = IImageBox::Table().Entries();
  EXPECT_EQ(entries.size(), 472u);  // slots 7 to 478, checked in order by the table itself
  EXPECT_EQ(entries.front().slot, 7);
  EXPECT_EQ(entries.back().slot, 478);
  std::set<int32_t> dispids;
  for (const MemberInfo& m : ImageBoxMembers()) EXPECT_TRUE(dispids.insert(m.dispid).second);
  EXPECT_EQ(FindMember(-512)->name, "TextFont");
  EXPECT_EQ(FindMember(-514)->name, "Enabled");
  EXPECT_EQ(FindMember(-552)->name, "AboutBox");
  EXPECT_EQ(FindMember("GetSelectionCoords")->param_count, 4);
  EXPECT_EQ(FindMember("PixelColor")->param_count, 2);
  EXPECT_TRUE(FindMember("TextFont")->Has(Accessor::PutRef));
  EXPECT_EQ(FindMember("mergereverse")->dispid, 2);
}

TEST(MemberTable, GetIDsOfNamesAnswersEveryName) {
  const auto dispatch = NewImageBox().As<IDispatch>();
  for (const MemberInfo& m : ImageBoxMembers()) {
    std::u16string lower = plat::Utf8ToUtf16(m.name);
    for (char16_t& c : lower) c = plat::AsciiLower(c);
    for (const std::u16string& asked : {plat::Utf8ToUtf16(m.name), lower}) {
      const char16_t* names[] = {asked.c_str()};
      DISPID id = 0;
      EXPECT_EQ(dispatch->GetIDsOfNames(GUID{}, names, 1, 0, &id), S_OK) << m.name;
      EXPECT_EQ(id, m.dispid) << m.name;
    }
  }
}

std::vector<std::string> ListedUnwired() {
  std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/tests/activex/unwired_members.txt");
  std::vector<std::string> listed;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) listed.push_back(line);
  return listed;
}

// The argument a host passes when it has nothing better: 0, False, an empty text or variant;
// an out parameter points at a variant.
struct DefaultArguments {
  std::vector<VARIANT> reversed;
  std::vector<Variant> outs;

  explicit DefaultArguments(const MemberEntry& e) {
    outs.resize(e.paramCount);
    for (int i = e.paramCount - 1; i >= 0; --i) {
      VARIANT v;
      VariantInit(&v);
      const VARTYPE t = e.paramTypes[i];
      if (t & VT_BYREF) {
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &outs[i];
      } else if (t == VT_BSTR) {
        v.vt = VT_BSTR;  // a null BSTR is the empty text
      } else if (t != VT_VARIANT && t != VT_DISPATCH && t != VT_UNKNOWN) {
        v.vt = VT_I4;
      }
      reversed.push_back(v);
    }
  }
};

// Closes whatever modal window a member opens (the About box, the file dialogs) once it shows;
// the caller deletes the poll afterwards.
QPointer<QTimer> CloseModalSoon() {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->close();
      poll->deleteLater();
    }
  });
  poll->start(10);
  return poll;
}

TEST(NoImageSweep, EveryDispatchIdAndKindAnswersWithoutAnImage) {
  // The sweep is about members without an image, not the machine's scanners: the scanning members
  // meet no source manager here, as on a machine without the scanner library.
  struct NoSourceManager {
    NoSourceManager() {
      plat::scan::SetSourceManagerFactory(
          []() -> std::unique_ptr<plat::scan::TSourceManager> { return nullptr; });
    }
    ~NoSourceManager() { plat::scan::SetSourceManagerFactory(nullptr); }
  } noSourceManager;
  const std::vector<std::string> unwired = ListedUnwired();
  EXPECT_TRUE(std::is_sorted(unwired.begin(), unwired.end()));
  for (const MemberEntry& e : IImageBox::Table().Entries()) {
    const std::string name = plat::Utf16ToUtf8(e.name);
    const auto dispatch = NewImageBox().As<IDispatch>();
    DefaultArguments args(e);
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = IsPut(e.kind);
    DISPPARAMS params{args.reversed.data(), put ? &named : nullptr,
                      static_cast<uint32_t>(args.reversed.size()), put ? 1u : 0u};
    Variant result;
    EXCEPINFO excep{};
    uint32_t arg_err = 0;
    QPointer<QTimer> closer;
    if (name == "AboutBox" || name == "LoadDialog" || name == "SaveDialog")
      closer = CloseModalSoon();
    const HRESULT hr = dispatch->Invoke(e.dispid, GUID{}, 0, InvokeKindOf(e.kind), &params, &result,
                                        &excep, &arg_err);
    delete closer.data();
    const std::string message = excep.bstrDescription ? BstrToUtf8(excep.bstrDescription) : "";
    // Exactly the listed members answer E_NOTIMPL, with every accessor.
    if (std::binary_search(unwired.begin(), unwired.end(), name)) {
      EXPECT_EQ(hr, DISP_E_EXCEPTION) << name;
      EXPECT_EQ(excep.scode, E_NOTIMPL) << name;
      EXPECT_EQ(message, "Not available: " + name);
    } else if (hr != S_OK) {
      // Only the members that read something fail: an empty name is no file (also for a merge), an
      // empty URL gives nothing to read, an empty variant no image data, and an empty name has no
      // extension whose pages could be counted.
      EXPECT_EQ(hr, DISP_E_EXCEPTION) << name;
      EXPECT_EQ(excep.scode, E_UNEXPECTED) << name << ": " << message;
      static const std::map<std::string, std::string> kReaders = {
          {"LoadFromFile", "File not found: "},
          {"OverwriteMetaData", "File not found: "},
          {"MergeFile", "File not found: "},
          {"LoadFromURL", "The ReadURL method has failed to read an image."},
          {"ImageCount", "File is not a recognised graphics format"}};
      const auto reader = kReaders.find(name);
      EXPECT_EQ(message, reader != kReaders.end() ? reader->second
                                                  : "Image data must be a byte array or a string")
          << name;
    }
    ClearExcepInfo(&excep);
  }
}

struct EmptyValue {
  const char16_t* member;
  VARTYPE vt;
  int64_t value;  // of the integer, truth value or colour
};

TEST(NoImageSweep, GettersGiveTheirDocumentedEmptyValues) {
  const EmptyValue cases[] = {
      {u"ColorFormat", VT_I4, 7},     {u"ImageWidth", VT_I4, 0},
      {u"ImageLoaded", VT_BOOL, 0},   {u"XDPI", VT_I4, 0},
      {u"BGColor", VT_UI4, 0xFFFFFF}, {u"Transparent", VT_BOOL, 0},
      {u"Compression", VT_I4, 0},     {u"PictureData", VT_I4, 0},
      {u"JPEGQuality", VT_I2, 90},    {u"UseLZW", VT_BOOL, -1},
      {u"ReadImageNumber", VT_I4, 1}, {u"ZoomedWidth", VT_I4, 0},
      {u"HelpType", VT_I4, 1},        {u"SelectionVisible", VT_BOOL, -1},
      {u"MergeStyle", VT_I4, 1},      {u"BrushColor", VT_UI4, 0xFFFFFF},
      {u"PenMode", VT_I4, 4},         {u"ScrollSpeed", VT_I4, 1},
  };
  ImageBoxProxy box(NewImageBox());
  for (const EmptyValue& c : cases) {
    Variant v = box.Invoke(box.IdOfName(c.member), DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(v.vt, c.vt) << plat::Utf16ToUtf8(c.member);
    int64_t got = v.lVal;
    if (v.vt == VT_BOOL) got = v.boolVal;
    if (v.vt == VT_UI4) got = v.ulVal;
    if (v.vt == VT_I2) got = v.iVal;
    EXPECT_EQ(got, c.value) << plat::Utf16ToUtf8(c.member);
  }
  EXPECT_EQ(box.Invoke(box.IdOfName(u"Zoom"), DISPATCH_PROPERTYGET, {}).dblVal, 100.0);
  EXPECT_EQ(box.get_LastFileName().Length(), 0u);
  EXPECT_EQ(box.WriteBinary(ax::TxGraphicsFormat{0}).vt, VT_EMPTY);
}

TEST(MemberFrame, FailureReachesVtableAndDispatchCallersAndTheControlStaysUsable) {
  const ComPtr<IUnknown> object = NewImageBox();
  const auto vtable = object.As<IImageBox>();
  Bstr missing = Bstr::FromUtf8("/nowhere/missing.bmp");
  EXPECT_EQ(vtable->LoadFromFile(missing.Get()), E_UNEXPECTED);
  EXPECT_EQ(ErrorDescription(), "File not found: missing.bmp");

  ImageBoxProxy proxy(object);
  try {
    proxy.LoadFromFile(u"/nowhere/missing.bmp");
    ADD_FAILURE() << "no exception";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), E_UNEXPECTED);
    EXPECT_EQ(std::string(e.what()), "File not found: missing.bmp");
  }
  proxy.NewImage(4, 3);
  EXPECT_EQ(proxy.get_ImageWidth(), 4);
  int32_t width = 0;
  EXPECT_EQ(vtable->get_ImageHeight(&width), S_OK);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(vtable->get_ImageHeight(nullptr), E_POINTER);
}

TEST(Boundary, TruthValuesEnumerationsColoursAndQuality) {
  ImageBoxProxy box(NewImageBox());
  box.put_AutoZoom(VARIANT_BOOL(1));  // 1 counts as true
  EXPECT_EQ(box.get_AutoZoom(), VARIANT_TRUE);
  box.put_HelpType(ax::TxHelpType(static_cast<uint8_t>(257)));
  box.Invoke(box.IdOfName(u"HelpType"), DISPATCH_PROPERTYPUT, {Variant(int32_t{256})});
  EXPECT_EQ(static_cast<int>(box.get_HelpType()), 0);  // cut to its low 8 bits
  for (auto [given, kept] : {std::pair{0, 1}, {-5, 1}, {150, 100}, {300, 100}, {55, 55}}) {
    box.put_JPEGQuality(static_cast<int16_t>(given));
    EXPECT_EQ(box.get_JPEGQuality(), kept) << given;
  }
  box.put_BrushColor(OLE_COLOR(0x80000005));
  EXPECT_EQ(box.get_BrushColor(), OLE_COLOR(0x80000005));
  box.NewImage(2, 2);
  box.Invoke(box.IdOfName(u"ColorFormat"), DISPATCH_PROPERTYPUT, {Variant(int32_t{263})});
  EXPECT_EQ(static_cast<int>(box.get_ColorFormat()), cf24bit);  // 263 reached it as cfNone
}

TEST(Boundary, ImageDataInVariants) {
  ImageBoxProxy box(NewImageBox());
  const std::vector<uint8_t> bmp = SmallBmp(5, 2);
  // A string holding one byte per character.
  std::u16string chars(bmp.begin(), bmp.end());
  box.ReadBinary(ax::TxGraphicsFormat{0}, Variant(std::u16string_view(chars)));
  EXPECT_EQ(box.get_ImageWidth(), 5);
  // A byte array passed by reference.
  Variant array;
  ASSERT_EQ(MakeByteArrayVariant(SmallBmp(7, 2), &array), S_OK);
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_BYREF | VT_VARIANT;
  by_ref.pvarVal = &array;
  box.ReadBinary(ax::TxGraphicsFormat{0}, by_ref);
  EXPECT_EQ(box.get_ImageWidth(), 7);
  try {
    box.ReadBinary(ax::TxGraphicsFormat{0}, Variant(int32_t{5}));
    ADD_FAILURE() << "a number is no image data";
  } catch (const EOleException& e) {
    EXPECT_EQ(std::string(e.what()), "Image data must be a byte array or a string");
  }
  EXPECT_EQ(box.get_ImageWidth(), 7);
  // The bytes written come back as the same image.
  Variant written = box.WriteBinary(ax::TxGraphicsFormat{0});
  std::span<const uint8_t> bytes;
  ASSERT_TRUE(VariantBytes(written, bytes));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), SmallBmp(7, 2));
  // A failed encoding returns an empty variant, not stale data: no PSD is wider than 30000.
  ImageBoxProxy wide(NewImageBox());
  wide.NewImage(30001, 1);
  VARIANT out;
  VariantInit(&out);
  out.vt = VT_I4;
  const auto direct = ComPtr<IDispatch>(wide.Dispatch()).As<IImageBox>();
  EXPECT_EQ(direct->WriteBinary(ax::TxGraphicsFormat{6}, &out), E_UNEXPECTED);
  EXPECT_EQ(out.vt, VT_EMPTY);
  EXPECT_EQ(ErrorDescription(), "PSD file not saved");
  Variant dib = box.get_PictureData();
  ASSERT_TRUE(VariantBytes(dib, bytes));
  EXPECT_EQ(bytes.size(), SmallBmp(7, 2).size() - 14);
}

// Records the events a control fires.
class RecordingSink final : public ComObject<RecordingSink, IDispatch> {
 public:
  std::vector<std::pair<DISPID, std::vector<Variant>>> calls;

  HRESULT GetTypeInfoCount(uint32_t* count) override { return *count = 0, S_OK; }
  HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, uint32_t, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 uint32_t*) override {
    std::vector<Variant> args;
    for (uint32_t i = params->cArgs; i > 0; --i) args.emplace_back(params->rgvarg[i - 1]);
    calls.emplace_back(id, std::move(args));
    return S_OK;
  }
};

TEST(Events, MouseAndClickEventsCarryTheirCodesToTheOneSink) {
  const ComPtr<IUnknown> object = NewImageBox();
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(object.As<IConnectionPointContainer>()->FindConnectionPoint(ax::kImageBoxEventsIid,
                                                                        point.Out()),
            S_OK);
  const auto sink = MakeObject<RecordingSink>();
  uint32_t cookie = 0;
  ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
  uint32_t second = 0;
  EXPECT_NE(point->Advise(MakeObject<RecordingSink>().Get(), &second), S_OK);

  QWidget* view = object.As<IWidgetControl>()->Widget();
  view->resize(50, 40);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(6, 9), QPointF(6, 9), Qt::MiddleButton,
                    Qt::MiddleButton, Qt::ControlModifier);
  QCoreApplication::sendEvent(view, &press);
  QMouseEvent left(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(3, 4), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view, &left);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 4), QPointF(3, 4), Qt::LeftButton,
                      Qt::NoButton, Qt::ShiftModifier);
  QCoreApplication::sendEvent(view, &release);
  QMouseEvent move(QEvent::MouseMove, QPointF(8, 2), QPointF(8, 2), Qt::NoButton, Qt::NoButton,
                   Qt::AltModifier);
  QCoreApplication::sendEvent(view, &move);

  ASSERT_EQ(sink->calls.size(), 5u);
  auto expect = [&](size_t i, DISPID id, std::vector<std::pair<VARTYPE, int32_t>> args) {
    EXPECT_EQ(sink->calls[i].first, id) << i;
    ASSERT_EQ(sink->calls[i].second.size(), args.size()) << i;
    for (size_t a = 0; a < args.size(); ++a) {
      const Variant& v = sink->calls[i].second[a];
      EXPECT_EQ(v.vt, args[a].first) << i << "/" << a;
      EXPECT_EQ(v.vt == VT_I2 ? v.iVal : v.lVal, args[a].second) << i << "/" << a;
    }
  };
  expect(0, kOnMouseDown, {{VT_I2, 4}, {VT_I2, 20}, {VT_I4, 6}, {VT_I4, 9}});
  expect(1, kOnMouseDown, {{VT_I2, 1}, {VT_I2, 1}, {VT_I4, 3}, {VT_I4, 4}});
  expect(2, kOnClick, {});
  expect(3, kOnMouseUp, {{VT_I2, 1}, {VT_I2, 8}, {VT_I4, 3}, {VT_I4, 4}});
  expect(4, kOnMouseMove, {{VT_I2, 32}, {VT_I4, 8}, {VT_I4, 2}});
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  QCoreApplication::sendEvent(view, &move);
  EXPECT_EQ(sink->calls.size(), 5u);  // nothing without a sink
}

TEST(Persistence, StateTravelsAsAComponentStream) {
  const ComPtr<IUnknown> object = NewImageBox();
  ImageBoxProxy(object).put_ScaleToGray(VARIANT_TRUE);
  const auto state = object.As<ax::IControlState>();
  Variant saved;
  ASSERT_EQ(state->SaveState(&saved), S_OK);
  std::span<const uint8_t> bytes;
  ASSERT_TRUE(VariantBytes(saved, bytes));
  const ComPtr<IUnknown> other = NewImageBox();
  ASSERT_EQ(other.As<ax::IControlState>()->LoadState(bytes.data(), bytes.size()), S_OK);
  EXPECT_EQ(ImageBoxProxy(other).get_ScaleToGray(), VARIANT_TRUE);
  const uint8_t junk[] = {'T', 'P', 'F', '1'};
  EXPECT_EQ(other.As<ax::IControlState>()->LoadState(junk, 4), E_UNEXPECTED);
  EXPECT_EQ(ErrorDescription(), "Invalid stream format");
}

TEST(CreateWnd, RepeatingItDoesNotMultiplyEvents) {
  const ComPtr<IUnknown> object = NewImageBox();
  ImageBoxProxy box(object);
  box.CreateWnd();
  box.CreateWnd();
  QWidget* view = object.As<IWidgetControl>()->Widget();
  EXPECT_EQ(view->findChildren<QWidget*>().size(), 3);  // surface and two bars, no second set
}

}  // namespace
}  // namespace pictavo

namespace pictavo {
namespace {

// Editor snapshots travel as TIFF bytes: the image's EXIF and IPTC data must survive them.
TEST(Snapshots, TiffBytesKeepExifAndIptc) {
  ImageBoxProxy box(NewImageBox());
  box.NewImage(6, 4);
  box.put_FFO_Caption(u"Harbour at dawn");
  EXPECT_EQ(box.ExifSetAttribute(u"Artist", u"A. Painter"), VARIANT_TRUE);
  Variant snapshot = box.WriteBinary(ax::TxGraphicsFormat{7});
  ImageBoxProxy other(NewImageBox());
  other.ReadBinary(ax::TxGraphicsFormat{7}, snapshot);
  EXPECT_EQ(other.get_ImageWidth(), 6);
  EXPECT_EQ(other.get_FFO_Caption().Utf8(), "Harbour at dawn");
  EXPECT_EQ(other.get_ExifValueByName(u"Artist").Utf8(), "A. Painter");
}

}  // namespace
}  // namespace pictavo

namespace pictavo {
namespace {

// Reads or writes one property of an automation object by name.
Variant FontProperty(IDispatch& font, const char16_t* name, const Variant* value = nullptr) {
  const char16_t* names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(font.GetIDsOfNames(GUID{}, names, 1, 0, &id), S_OK);
  VARIANT arg = value ? static_cast<const VARIANT&>(*value) : VARIANT{};
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&arg, value ? &named : nullptr, value ? 1u : 0u, value ? 1u : 0u};
  Variant result;
  EXPECT_EQ(font.Invoke(id, GUID{}, 0, value ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET, &params,
                        &result, nullptr, nullptr),
            S_OK);
  return result;
}

TEST(TextFont, TheFontObjectReadsAndChangesTheControlsFont) {
  const ComPtr<IUnknown> object = NewImageBox();
  ImageBoxProxy box(object);
  const ComPtr<ax::IFontDisp> font = box.get_TextFont();
  ASSERT_TRUE(font);
  EXPECT_EQ(FontProperty(*font, u"Name").ToUtf8(), "MS Sans Serif");
  EXPECT_DOUBLE_EQ(FontProperty(*font, u"Size").ToDouble(), 8.25);  // height -11 at 96 dpi
  const Variant twelve(12.0), bold(true);
  FontProperty(*font, u"size", &twelve);
  FontProperty(*font, u"Bold", &bold);
  auto* view = static_cast<TpvImage*>(object.As<IWidgetControl>()->Widget());
  EXPECT_EQ(view->TextFont().Height, -16);
  EXPECT_EQ(view->TextFont().Style, TFontDesc::fsBold);

  // Another control's font object is copied, not kept.
  const ComPtr<IUnknown> other = NewImageBox();
  const ComPtr<ax::IFontDisp> other_font = ImageBoxProxy(other).get_TextFont();
  const Variant arial(std::u16string_view(u"Arial"));
  FontProperty(*other_font, u"Name", &arial);
  box.putref_TextFont(other_font.Get());
  EXPECT_EQ(view->TextFont().Name, "Arial");
  EXPECT_EQ(view->TextFont().Height, -11);
  const Variant courier(std::u16string_view(u"Courier"));
  FontProperty(*other_font, u"Name", &courier);
  EXPECT_EQ(view->TextFont().Name, "Arial");
}

}  // namespace
}  // namespace pictavo

namespace pictavo {
namespace {

int ExecPressing(TImageBoxAbout& about, Qt::Key key) {
  QTimer::singleShot(0, [&about, key] {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&about, &press);
  });
  return about.exec();
}

TEST(AboutBox, FixedDialogThatEnterAndEscapeClose) {
  TImageBoxAbout about;
  EXPECT_EQ(about.windowTitle(), "About Pictavo");
  EXPECT_EQ(about.size(), QSize(312, 141));
  EXPECT_EQ(about.DescLbl()->text(), "An ActiveX control for processing of graphic images.");
  EXPECT_EQ(about.LblLink()->toolTip(), "Tamblin web site");
  EXPECT_EQ(about.OkBtn()->text(), "OK");
  EXPECT_EQ(about.OkBtn()->geometry(), QRect(120, 104, 75, 25));
  EXPECT_EQ(ExecPressing(about, Qt::Key_Return), QDialog::Accepted);
  EXPECT_EQ(ExecPressing(about, Qt::Key_Escape), QDialog::Rejected);
}

}  // namespace
}  // namespace pictavo

namespace pictavo {
namespace {

TEST(Picture, OwnsItsOwnCopyOfTheImage) {
  ImageBoxProxy box(NewImageBox());
  const int64_t live = plat::LiveHandleCount();
  {
    const ComPtr<IPictureDisp> empty = box.get_Picture();
    ASSERT_TRUE(empty);
    int32_t handle = -1;
    ASSERT_EQ(empty.As<plat::com::IPicture>()->get_Handle(&handle), S_OK);
    EXPECT_EQ(handle, 0);
  }
  box.NewImage(5, 3);
  {
    const ComPtr<IPictureDisp> picture = box.get_Picture();
    int32_t handle = 0;
    ASSERT_EQ(picture.As<plat::com::IPicture>()->get_Handle(&handle), S_OK);
    const auto bitmap = plat::BitmapOfHandle(static_cast<plat::THandle>(handle));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 5);
    EXPECT_EQ(plat::LiveHandleCount(), live + 1);  // only the picture's own copy
  }
  EXPECT_EQ(plat::LiveHandleCount(), live);  // released with the picture
  EXPECT_EQ(box.get_ImageWidth(), 5);
  const int32_t handle = box.get_BMPHandle();
  EXPECT_EQ(plat::BitmapOfHandle(static_cast<plat::THandle>(handle))->Height(), 3);
  EXPECT_TRUE(plat::DeleteBitmapHandle(static_cast<plat::THandle>(handle)));  // the caller owns it
}

// ---- Faults of the control, each called the way a host calls it: through IDispatch::Invoke

// The message a failing call raised, or "(succeeded)".
std::string FailureOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EOleException& e) {
    return e.what();
  }
  return "(succeeded)";
}

// The image as the control hands it out: a BMP read back by the bitmap class.
TicBitmap Snapshot(ImageBoxProxy& box) {
  std::span<const uint8_t> bytes;
  const Variant written = box.WriteBinary(ax::TxGraphicsFormat{0});
  TicBitmap image;
  if (VariantBytes(written, bytes))
    image.LoadFromBytes(bytes.data(), static_cast<int64_t>(bytes.size()), 1);
  return image;
}

ImageBoxProxy NewImageBoxWithImage(int width, int height) {
  ImageBoxProxy box(NewImageBox());
  box.put_BrushColor(OLE_COLOR(0x336699));
  box.NewImage(width, height);
  return box;
}

TEST(MemberFaults, RotateRefusesAnAngleThatIsNotFinite) {
  ImageBoxProxy box = NewImageBoxWithImage(5, 2);
  for (float angle :
       {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
        -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(FailureOf([&] { box.Rotate(angle); }), "Invalid rotation angle") << angle;
    EXPECT_EQ(box.get_ImageWidth(), 5);
    EXPECT_EQ(box.get_ImageHeight(), 2);
  }
  box.Rotate(90.0f);
  EXPECT_EQ(box.get_ImageWidth(), 2);
}

TEST(MemberFaults, UseSelectionNeverOutlivesTheSelection) {
  ImageBoxProxy box = NewImageBoxWithImage(5, 5);
  box.SelectRectangle(1, 1, 2, 2);
  box.put_UseSelection(VARIANT_TRUE);
  box.CancelSelection();
  EXPECT_EQ(box.get_UseSelection(), VARIANT_FALSE);
  // A selection that lies wholly outside the image cannot come back after an export, and its
  // flag goes with it: the tone members work on the whole image again.
  box.SelectRectangle(10, 10, 20, 20);
  box.put_UseSelection(VARIANT_TRUE);
  box.WriteBinary(ax::TxGraphicsFormat{0});
  EXPECT_EQ(box.get_UseSelection(), VARIANT_FALSE);
  EXPECT_EQ(static_cast<int>(box.get_SelectionType()), ssNone);
  const plat::TColor before = Snapshot(box).PixelColor(3, 3);
  box.Brightness(80, VARIANT_TRUE, VARIANT_TRUE, VARIANT_TRUE);
  EXPECT_NE(Snapshot(box).PixelColor(3, 3), before);
}

TEST(MemberFaults, CropFillsWithTheSystemColourItNames) {
  const OLE_COLOR button_face{0x8000000F};
  const plat::TColor resolved = plat::ColorToRGB(0x8000000F);
  ASSERT_NE(resolved, 0u);
  ImageBoxProxy box = NewImageBoxWithImage(5, 5);
  box.put_BGColor(button_face);
  box.Crop(-1, -1, 4, 4);
  EXPECT_EQ(Snapshot(box).PixelColor(0, 0), resolved);
  EXPECT_EQ(Snapshot(box).PixelColor(1, 1), plat::TColor{0x336699});
  box.SelectEllipse(0, 0, 4, 4);
  box.CropToSelection();
  EXPECT_EQ(Snapshot(box).PixelColor(0, 0), resolved);
}

TEST(MemberFaults, CropNeedsTheFirstBoundBelowTheSecond) {
  ImageBoxProxy box = NewImageBoxWithImage(5, 5);
  box.Crop(0, 0, 0, 10);
  EXPECT_EQ(box.get_ImageWidth(), 5);
  EXPECT_EQ(box.get_ImageHeight(), 5);
  box.Crop(-10, -10, 9, 9);
  EXPECT_EQ(box.get_ImageWidth(), 20);
  EXPECT_EQ(box.get_ImageHeight(), 20);
  EXPECT_EQ(Snapshot(box).PixelColor(10, 10), plat::TColor{0x336699});
}

TEST(MemberFaults, ResizeUpdatesTheExifPixelDimensions) {
  ImageBoxProxy box = NewImageBoxWithImage(8, 4);
  ASSERT_EQ(box.ExifSetAttribute(u"PixelXDimension", u"8"), VARIANT_TRUE);
  ASSERT_EQ(box.ExifSetAttribute(u"PixelYDimension", u"4"), VARIANT_TRUE);
  box.ResizeImage(6, 3);
  EXPECT_EQ(box.get_ExifValueByName(u"PixelXDimension").Utf8(), "6");
  EXPECT_EQ(box.get_ExifValueByName(u"PixelYDimension").Utf8(), "3");
}

TEST(MemberFaults, ZoomIsBoundedByWhatTheLayoutCarries) {
  ImageBoxProxy box = NewImageBoxWithImage(5, 5);
  EXPECT_EQ(FailureOf([&] { box.put_Zoom(1e9); }), "Zoom too large for the image");
  EXPECT_EQ(box.get_Zoom(), 100.0);
  EXPECT_EQ(box.get_ZoomedWidth(), 5);
  box.put_Zoom(1e5);
  EXPECT_EQ(box.get_ZoomedWidth(), 5000);
  // A zoom given before the image is brought down to one the image fits in.
  ImageBoxProxy empty(NewImageBox());
  empty.put_Zoom(1e9);
  empty.NewImage(5, 5);
  EXPECT_GT(empty.get_ZoomedWidth(), 5000);
  EXPECT_LE(empty.get_ZoomedWidth(), QWIDGETSIZE_MAX);
}

TEST(MemberFaults, ImageBytesInAWindows1252StringAreAccepted) {
  ImageBoxProxy box(NewImageBox());
  const std::vector<uint8_t> bmp = SmallBmp(14, 2);  // red 130 is byte 0x82, U+201A as text
  ASSERT_NE(std::find(bmp.begin(), bmp.end(), 0x82), bmp.end());
  const std::u16string text = plat::AnsiToUtf16(std::string(bmp.begin(), bmp.end()));
  box.ReadBinary(ax::TxGraphicsFormat{0}, Variant(std::u16string_view(text)));
  std::span<const uint8_t> bytes;
  const Variant written = box.WriteBinary(ax::TxGraphicsFormat{0});
  ASSERT_TRUE(VariantBytes(written, bytes));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), bmp);
  std::u16string beyond = text;
  beyond[60] = u'\u0100';  // not a character of the code page
  EXPECT_EQ(FailureOf([&] {
              box.ReadBinary(ax::TxGraphicsFormat{0}, Variant(std::u16string_view(beyond)));
            }),
            "Image data in a string must hold one byte per character");
}

TEST(MemberFaults, WriteBinaryWithAnUnknownFormatGivesAnEmptyVariant) {
  ImageBoxProxy box = NewImageBoxWithImage(3, 3);
  for (int format : {9, 200}) {
    const Variant v = box.WriteBinary(ax::TxGraphicsFormat(static_cast<uint8_t>(format)));
    EXPECT_EQ(v.vt, VT_EMPTY) << format;
  }
}

TEST(MemberFaults, AGifWithoutFramesFailsAndKeepsTheImage) {
  // Header, a 1 x 1 logical screen without a colour map, and the trailer: no frame.
  const std::vector<uint8_t> empty_gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
  Variant gif;
  ASSERT_EQ(MakeByteArrayVariant(empty_gif, &gif), S_OK);
  ImageBoxProxy fresh(NewImageBox());
  const std::string refused = "The ReadBinary method has failed to read an image.";
  EXPECT_EQ(FailureOf([&] { fresh.ReadBinary(ax::TxGraphicsFormat{1}, gif); }), refused);
  EXPECT_EQ(fresh.get_ImageLoaded(), VARIANT_FALSE);
  ImageBoxProxy box = NewImageBoxWithImage(4, 3);
  EXPECT_EQ(FailureOf([&] { box.ReadBinary(ax::TxGraphicsFormat{1}, gif); }), refused);
  EXPECT_EQ(box.get_ImageWidth(), 4);
  EXPECT_EQ(box.get_ImageHeight(), 3);
}

TEST(MemberFaults, CursorIsShownAndSelectionVisibleRepaints) {
  const ComPtr<IUnknown> object = NewImageBox();
  ImageBoxProxy box(object);
  QWidget* view = object.As<IWidgetControl>()->Widget();
  const std::pair<int16_t, Qt::CursorShape> cursors[] = {{-3, Qt::CrossCursor},
                                                         {-21, Qt::PointingHandCursor},
                                                         {-11, Qt::WaitCursor},
                                                         {0, Qt::ArrowCursor},
                                                         {123, Qt::ArrowCursor}};
  for (const auto& [id, shape] : cursors) {
    box.put_Cursor(id);
    EXPECT_EQ(box.get_Cursor(), id);
    EXPECT_EQ(view->cursor().shape(), shape) << id;
  }
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      paints += event->type() == QEvent::Paint;
      return false;
    }
  } counter;
  box.NewImage(20, 20);
  view->resize(60, 60);
  view->show();
  QApplication::processEvents();
  view->installEventFilter(&counter);
  box.put_SelectionVisible(VARIANT_FALSE);
  QApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
  view->removeEventFilter(&counter);
}

TEST(MemberFrame, RunningOutOfMemoryFailsTheCallAndTheControlStaysUsable) {
  TImageBox box;
  const MemberOutcome outcome = box.Run([] { throw std::bad_alloc(); });
  EXPECT_EQ(outcome.hresult, static_cast<int32_t>(0x8000FFFF));
  EXPECT_EQ(outcome.message, "Out of memory");
  EXPECT_EQ(ErrorDescription(), "Out of memory");
  EXPECT_EQ(box.Run([&] { box.View().NewImage(6, 2); }).hresult, kSOk);
  EXPECT_EQ(box.View().ImageWidth(), 6);
}

}  // namespace
}  // namespace pictavo

namespace pictavo {
namespace {

// Every IPTC text property keeps what it was given, each in its own field; the three second
// names share the field of the name they stand for.
TEST(Metadata, EveryFileInfoTextKeepsItsOwnValue) {
  ImageBoxProxy box(NewImageBox());
  box.NewImage(2, 2);
  std::vector<std::u16string> texts;
  for (const MemberEntry& e : IImageBox::Table().Entries())
    if (e.kind == MemberKind::Put && e.paramCount == 1 && e.paramTypes[0] == VT_BSTR &&
        e.name.starts_with(u"FFO_"))
      texts.emplace_back(e.name);
  ASSERT_EQ(texts.size(), 50u);  // 46 IPTC texts, ImageURL and three second names
  const std::pair<std::u16string, std::u16string> second_names[] = {
      {u"FFO_Title", u"FFO_ObjectName"},
      {u"FFO_Author", u"FFO_Byline"},
      {u"FFO_AuthorsPosition", u"FFO_BylineTitle"}};
  auto put = [&](const std::u16string& name, const std::u16string& value) {
    box.Invoke(box.IdOfName(name), DISPATCH_PROPERTYPUT, {Variant(std::u16string_view(value))});
  };
  auto get = [&](const std::u16string& name) {
    return box.Invoke(box.IdOfName(name), DISPATCH_PROPERTYGET, {}).ToUtf8();
  };
  for (const std::u16string& name : texts) put(name, u"value of " + name);
  for (const auto& [second, first] : second_names) EXPECT_EQ(get(first), get(second));
  for (const std::u16string& name : texts) {
    const bool shared =
        std::any_of(std::begin(second_names), std::end(second_names),
                    [&](const auto& p) { return p.first == name || p.second == name; });
    if (!shared) {
      EXPECT_EQ(get(name), "value of " + plat::Utf16ToUtf8(name)) << plat::Utf16ToUtf8(name);
    }
  }
  EXPECT_EQ(box.get_HasFileInfo(), VARIANT_TRUE);
}

}  // namespace
}  // namespace pictavo
