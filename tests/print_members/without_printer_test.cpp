// Printing through the control when no printer can be reached.
#include <gtest/gtest.h>

#include "activex/member_client.h"

namespace pictavo {
namespace {

using velmora_test::MemberCall;
using velmora_test::TCallValue;
using velmora_test::TestImageBox;

TEST(PrintWithoutPrinter, FailsWithAPrinterErrorInsteadOfAnEmptyPage) {
  TestImageBox box;
  velmora_test::MemberClient control{box};
  control.Put("UsePrintDialog", false);
  control.Call("NewImage", {int64_t{20}, int64_t{10}});
  EXPECT_EQ(control.Get("PrinterCount"), TCallValue(int64_t{0}));
  MemberCall call;
  const MemberOutcome outcome = control.Try("PrintImage", Accessor::Call, call);
  EXPECT_NE(outcome.hresult, kSOk);
  // No resolution can be found before any job would start.
  EXPECT_EQ(outcome.message, "Operation not supported on selected printer");
  EXPECT_NE(call.result, TCallValue(int64_t{1}));
  EXPECT_EQ(control.Get("ImageWidth"), TCallValue(int64_t{20}));
}

}  // namespace
}  // namespace pictavo
