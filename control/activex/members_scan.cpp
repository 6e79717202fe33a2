// Members of scanning: each sets scanning up when its row says so and answers the default of
// an unavailable capability without it.
#include <string>

#include "control/activex/imagebox.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

TScanning& Scanning(TImageBox& box) {
  return box.View().Scanning();
}

}  // namespace

using T = TicTwain;

PICTAVO_CALL(Acquire)(TImageBox& box) {
  box.View().Acquire();
}
PICTAVO_CALL(SelectTwainDevice)(TImageBox& box) {
  return Scanning(box).Loaded(false, &T::SelectDevice);
}
PICTAVO_GET(TwainDeviceCount)(TImageBox& box) {
  return Scanning(box).Loaded(int32_t{0}, &T::GetDeviceCount);
}
PICTAVO_GET(TwainDeviceName)(TImageBox& box, int32_t index) {
  return plat::AnsiToUtf16(Scanning(box).Loaded(std::string(), &T::GetDeviceName, index));
}
PICTAVO_GET(CurrentTwainDevice)(TImageBox& box) {
  return Scanning(box).CurrentTwainDevice();
}
PICTAVO_PUT(CurrentTwainDevice)(TImageBox& box, int32_t value) {
  Scanning(box).SetCurrentTwainDevice(value);
}
PICTAVO_GET(TwainConnected)(TImageBox& box) {
  return Scanning(box).Loaded(false, &T::GetConnected);
}
PICTAVO_GET(TwainBusy)(TImageBox& box) {
  return Scanning(box).Loaded(false, &T::GetBusy);
}
PICTAVO_CALL(UnloadTwain)(TImageBox& box) {
  Scanning(box).UnloadTwain();
}
PICTAVO_GET(TwainAppName)(TImageBox& box) {
  return plat::AnsiToUtf16(Scanning(box).TwainAppName());
}
PICTAVO_PUT(TwainAppName)(TImageBox& box, std::u16string_view value) {
  Scanning(box).SetTwainAppName(plat::Utf16ToAnsi(value));
}
PICTAVO_GET(WaitForAcquire)(TImageBox& box) {
  return Scanning(box).WaitForAcquire;
}
PICTAVO_PUT(WaitForAcquire)(TImageBox& box, bool value) {
  Scanning(box).WaitForAcquire = value;
}
PICTAVO_GET(UseTwainInterface)(TImageBox& box) {
  return Scanning(box).UseTwainInterface();
}
PICTAVO_PUT(UseTwainInterface)(TImageBox& box, bool value) {
  Scanning(box).SetUseTwainInterface(value);
}
PICTAVO_GET(CanDisableTwainInterface)(TImageBox& box) {
  return Scanning(box).Loaded(false, &T::GetCanDisableInterface);
}
PICTAVO_GET(ShowTwainProgress)(TImageBox& box) {
  return Scanning(box).ShowTwainProgress();
}
PICTAVO_PUT(ShowTwainProgress)(TImageBox& box, bool value) {
  Scanning(box).SetShowTwainProgress(value);
}
PICTAVO_GET(TwainUnits)(TImageBox& box) {
  return static_cast<int8_t>(Scanning(box).Loaded(int32_t{-1}, &T::GetUnits));
}
PICTAVO_PUT(TwainUnits)(TImageBox& box, int8_t value) {
  Scanning(box).IfLoaded(&T::SetUnits, int32_t{value});
}
PICTAVO_GET(TwainUnitsAllowed)(TImageBox& box, int8_t unit_type) {
  return Scanning(box).Loaded(false, &T::GetUnitsAllowed, int32_t{unit_type});
}
PICTAVO_GET(TwainPixelType)(TImageBox& box) {
  return static_cast<int8_t>(Scanning(box).Loaded(int32_t{-1}, &T::GetPixelType));
}
PICTAVO_PUT(TwainPixelType)(TImageBox& box, int8_t value) {
  Scanning(box).IfLoaded(&T::SetPixelType, int32_t{value});
}
PICTAVO_GET(TwainPixelTypeAllowed)(TImageBox& box, int8_t pix_type) {
  return Scanning(box).Loaded(false, &T::GetPixelTypeAllowed, int32_t{pix_type});
}

// The ranged values: value and range of brightness, contrast and both resolutions.
#define PICTAVO_RANGE_GET(member, fallback, cap, which)                    \
  PICTAVO_GET(member)(TImageBox & box) {                                   \
    return Scanning(box).Loaded(fallback, &T::GetRange, T::cap, T::which); \
  }
#define PICTAVO_RANGE_PUT(member, op)                  \
  PICTAVO_PUT(member)(TImageBox & box, double value) { \
    Scanning(box).IfLoaded(op, value);                 \
  }
PICTAVO_RANGE_GET(TwainResolution, -1.0, rcXResolution, rvCurrent)
PICTAVO_RANGE_GET(TwainResMin, -1.0, rcXResolution, rvMin)
PICTAVO_RANGE_GET(TwainResMax, -1.0, rcXResolution, rvMax)
PICTAVO_RANGE_GET(TwainResStep, -1.0, rcXResolution, rvStep)
PICTAVO_RANGE_GET(XTwainResolution, -1.0, rcXResolution, rvCurrent)
PICTAVO_RANGE_GET(XTwainResMin, -1.0, rcXResolution, rvMin)
PICTAVO_RANGE_GET(XTwainResMax, -1.0, rcXResolution, rvMax)
PICTAVO_RANGE_GET(XTwainResStep, -1.0, rcXResolution, rvStep)
PICTAVO_RANGE_GET(YTwainResolution, -1.0, rcYResolution, rvCurrent)
PICTAVO_RANGE_GET(YTwainResMin, -1.0, rcYResolution, rvMin)
PICTAVO_RANGE_GET(YTwainResMax, -1.0, rcYResolution, rvMax)
PICTAVO_RANGE_GET(YTwainResStep, -1.0, rcYResolution, rvStep)
PICTAVO_RANGE_GET(TwainBrightness, 0.0, rcBrightness, rvCurrent)
PICTAVO_RANGE_GET(TwainBrightnessMin, -1.0, rcBrightness, rvMin)
PICTAVO_RANGE_GET(TwainBrightnessMax, -1.0, rcBrightness, rvMax)
PICTAVO_RANGE_GET(TwainBrightnessStep, -1.0, rcBrightness, rvStep)
PICTAVO_RANGE_GET(TwainContrast, 0.0, rcContrast, rvCurrent)
PICTAVO_RANGE_GET(TwainContrastMin, -1.0, rcContrast, rvMin)
PICTAVO_RANGE_GET(TwainContrastMax, -1.0, rcContrast, rvMax)
PICTAVO_RANGE_GET(TwainContrastStep, -1.0, rcContrast, rvStep)
PICTAVO_RANGE_PUT(TwainResolution, &T::SetResolution)
PICTAVO_PUT(XTwainResolution)(TImageBox& box, double value) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcXResolution, value);
}
PICTAVO_PUT(YTwainResolution)(TImageBox& box, double value) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcYResolution, value);
}
PICTAVO_PUT(TwainBrightness)(TImageBox& box, double value) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcBrightness, value);
}
PICTAVO_PUT(TwainContrast)(TImageBox& box, double value) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcContrast, value);
}
PICTAVO_RANGE_PUT(TwainThreshold, &T::SetThreshold)

// The frame edges.
#define PICTAVO_EDGE(member, edge)                          \
  PICTAVO_GET(member)(TImageBox & box) {                    \
    return Scanning(box).Loaded(0.0, &T::GetEdge, T::edge); \
  }                                                         \
  PICTAVO_PUT(member)(TImageBox & box, double value) {      \
    Scanning(box).IfLoaded(&T::SetEdge, T::edge, value);    \
  }
PICTAVO_EDGE(TwainLeft, edLeft)
PICTAVO_EDGE(TwainTop, edTop)
PICTAVO_EDGE(TwainRight, edRight)
PICTAVO_EDGE(TwainBottom, edBottom)
PICTAVO_CALL(SetTwainLayout)(TImageBox& box, double left, double right, double top, double bottom) {
  Scanning(box).IfLoaded(&T::SetLayout, left, right, top, bottom);
}

PICTAVO_GET(TwainMaxWidth)(TImageBox& box) {
  return Scanning(box).Loaded(-1.0, &T::GetMaxWidth);
}
PICTAVO_GET(TwainMaxHeight)(TImageBox& box) {
  return Scanning(box).Loaded(-1.0, &T::GetMaxHeight);
}

// Truth-valued capabilities: a getter that sets scanning up, a setter that needs it set up.
#define PICTAVO_SWITCH(member, get, set)             \
  PICTAVO_GET(member)(TImageBox & box) {             \
    return Scanning(box).Loaded(false, &T::get);     \
  }                                                  \
  PICTAVO_PUT(member)(TImageBox & box, bool value) { \
    Scanning(box).IfLoaded(&T::set, value);          \
  }
PICTAVO_SWITCH(TwainAutoBright, GetAutoBright, SetAutoBright)
PICTAVO_SWITCH(TwainAutoDeskew, GetAutoDeskew, SetAutoDeskew)
PICTAVO_SWITCH(TwainDuplexEnabled, GetDuplexEnabled, SetDuplexEnabled)
PICTAVO_GET(TwainThreshold)(TImageBox& box) {
  return Scanning(box).Loaded(-1.0, &T::GetThreshold);
}
PICTAVO_GET(HasADF)(TImageBox& box) {
  return Scanning(box).Loaded(false, &T::GetHasADF);
}
PICTAVO_GET(ADFLoaded)(TImageBox& box) {
  return Scanning(box).Loaded(false, &T::GetADFLoaded);
}
PICTAVO_GET(UseADF)(TImageBox& box) {
  return Scanning(box).UseADF();
}
PICTAVO_PUT(UseADF)(TImageBox& box, bool value) {
  Scanning(box).SetUseADF(value);
}
PICTAVO_GET(TwainMultiImage)(TImageBox& box) {
  return Scanning(box).TwainMultiImage();
}
PICTAVO_PUT(TwainMultiImage)(TImageBox& box, bool value) {
  Scanning(box).SetTwainMultiImage(value);
}
PICTAVO_GET(TwainImagesToRead)(TImageBox& box) {
  return Scanning(box).TwainImagesToRead();
}
PICTAVO_PUT(TwainImagesToRead)(TImageBox& box, int32_t value) {
  Scanning(box).SetTwainImagesToRead(value);
}
PICTAVO_GET(TwainPageCount)(TImageBox& box) {
  return Scanning(box).Loaded(int32_t{0}, &T::PageCount);
}
PICTAVO_GET(TwainDuplexSupported)(TImageBox& box) {
  return Scanning(box).Loaded(int32_t{0}, &T::GetDuplexSupported);
}

}  // namespace pictavo
