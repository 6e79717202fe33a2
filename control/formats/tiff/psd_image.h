#pragma once
// The Photoshop graphic: a layered file read and written as a flat image. Loading decodes the
// merged image data that follows the layers, the resolution and the IPTC file info; saving
// writes one uncompressed image with an empty layer section.
#include <cstdint>
#include <string>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/jpeg/file_info.h"
#include "platform/base/exceptions.h"
#include "platform/graphics/graphic.h"

namespace pictavo {

// Raised by a writer that cannot put the image into its format; nothing has been written then.
VELMORA_EXCEPTION(EFileNotSaved, plat::Exception);

class TPSDImage : public plat::TGraphic {
 public:
  TPSDImage() = default;
  TPSDImage(const TPSDImage&) = delete;
  TPSDImage& operator=(const TPSDImage&) = delete;

  // The pixels: decoded by loading, the source of saving.
  TBMPImage Image;
  // The header of the last file loaded.
  uint16_t Channels = 0;
  uint16_t Height = 0;
  uint16_t Width = 0;
  uint16_t Depth = 0;
  uint16_t ColorMode = 0;
  uint16_t Compression = 0;
  // The colour table of an indexed file.
  plat::TColorTable Palette;
  // Read by loading; set by the caller before saving (0 writes no resolution).
  TFileInfo FileInfo;
  int32_t XDPI = 0;
  int32_t YDPI = 0;
  bool WasCMYK = false;

  // Decodes the whole stream from its start.
  void LoadFromStream(plat::TStream& stream) override;
  // Writes the file in one piece; raises EFileNotSaved "PSD file not saved" with nothing
  // written when the image has no PSD form.
  void SaveToStream(plat::TStream& stream) const override;
  // A bitmap source replaces Image; other sources are ignored.
  void Assign(const plat::TGraphic& source) override;
  // Fills a bitmap with Image.
  void AssignTo(plat::TGraphic& dest) const override;
  void LoadFromClipboardFormat(uint16_t format, plat::THandle data, plat::THandle palette) override;
  void SaveToClipboardFormat(uint16_t& format, plat::THandle& data,
                             plat::THandle& palette) const override;

  // Nothing draws or sizes a PSD image; it only converts between a file and a bitmap.
  bool GetEmpty() const override { return Image.GetEmpty(); }
  int GetWidth() const override { return Image.Width(); }
  int GetHeight() const override { return Image.Height(); }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  std::string ClassName() const override { return "TPSDImage"; }

 private:
  struct TReadState;
  void ReadHeader(TReadState& r);
  void ReadSections(TReadState& r);
  void ReadResources(TReadState& r);
  void ReadPixels(TReadState& r);
};

}  // namespace pictavo
