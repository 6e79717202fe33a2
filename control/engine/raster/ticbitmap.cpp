#include "control/engine/raster/ticbitmap.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>

#include "control/engine/raster/glue/glue.h"
#include "control/formats/pdf/pdf_document.h"
#include "control/formats/support/webprocs.h"
#include "control/formats/tiff/tif_pages.h"
#include "platform/base/streams.h"
#include "platform/base/text.h"
#include "platform/graphics/resolution.h"

namespace pictavo {

namespace {

using LoadFn = void (*)(glue::LoadRequest&);
using SaveFn = void (*)(glue::SaveRequest&);

constexpr char kReadBinaryFailed[] = "The ReadBinary method has failed to read an image.";

// The codec that reads data starting with this byte; nullptr when none does.
LoadFn LoaderForFirstByte(uint8_t first) {
  switch (first) {
    case 0:
      return glue::LoadWbmp;
    case 10:
      return glue::LoadPcx;
    case '8':
      return glue::LoadPsd;
    case 'B':
      return glue::LoadBmp;
    case 'G':
      return glue::LoadGif;
    case 'I':
    case 'M':
      return glue::LoadTiff;
    case 137:
      return glue::LoadPng;
    case 255:
      return glue::LoadJpeg;
    default:
      return nullptr;
  }
}

// GIF data is read only when the bitmap allows LZW decoding.
void CheckGifAllowed(LoadFn loader, const TicBitmap& owner) {
  if (loader == glue::LoadGif && !owner.UseLZW)
    throw plat::EInvalidGraphic("File format not supported");
}

// The writer of a TxGraphicsFormat code; nullptr above gfPDF.
SaveFn SaverForFormat(int format) {
  static constexpr SaveFn kSavers[] = {glue::SaveBmp, glue::SaveGif,  glue::SaveJpeg,
                                       glue::SavePcx, glue::SavePng,  glue::SaveWbmp,
                                       glue::SavePsd, glue::SaveTiff, glue::SavePdf};
  if (format < 0 || format > gfPDF) return nullptr;
  return kSavers[format];
}

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The TxGraphicsFormat an output file name asks for by its extension.
int FormatForFileName(const std::string& file_name) {
  if (const std::optional<int> format = TicBitmap::FormatOfFileName(file_name)) return *format;
  throw EInvalidFormat("File extension is not a supported graphics format");
}

constexpr int64_t kFileHeaderSize = 14;

}  // namespace

namespace glue {

[[noreturn]] void ThrowNotAvailable(const char* format) {
  throw plat::EInvalidGraphic(std::string("Not available: ") + format);
}

}  // namespace glue

TicBitmap::TicBitmap() : FileInfo(glue::NewFileInfo()), Exif(glue::NewExif()) {}

TicBitmap::TicBitmap(const TicBitmap& other) : TicBitmap() {
  Assign(other);
}

TicBitmap::~TicBitmap() = default;

void TicBitmap::SetSelection(uint8_t shape, const TSelectionBounds& bounds,
                             std::vector<uint8_t> mask) {
  if (shape == ssNone || mask.size() != static_cast<size_t>(int64_t{Width()} * Height()))
    throw plat::EInvalidGraphicOperation("A selection needs a shape and a mask of the image");
  use_selection_ = false;
  selection_shape_ = shape;
  selection_mask_ = std::move(mask);
  selection_bounds_ = bounds;
}

void TicBitmap::CancelSelection() {
  // The flag goes first and always: a flag without a selection would make every operation
  // skip every pixel.
  use_selection_ = false;
  selection_shape_ = ssNone;
  selection_mask_.clear();
  selection_mask_.shrink_to_fit();
}

void TicBitmap::Assign(const plat::TGraphic& source) {
  const auto* ic = dynamic_cast<const TicBitmap*>(&source);
  const bool transparent = Transparent;
  plat::TBitmap::Assign(source);
  Transparent = transparent;  // only another TicBitmap brings its transparency
  if (const auto* bmp = dynamic_cast<const TBMPImage*>(&source)) {
    SetXPelsPerMeter(bmp->GetXPelsPerMeter());
    SetYPelsPerMeter(bmp->GetYPelsPerMeter());
  }
  if (ic) {
    Transparent = ic->Transparent;
    BGColor = ic->BGColor;
    WasCMYK = ic->WasCMYK;
  }
  UpdateColorFormat();
  if (!ic) return;
  SetColorFormat(ic->ColorFormat);
  glue::CopyFileInfo(*FileInfo, *ic->FileInfo);
  TIFCompression = ic->TIFCompression;
  glue::CopyExif(*Exif, *ic->Exif);
  ProgressiveJPEG = ic->ProgressiveJPEG;
  JPEGApproxQuality = ic->JPEGApproxQuality;
  JPEGApproxQualityError = ic->JPEGApproxQualityError;
}

void TicBitmap::UpdateColorFormat() {
  using plat::TPixelFormat;
  // Without a screen of its own a device bitmap is taken as 24-bit.
  if (PixelFormat() == TPixelFormat::pfDevice) SetPixelFormat(TPixelFormat::pf24bit);
  ColorFormat = cfNone;
  const plat::TColorTable& palette = Palette();
  switch (PixelFormat()) {
    case TPixelFormat::pf1bit: {
      const plat::TColor c0 = palette.size() > 0 ? palette[0].ToColor() : 0;
      const plat::TColor c1 = palette.size() > 1 ? palette[1].ToColor() : 0;
      if (c0 == 0x000000 && c1 == 0xFFFFFF) {
        ColorFormat = cfMonoBW;
      } else if (c0 == 0xFFFFFF && c1 == 0x000000) {
        // Black must be index 0 for the TIFF, PSD and PDF writers; the pixels keep their look.
        SetPalette({plat::TRGBQuad::FromColor(0x000000), plat::TRGBQuad::FromColor(0xFFFFFF)});
        ColorFormat = cfMonoBW;
      } else {
        ColorFormat = cfMono;
      }
      break;
    }
    case TPixelFormat::pf4bit:
      ColorFormat = plat::IsGreyPalette(palette) ? cf16Grayscale : cf16Color;
      break;
    case TPixelFormat::pf8bit:
      ColorFormat = plat::IsGreyPalette(palette) ? cf256Grayscale : cf256Color;
      break;
    case TPixelFormat::pf24bit:
      ColorFormat = cf24bit;
      if (!palette.empty()) SetColorTable({});
      break;
    default:
      break;
  }
}

bool TicBitmap::CopyPaletteFrom(const plat::TBitmap& other) {
  int entries = 0;
  if (ColorFormat == cf256Color || ColorFormat == cf256Grayscale) entries = 256;
  if (ColorFormat == cf16Color || ColorFormat == cf16Grayscale) entries = 16;
  if (ColorFormat == cfMono || ColorFormat == cfMonoBW) entries = 2;
  if (entries == 0 || PixelFormat() != other.PixelFormat()) return false;
  const plat::TColorTable& source = other.Palette();
  plat::TColorTable palette(source.begin(),
                            source.begin() + std::min<size_t>(source.size(), entries));
  SetPalette(palette);
  return true;
}

int TicBitmap::GetXDPI() const {
  return plat::DpiOfPelsPerMetre(GetXPelsPerMeter());
}
int TicBitmap::GetYDPI() const {
  return plat::DpiOfPelsPerMetre(GetYPelsPerMeter());
}

void TicBitmap::SetXDPI(int dpi) {
  SetXPelsPerMeter(plat::PelsPerMetreOfDpi(dpi));
  glue::UpdateExifResolution(*Exif, dpi, GetYDPI());
}

void TicBitmap::SetYDPI(int dpi) {
  SetYPelsPerMeter(plat::PelsPerMetreOfDpi(dpi));
  glue::UpdateExifResolution(*Exif, GetXDPI(), dpi);
}

std::optional<int> TicBitmap::FormatOfFileName(const std::string& file_name) {
  const std::string name = NameWithoutFolder(file_name);
  const size_t dot = name.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : LowerCase(name.substr(dot));
  static const struct {
    const char* ext;
    int format;
  } kExtensions[] = {{".bmp", gfBMP},  {".gif", gfGIF},  {".pcx", gfPCX}, {".png", gfPNG},
                     {".jpg", gfJPG},  {".jpeg", gfJPG}, {".jpe", gfJPG}, {".wbmp", gfWBMP},
                     {".wbm", gfWBMP}, {".psd", gfPSD},  {".tif", gfTIF}, {".tiff", gfTIF},
                     {".pdf", gfPDF}};
  for (const auto& entry : kExtensions)
    if (ext == entry.ext) return entry.format;
  return std::nullopt;
}

std::string TicBitmap::NameWithoutFolder(const std::string& file_name) {
  const size_t slash = file_name.find_last_of("/\\");
  return slash == std::string::npos ? file_name : file_name.substr(slash + 1);
}

void TicBitmap::LoadImageFile(const std::string& file_name, int page) {
  const std::string name = NameWithoutFolder(file_name);
  std::error_code no_throw;
  if (std::filesystem::is_directory(file_name, no_throw))
    throw plat::EFOpenError(name + " is a folder, not a file");
  // A pipe or a device is never opened: it could block the caller or never end.
  if (std::filesystem::exists(file_name, no_throw) && !plat::FileExists(file_name))
    throw plat::EFOpenError(name + " is not a regular file");
  if (!plat::FileExists(file_name)) throw plat::EFOpenError("File not found: " + name);
  plat::TFileStream file(file_name, plat::FileMode::OpenRead);
  if (file.Size() == 0) throw plat::EReadError("The file " + name + " is empty");
  const uint8_t first = file.ReadByte();
  const LoadFn loader = LoaderForFirstByte(first);
  if (!loader) throw EInvalidFormat("File is not a supported graphics format");
  CheckGifAllowed(loader, *this);
  file.SetPosition(0);
  TicBitmap loaded;
  glue::LoadRequest request{file, loaded, *this, page, glue::LoadPath::File, name};
  try {
    loader(request);
  } catch (const plat::EReadError& e) {
    // The codecs say what is cut short; only this frame knows which file it was.
    throw plat::EReadError(name + ": " + e.what());
  }
  Assign(loaded);
  UpdateColorFormat();
}

void TicBitmap::LoadFromStreamByFirstByte(plat::TStream& stream, int page,
                                          TicBitmap& target) const {
  const LoadFn loader = LoaderForFirstByte(stream.ReadByte());
  if (!loader) throw EInvalidFormat("Data is not in a supported graphics format");
  CheckGifAllowed(loader, *this);
  stream.SetPosition(0);
  glue::LoadRequest request{stream, target, *this, page, glue::LoadPath::Stream, {}};
  loader(request);
}

void TicBitmap::LoadFromBytes(const uint8_t* data, int64_t size, int page) {
  plat::TReadOnlyMemoryStream stream(data, size);
  try {
    LoadFromStreamByFirstByte(stream, page, *this);
  } catch (const plat::EInvalidGraphic&) {
    throw plat::EInvalidGraphic(kReadBinaryFailed);
  }
  if (Height() == 0) throw plat::EInvalidGraphic(kReadBinaryFailed);
  UpdateColorFormat();
}

void TicBitmap::LoadFromURL(const std::string& url, const std::string& user, int page,
                            const std::string& password) {
  plat::TMemoryStream data;
  bool fetched = false;
  try {
    int32_t status = 0;
    std::string content_type;
    fetched = webprocs::HTTPGet(url, user, password, status, content_type, data);
  } catch (const std::exception&) {
    fetched = false;
  }
  if (!fetched) throw plat::EInvalidGraphic("The ReadURL method has failed to read an image.");
  TicBitmap loaded;
  try {
    LoadFromStreamByFirstByte(data, page, loaded);
  } catch (const EInvalidFormat&) {
    throw EInvalidFormat("Image type specified is not a supported format.");
  } catch (const plat::EInvalidGraphic&) {
    throw plat::EInvalidGraphic("The LoadFromURL method has failed to read an image.");
  }
  Assign(loaded);
}

void TicBitmap::SaveImageFile(const std::string& file_name, bool use_lzw, int quality) {
  const SaveFn saver = SaverForFormat(FormatForFileName(file_name));
  plat::WriteFileReplacing(file_name, [&](plat::TStream& out) {
    glue::SaveRequest request{*this, out, use_lzw, quality, glue::SaveUse::File};
    saver(request);
  });
}

void TicBitmap::InsertIntoTIF(const std::string& source, const std::string& dest, int32_t page) {
  TTIFImage tif;
  glue::FillTiffPage(*this, tif, false);
  InsertTIFPage(std::string(plat::TrimControls(source)), std::string(plat::TrimControls(dest)),
                page, tif);
}

void TicBitmap::InsertIntoPDF(const std::string& source, const std::string& dest, int32_t page,
                              uint8_t quality) {
  TicPDF pdf;
  glue::AddPdfPage(pdf, *this, 1, quality);
  pdf.InsertIntoFile(std::string(plat::TrimControls(source)), std::string(plat::TrimControls(dest)),
                     page);
}

std::vector<uint8_t> TicBitmap::SaveToBytes(int format, bool use_lzw, int quality) {
  const SaveFn saver = SaverForFormat(format);
  if (!saver) return {};
  plat::TMemoryStream out;
  glue::SaveRequest request{*this, out, use_lzw, quality, glue::SaveUse::Bytes};
  saver(request);
  return out.TakeBytes();
}

int64_t TicBitmap::EncodedSize(int format, bool use_lzw, int quality) {
  const SaveFn saver = SaverForFormat(format);
  if (!saver) return 0;
  plat::TMemoryStream out;
  glue::SaveRequest request{*this, out, use_lzw, quality, glue::SaveUse::Size};
  saver(request);
  return out.Size();
}

bool TicBitmap::PostToURL(const std::string& url, const std::string& file_name, int32_t& status,
                          int quality, bool use_lzw, const plat::TStringList& form_vars,
                          uint8_t upload_format, const std::string& form_var_name) {
  // The upload numbering differs from TxGraphicsFormat for TIFF, PNG and WBMP.
  static constexpr int kFormatOfUpload[] = {gfBMP, gfGIF, gfJPG,  gfPCX, gfTIF,
                                            gfPNG, gfPSD, gfWBMP, gfPDF};
  if (upload_format > 8) return false;
  const SaveFn saver = SaverForFormat(kFormatOfUpload[upload_format]);
  plat::TMemoryStream data;
  glue::SaveRequest request{*this, data, use_lzw, quality, glue::SaveUse::Post};
  saver(request);
  data.SetPosition(0);
  return webprocs::HTTPPost(url, form_vars, data, status, upload_format, form_var_name, file_name);
}

std::vector<uint8_t> TicBitmap::GetDIBData() const {
  plat::TMemoryStream bmp;
  SaveToStream(bmp);
  const std::vector<uint8_t>& bytes = bmp.Bytes();
  if (static_cast<int64_t>(bytes.size()) <= kFileHeaderSize) return {};
  return std::vector<uint8_t>(bytes.begin() + kFileHeaderSize, bytes.end());
}

}  // namespace pictavo
