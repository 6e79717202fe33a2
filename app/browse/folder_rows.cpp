#include "app/browse/folder_rows.h"

#include <dirent.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cerrno>
#include <cstring>

#include "app/browse/header_probe.h"
#include "app/browse/picture_loader.h"
#include "app/shell/file_facts.h"

namespace browse {
namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

QString SizeText(int32_t width, int32_t height, const QString& between) {
  return QString::number(width) + between + QString::number(height);
}

// The details view's resolution: width X height X bits from the header, for the types the
// probe reads; empty for the others.
QString ProbedResolution(const QString& fullPath, const QString& extension) {
  static const QStringList kJpegTiffPng{QStringLiteral("tiff"), QStringLiteral("tif"),
                                        QStringLiteral("jpeg"), QStringLiteral("jpg"),
                                        QStringLiteral("png")};
  static const QStringList kGifBmp{QStringLiteral("bmp"), QStringLiteral("gif")};
  clsImageHeaderInfo header;
  if (kJpegTiffPng.contains(extension))
    header.ReadJPEG_TIFF_PNG_Header(fullPath);
  else if (kGifBmp.contains(extension))
    header.ReadGIF_BMP_Header(fullPath);
  else
    return {};
  return SizeText(header.Width(), header.Height(), QStringLiteral(" X ")) + QStringLiteral(" X ") +
         QString::number(header.BitsPerPixel());
}

void FillPicture(FolderRow& row, const FolderRowRequest& request) {
  if (request.View != kThumbnailView) {
    row.Resolution = ProbedResolution(row.FullPath, row.Extension);
    row.Listed = true;
    return;
  }
  int32_t width = 0, height = 0;
  row.Thumbnail = LoadPic(row.FullPath, kExactBox, request.ThumbWidth, request.ThumbHeight, kWhite,
                          width, height);
  row.Listed = true;
  if (row.Thumbnail.isNull())
    row.Failure = UnreadableReason(row.FullPath);
  else
    row.Resolution = SizeText(width, height, QStringLiteral(" x "));
}

}  // namespace

QString UnreadableReason(const QString& path) {
  if (!QFileInfo(path).isFile()) return QStringLiteral("The file no longer exists.");
  QImageReader reader(path);
  const QString detail = reader.read().isNull() ? reader.errorString() : QString();
  return QStringLiteral("The file is damaged or not an image") +
         (detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + detail + u'.');
}

QString FolderRefusal(const QString& folder) {
  DIR* opened = ::opendir(QFile::encodeName(folder).constData());
  if (opened == nullptr) return QString::fromLocal8Bit(std::strerror(errno));
  ::closedir(opened);
  return {};
}

QStringList fncFolderEntries(const QString& folder, const QStringList& pattern) {
  // QDir matches name filters without regard to case unless told otherwise.
  return QDir(folder).entryList(pattern, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QString fncEntryPath(const QString& folder, const QString& name) {
  return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool IsTiffExtension(const QString& extension) {
  return extension == QLatin1String("tif") || extension == QLatin1String("tiff");
}

FolderRow MakeFolderRow(const QString& fullPath, const FolderRowRequest& request) {
  shell::clsFileInfo facts;
  facts.FilePath(fullPath);
  FolderRow row;
  row.FullPath = fullPath;
  row.Name = facts.fName32bit();
  row.Extension = facts.fFileExtention().toLower();
  row.Size = facts.fSizeFormated(request.FileSizeFormat);
  row.Type = facts.fType();
  row.Created = facts.fDateCreated();
  row.Modified = facts.fDateModified();
  row.Accessed = facts.fDateAccessed();
  row.Bytes = facts.fSize();
  row.CreatedAt = facts.DateCreatedValue();
  row.ModifiedAt = facts.DateModifiedValue();
  row.AccessedAt = facts.DateAccessedValue();
  FillPicture(row, request);
  return row;
}

}  // namespace browse
