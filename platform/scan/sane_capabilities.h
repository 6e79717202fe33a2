#pragma once
// The capabilities and the image layout of a source, answered from the options of its SANE
// device: pixel type from "mode" (and "depth"), resolution from "resolution" or "x-resolution"
// and "y-resolution", the layout from "tl-x", "tl-y", "br-x" and "br-y", brightness, contrast
// and threshold from the options of those names, the feeder and duplex from the values of
// "source", and a loaded feeder from a "page-loaded" sensor. Lengths and resolutions are given
// in the unit the application chose (SANE works in millimetres and dots per inch).
#include <optional>
#include <string>

#include "platform/scan/sane_options.h"
#include "platform/scan/twain_types.h"

namespace plat::scan {

// Units the application may choose, in ICAP_UNITS order.
enum TTwainUnit : TW_UINT16 { kInches, kCentimetres, kPicas, kPoints, kTwips, kPixels, kUnitCount };

class TSaneCapabilities {
 public:
  explicit TSaneCapabilities(TSaneOptions& options) : options_(options) {}

  TW_UINT16 Get(TW_CAPABILITY& capability);
  TW_UINT16 Set(const TW_CAPABILITY& capability);
  TW_UINT16 GetLayout(TW_IMAGELAYOUT& layout);
  TW_UINT16 SetLayout(const TW_IMAGELAYOUT& layout);

  bool Indicators() const { return indicators_; }
  bool FeederSelected() const;
  bool HasPageSensor() const { return options_.Has(kPageLoaded); }
  bool PageLoaded() const { return options_.Number(kPageLoaded).value_or(0) != 0; }
  // The resolutions a page is scanned at, in dots per inch.
  double XDpi() const;
  double YDpi() const;

 private:
  static constexpr char kPageLoaded[] = "page-loaded";
  enum TAxis { kX, kY };

  TW_UINT16 GetPixelType(TW_CAPABILITY& capability);
  TW_UINT16 SetPixelType(TW_UINT16 type);
  TW_UINT16 ReplyNumber(TW_CAPABILITY& capability, int option, double scale);
  TW_UINT16 SetNumber(int option, double value, double scale);
  TW_UINT16 ReplySourceFlag(TW_CAPABILITY& capability, bool (*flag)(const std::string&));
  TW_UINT16 ChooseSource(bool feeder, bool duplex);
  TW_UINT16 ReplyPhysicalSize(TW_CAPABILITY& capability, TAxis axis);

  int ResolutionOption(TAxis axis) const;
  double Dpi(TAxis axis) const;
  // Dots per inch over dots per current unit.
  double UnitsPerInch() const;
  std::optional<double> EdgeInUnits(const char* option, TAxis axis) const;
  bool SetEdge(const char* option, TAxis axis, double value);
  double LengthScale(int option, TAxis axis) const;

  TSaneOptions& options_;
  TW_UINT16 unit_ = kInches;
  bool indicators_ = true;
};

}  // namespace plat::scan
