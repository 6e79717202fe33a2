// A host that creates the control by ProgID, as any program would, and installs nothing: the
// control finds SANE's devices itself and acquires a page of the size scanimage gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "tests/graphics/referee.h"
#include "tests/scan_sane/sane_fixture.h"

namespace {

TEST(SaneByProgID, TheControlListsTheTestDevicesAndAcquiresAPage) {
  velmora_test::ScratchDir scratch;
  ::setenv("XDG_CONFIG_HOME", scratch.File("config").c_str(), 1);
  ASSERT_TRUE(velmora_test::Run(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY));
  const velmora_test::TSaneConfig config;
  const velmora_test::TReferee page = velmora_test::ScanimagePnm("--mode Gray --depth 8");
  ASSERT_GT(page.width, 0) << "scanimage gave no page";

  plat::com::ControlHost host;
  host.SetControl("Pictavo.ImageBox");
  pictavo::ax::ImageBoxProxy box(host.Dispatch());
  EXPECT_EQ(box.get_TwainDeviceCount(), 2);  // number_of_devices in test.conf
  box.put_UseTwainInterface(plat::com::ToVariantBool(false));
  box.put_ShowTwainProgress(plat::com::ToVariantBool(false));
  box.put_CurrentTwainDevice(0);
  EXPECT_EQ(box.get_CurrentTwainDevice(), 0);
  box.put_TwainPixelType(1);  // grey
  box.Acquire();
  EXPECT_EQ(box.get_ImageWidth(), page.width);
  EXPECT_EQ(box.get_ImageHeight(), page.height);
  box.UnloadTwain();
}

}  // namespace
