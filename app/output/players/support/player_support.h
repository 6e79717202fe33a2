#pragma once
// What every player program does alike: refuse a second copy, read the package behind its own
// program file, decode an entry from memory, and report a fault the way a player does.
#include <QImage>
#include <QMessageBox>
#include <QString>
#include <memory>
#include <span>

#include "app/output/package/mapped_file.h"
#include "app/output/package/package_reader.h"

namespace players {

// Largest picture a player decodes, in megabytes of 32-bit pixels: room for large photos, but a
// damaged header cannot claim gigabytes.
constexpr int kPictureLimitMB = 1024;

// The single-instance lock of the program file `own_file`, named after the file.
QString PlayerLockPath(const QString& own_file);

// The package behind the program file: the file stays mapped while the reader's entries are used.
class OwnPackage {
 public:
  // Throws package::ENoPackage, package::EPackageError, or std::runtime_error when the file
  // cannot be read.
  OwnPackage(const QString& own_file, output::package::PackageKind kind);

  const output::package::PackageReader& Reader() const { return reader_; }

 private:
  output::package::MappedFile file_;
  output::package::PackageReader reader_;
};

// Opens the package behind `own_file`, or reports why not as a player does and answers null:
// "<file>: no <what> is attached, or the file is incomplete" on standard error when nothing is
// attached, otherwise the fault box titled `title` with `fault_prefix` before the reason.
std::unique_ptr<OwnPackage> OpenOwnPackage(const QString& own_file,
                                           output::package::PackageKind kind, const QString& what,
                                           const QString& title, const QString& fault_prefix);

// Decodes a JPEG entry. The size its header claims is checked before any pixel is allocated.
// Throws std::runtime_error with the reason.
QImage DecodeJpeg(std::span<const uint8_t> bytes);

// The message box of a fault: no icon, the program's title, the text, OK (Return closes it).
std::unique_ptr<QMessageBox> FaultBox(const QString& title, const QString& text);

}  // namespace players
