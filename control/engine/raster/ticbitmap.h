#pragma once
// TicBitmap: the control's raster image and the one place where file formats meet pixels.
//
// Loading picks the codec by the first byte of the data, saving by the file extension or by a
// TxGraphicsFormat code. Each codec is reached through one glue file in glue/ (see glue/glue.h),
// so a codec plugs in without touching this class.
//
// The IPTC and EXIF holders (TFileInfo, TExif) belong to the JPEG metadata code
// (pictavo::TFileInfo and pictavo::TExif); this class owns one of each through the metadata glue
// (glue/metadata_glue.cpp), which creates, copies and frees them, so this header needs only their
// names.
//
// The pixel operations (tone curves, filters, colour depth, geometry, selection) live in their
// own files in this folder and work on the public fields below.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/formats/bmp/bmpimage.h"
#include "platform/base/exceptions.h"
#include "platform/base/string_list.h"

namespace plat {
class TStream;
}

namespace pictavo {

class TFileInfo;
class TExif;

// The library's own error for data or names that no codec claims.
VELMORA_EXCEPTION(EInvalidFormat, plat::Exception);

// Image format codes of the binary transfer members and of size estimation.
enum TxGraphicsFormat : uint8_t {
  gfBMP = 0,
  gfGIF = 1,
  gfJPG = 2,
  gfPCX = 3,
  gfPNG = 4,
  gfWBMP = 5,
  gfPSD = 6,
  gfTIF = 7,
  gfPDF = 8,
};

// Colour-depth classification of the pixels.
enum TxColorFormat : uint8_t {
  cf24bit = 0,
  cf256Color = 1,
  cf256Grayscale = 2,
  cf16Color = 3,
  cf16Grayscale = 4,
  cfMono = 5,
  cfMonoBW = 6,
  cfNone = 7,
};

// TIFF output compression.
enum TxCompression : uint8_t { cmNone = 0, cmPackBits = 1, cmGroup4 = 2 };

// Result codes of the pixel operations that report one.
enum TxResult : int {
  rcDone = 0,
  rcPixelFormat = 1,  // the pixel format is not one the operation handles
  rcArgument = 2,     // an argument outside its allowed set
  rcRange = 3,        // a value outside its range
};

// Selection shapes of SelectionShape.
enum TxSelectionShape : uint8_t { ssNone = 0, ssRectangle = 1, ssEllipse = 2 };

struct FileInfoDeleter {
  void operator()(TFileInfo* p) const;
};
struct ExifDeleter {
  void operator()(TExif* p) const;
};

// Inclusive bounds of a selection.
struct TSelectionBounds {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const TSelectionBounds&, const TSelectionBounds&) = default;
};

class TicBitmap : public TBMPImage {
 public:
  TicBitmap();
  // A copy is a new bitmap Assign-ed from other (so neither the selection nor UseLZW travel).
  TicBitmap(const TicBitmap& other);
  TicBitmap& operator=(const TicBitmap&) = delete;
  ~TicBitmap() override;

  // --- fields, in the order the codecs and operations know them ---
  uint8_t ColorFormat = cfNone;     // TxColorFormat code
  bool Transparent = false;         // the image has a transparent colour (GIF, PNG)
  plat::TColor BGColor = 0xFFFFFF;  // the transparent colour; fill colour of crop and rotate
  std::unique_ptr<TFileInfo, FileInfoDeleter> FileInfo;  // IPTC data, always present
  bool UseLZW = false;                       // LZW data may be read (GIF decoding, TIFF LZW strips)
  uint8_t TIFCompression = cmNone;           // TxCompression code for TIFF output
  std::unique_ptr<TExif, ExifDeleter> Exif;  // EXIF tags, always present
  bool WasCMYK = false;                      // the file read was CMYK
  bool ProgressiveJPEG = false;              // JPEG output is progressive
  double JPEGApproxQualityError = 0;
  int JPEGApproxQuality = 0;  // 0..100, 0 when not estimated

  // --- the selection: a shape, a mask of Width x Height bytes (1 = selected) and its inclusive
  // bounds. UseSelection (operations and exports honour the selection) holds only while a
  // selection exists, and cancelling the selection always drops it.
  uint8_t SelectionShape() const { return selection_shape_; }
  const std::vector<uint8_t>& SelectionMask() const { return selection_mask_; }
  // The bounds of the selection, or of the last one after a cancel.
  const TSelectionBounds& SelectionBounds() const { return selection_bounds_; }
  bool UseSelection() const { return use_selection_; }
  // A new selection (not yet used); a shape of ssNone or a mask not of Width x Height bytes is
  // refused with plat::EInvalidGraphicOperation.
  void SetSelection(uint8_t shape, const TSelectionBounds& bounds, std::vector<uint8_t> mask);
  // Frees the mask; the bounds keep the last selection's values.
  void CancelSelection();
  // UseSelection := on, but only while a selection exists.
  void SetUseSelection(bool on) { use_selection_ = on && selection_shape_ != ssNone; }

  // --- TGraphic ---
  void Assign(const plat::TGraphic& source) override;
  bool GetTransparent() const override { return Transparent; }
  void SetTransparent(bool value) override { Transparent = value; }
  std::string ClassName() const override { return "TicBitmap"; }

  // Classifies the pixels into ColorFormat (after every load or pixel-format change).
  void UpdateColorFormat();
  // Converts the pixels to a TxColorFormat code; cfNone and the current code do nothing.
  int SetColorFormat(uint8_t code);
  // Takes the first 256/16/2 palette entries of other when both have the same indexed format.
  bool CopyPaletteFrom(const plat::TBitmap& other);
  void SetBGColor(plat::TColor color) { BGColor = color; }

  // DPI view of the resolution: (ppm * 254 + 5000) div 10000 and (dpi * 10000 + 127) div 254,
  // computed in 64 bits. The setters also update existing EXIF resolution tags.
  int GetXDPI() const;
  int GetYDPI() const;
  void SetXDPI(int dpi);
  void SetYDPI(int dpi);

  // --- loading (the first byte of the data picks the codec) ---
  // Loads a file through a temporary, so a failure leaves this bitmap as it was.
  void LoadImageFile(const std::string& file_name, int page);
  // Loads stream into target by its first byte; does not classify target's colours.
  void LoadFromStreamByFirstByte(plat::TStream& stream, int page, TicBitmap& target) const;
  // Loads the encoded bytes into this bitmap (the byte half of the VARIANT transfer).
  void LoadFromBytes(const uint8_t* data, int64_t size, int page);
  // Downloads url (with the credentials when user is not empty) and loads what it got through a
  // temporary, so a failure leaves this bitmap as it was.
  void LoadFromURL(const std::string& url, const std::string& user, int page,
                   const std::string& password);

  // --- saving ---
  // Saves by the lower-cased extension of file_name (written through a temporary file).
  void SaveImageFile(const std::string& file_name, bool use_lzw, int quality);
  // Encodes into bytes in a TxGraphicsFormat; codes above gfPDF give no bytes.
  std::vector<uint8_t> SaveToBytes(int format, bool use_lzw, int quality);
  // Number of bytes the encoding would have; 0 for codes above gfPDF.
  int64_t EncodedSize(int format, bool use_lzw, int quality);
  // Encodes in an upload format code (0 BMP, 1 GIF, 2 JPEG, 3 PCX, 4 TIFF, 5 PNG, 6 PSD, 7 WBMP,
  // 8 PDF) and posts it as a multipart form; true when every byte was sent and the server
  // answered 200. status receives the server's status code.
  bool PostToURL(const std::string& url, const std::string& file_name, int32_t& status, int quality,
                 bool use_lzw, const plat::TStringList& form_vars, uint8_t upload_format,
                 const std::string& form_var_name);
  // Inserts the image as page `page` of the TIFF file source, writing dest (names trimmed; the
  // TIFF page routine supplies the name rules). The page carries no EXIF.
  void InsertIntoTIF(const std::string& source, const std::string& dest, int32_t page);
  // Inserts the image as page `page` of the PDF file source by an incremental update, writing
  // dest (names trimmed); the PDF writer's errors pass through.
  void InsertIntoPDF(const std::string& source, const std::string& dest, int32_t page,
                     uint8_t quality);
  // The packed DIB: everything of the BMP after its 14-byte file header.
  std::vector<uint8_t> GetDIBData() const;

  // The TxGraphicsFormat the extension of file_name names (case-insensitive), if any.
  static std::optional<int> FormatOfFileName(const std::string& file_name);
  // The file name without its folder, as the messages quote it.
  static std::string NameWithoutFolder(const std::string& file_name);

 private:
  uint8_t selection_shape_ = ssNone;
  std::vector<uint8_t> selection_mask_;
  TSelectionBounds selection_bounds_;
  bool use_selection_ = false;
};

}  // namespace pictavo
