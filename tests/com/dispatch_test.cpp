// The member table at work on the test control: dispatch with coercion, puts, out parameters,
// errors on both call paths, the typed proxy, type info and events.
#include <gtest/gtest.h>

#include "platform/com/connection_point.h"
#include "tests/com/com_test_support.h"

using namespace velmora_test;

namespace {

Variant ByRef(VARTYPE vt, void* target) {
  Variant v;
  v.vt = VT_BYREF | vt;
  v.byref = target;
  return v;
}

using DispatchTest = TestBoxFixture;

TEST_F(DispatchTest, ArgumentsArriveReversedAndAreCoerced) {
  Variant result;
  // Join(First, Second, Third): rgvarg holds Third, Second, First.
  ASSERT_EQ(
      RawInvoke(1, DISPATCH_METHOD, {Variant(int16_t{1}), Variant(u"7"), Variant(u"a")}, &result),
      S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(BstrToUtf8(result.bstrVal), "a|7|true");
}

TEST_F(DispatchTest, TypeMismatchNamesTheArgumentIndex) {
  struct Case {
    std::vector<Variant> reversed;
    HRESULT hr;
    uint32_t argErr;
  };
  const Case cases[] = {
      {{Variant(true), Variant(u"seven"), Variant(u"a")}, DISP_E_TYPEMISMATCH, 1},
      {{Variant(u"maybe"), Variant(int32_t{7}), Variant(u"a")}, DISP_E_TYPEMISMATCH, 0},
      {{Variant(true), Variant(1e12), Variant(u"a")}, DISP_E_OVERFLOW, 1},
  };
  for (const Case& c : cases) {
    Variant result;
    uint32_t argErr = 0;
    std::vector<VARIANT> raw(c.reversed.begin(), c.reversed.end());
    EXPECT_EQ(RawInvoke(1, DISPATCH_METHOD, raw, &result, &argErr), c.hr);
    EXPECT_EQ(argErr, c.argErr);
    EXPECT_EQ(result.vt, VT_EMPTY);
  }
  Variant result;
  EXPECT_EQ(RawInvoke(1, DISPATCH_METHOD, {Variant(true)}, &result), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(RawInvoke(999, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, PutTakesTheNamedPropertyPutArgument) {
  Variant nothing;
  EXPECT_EQ(
      RawInvoke(2, DISPATCH_PROPERTYPUT, {Variant(u"hello")}, nullptr, nullptr, nullptr, true),
      S_OK);
  EXPECT_EQ(RawInvoke(2, DISPATCH_PROPERTYPUT, {Variant(u"lost")}, nullptr),
            DISP_E_PARAMNOTOPTIONAL);
  Variant caption;
  ASSERT_EQ(RawInvoke(2, DISPATCH_PROPERTYGET, {}, &caption), S_OK);
  EXPECT_EQ(BstrToUtf8(caption.bstrVal), "hello");

  // Indexed property Cell(X, Y): the value first, then Y, then X.
  ASSERT_EQ(RawInvoke(7, DISPATCH_PROPERTYPUT,
                      {Variant(int32_t{-2147483643}), Variant(int32_t{3}), Variant(int32_t{2})},
                      nullptr, nullptr, nullptr, true),
            S_OK);
  Variant cell;
  ASSERT_EQ(RawInvoke(7, DISPATCH_PROPERTYGET, {Variant(int32_t{3}), Variant(int32_t{2})}, &cell),
            S_OK);
  EXPECT_EQ(cell.vt, VT_UI4);
  EXPECT_EQ(cell.ulVal, 0x80000005u);
}

TEST_F(DispatchTest, PutAndPutRefReachDifferentSlots) {
  ComPtr<IDispatch> other = CreateObject(u"VelmoraTest.TestBox").As<IDispatch>();
  for (auto [flags, expected] :
       {std::pair{DISPATCH_PROPERTYPUT, "put"}, std::pair{DISPATCH_PROPERTYPUTREF, "putref"}}) {
    ASSERT_EQ(RawInvoke(3, flags, {Variant(other.Get())}, nullptr, nullptr, nullptr, true), S_OK);
    Variant last;
    ASSERT_EQ(RawInvoke(4, DISPATCH_PROPERTYGET, {}, &last), S_OK);
    EXPECT_EQ(BstrToUtf8(last.bstrVal), expected);
  }
  Variant font;
  ASSERT_EQ(RawInvoke(3, DISPATCH_PROPERTYGET, {}, &font), S_OK);
  EXPECT_EQ(font.vt, VT_DISPATCH);
  EXPECT_EQ(font.pdispVal, other.Get());
}

TEST_F(DispatchTest, OutParametersAreWrittenThroughReferences) {
  int32_t y = 0;
  Variant x;
  ASSERT_EQ(RawInvoke(5, DISPATCH_METHOD, {ByRef(VT_I4, &y), ByRef(VT_VARIANT, &x)}, nullptr),
            S_OK);
  EXPECT_EQ(y, 22);
  EXPECT_EQ(x.vt, VT_I4);
  EXPECT_EQ(x.lVal, 11);
  uint32_t argErr = 0;
  EXPECT_EQ(
      RawInvoke(5, DISPATCH_METHOD, {Variant(int32_t{0}), ByRef(VT_I4, &y)}, nullptr, &argErr),
      DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
}

TEST_F(DispatchTest, TruthValuesGoOutAsMinusOne) {
  Variant one;
  one.vt = VT_BOOL;
  one.boolVal = VARIANT_BOOL{1};
  ASSERT_EQ(RawInvoke(14, DISPATCH_PROPERTYPUT, {one}, nullptr, nullptr, nullptr, true), S_OK);
  Variant flag;
  ASSERT_EQ(RawInvoke(14, DISPATCH_PROPERTYGET, {}, &flag), S_OK);
  EXPECT_EQ(flag.vt, VT_BOOL);
  EXPECT_EQ(flag.boolVal, VARIANT_TRUE);
}

TEST_F(DispatchTest, FailureReachesAVtableCallerAsUnexpectedWithErrorInfo) {
  Bstr message = Bstr::FromUtf8("File not found: /nowhere/x.bmp");
  EXPECT_EQ(box_->Fail(message.Get()), static_cast<HRESULT>(0x8000FFFF));
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Out()), S_OK);
  Bstr description, source;
  info->GetDescription(description.Out());
  info->GetSource(source.Out());
  GUID guid;
  info->GetGUID(&guid);
  EXPECT_EQ(description.Utf8(), "File not found: /nowhere/x.bmp");
  EXPECT_EQ(source.Utf8(), "VelmoraTest.TestBox");
  EXPECT_EQ(guid, ITestBox::kIid);
  EXPECT_EQ(GetErrorInfo(0, info.Out()), S_FALSE);  // taken
}

TEST_F(DispatchTest, FailureReachesAnInvokeCallerAsExceptionWithExcepInfo) {
  EXCEPINFO excep{};
  Variant result;
  ASSERT_EQ(RawInvoke(6, DISPATCH_METHOD, {Variant(u"Bad \xE9 news")}, &result, nullptr, &excep),
            DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, static_cast<SCODE>(0x8000FFFF));
  EXPECT_EQ(BstrView(excep.bstrDescription), u"Bad \xE9 news");
  EXPECT_EQ(BstrToUtf8(excep.bstrSource), "VelmoraTest.TestBox");
  ClearExcepInfo(&excep);

  TestBoxProxy proxy(object_);
  try {
    proxy.Fail(u"through the proxy");
    FAIL() << "no exception";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), -2147418113);
    EXPECT_STREQ(e.what(), "through the proxy");
    EXPECT_EQ(e.Source(), "VelmoraTest.TestBox");
  }
}

TEST_F(DispatchTest, TypedProxyCallsEveryKindByDispatchId) {
  TestBoxProxy proxy(object_);
  EXPECT_EQ(proxy.Join(u"x", 5, VARIANT_FALSE).Utf8(), "x|5|false");
  EXPECT_EQ(proxy.Join(std::string("\xC3\xA9"), 1, VARIANT_TRUE).Utf8(), "\xC3\xA9|1|true");
  proxy.put_Small(int16_t{-300});
  EXPECT_EQ(proxy.get_Small(), -300);
  proxy.put_Shade(shUnknown);
  EXPECT_EQ(proxy.get_Shade(), shUnknown);
  proxy.put_Stamp(DATE{38113.5});
  EXPECT_EQ(proxy.get_Stamp(), 38113.5);
  proxy.put_Scale(0.25f);
  EXPECT_EQ(proxy.get_Scale(), 0.25f);
  proxy.put_Cell(4, 5, OLE_COLOR{0x80000005});
  EXPECT_EQ(proxy.get_Cell(4, 5), OLE_COLOR{0x80000005});
  int32_t x = 0, y = 0;
  proxy.GetCoords(&x, &y);
  EXPECT_EQ(x, 11);
  EXPECT_EQ(y, 22);
  Variant bytes = proxy.MakeBytes(5);
  EXPECT_EQ(bytes.vt, VT_ARRAY | VT_UI1);
  EXPECT_EQ(proxy.ByteSum(bytes), 10);
  Variant echoed = proxy.Echo(Variant(u"round"));
  EXPECT_EQ(BstrToUtf8(echoed.bstrVal), "round");
  EXPECT_EQ(proxy.IdOfName(u"bytesum"), 10);
}

TEST_F(DispatchTest, ByReferenceByteArrayIsBorrowedNotCopied) {
  Variant bytes;
  const uint8_t raw[] = {100, 100, 55};
  ASSERT_EQ(MakeByteArrayVariant(raw, &bytes), S_OK);
  Variant sum;
  ASSERT_EQ(RawInvoke(10, DISPATCH_METHOD, {ByRef(VT_ARRAY | VT_UI1, &bytes.parray)}, &sum), S_OK);
  EXPECT_EQ(sum.lVal, 255);
  Variant echoed;
  ASSERT_EQ(RawInvoke(8, DISPATCH_METHOD, {ByRef(VT_VARIANT, &bytes)}, &echoed), S_OK);
  EXPECT_EQ(echoed.vt, VT_ARRAY | VT_UI1);
  EXPECT_NE(echoed.parray, bytes.parray);  // the result owns its own copy
}

TEST_F(DispatchTest, NamesAndTypeInfoComeFromTheTable) {
  const char16_t* names[] = {u"JOIN", u"First"};
  DISPID ids[2] = {};
  EXPECT_EQ(dispatch_->GetIDsOfNames(GUID{}, names, 1, 0, ids), S_OK);
  EXPECT_EQ(ids[0], 1);
  const char16_t* unknown[] = {u"NoSuchMember"};
  EXPECT_EQ(dispatch_->GetIDsOfNames(GUID{}, unknown, 1, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);

  ComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, info.Out()), S_OK);
  uint32_t count = 0;
  info->GetFuncCount(&count);
  EXPECT_EQ(count, 25u);
  FUNCDESC join;
  ASSERT_EQ(info->GetFuncDesc(0, &join), S_OK);
  EXPECT_EQ(join.memid, 1);
  EXPECT_EQ(join.slot, 7);
  EXPECT_EQ(join.resultType, VT_BSTR);
  ASSERT_EQ(join.cParams, 3);
  EXPECT_EQ(std::vector<VARTYPE>(join.paramTypes, join.paramTypes + 3),
            std::vector<VARTYPE>({VT_BSTR, VT_I4, VT_BOOL}));
  FUNCDESC coords;
  ASSERT_EQ(info->GetFuncDesc(7, &coords), S_OK);
  EXPECT_EQ(coords.paramTypes[0], VT_BYREF | VT_I4);

  BSTR got[4] = {};
  uint32_t n = 0;
  ASSERT_EQ(info->GetNames(1, got, 4, &n), S_OK);
  ASSERT_EQ(n, 4u);
  std::vector<std::string> text;
  for (uint32_t i = 0; i < n; ++i) text.push_back(Bstr::Attach(got[i]).Utf8());
  EXPECT_EQ(text, std::vector<std::string>({"Join", "First", "Second", "Third"}));
}

TEST(MemberTable, RefusesATableOutOfSlotOrder) {
  EXPECT_THROW(
      MemberTable(ITestBox::kIid, u"Broken",
                  {MakeMember<&ITestBox::get_Caption, MemberKind::Get>(u"Caption", 2, 8, "()"),
                   MakeMember<&ITestBox::put_Caption, MemberKind::Put>(u"Caption", 2, 10, "()")}),
      std::logic_error);
  EXPECT_THROW(
      MemberTable(ITestBox::kIid, u"Broken",
                  {MakeMember<&ITestBox::get_Caption, MemberKind::Get>(u"Caption", 2, 7, "()"),
                   MakeMember<&ITestBox::get_Small, MemberKind::Get>(u"Small", 2, 8, "()")}),
      std::logic_error);
}

// An event sink that records calls and can drop its own connection while being called.
class RecordingSink final : public ComObject<RecordingSink, IDispatch> {
 public:
  HRESULT GetTypeInfoCount(uint32_t* c) override { return *c = 0, S_OK; }
  HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, uint32_t, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                 uint32_t*) override {
    std::string call = std::to_string(id) + ":";
    for (uint32_t i = p->cArgs; i > 0; --i) call += " " + std::to_string(p->rgvarg[i - 1].lVal);
    calls.push_back(call);
    if (unadviseInside) point->Unadvise(cookie);  // may release this sink's last reference
    return S_OK;
  }
  std::vector<std::string> calls;
  bool unadviseInside = false;
  IConnectionPoint* point = nullptr;
  uint32_t cookie = 0;
};

TEST_F(DispatchTest, EventsReachOneSinkInDeclaredOrder) {
  auto container = object_.As<IConnectionPointContainer>();
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(kTestBoxEventsIid, point.Out()), S_OK);
  auto sink = MakeObject<RecordingSink>();
  auto second = MakeObject<RecordingSink>();
  uint32_t cookie = 0, refused = 0;
  ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
  EXPECT_EQ(point->Advise(second.Get(), &refused), CONNECT_E_ADVISELIMIT);
  ASSERT_EQ(box_->Raise(3, 4), S_OK);
  EXPECT_EQ(sink->calls, std::vector<std::string>({"1: 3 4"}));
  EXPECT_TRUE(second->calls.empty());
  ASSERT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(box_->Raise(5, 6), S_OK);
  EXPECT_EQ(sink->calls.size(), 1u);
}

TEST_F(DispatchTest, SinkDisconnectingInsideAnEventStaysAliveForTheCall) {
  auto container = object_.As<IConnectionPointContainer>();
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(kTestBoxEventsIid, point.Out()), S_OK);
  auto* sink = new RecordingSink;  // held only by the connection once advised
  sink->AddRef();
  sink->unadviseInside = true;
  sink->point = point.Get();
  ASSERT_EQ(point->Advise(sink, &sink->cookie), S_OK);
  sink->Release();
  EXPECT_EQ(box_->Raise(1, 2), S_OK);  // the sink dies after its handler returned
  uint32_t cookie = 0;
  auto next = MakeObject<RecordingSink>();
  EXPECT_EQ(point->Advise(next.Get(), &cookie), S_OK);  // the slot is free again
  point->Unadvise(cookie);
}

}  // namespace
