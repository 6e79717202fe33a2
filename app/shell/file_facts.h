#pragma once
// The facts of one file on disk: names, size texts, type, icon, dates, attribute flags and the
// fields of a version resource. Setting FilePath gathers them all; a path that cannot be read
// leaves the facts of the file described before.
#include <QDateTime>
#include <QIcon>
#include <QString>
#include <cstdint>

class QFileInfo;
class QPainter;

namespace shell {

class clsFileInfo {
 public:
  QString FilePath() const { return path32_; }
  void FilePath(const QString& NewValue);

  // Attribute flags. Only ReadOnly reaches the file (the owner's write bit); the others have no
  // counterpart here and leave quietly.
  bool fATTR_Archive() const { return archive_; }
  bool fATTR_Compressed() const { return compressed_; }
  bool fATTR_Hidden() const { return hidden_; }
  bool fATTR_Normal() const { return normal_; }
  bool fATTR_ReadOnly() const { return readOnly_; }
  bool fATTR_System() const { return system_; }
  bool fATTR_Temporary() const { return temporary_; }
  void fATTR_Archive(bool) {}
  void fATTR_Compressed(bool) {}
  void fATTR_Hidden(bool) {}
  void fATTR_System(bool) {}
  void fATTR_Temporary(bool) {}
  void fATTR_Normal(bool NewValue);
  void fATTR_ReadOnly(bool NewValue);

  QString fFileExtention() const { return extension_; }
  int64_t fSize() const { return size_; }
  // Keeps sz as the size form (0 short, 1 long) and gives fSize's text in it.
  QString fSizeFormated(uint8_t sz);
  QString fPath32bit() const { return path32_; }
  QString fPath16bit() const { return path16_; }
  QString fName32bit() const { return name32_; }
  QString fName16bit() const { return name16_; }
  QString fType() const { return type_; }
  QString fTargetOS() const { return targetOS_; }
  QString fDateCreated() const { return DateText(created_); }
  QString fDateModified() const { return DateText(modified_); }
  QString fDateAccessed() const { return DateText(accessed_); }
  QDateTime DateCreatedValue() const { return created_; }
  QDateTime DateModifiedValue() const { return modified_; }
  QDateTime DateAccessedValue() const { return accessed_; }
  QString fVersion() const { return version_; }
  QString fVersion_Major() const { return QString::number(versionMajor_); }
  QString fVersion_Minor() const { return QString::number(versionMinor_); }
  QString fVersion_Rev() const;
  QString fDecription() const { return description_; }
  QString fCopyright() const { return copyright_; }
  QString fCompanyName() const { return companyName_; }
  int64_t fSizeCompressed() const { return sizeCompressed_; }
  QString fSizeCompressedFormated() const { return sizeCompressedText_; }
  QIcon fIconH() const { return icon_; }
  QString fInternalName() const { return internalName_; }
  QString fLanguage() const { return language_; }
  QString fLegalTrademark() const { return legalTrademark_; }
  QString fLocation() const { return location_; }
  QString fOriginalFileName() const { return originalFileName_; }
  QString fProductName() const { return productName_; }
  QString fProductVersion() const { return productVersion_; }

  void ClearFileInfo();
  void RefreshInfo();
  // The numbers of a version text ("1.03.0167" gives 1, 3 and 167); a piece that is no number
  // leaves its number as it was.
  static void SplitVersion(const QString& text, int16_t& major, int16_t& minor, float& revision);
  // The date ("01/15/2007") or the time ("10:30:45 AM") out of a long English date-and-time text
  // such as "Monday, January 15, 2007 10:30:45 AM"; empty when it cannot be found.
  static QString Strip_DateTime(const QString& FullDateTime, bool StripOutTime, bool StripOutDate,
                                bool FourDigitYear);
  // The month whose English name text ends with: its name, or its two-digit number.
  static QString MonthFromText(const QString& text, bool asName);
  // A readable regular file.
  static bool CheckIfFileExists(const QString& strFullPath);
  // There are no short names: an existing path comes back as it is.
  static QString ConvertLong2Short(const QString& strFullPath);
  static QString StripFileFromPath(const QString& strFullPath);
  // The extension (after the last "."), not the name without it.
  static QString StripFileExtention(const QString& strFileName);
  // "1.50KB" (form 0) or "1.50KB (1,536 bytes)" (form 1) in the user's number format.
  static QString FormatSize(int64_t v, uint8_t form);
  static QString TrimAtNull(const QString& text);
  // Paints fIconH at (X, Y) unless hIcon is null.
  void GetFileIcon(QPainter* hdc, int32_t X, int32_t Y, const QIcon& hIcon) const;

 private:
  static QString DateText(const QDateTime& value);
  void ReadAttributes(const QFileInfo& entry);

  uint8_t sizeForm_ = 0;
  bool normal_ = false, readOnly_ = false, hidden_ = false, system_ = false, archive_ = false,
       compressed_ = false, temporary_ = false;
  QString location_, path32_, path16_, name32_, name16_, extension_;
  QDateTime accessed_, created_, modified_;
  QIcon icon_;
  int64_t size_ = 0;
  int64_t sizeCompressed_ = 0;
  QString sizeCompressedText_, type_, companyName_, copyright_, description_, internalName_,
      language_, legalTrademark_, originalFileName_, productName_, productVersion_, targetOS_,
      version_;
  int16_t versionMajor_ = 0, versionMinor_ = 0;
  float versionRevision_ = 0;
};

// The shared object for callers on the GUI thread, created on first use; a caller sets FilePath
// and reads what it needs at once. Worker threads keep their own clsFileInfo.
clsFileInfo& gobjFileInfo();

}  // namespace shell
