#include "platform/scan/sane_capabilities.h"

#include <algorithm>
#include <cmath>

#include "platform/scan/twain_containers.h"

namespace plat::scan {

namespace {

constexpr char kMode[] = "mode";
constexpr char kDepth[] = "depth";
constexpr char kSource[] = "source";
constexpr char kResolution[] = "resolution";
constexpr char kXResolution[] = "x-resolution";
constexpr char kYResolution[] = "y-resolution";
constexpr char kLeft[] = "tl-x";
constexpr char kTop[] = "tl-y";
constexpr char kRight[] = "br-x";
constexpr char kBottom[] = "br-y";
constexpr double kMillimetresPerInch = 25.4;

// Lengths of the first five units in an inch (pixels depend on the resolution).
constexpr double kPerInch[] = {1, 2.54, 6, 72, 1440};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool NamesFeeder(const std::string& value) {
  const std::string v = Lower(value);
  return v.find("adf") != std::string::npos || v.find("feeder") != std::string::npos;
}

bool NamesDuplex(const std::string& value) {
  return Lower(value).find("duplex") != std::string::npos;
}

// The pixel type a "mode" value stands for; -1 for modes of no pixel type (halftone).
int PixelTypeOfMode(const std::string& mode) {
  const std::string m = Lower(mode);
  if (m == "lineart" || m == "binary") return TWPT_BW;
  if (m == "gray" || m == "grey") return TWPT_GRAY;
  if (m == "color" || m == "colour") return TWPT_RGB;
  return -1;
}

}  // namespace

// --- values in the current unit ---

double TSaneCapabilities::UnitsPerInch() const {
  return unit_ < kPixels ? kPerInch[unit_] : 1;
}

int TSaneCapabilities::ResolutionOption(TAxis axis) const {
  const int own = options_.Find(axis == kX ? kXResolution : kYResolution);
  return own >= 0 ? own : options_.Find(kResolution);
}

double TSaneCapabilities::Dpi(TAxis axis) const {
  const double dpi = options_.Number(ResolutionOption(axis)).value_or(0);
  return dpi > 0 ? dpi : 1;
}

double TSaneCapabilities::XDpi() const {
  return Dpi(kX);
}
double TSaneCapabilities::YDpi() const {
  return Dpi(kY);
}

// The factor from a geometry option's own unit (millimetres or pixels) to the current unit.
double TSaneCapabilities::LengthScale(int option, TAxis axis) const {
  const SANE_Option_Descriptor* d = options_.Descriptor(option);
  const double inches = d && d->unit == SANE_UNIT_PIXEL ? 1 / Dpi(axis) : 1 / kMillimetresPerInch;
  return inches * (unit_ < kPixels ? kPerInch[unit_] : Dpi(axis));
}

std::optional<double> TSaneCapabilities::EdgeInUnits(const char* name, TAxis axis) const {
  const int option = options_.Find(name);
  const auto value = options_.Number(option);
  if (!value) return std::nullopt;
  return *value * LengthScale(option, axis);
}

bool TSaneCapabilities::SetEdge(const char* name, TAxis axis, double value) {
  const int option = options_.Find(name);
  return option >= 0 && options_.SetNumber(option, value / LengthScale(option, axis));
}

// --- containers of numbers ---

// A number option as the application sees it: its value times scale, as a range, the entries
// of its word list, or the one value of an unconstrained option.
TW_UINT16 TSaneCapabilities::ReplyNumber(TW_CAPABILITY& capability, int option, double scale) {
  const auto current = options_.Number(option);
  if (!current) return TWRC_FAILURE;
  const std::vector<double> words = options_.Words(option);
  if (!words.empty()) {
    std::vector<TW_UINT32> items;
    for (const double w : words) items.push_back(Fix32Of(w * scale));
    const auto at = std::min_element(words.begin(), words.end(), [&](double a, double b) {
      return std::fabs(a - *current) < std::fabs(b - *current);
    });
    return ReplyEnumeration(capability, TWTY_FIX32, items,
                            static_cast<TW_UINT32>(at - words.begin()));
  }
  if (const auto range = options_.Range(option))
    return ReplyRange(capability, TWTY_FIX32, Fix32Of(range->min * scale),
                      Fix32Of(range->max * scale), Fix32Of(range->step * scale),
                      Fix32Of(*current * scale));
  return ReplyOneValue(capability, TWTY_FIX32, Fix32Of(*current * scale));
}

TW_UINT16 TSaneCapabilities::SetNumber(int option, double value, double scale) {
  return options_.SetNumber(option, value / scale) ? TWRC_SUCCESS : TWRC_FAILURE;
}

TW_UINT16 TSaneCapabilities::ReplyPhysicalSize(TW_CAPABILITY& capability, TAxis axis) {
  const int option = options_.Find(axis == kX ? kRight : kBottom);
  const auto range = options_.Range(option);
  if (!range) return TWRC_FAILURE;
  return ReplyOneValue(capability, TWTY_FIX32, Fix32Of(range->max * LengthScale(option, axis)));
}

// --- pixel types ---

TW_UINT16 TSaneCapabilities::GetPixelType(TW_CAPABILITY& capability) {
  const auto mode = options_.Text(kMode);
  if (!mode) return TWRC_FAILURE;
  std::vector<bool> offered(3, false);
  for (const std::string& m : options_.Strings(kMode))
    if (const int type = PixelTypeOfMode(m); type >= 0) offered[static_cast<size_t>(type)] = true;
  // Without a line-art mode, grey at one bit is black and white.
  const std::vector<double> depths = options_.Words(options_.Find(kDepth));
  const bool bw_by_depth = !offered[TWPT_BW] && offered[TWPT_GRAY] &&
                           std::find(depths.begin(), depths.end(), 1.0) != depths.end();
  offered[TWPT_BW] = offered[TWPT_BW] || bw_by_depth;
  int current = PixelTypeOfMode(*mode);
  if (current == TWPT_GRAY && bw_by_depth && options_.Number(kDepth) == 1.0) current = TWPT_BW;
  std::vector<TW_UINT32> items;
  TW_UINT32 current_index = 0;
  for (TW_UINT16 type = 0; type < offered.size(); ++type) {
    if (!offered[type]) continue;
    if (type == current) current_index = static_cast<TW_UINT32>(items.size());
    items.push_back(type);
  }
  if (items.empty()) return TWRC_FAILURE;
  return ReplyEnumeration(capability, TWTY_UINT16, items, current_index);
}

TW_UINT16 TSaneCapabilities::SetPixelType(TW_UINT16 type) {
  const std::vector<std::string> modes = options_.Strings(kMode);
  const auto mode_of = [&](int wanted) {
    return std::find_if(modes.begin(), modes.end(),
                        [&](const std::string& m) { return PixelTypeOfMode(m) == wanted; });
  };
  auto mode = mode_of(type);
  const bool bw_by_depth = type == TWPT_BW && mode == modes.end();
  if (bw_by_depth) mode = mode_of(TWPT_GRAY);
  if (mode == modes.end() || !options_.SetText(kMode, *mode)) return TWRC_FAILURE;
  const auto depth = options_.Number(kDepth);
  if (bw_by_depth) return options_.SetNumber(kDepth, 1) ? TWRC_SUCCESS : TWRC_FAILURE;
  // Grey and colour want more than one bit a sample.
  if (depth == 1.0) options_.SetNumber(kDepth, 8);
  return TWRC_SUCCESS;
}

// --- feeder and duplex ---

bool TSaneCapabilities::FeederSelected() const {
  return NamesFeeder(options_.Text(kSource).value_or(""));
}

TW_UINT16 TSaneCapabilities::ReplySourceFlag(TW_CAPABILITY& capability,
                                             bool (*flag)(const std::string&)) {
  const std::vector<std::string> values = options_.Strings(kSource);
  const auto current = options_.Text(kSource);
  if (!current || std::none_of(values.begin(), values.end(), flag)) return TWRC_FAILURE;
  return ReplyOneValue(capability, TWTY_BOOL, flag(*current) ? 1 : 0);
}

// Picks the first "source" value that names a feeder or not, and duplex or not.
TW_UINT16 TSaneCapabilities::ChooseSource(bool feeder, bool duplex) {
  for (const std::string& value : options_.Strings(kSource))
    if (NamesFeeder(value) == feeder && NamesDuplex(value) == duplex)
      return options_.SetText(kSource, value) ? TWRC_SUCCESS : TWRC_FAILURE;
  return TWRC_FAILURE;
}

// --- capabilities ---

TW_UINT16 TSaneCapabilities::Get(TW_CAPABILITY& capability) {
  switch (capability.Cap) {
    case ICAP_PIXELTYPE:
      return GetPixelType(capability);
    case ICAP_UNITS: {
      std::vector<TW_UINT32> units;
      for (TW_UINT16 u = 0; u < kUnitCount; ++u) units.push_back(u);
      return ReplyEnumeration(capability, TWTY_UINT16, units, unit_);
    }
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION: {
      const TAxis axis = capability.Cap == ICAP_XRESOLUTION ? kX : kY;
      return ReplyNumber(capability, ResolutionOption(axis), 1 / UnitsPerInch());
    }
    case ICAP_PHYSICALWIDTH:
      return ReplyPhysicalSize(capability, kX);
    case ICAP_PHYSICALHEIGHT:
      return ReplyPhysicalSize(capability, kY);
    case ICAP_BRIGHTNESS:
      return ReplyNumber(capability, options_.Find("brightness"), 1);
    case ICAP_CONTRAST:
      return ReplyNumber(capability, options_.Find("contrast"), 1);
    case ICAP_THRESHOLD:
      return ReplyNumber(capability, options_.Find("threshold"), 1);
    case CAP_FEEDERENABLED:
    case CAP_AUTOFEED:
      return ReplySourceFlag(capability, NamesFeeder);
    case CAP_DUPLEXENABLED:
      return ReplySourceFlag(capability, NamesDuplex);
    case CAP_DUPLEX: {
      const std::vector<std::string> values = options_.Strings(kSource);
      if (std::none_of(values.begin(), values.end(), NamesDuplex)) return TWRC_FAILURE;
      return ReplyOneValue(capability, TWTY_UINT16, TWDX_1PASSDUPLEX);
    }
    case CAP_FEEDERLOADED:
      if (!HasPageSensor()) return TWRC_FAILURE;
      return ReplyOneValue(capability, TWTY_BOOL, PageLoaded() ? 1 : 0);
    case CAP_UICONTROLLABLE:
      return ReplyOneValue(capability, TWTY_BOOL, 1);
    case CAP_INDICATORS:
      return ReplyOneValue(capability, TWTY_BOOL, indicators_ ? 1 : 0);
    case CAP_CLEARPAGE:
      return ReplyOneValue(capability, TWTY_BOOL, 0);
    case ICAP_PIXELFLAVOR:
      return ReplyOneValue(capability, TWTY_UINT16, TWPF_CHOCOLATE);
    case ICAP_BITDEPTHREDUCTION:
      return ReplyOneValue(capability, TWTY_UINT16, TWBR_THRESHOLD);
    case ICAP_SUPPORTEDSIZES:
      return ReplyOneValue(capability, TWTY_UINT16, TWSS_NONE);
    default:
      return TWRC_FAILURE;
  }
}

TW_UINT16 TSaneCapabilities::Set(const TW_CAPABILITY& capability) {
  const auto one = SetValue(capability);
  if (!one) return TWRC_FAILURE;
  const TW_UINT32 item = one->Item;
  const double number = one->ItemType == TWTY_FIX32 ? ValueOfFix32(item) : item;
  switch (capability.Cap) {
    case ICAP_PIXELTYPE:
      return SetPixelType(static_cast<TW_UINT16>(item));
    case ICAP_UNITS:
      if (item >= kUnitCount) return TWRC_FAILURE;
      unit_ = static_cast<TW_UINT16>(item);
      return TWRC_SUCCESS;
    case ICAP_XRESOLUTION:
      return SetNumber(ResolutionOption(kX), number, 1 / UnitsPerInch());
    case ICAP_YRESOLUTION:
      return SetNumber(ResolutionOption(kY), number, 1 / UnitsPerInch());
    case ICAP_BRIGHTNESS:
      return SetNumber(options_.Find("brightness"), number, 1);
    case ICAP_CONTRAST:
      return SetNumber(options_.Find("contrast"), number, 1);
    case ICAP_THRESHOLD:
      return SetNumber(options_.Find("threshold"), number, 1);
    case CAP_FEEDERENABLED:
      if (FeederSelected() == (item != 0)) return TWRC_SUCCESS;
      return ChooseSource(item != 0, false);
    case CAP_DUPLEXENABLED:
      if (NamesDuplex(options_.Text(kSource).value_or("")) == (item != 0)) return TWRC_SUCCESS;
      return ChooseSource(true, item != 0);
    case CAP_AUTOFEED:
      // Feeding follows the feeder: a feeder source always feeds its next page itself.
      return FeederSelected() == (item != 0) ? TWRC_SUCCESS : TWRC_FAILURE;
    case CAP_INDICATORS:
      indicators_ = item != 0;
      return TWRC_SUCCESS;
    case ICAP_PIXELFLAVOR:
      return item == TWPF_CHOCOLATE ? TWRC_SUCCESS : TWRC_FAILURE;
    case ICAP_BITDEPTHREDUCTION:
    case ICAP_SUPPORTEDSIZES:
    case CAP_CLEARPAGE:
      return TWRC_SUCCESS;
    default:
      return TWRC_FAILURE;
  }
}

// --- layout ---

TW_UINT16 TSaneCapabilities::GetLayout(TW_IMAGELAYOUT& layout) {
  const auto left = EdgeInUnits(kLeft, kX), top = EdgeInUnits(kTop, kY);
  const auto right = EdgeInUnits(kRight, kX), bottom = EdgeInUnits(kBottom, kY);
  if (!left || !top || !right || !bottom) return TWRC_FAILURE;
  layout.Frame = {Fix32Field(*left), Fix32Field(*top), Fix32Field(*right), Fix32Field(*bottom)};
  layout.DocumentNumber = layout.PageNumber = layout.FrameNumber = 1;
  return TWRC_SUCCESS;
}

TW_UINT16 TSaneCapabilities::SetLayout(const TW_IMAGELAYOUT& layout) {
  const TW_FRAME& f = layout.Frame;
  // The top-left corner first, so the bottom-right one is never asked to lie before it.
  bool all = SetEdge(kLeft, kX, ValueOfFix32Field(f.Left));
  all = SetEdge(kTop, kY, ValueOfFix32Field(f.Top)) && all;
  all = SetEdge(kRight, kX, ValueOfFix32Field(f.Right)) && all;
  all = SetEdge(kBottom, kY, ValueOfFix32Field(f.Bottom)) && all;
  return all ? TWRC_SUCCESS : TWRC_FAILURE;
}

}  // namespace plat::scan
