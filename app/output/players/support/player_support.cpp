#include "app/output/players/support/player_support.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>
#include <cstdio>
#include <stdexcept>

#include "platform/base/instance_lock.h"

namespace players {

QString PlayerLockPath(const QString& own_file) {
  return plat::InstanceLockPath(QStringLiteral("velmora-players"), QFileInfo(own_file).fileName());
}

OwnPackage::OwnPackage(const QString& own_file, output::package::PackageKind kind)
    : file_(QFile::encodeName(own_file).toStdString()), reader_(file_.Bytes(), kind) {}

QImage DecodeJpeg(std::span<const uint8_t> bytes) {
  const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()));
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "jpeg");
  reader.setDecideFormatFromContent(false);
  reader.setAllocationLimit(kPictureLimitMB);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) throw std::runtime_error("it is not a JPEG image");
  if (static_cast<int64_t>(size.width()) * size.height() * 4 >
      static_cast<int64_t>(kPictureLimitMB) * 1024 * 1024)
    throw std::runtime_error("it claims " + std::to_string(size.width()) + " x " +
                             std::to_string(size.height()) + " pixels, more than can be shown");
  QImage image = reader.read();
  if (image.isNull())
    throw std::runtime_error("the JPEG data is damaged (" + reader.errorString().toStdString() +
                             ")");
  return image;
}

std::unique_ptr<QMessageBox> FaultBox(const QString& title, const QString& text) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
  box->setDefaultButton(QMessageBox::Ok);
  return box;
}

std::unique_ptr<OwnPackage> OpenOwnPackage(const QString& own_file,
                                           output::package::PackageKind kind, const QString& what,
                                           const QString& title, const QString& fault_prefix) {
  try {
    return std::make_unique<OwnPackage>(own_file, kind);
  } catch (const output::package::ENoPackage&) {
    std::fprintf(stderr, "%s: no %s is attached, or the file is incomplete\n",
                 qPrintable(QFileInfo(own_file).fileName()), qPrintable(what));
  } catch (const std::exception& e) {
    FaultBox(title, fault_prefix + QString::fromStdString(e.what()))->exec();
  }
  return nullptr;
}

}  // namespace players
