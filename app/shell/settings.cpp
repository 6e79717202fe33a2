#include "app/shell/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <bit>
#include <cstring>

#include "app/controls/twips.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "app/shell/ui_service.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace shell {

SetupRecord gSetup;
AcquireTarget gCaptureTarget{DefaultSetupFolder(), QStringLiteral("Capture")};
AcquireTarget gTwainTarget{DefaultSetupFolder(), QStringLiteral("Scan")};
QString gstrSetupFile;

namespace {

// The defaults name system colours by their index in the system-colour table.
constexpr int32_t kSystemColour(int index) {
  return static_cast<int32_t>(0x80000000u + static_cast<uint32_t>(index));
}

// One value for every element of an array member.
struct Each {
  int16_t value;
  template <size_t N>
  operator std::array<int16_t, N>() const {
    std::array<int16_t, N> all;
    all.fill(value);
    return all;
  }
};

constexpr int kMemberCount = 134;
// The largest record a file can hold: the fixed members and twelve texts of the longest length.
constexpr size_t kMaxRecordBytes = 304 + 12 * kMaxSetupTextBytes;
constexpr int32_t kErrPathFileAccess = 75;  // "Path/File access error"
const char* const kProgramFileName = "VelmoraJPEG2000B";
const char* const kWindowMaximizedKey = "Window/Maximized";

// ---- the file

QString SetupFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QLatin1Char('/') + QLatin1String(kProgramFileName);
}

QString WindowStateFile() {
  return QFileInfo(gstrSetupFile).absolutePath() + QStringLiteral("/window.ini");
}

void WarnCorruptedFile() {
  Ui().Message(QStringLiteral("Configuration data file is corrupted\r\n"
                              "Setting values will be initilized to default"),
               gstrApplicationName, MessageIcon::Exclamation);
}

// Writes the record through a temporary beside the file, so the file is always whole.
void WriteSetupFile(const SetupRecord& record) {
  const std::vector<uint8_t> bytes = EncodeSetupRecord(record);
  try {
    plat::WriteFileReplacing(QFile::encodeName(gstrSetupFile).toStdString(),
                             [&](plat::TStream& out) {
                               out.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
                             });
  } catch (const plat::Exception& e) {
    throw AppError(kErrPathFileAccess, e.what());
  }
}

// A damaged file is kept beside as ".bad" (replacing an older one) for whoever wants to look.
void KeepDamagedFile() {
  const QString kept = gstrSetupFile + QStringLiteral(".bad");
  QFile::remove(kept);
  QFile::rename(gstrSetupFile, kept);
}

// The record the file holds, clamped. Without a file, or with one that is not a whole record,
// the defaults are written at once: a start that ends abnormally still leaves a usable file.
SetupRecord ReadSetupFile() {
  QDir().mkpath(SetupFolder());
  if (clsFileInfo::CheckIfFileExists(gstrSetupFile)) {
    QFile file(gstrSetupFile);
    if (!file.open(QIODevice::ReadOnly))
      throw AppError(kErrPathFileAccess, file.errorString().toStdString());
    const QByteArray content = file.read(static_cast<qint64>(kMaxRecordBytes));
    file.close();
    std::optional<SetupRecord> record =
        DecodeSetupRecord(std::vector<uint8_t>(content.begin(), content.end()));
    if (record) {
      ClampSetupRecord(*record);
      return *record;
    }
    WarnCorruptedFile();
    KeepDamagedFile();
  }
  SetupRecord defaults = DefaultSetupRecord();
  WriteSetupFile(defaults);
  return defaults;
}

template <class T>
void Clamp(T& value, int low, int high) {
  value = static_cast<T>(std::clamp<int>(value, low, high));
}

}  // namespace

QString DefaultSetupFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  return pictures.isEmpty() ? QDir::homePath() : pictures;
}

int32_t DefaultWindowTwips(int pixels) {
  return velmora::PixelsToTwips(pixels);
}

SetupRecord DefaultSetupRecord() {
  SetupRecord record;
#define VELMORA_ASSIGN_DEFAULT(member, value) record.member = value;
  VELMORA_SETUP_FIELDS(VELMORA_ASSIGN_DEFAULT)
#undef VELMORA_ASSIGN_DEFAULT
  return record;
}

void ClampSetupRecord(SetupRecord& record) {
  constexpr int kThumbMin = 20, kThumbMax = 300, kWidthMax = 4000, kSplitMin = 10, kSplitMax = 90;
  for (int16_t* thumb :
       {&record.FolderListOptions.ThumbnailWidth, &record.FolderListOptions.ThumbnailHeight,
        &record.BasketListOptions.ThumbnailWidth, &record.BasketListOptions.ThumbnailHeight})
    Clamp(*thumb, kThumbMin, kThumbMax);
  for (int16_t& width : record.FolderListOptions.ColumnWidths) Clamp(width, 0, kWidthMax);
  for (int16_t& width : record.BasketListOptions.ColumnWidths) Clamp(width, 0, kWidthMax);
  auto& metadata = record.MetadataListOptions;
  for (int16_t* width : {&metadata.ExifNameWidth, &metadata.ExifValueWidth, &metadata.IptcNameWidth,
                         &metadata.IptcValueWidth})
    Clamp(*width, 0, kWidthMax);
  auto& splitters = record.SplitterOptions;
  for (int16_t* position : {&splitters.Main, &splitters.Right, &splitters.Left, &splitters.View})
    Clamp(*position, kSplitMin, kSplitMax);
}

std::vector<QString> SetupMemberNames() {
  std::vector<QString> names;
#define VELMORA_MEMBER_NAME(member, value) names.push_back(QStringLiteral(#member));
  VELMORA_SETUP_FIELDS(VELMORA_MEMBER_NAME)
#undef VELMORA_MEMBER_NAME
  return names;
}

void subLoadSetup() {
  gstrSetupFile = SetupFolder() + QLatin1Char('/') + QLatin1String(kProgramFileName);
  std::optional<SetupRecord> loaded =
      Trap(Routine::subLoadSetup, [] { return std::optional<SetupRecord>(ReadSetupFile()); });
  // A failed load must not leave a half-read record behind.
  gSetup = loaded ? std::move(*loaded) : DefaultSetupRecord();
}

void subSaveSetup() {
  Trap(Routine::subSaveSetup, [] { WriteSetupFile(gSetup); });
}

void subDeleteSetup() {
  QFile::remove(gstrSetupFile);
  QFile::remove(WindowStateFile());
}

bool LoadWindowMaximized() {
  if (gstrSetupFile.isEmpty()) return false;
  return QSettings(WindowStateFile(), QSettings::IniFormat)
      .value(QLatin1String(kWindowMaximizedKey), false)
      .toBool();
}

// QSettings replaces the file through a temporary beside it, as the record's own writer does.
void SaveWindowMaximized(bool maximized) {
  QSettings store(WindowStateFile(), QSettings::IniFormat);
  store.setValue(QLatin1String(kWindowMaximizedKey), maximized);
  store.sync();
  if (store.status() != QSettings::NoError)
    throw AppError(kErrPathFileAccess,
                   ("Cannot write the window state to " + WindowStateFile()).toStdString());
}

static_assert([] {
  int count = 0;
#define VELMORA_COUNT_MEMBER(member, value) ++count;
  VELMORA_SETUP_FIELDS(VELMORA_COUNT_MEMBER)
#undef VELMORA_COUNT_MEMBER
  return count;
}() == kMemberCount);

}  // namespace shell
