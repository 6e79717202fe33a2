#include "app/metadata/metadata_rewrite.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <span>
#include <vector>

#include "app/metadata/control_text.h"
#include "app/metadata/metadata_blocks.h"
#include "app/shell/errors.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/com/control_host.h"

namespace metadata {

namespace {

using pictavo::ax::ImageBoxProxy;

constexpr int32_t kErrFileAccess = 75;
constexpr auto kTiff = pictavo::ax::TxGraphicsFormat(7);

[[noreturn]] void CannotWrite() {
  throw shell::AppError(kErrFileAccess, "The metadata could not be written to this file.");
}

std::span<const uint8_t> Bytes(const QByteArray& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
}

// The image the control holds as a TIFF of its own writing, metadata included.
QByteArray ControlTiff(const ImageBoxProxy& box) {
  return plat::com::ToQVariant(box.WriteBinary(kTiff)).toByteArray();
}

// The file as the control reads it, written back as the control writes a TIFF.
QByteArray FileAsTheControlWritesIt(const QString& path) {
  plat::com::ControlHost reader;
  reader.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
  const ImageBoxProxy box(reader.Dispatch());
  box.LoadFromFile(Arg(path));
  return ControlTiff(box);
}

std::vector<uint8_t> Rewritten(const QString& path, const QByteArray& file,
                               const ImageBoxProxy& box) {
  const QByteArray fresh = ControlTiff(box);
  if (QFileInfo(path).suffix().compare(u"psd", Qt::CaseInsensitive) == 0)
    return PsdWithMetadata(Bytes(file), Bytes(fresh));
  const QByteArray read = FileAsTheControlWritesIt(path);
  return TiffWithMetadata(Bytes(file), {Bytes(fresh), Bytes(read), box.get_ExifCount() == 0});
}

}  // namespace

void RewriteFileMetadata(const QString& path, plat::com::ControlHost* control) {
  try {
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) CannotWrite();
    const QByteArray file = source.readAll();
    source.close();
    const std::vector<uint8_t> out = Rewritten(path, file, ImageBoxProxy(control->Dispatch()));
    plat::WriteFileReplacing(path.toStdString(), [&out](plat::TStream& stream) {
      stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
    });
  } catch (const plat::Exception&) {  // the control's failures included
    CannotWrite();
  }
}

}  // namespace metadata
