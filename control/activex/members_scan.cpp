// Members of scanning: each sets scanning up when its row says so and answers the default of
// an unavailable capability without it.
#include "control/activex/imagebox.h"

namespace pictavo {

namespace {

TScanning& Scanning(TImageBox& box) {
  return box.View().Scanning();
}

}  // namespace

using T = TicTwain;

PICTAVO_CALL(Acquire) {
  box.View().Acquire();
}
PICTAVO_CALL(SelectTwainDevice) {
  call.Return(Scanning(box).Loaded(false, &T::SelectDevice));
}
PICTAVO_GET(TwainDeviceCount) {
  call.Return(Scanning(box).Loaded(int32_t{0}, &T::GetDeviceCount));
}
PICTAVO_GET(TwainDeviceName) {
  call.ReturnAnsi(Scanning(box).Loaded(std::string(), &T::GetDeviceName, call.Long(0)));
}
PICTAVO_GET(CurrentTwainDevice) {
  call.Return(Scanning(box).CurrentTwainDevice());
}
PICTAVO_PUT(CurrentTwainDevice) {
  Scanning(box).SetCurrentTwainDevice(call.Long(call.Value()));
}
PICTAVO_GET(TwainConnected) {
  call.Return(Scanning(box).Loaded(false, &T::GetConnected));
}
PICTAVO_GET(TwainBusy) {
  call.Return(Scanning(box).Loaded(false, &T::GetBusy));
}
PICTAVO_CALL(UnloadTwain) {
  Scanning(box).UnloadTwain();
}
PICTAVO_GET(TwainAppName) {
  call.ReturnAnsi(Scanning(box).TwainAppName());
}
PICTAVO_PUT(TwainAppName) {
  Scanning(box).SetTwainAppName(call.Ansi(call.Value()));
}
PICTAVO_GET(WaitForAcquire) {
  call.Return(Scanning(box).WaitForAcquire);
}
PICTAVO_PUT(WaitForAcquire) {
  Scanning(box).WaitForAcquire = call.Bool(call.Value());
}
PICTAVO_GET(UseTwainInterface) {
  call.Return(Scanning(box).UseTwainInterface());
}
PICTAVO_PUT(UseTwainInterface) {
  Scanning(box).SetUseTwainInterface(call.Bool(call.Value()));
}
PICTAVO_GET(CanDisableTwainInterface) {
  call.Return(Scanning(box).Loaded(false, &T::GetCanDisableInterface));
}
PICTAVO_GET(ShowTwainProgress) {
  call.Return(Scanning(box).ShowTwainProgress());
}
PICTAVO_PUT(ShowTwainProgress) {
  Scanning(box).SetShowTwainProgress(call.Bool(call.Value()));
}
PICTAVO_GET(TwainUnits) {
  call.Return(Scanning(box).Loaded(int32_t{-1}, &T::GetUnits));
}
PICTAVO_PUT(TwainUnits) {
  Scanning(box).IfLoaded(&T::SetUnits, call.Long(call.Value()));
}
PICTAVO_GET(TwainUnitsAllowed) {
  call.Return(Scanning(box).Loaded(false, &T::GetUnitsAllowed, call.Long(0)));
}
PICTAVO_GET(TwainPixelType) {
  call.Return(Scanning(box).Loaded(int32_t{-1}, &T::GetPixelType));
}
PICTAVO_PUT(TwainPixelType) {
  Scanning(box).IfLoaded(&T::SetPixelType, call.Long(call.Value()));
}
PICTAVO_GET(TwainPixelTypeAllowed) {
  call.Return(Scanning(box).Loaded(false, &T::GetPixelTypeAllowed, call.Long(0)));
}

// The ranged values: value and range of brightness, contrast and both resolutions.
#define PICTAVO_RANGE_GET(member, fallback, cap, which)                          \
  PICTAVO_GET(member) {                                                          \
    call.Return(Scanning(box).Loaded(fallback, &T::GetRange, T::cap, T::which)); \
  }
#define PICTAVO_RANGE_PUT(member, op)                      \
  PICTAVO_PUT(member) {                                    \
    Scanning(box).IfLoaded(op, call.Double(call.Value())); \
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
PICTAVO_PUT(XTwainResolution) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcXResolution, call.Double(call.Value()));
}
PICTAVO_PUT(YTwainResolution) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcYResolution, call.Double(call.Value()));
}
PICTAVO_PUT(TwainBrightness) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcBrightness, call.Double(call.Value()));
}
PICTAVO_PUT(TwainContrast) {
  Scanning(box).IfLoaded(&T::SetRange, T::rcContrast, call.Double(call.Value()));
}
PICTAVO_RANGE_PUT(TwainThreshold, &T::SetThreshold)

// The frame edges.
#define PICTAVO_EDGE(member, edge)                                           \
  PICTAVO_GET(member) {                                                      \
    call.Return(Scanning(box).Loaded(0.0, &T::GetEdge, T::edge));            \
  }                                                                          \
  PICTAVO_PUT(member) {                                                      \
    Scanning(box).IfLoaded(&T::SetEdge, T::edge, call.Double(call.Value())); \
  }
PICTAVO_EDGE(TwainLeft, edLeft)
PICTAVO_EDGE(TwainTop, edTop)
PICTAVO_EDGE(TwainRight, edRight)
PICTAVO_EDGE(TwainBottom, edBottom)
PICTAVO_CALL(SetTwainLayout) {
  Scanning(box).IfLoaded(&T::SetLayout, call.Double(0), call.Double(1), call.Double(2),
                         call.Double(3));
}

PICTAVO_GET(TwainMaxWidth) {
  call.Return(Scanning(box).Loaded(-1.0, &T::GetMaxWidth));
}
PICTAVO_GET(TwainMaxHeight) {
  call.Return(Scanning(box).Loaded(-1.0, &T::GetMaxHeight));
}

// Truth-valued capabilities: a getter that sets scanning up, a setter that needs it set up.
#define PICTAVO_SWITCH(member, get, set)                      \
  PICTAVO_GET(member) {                                       \
    call.Return(Scanning(box).Loaded(false, &T::get));        \
  }                                                           \
  PICTAVO_PUT(member) {                                       \
    Scanning(box).IfLoaded(&T::set, call.Bool(call.Value())); \
  }
PICTAVO_SWITCH(TwainAutoBright, GetAutoBright, SetAutoBright)
PICTAVO_SWITCH(TwainAutoDeskew, GetAutoDeskew, SetAutoDeskew)
PICTAVO_SWITCH(TwainDuplexEnabled, GetDuplexEnabled, SetDuplexEnabled)
PICTAVO_GET(TwainThreshold) {
  call.Return(Scanning(box).Loaded(-1.0, &T::GetThreshold));
}
PICTAVO_GET(HasADF) {
  call.Return(Scanning(box).Loaded(false, &T::GetHasADF));
}
PICTAVO_GET(ADFLoaded) {
  call.Return(Scanning(box).Loaded(false, &T::GetADFLoaded));
}
PICTAVO_GET(UseADF) {
  call.Return(Scanning(box).UseADF());
}
PICTAVO_PUT(UseADF) {
  Scanning(box).SetUseADF(call.Bool(call.Value()));
}
PICTAVO_GET(TwainMultiImage) {
  call.Return(Scanning(box).TwainMultiImage());
}
PICTAVO_PUT(TwainMultiImage) {
  Scanning(box).SetTwainMultiImage(call.Bool(call.Value()));
}
PICTAVO_GET(TwainImagesToRead) {
  call.Return(Scanning(box).TwainImagesToRead());
}
PICTAVO_PUT(TwainImagesToRead) {
  Scanning(box).SetTwainImagesToRead(call.Long(call.Value()));
}
PICTAVO_GET(TwainPageCount) {
  call.Return(Scanning(box).Loaded(int32_t{0}, &T::PageCount));
}
PICTAVO_GET(TwainDuplexSupported) {
  call.Return(Scanning(box).Loaded(int32_t{0}, &T::GetDuplexSupported));
}

}  // namespace pictavo
