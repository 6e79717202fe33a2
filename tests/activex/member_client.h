#pragma once
// Calls IImageBox members of a control through the member frame, as a host does.
#include <gtest/gtest.h>

#include "control/activex/imagebox.h"

namespace velmora_test {

struct MemberClient {
  pictavo::TImageBox& box;

  // The outcome of one call; the call's result and output parameters go to call.
  pictavo::MemberOutcome Try(const char* name, pictavo::Accessor accessor,
                             pictavo::MemberCall& call) {
    call.outs.resize(pictavo::FindMember(name)->param_count);
    return box.Invoke(*pictavo::FindMember(name), accessor, call);
  }
  // A call that must succeed.
  pictavo::MemberCall Invoke(const char* name, pictavo::Accessor accessor,
                             std::vector<pictavo::TCallValue> args = {}) {
    pictavo::MemberCall call;
    call.args = std::move(args);
    const pictavo::MemberOutcome outcome = Try(name, accessor, call);
    EXPECT_EQ(outcome.hresult, pictavo::kSOk) << name << ": " << outcome.message;
    return call;
  }
  pictavo::TCallValue Call(const char* name, std::vector<pictavo::TCallValue> args = {}) {
    return Invoke(name, pictavo::Accessor::Call, std::move(args)).result;
  }
  pictavo::TCallValue Get(const char* name, std::vector<pictavo::TCallValue> args = {}) {
    return Invoke(name, pictavo::Accessor::Get, std::move(args)).result;
  }
  void Put(const char* name, pictavo::TCallValue value) {
    Invoke(name, pictavo::Accessor::Put, {std::move(value)});
  }
};

}  // namespace velmora_test
