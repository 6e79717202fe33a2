#include "app/output/save_preview.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cstdio>
#include <functional>

#include "app/browse/freeimage.h"
#include "app/metadata/metadata_tables.h"
#include "app/output/jpeg2000.h"
#include "app/output/output_services.h"
#include "app/output/save_dialog.h"
#include "app/output/save_option_panels.h"
#include "app/shell/errors.h"
#include "app/shell/paths.h"
#include "app/shell/settings.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/qimage_view.h"
#include "platform/graphics/system_colors.h"

namespace output {
namespace {

using pictavo::ax::ImageBoxProxy;
using pictavo::ax::TxColorFormat;

constexpr auto kTiffSnapshot = pictavo::ax::TxGraphicsFormat(7);  // gfTIF
constexpr auto kCf24bit = TxColorFormat(0);
constexpr auto kCf256Color = TxColorFormat(1);
constexpr auto kCf256Grayscale = TxColorFormat(2);
constexpr auto kCfMonoBW = TxColorFormat(6);

// "Path/File access error": the writer reported no error, yet no file is there.
constexpr int32_t kErrFileAccess = 75;
// The number an encoder failure is reported under, as the outside encoder control raised it.
constexpr int32_t kEncoderFailure = static_cast<int32_t>(0x80004005);

// FreeImage's formats and TIFF flags of the formats the control does not write.
constexpr int32_t kFifPbmRaw = 8;
constexpr int32_t kFifPgmRaw = 12;
constexpr int32_t kFifPpmRaw = 15;
constexpr int32_t kFifTarga = 17;
constexpr int32_t kFifTiff = 18;
constexpr int32_t kFifXpm = 23;
constexpr int32_t kTiffCcittFax3 = 0x1000;
constexpr int32_t kTiffLzw = 0x4000;
constexpr int32_t kTiffJpeg = 0x8000;
constexpr int32_t kTiffDeflate = 0x0200;

// What writes a row's file.
enum class Writer { Control, Jpeg2000, FreeImage, Refused };

struct SavePlan {
  Writer writer = Writer::Control;
  // The extension, in its letter case, the writer needs in the name it writes; empty when any
  // name with the row's extension will do.
  QString extension;
  int32_t format = 0;  // FreeImage's format
  int32_t flags = 0;   // FreeImage's save flags
};

enum class Outcome { Saved, Failed, Refused };

auto& Formats() {
  return shell::gSetup.SaveFormatOptions.Formats;
}

// The transparent colour as red, green and blue: a stored system colour is looked up here, as
// the writers compare the colour with the image's own.
uint32_t TransparentRgb(int32_t oleColour) {
  return static_cast<uint32_t>(plat::ColorToRGB(static_cast<plat::TColor>(oleColour)));
}

void SoftwareTag(ImageBoxProxy& copy) {
  copy.ExifSetAttribute("Software", metadata::gstrSoftwareName.toStdString());
}

int32_t FreeImageTiffFlags(int16_t compression) {
  switch (compression) {
    case 3:
      return kTiffCcittFax3;
    case 4:
      return kTiffLzw;
    case 5:
      return kTiffJpeg;
    case 6:
      return kTiffDeflate;
    default:
      return 0;
  }
}

// Sets the row's options on the copy, in the row's order, and says what writes the file.
SavePlan PrepareRow(ImageBoxProxy& copy, const QString& ext) {
  const auto& f = Formats();
  if (ext == "bmp" || ext == "pdf") return {};
  if (ext == "gif") {
    copy.put_UseLZW(f.Gif.Compression != 0);
    copy.put_Transparent(f.Gif.Transparent != 0);
    if (f.Gif.Transparent != 0) copy.put_BGColor(TransparentRgb(f.Gif.TransparentColor));
    return {};
  }
  if (ext == "jp2" || ext == "jpc") {
    copy.put_ColorFormat(kCf24bit);
    return {Writer::Jpeg2000, {}, 0, 0};
  }
  if (ext == "jpg" || ext == "jpeg" || ext == "jpe") {
    copy.put_JPEGQuality(f.Jpeg.Quality);
    copy.put_ColorFormat(f.Jpeg.ColorDepth == 1 ? kCf256Grayscale : kCf24bit);
    copy.put_ProgressiveJPEG(f.Jpeg.Encoding != 0);
    SoftwareTag(copy);
    return {};
  }
  if (ext == "png") {
    copy.put_ColorFormat(f.Png.ColorDepth == 1 ? kCf256Color : kCf24bit);
    if (copy.get_ColorFormat() == kCf256Color) {
      copy.put_Transparent(f.Png.Transparent != 0);
      if (f.Png.Transparent != 0) copy.put_BGColor(TransparentRgb(f.Png.TransparentColor));
    }
    return {};
  }
  if (ext == "tif" || ext == "tiff") {
    const int16_t compression = f.Tiff.Compression;
    if (compression > 2) return {Writer::FreeImage, ext, kFifTiff, FreeImageTiffFlags(compression)};
    copy.put_Compression(pictavo::ax::TxCompression(compression < 0 ? 0 : compression));
    SoftwareTag(copy);
    return {};
  }
  if (ext == "pcx") {
    SoftwareTag(copy);
    return {};
  }
  if (ext == "psd") {
    copy.put_ColorFormat(kCf24bit);
    return {};
  }
  if (ext == "wbm" || ext == "wbmp" || ext == "wap") {
    copy.put_ColorFormat(kCfMonoBW);
    // The control knows ".wbm" and ".wbmp" only.
    return {Writer::Control, ext == "wap" ? QStringLiteral("wbm") : QString(), 0, 0};
  }
  static const QHash<QString, int32_t> freeImageFormats = {{"tga", kFifTarga},
                                                           {"pbm", kFifPbmRaw},
                                                           {"pgm", kFifPgmRaw},
                                                           {"ppm", kFifPpmRaw},
                                                           {"xpm", kFifXpm}};
  if (freeImageFormats.contains(ext))
    return {Writer::FreeImage, ext, freeImageFormats.value(ext), 0};
  if (ext == "sgi") return {Writer::Refused, {}, 0, 0};
  // Any other extension: the control refuses it with its own message.
  return {};
}

// The bitmap handle of a picture object; it lives as long as the object.
plat::THandle HandleOf(const plat::com::ComPtr<plat::com::IPictureDisp>& picture) {
  int32_t handle = 0;
  picture.As<plat::com::IPicture>()->get_Handle(&handle);
  return static_cast<plat::THandle>(handle);
}

// The copy's image as a picture, for the writers outside the control.
QImage PictureOf(ImageBoxProxy& copy) {
  const plat::com::ComPtr<plat::com::IPictureDisp> picture = copy.get_Picture();
  const std::shared_ptr<plat::TBitmap> bitmap = plat::BitmapOfHandle(HandleOf(picture));
  if (!bitmap)
    throw shell::AppError(shell::kErrObjectNotSet,
                          "Object variable or With block variable not set");
  return plat::ToQImage(*bitmap).copy();
}

void WriteJpeg2000(ImageBoxProxy& copy, const QString& path) {
  const auto& options = Formats().Jpeg2000;
  const int16_t rate = options.Compression == 1
                           ? options.Rate
                           : static_cast<int16_t>(velmora::TJpeg2000Encoder::kLosslessRate);
  velmora::TJpeg2000Encoder encoder;
  // The picture holds its own copy of the image until the encoder has taken the pixels.
  const plat::com::ComPtr<plat::com::IPictureDisp> picture = copy.get_Picture();
  try {
    velmora::modJPEG2000::fncSaveJPEG2000(encoder, HandleOf(picture), path.toStdString(), rate);
  } catch (const plat::com::EOleException&) {
    throw;
  } catch (const plat::Exception& e) {
    throw shell::AppError(kEncoderFailure, e.what());
  }
}

// Why a file that should be there is not: the folder, most often.
[[noreturn]] void RaiseNotWritten(const QString& path) {
  const QFileInfo folder(QFileInfo(path).absolutePath());
  const QString cause = !folder.exists()  ? QStringLiteral("The folder does not exist: ")
                        : !folder.isDir() ? QStringLiteral("The folder is a file: ")
                                          : QStringLiteral("The file could not be written: ");
  throw shell::AppError(kErrFileAccess,
                        (cause + (folder.isDir() ? path : folder.filePath())).toStdString());
}

void WriteFreeImage(ImageBoxProxy& copy, const SavePlan& plan, const QString& path) {
  QString written = path;
  int32_t format = plan.format;
  if (!browse::fncSavePictureToFile(PictureOf(copy), written, format, plan.flags) ||
      written != path)
    RaiseNotWritten(path);
}

// Writers pick the format by the name's extension, and FreeImage adds its own extension to a
// name whose extension differs from its list even in letter case. A name whose extension is
// not the one the writer wants is written under a sibling name that has it, then renamed, so
// the user gets the name they chose and an existing file is replaced only by a whole one.
void WriteUnderItsName(const QString& path, const QString& extension,
                       const std::function<void(const QString&)>& write) {
  if (extension.isEmpty() || shell::fncGetFileExtension(path) == extension) return write(path);
  const QFileInfo target(path);
  // Reported under the name the user chose, not the sibling's.
  if (!QFileInfo(target.absolutePath()).isDir()) RaiseNotWritten(path);
  const QString sibling = target.dir().filePath(QStringLiteral(".") + target.fileName() +
                                                QStringLiteral(".saving.") + extension);
  try {
    write(sibling);
  } catch (...) {
    QFile::remove(sibling);
    throw;
  }
  if (std::rename(QFile::encodeName(sibling).constData(), QFile::encodeName(path).constData()) !=
      0) {
    QFile::remove(sibling);
    RaiseNotWritten(path);
  }
}

void Write(ImageBoxProxy& copy, const SavePlan& plan, const QString& path) {
  WriteUnderItsName(path, plan.extension, [&](const QString& name) {
    switch (plan.writer) {
      case Writer::Jpeg2000:
        return WriteJpeg2000(copy, name);
      case Writer::FreeImage:
        return WriteFreeImage(copy, plan, name);
      default:
        return copy.SaveToFile(name.toStdString());
    }
  });
  if (!QFileInfo::exists(path)) RaiseNotWritten(path);
}

Outcome SavePreviewImage(plat::com::ControlHost& control, const QString& path) {
  if (path.isEmpty()) return Outcome::Saved;
  Outcome outcome = Outcome::Failed;
  shell::Trap(shell::Routine::fncSavePreviewImage, [&] {
    // The shown image goes into a control of the save's own, with its EXIF and IPTC data.
    ImageBoxProxy shown(control.Dispatch());
    const plat::com::Variant snapshot = shown.WriteBinary(kTiffSnapshot);
    plat::com::ControlHost host;
    host.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
    ImageBoxProxy copy(host.Dispatch());
    copy.ReadBinary(kTiffSnapshot, snapshot);

    const SavePlan plan = PrepareRow(copy, shell::fncGetFileExtension(path).toLower());
    if (plan.writer == Writer::Refused) {
      shell::Ui().Message(QStringLiteral("This format can be read but not saved."),
                          QCoreApplication::applicationName(), shell::MessageIcon::Information);
      outcome = Outcome::Refused;
      return;
    }
    Write(copy, plan, path);
    outcome = Outcome::Saved;
  });
  return outcome;
}

}  // namespace

const QString kSavePreviewFilter = QStringLiteral(
    "All supported files "
    "(*.*)|*.bmp;*.tif;*.tiff;*.gif;*.jpg;*.jpeg;*.jpe;*.jp2;*.jpc;*.png;*.pcx;*.psd;*.pdf;*.tga;"
    "*.pbm;*.pgm;*.ppm;*.sgi;*.xpm;*.wbm;*.wbmp;*.wap|TIF - Tag Image File "
    "(*.tif;*.tiff)|*.tif;*.tiff|BMP - Windows Bitmap (*.bmp)|*.bmp|GIF - CompuServe "
    "(*.gif)|*.gif|JPG - JPEG Group (*.jpg;*.jpeg;*.jpe)|*.jpg;*.jpeg;*.jpe|JP2 - JPEG2000 JP2 "
    "(*.jp2;*.jpc)|*.jp2;*.jpc|PNG - Portable Network (*.png)|*.png|PCX - Zsoft Paintbrush "
    "(*.pcx)|*.pcx|PSD - Photoshop (*.psd)|*.psd|PDF - Portable Document (*.pdf)|*.pdf|WBM - "
    "Wireless Bitmap (*.wbm;*.wbmp)|*.wbm;*.wbmp");

void fncSavePreviewToFile_Dialog(plat::com::ControlHost& control) {
  shell::Trap(shell::Routine::fncSavePreviewToFile_Dialog, [&] {
    shell::SetActivity(shell::Activity::SavingPagesToSingleFile);
    QString path;
    {
      frmSaveDialogExtensionAllFormats optionForm;
      path =
          fncShowSaveDialogEx(QString(), kSavePreviewFilter, 0,
                              QStringLiteral("Save preview to an image format"), optionForm, true);
    }
    if (SavePreviewImage(control, path) == Outcome::Failed)
      shell::Ui().Message(QStringLiteral("The file could not be saved!\r\nPlease try again."),
                          QCoreApplication::applicationName(), shell::MessageIcon::Information);
  });
}

bool fncSavePreviewImage(plat::com::ControlHost& control, const QString& path) {
  return SavePreviewImage(control, path) == Outcome::Saved;
}

void RegisterSavePreview() {
  Outputs().fncSavePreviewToFile_Dialog = fncSavePreviewToFile_Dialog;
}

}  // namespace output
