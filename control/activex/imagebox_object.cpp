// The exports of the Pictavo server library; the ImageBox object and its slots are in
// imagebox_object.h and imagebox_slots_*.cpp, its member table in imagebox_member_table.cpp.
#include "control/activex/imagebox_object.h"

namespace pictavo::ax {

namespace {

ServerRegistration Registration() {
  ServerRegistration reg;
  reg.clsid = kImageBoxClsid;
  reg.progId = "Pictavo.ImageBox";
  reg.description = "Pictavo Control";
  reg.control = true;
  reg.toolboxBitmapId = 1;
  reg.miscStatus = "131473";
  reg.verbs = {"Properties"};
  reg.libid = kLibId;
  reg.libVersion = "3.1";
  reg.libName = "Pictavo";
  reg.interfaces = {{IImageBox::kIid, "IImageBox"}, {kImageBoxEventsIid, "IImageBoxEvents"}};
  return reg;
}

}  // namespace
}  // namespace pictavo::ax

VELMORA_SERVER_EXPORTS(pictavo::ax::ImageBoxObject, pictavo::ax::kImageBoxClsid,
                       pictavo::ax::Registration())
