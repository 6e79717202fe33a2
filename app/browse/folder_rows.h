#pragma once
// What one row of the file list says about its file, gathered away from the GUI thread: the file
// facts, and the thumbnail (thumbnail view) or the header probe (details view).
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace browse {

// The list's two views, as FolderListOptions.View stores them.
enum FolderView : int32_t { kThumbnailView = 0, kDetailsView = 3 };

// What every row of one listing is made with.
struct FolderRowRequest {
  FolderView View = kThumbnailView;
  int32_t ThumbWidth = 40;
  int32_t ThumbHeight = 40;
  uint8_t FileSizeFormat = 0;
};

struct FolderRow {
  QString FullPath;
  QString Name;
  QString Extension;  // lower case; the page count and the probe go by it
  QString Resolution;
  QString Size;
  QString Type;
  QString Created, Modified, Accessed;
  // What the size and date columns sort by.
  int64_t Bytes = 0;
  QDateTime CreatedAt, ModifiedAt, AccessedAt;
  QImage Thumbnail;  // thumbnail view only; null when the file could not be loaded
  // Why the thumbnail view could not load the file; its row is marked with it.
  QString Failure;
  // False for a file that vanished since the folder was read.
  bool Listed = false;
};

// Why a folder cannot be read (the system's words, such as "Permission denied"); empty when it
// can.
QString FolderRefusal(const QString& folder);

// The folder's files that match the browser's pattern, matched without regard to case, in name
// order (also without regard to case). A folder that cannot be read gives none.
QStringList fncFolderEntries(const QString& folder, const QStringList& pattern);

// The full path of an entry: "/" between folder and name unless the folder already ends in one.
QString fncEntryPath(const QString& folder, const QString& name);

// Gathers one row. Safe on any thread: it keeps its own file facts and touches no widget.
FolderRow MakeFolderRow(const QString& fullPath, const FolderRowRequest& request);

// Why a file gives no picture: gone, or damaged or not an image, with the reader's words.
QString UnreadableReason(const QString& path);

// Whether the page count of a file with this (lower-case) extension is asked of the control.
bool IsTiffExtension(const QString& extension);

}  // namespace browse
