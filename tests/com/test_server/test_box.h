#pragma once
// A small control served by a test library: it exercises every part of the component layer the
// image control relies on (member table, coercion, errors, events, embedding, registration).
#include "platform/com/member_table.h"

namespace velmora_test {

using namespace plat::com;

enum TxShade : int32_t { shLight = 0, shDark = 1, shUnknown = -1 };

constexpr CLSID kTestBoxClsid = MakeGuid("{5E0A1C70-3B2D-4C1E-9F80-7A6B5C4D3E21}");
constexpr IID kTestBoxEventsIid = MakeGuid("{5E0A1C72-3B2D-4C1E-9F80-7A6B5C4D3E21}");
constexpr char kTestBoxProgId[] = "VelmoraTest.TestBox";
constexpr DISPID kOnPoint = 1;  // event (X: long, Y: long)

struct ITestBox : IDispatch {
  static constexpr IID kIid = MakeGuid("{5E0A1C71-3B2D-4C1E-9F80-7A6B5C4D3E21}");
  static const MemberTable& Table();
#define VELMORA_MEMBER VELMORA_PURE_SLOT
#include "tests/com/test_server/test_box_members.inc"
#undef VELMORA_MEMBER
};

class TestBoxProxy : public DispatchProxy<ITestBox> {
 public:
  using DispatchProxy::DispatchProxy;
#define VELMORA_MEMBER VELMORA_PROXY_MEMBER
#include "tests/com/test_server/test_box_members.inc"
#undef VELMORA_MEMBER
};

}  // namespace velmora_test
