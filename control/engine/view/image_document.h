#pragma once
// TImageDocument: the image the control shows, its selection and the working copy an export
// runs on. It needs no widget (a merge reads its second image into one), so every rule about
// the image lives here and the view only decides how to show the result:
// - the selection is used only while one exists, and cancelling it always drops the flag;
// - an export runs on the working copy pattern: the image is cut to the selection when it is
//   used, exported, restored, and the selection re-created whether or not the export succeeded;
// - every operation does nothing without an image.
#include <functional>
#include <memory>
#include <string>

#include "control/engine/raster/merge.h"
#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

class TImageDocument {
 public:
  bool Loaded() const { return image_ != nullptr; }
  const TicBitmap* Image() const { return image_.get(); }
  // The image as it was before the running export cut it, or nullptr outside an export.
  const TicBitmap* ExportOriginal() const { return working_copy_.get(); }
  void Replace(std::unique_ptr<TicBitmap> image) { image_ = std::move(image); }
  void Clear() { image_.reset(); }

  // Runs export on the image (cut to the selection when it is used) and restores it afterwards.
  void WithWorkingCopy(const std::function<void(TicBitmap&)>& export_image);
  // Runs change on the image, when there is one; true when it ran.
  bool Change(const std::function<void(TicBitmap&)>& change);

  // --- pixels (result codes of the operations are not reported) ---
  void Brightness(int value, bool red, bool green, bool blue);
  void Contrast(int value, bool red, bool green, bool blue);
  void Sharpen(int level);
  void Blur(int level);
  void Flip(uint8_t mode);
  void ReduceRedEye();
  // --- geometry ---
  void Crop(int x1, int y1, int x2, int y2);
  void Rotate(float angle, bool smooth);
  void Resize(int width, int height, int filter, bool resample);
  void SetColorFormat(uint8_t code);
  // Shrinks the image to fit max_width x max_height keeping its aspect ratio; false when it
  // already fits (it is never enlarged), either limit is not positive, or there is no image.
  bool ResizeFit(int32_t max_width, int32_t max_height, int filter, bool resample);

  // --- whole-image analysis and merge ---
  int64_t ColorCount(plat::TColor colour) const;
  void Invert();
  bool IsBlank(uint32_t tolerance) const;
  void Merge(const TicBitmap& overlay, const TMergeOptions& options);

  // --- selection ---
  void SelectRectangle(int x1, int y1, int x2, int y2);
  void SelectEllipse(int x1, int y1, int x2, int y2);
  void CancelSelection();
  void CropToSelection();
  bool UseSelection() const { return image_ && image_->UseSelection(); }
  void SetUseSelection(bool on);
  uint8_t SelectionShape() const;
  // The selection's bounds; all 0 without one.
  TSelectionBounds SelectionBounds() const;

  // --- properties the image carries ---
  uint8_t ColorFormat() const { return image_ ? image_->ColorFormat : uint8_t{cfNone}; }
  plat::TColor BGColor() const { return image_ ? image_->BGColor : plat::TColor{0xFFFFFF}; }
  void SetBGColor(plat::TColor color);
  bool Transparent() const { return image_ && image_->Transparent; }
  void SetTransparent(bool on);
  uint8_t Compression() const { return image_ ? image_->TIFCompression : uint8_t{cmNone}; }
  void SetCompression(uint8_t code);
  bool ProgressiveJPEG() const { return image_ && image_->ProgressiveJPEG; }
  void SetProgressiveJPEG(bool on);
  bool WasCMYK() const { return image_ && image_->WasCMYK; }
  int32_t JPEGApproxQuality() const { return image_ ? image_->JPEGApproxQuality : 0; }
  double JPEGApproxQualityError() const { return image_ ? image_->JPEGApproxQualityError : 0; }
  int32_t XPelsPerMeter() const { return image_ ? image_->GetXPelsPerMeter() : 0; }
  int32_t YPelsPerMeter() const { return image_ ? image_->GetYPelsPerMeter() : 0; }
  int32_t XDPI() const { return image_ ? image_->GetXDPI() : 0; }
  int32_t YDPI() const { return image_ ? image_->GetYDPI() : 0; }
  void SetXPelsPerMeter(int32_t value);
  void SetYPelsPerMeter(int32_t value);
  void SetXDPI(int32_t value);
  void SetYDPI(int32_t value);
  // The image's IPTC and EXIF stores; nullptr without an image.
  TFileInfo* FileInfo() { return image_ ? image_->FileInfo.get() : nullptr; }
  TExif* Exif() { return image_ ? image_->Exif.get() : nullptr; }
  // Writes the image's metadata into the JPEG file_name; refused without an image.
  void OverwriteMetaData(const std::string& file_name);

 private:
  std::unique_ptr<TicBitmap> image_;
  std::unique_ptr<TicBitmap> working_copy_;
};

}  // namespace pictavo
