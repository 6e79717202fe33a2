#include "tests/com/test_server/test_box.h"

#include <QLabel>
#include <memory>
#include <numeric>
#include <span>

#include "platform/base/exceptions.h"
#include "platform/base/text.h"
#include "platform/com/connection_point.h"
#include "platform/com/server.h"

namespace velmora_test {

const MemberTable& ITestBox::Table() {
  using TableInterface = ITestBox;
  static const MemberTable table(ITestBox::kIid, u"ITestBox",
                                 {
#define VELMORA_MEMBER VELMORA_TABLE_ENTRY
#include "tests/com/test_server/test_box_members.inc"
#undef VELMORA_MEMBER
                                 });
  return table;
}

namespace {

class TestBox final : public ComObject<TestBox, DispatchImpl<ITestBox>,
                                       SingleEventSource<kTestBoxEventsIid>, IWidgetControl> {
 public:
  ~TestBox() { delete widget_; }

#define VELMORA_MEMBER VELMORA_OVERRIDE_SLOT
#include "tests/com/test_server/test_box_members.inc"
#undef VELMORA_MEMBER

  QWidget* Widget() override {
    if (!widget_) widget_ = new QLabel("TestBox");
    return widget_;
  }
  HRESULT GetEventsIid(IID* iid) override {
    return *iid = kTestBoxEventsIid, S_OK;
  }

 private:
  template <class Body>
  HRESULT Frame(Body&& body) {
    return SafeCall(ITestBox::kIid, u"VelmoraTest.TestBox", body);
  }

  Bstr caption_;
  ComPtr<IDispatch> font_;
  std::string last_font_call_ = "none";
  uint32_t cell_ = 0;
  TxShade shade_ = shLight;
  double stamp_ = 0;
  bool flag_ = false;
  int16_t small_ = 0;
  float scale_ = 1;
  QWidget* widget_ = nullptr;
};

HRESULT TestBox::Join(BSTR First, int32_t Second, VARIANT_BOOL Third, BSTR* Value) {
  return Frame([&] {
    *Value = BstrFromUtf16(std::u16string(BstrView(First)) + u"|" +
                           plat::Utf8ToUtf16(std::to_string(Second)) + u"|" +
                           (IsTrue(Third) ? u"true" : u"false"));
  });
}

HRESULT TestBox::get_Caption(BSTR* Value) {
  return Frame([&] { *Value = Bstr(caption_).Detach(); });
}
HRESULT TestBox::put_Caption(BSTR Value) {
  return Frame([&] { caption_ = Bstr(BstrView(Value)); });
}

HRESULT TestBox::get_Font(IDispatch** Value) {
  return Frame([&] { *Value = ComPtr<IDispatch>(font_).Detach(); });
}
HRESULT TestBox::put_Font(IDispatch* Value) {
  return Frame([&] { font_ = ComPtr<IDispatch>(Value), last_font_call_ = "put"; });
}
HRESULT TestBox::putref_Font(IDispatch* Value) {
  return Frame([&] { font_ = ComPtr<IDispatch>(Value), last_font_call_ = "putref"; });
}
HRESULT TestBox::get_LastFontCall(BSTR* Value) {
  return Frame([&] { *Value = BstrFromUtf8(last_font_call_); });
}

HRESULT TestBox::GetCoords(int32_t* X1, int32_t* Y1) {
  return Frame([&] { *X1 = 11, *Y1 = 22; });
}

HRESULT TestBox::Fail(BSTR Message) {
  return Frame([&] { throw plat::EInvalidGraphic(BstrToUtf8(Message)); });
}

HRESULT TestBox::get_Cell(int32_t X, int32_t Y, OLE_COLOR* Value) {
  return Frame(
      [&] { *Value = static_cast<OLE_COLOR>(cell_ + static_cast<uint32_t>(X * 1000 + Y)); });
}
HRESULT TestBox::put_Cell(int32_t X, int32_t Y, OLE_COLOR Value) {
  return Frame([&] { cell_ = Value - static_cast<uint32_t>(X * 1000 + Y); });
}

HRESULT TestBox::Echo(VARIANT Input, VARIANT* Value) {
  return Frame([&] { OleCheck(VariantCopyInd(Value, &Input)); });
}

HRESULT TestBox::MakeBytes(int32_t Count, VARIANT* Value) {
  return Frame([&] {
    std::vector<uint8_t> bytes(static_cast<size_t>(Count));
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    OleCheck(MakeByteArrayVariant(bytes, Value));
  });
}

HRESULT TestBox::ByteSum(VARIANT Data, int32_t* Value) {
  return Frame([&] {
    std::span<const uint8_t> bytes;
    if (!VariantBytes(Data, bytes)) throw plat::Exception("Not a byte array");
    *Value = std::accumulate(bytes.begin(), bytes.end(), 0);
  });
}

HRESULT TestBox::get_Shade(TxShade* Value) {
  return Frame([&] { *Value = shade_; });
}
HRESULT TestBox::put_Shade(TxShade Value) {
  return Frame([&] { shade_ = Value; });
}
HRESULT TestBox::get_Stamp(DATE* Value) {
  return Frame([&] { *Value = stamp_; });
}
HRESULT TestBox::put_Stamp(DATE Value) {
  return Frame([&] { stamp_ = Value; });
}

HRESULT TestBox::Raise(int32_t X, int32_t Y) {
  return Frame([&] { OleCheck(Events().Fire(kOnPoint, {Variant(X), Variant(Y)})); });
}

HRESULT TestBox::get_Flag(VARIANT_BOOL* Value) {
  return Frame([&] { *Value = ToVariantBool(flag_); });
}
HRESULT TestBox::put_Flag(VARIANT_BOOL Value) {
  return Frame([&] { flag_ = IsTrue(Value); });
}
HRESULT TestBox::get_Small(int16_t* Value) {
  return Frame([&] { *Value = small_; });
}
HRESULT TestBox::put_Small(int16_t Value) {
  return Frame([&] { small_ = Value; });
}
HRESULT TestBox::get_Scale(float* Value) {
  return Frame([&] { *Value = scale_; });
}
HRESULT TestBox::put_Scale(float Value) {
  return Frame([&] { scale_ = Value; });
}

ServerRegistration Registration() {
  ServerRegistration reg;
  reg.clsid = kTestBoxClsid;
  reg.progId = kTestBoxProgId;
  reg.description = "Velmora test control";
  reg.control = true;
  reg.miscStatus = "131473";
  reg.verbs = {"Properties"};
  return reg;
}

}  // namespace
}  // namespace velmora_test

VELMORA_SERVER_EXPORTS(velmora_test::TestBox, velmora_test::kTestBoxClsid,
                       velmora_test::Registration())
