#include "platform/graphics/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/qimage_view.h"

namespace plat {

namespace {

struct FormatTable {
  std::mutex lock;
  std::map<std::string, uint16_t> numbers;
  std::map<uint16_t, std::string> names;
};

FormatTable& Formats() {
  static FormatTable table;
  return table;
}

// Formats other programs know travel under their MIME type; the rest under Qt's name for a
// registered format.
QString MimeTypeOf(const std::string& name) {
  if (name == "GIF Image") return QStringLiteral("image/gif");
  return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"")
      .arg(QString::fromStdString(name));
}

QClipboard* SystemClipboard() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
  return QGuiApplication::clipboard();
}

// A copy of what the clipboard holds now, to add one more format to.
std::unique_ptr<QMimeData> CurrentContent(QClipboard& clipboard) {
  auto copy = std::make_unique<QMimeData>();
  if (const QMimeData* now = clipboard.mimeData())
    for (const QString& format : now->formats()) copy->setData(format, now->data(format));
  return copy;
}

THandle BitmapHandleOf(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  TBitmap bitmap(rgb.width(), rgb.height(), TPixelFormat::pf24bit);
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* in = rgb.constScanLine(y);
    uint8_t* out = bitmap.ScanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      out[x * 3] = in[x * 3 + 2];
      out[x * 3 + 1] = in[x * 3 + 1];
      out[x * 3 + 2] = in[x * 3];
    }
  }
  return NewBitmapHandle(bitmap);
}

}  // namespace

uint16_t RegisterClipboardFormat(const std::string& name) {
  FormatTable& table = Formats();
  std::lock_guard guard(table.lock);
  auto found = table.numbers.find(name);
  if (found != table.numbers.end()) return found->second;
  const auto number = static_cast<uint16_t>(0xC000 + table.numbers.size());
  table.numbers.emplace(name, number);
  table.names.emplace(number, name);
  return number;
}

std::string ClipboardFormatName(uint16_t format) {
  FormatTable& table = Formats();
  std::lock_guard guard(table.lock);
  auto found = table.names.find(format);
  return found == table.names.end() ? std::string() : found->second;
}

bool EmptyClipboard() {
  QClipboard* clipboard = SystemClipboard();
  if (!clipboard) return false;
  clipboard->clear();
  return true;
}

bool SetClipboardData(uint16_t format, THandle data) {
  QClipboard* clipboard = SystemClipboard();
  if (!clipboard) return false;
  std::unique_ptr<QMimeData> content = CurrentContent(*clipboard);
  if (format == CF_BITMAP) {
    std::shared_ptr<TBitmap> bitmap = BitmapOfHandle(data);
    if (!bitmap) return false;
    content->setImageData(ToQImage(*bitmap));
    clipboard->setMimeData(content.release());
    DeleteBitmapHandle(data);
    return true;
  }
  const std::string name = ClipboardFormatName(format);
  std::shared_ptr<TMemoryBlock> block = MemoryOfHandle(data);
  if (name.empty() || !block) return false;
  content->setData(MimeTypeOf(name), QByteArray(reinterpret_cast<const char*>(block->data()),
                                                static_cast<qsizetype>(block->size())));
  clipboard->setMimeData(content.release());
  FreeMemoryHandle(data);
  return true;
}

THandle GetClipboardData(uint16_t format) {
  QClipboard* clipboard = SystemClipboard();
  const QMimeData* content = clipboard ? clipboard->mimeData() : nullptr;
  if (!content) return 0;
  if (format == CF_BITMAP)
    return content->hasImage() ? BitmapHandleOf(qvariant_cast<QImage>(content->imageData())) : 0;
  const std::string name = ClipboardFormatName(format);
  if (name.empty() || !content->hasFormat(MimeTypeOf(name))) return 0;
  const QByteArray bytes = content->data(MimeTypeOf(name));
  const THandle handle = NewMemoryHandle(bytes.size());
  if (!bytes.isEmpty()) std::memcpy(MemoryOfHandle(handle)->data(), bytes.data(), bytes.size());
  return handle;
}

}  // namespace plat
