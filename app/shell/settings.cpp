#include "app/shell/settings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>
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
constexpr size_t kMaxTextBytes = 0xFFFF;
// The largest record a file can hold: the fixed members and twelve texts of the longest length.
constexpr size_t kMaxRecordBytes = 304 + 12 * kMaxTextBytes;
constexpr int32_t kErrPathFileAccess = 75;  // "Path/File access error"
const char* const kProgramFileName = "VelmoraJPEG2000B";

// ---- writing

class RecordWriter {
 public:
  void Put(uint8_t value) { bytes_.push_back(value); }
  void Put(int16_t value) { PutLittleEndian(static_cast<uint16_t>(value), 2); }
  void Put(int32_t value) { PutLittleEndian(static_cast<uint32_t>(value), 4); }
  void Put(bool value) { Put(static_cast<int16_t>(value ? -1 : 0)); }
  void Put(double value) { PutLittleEndian(std::bit_cast<uint64_t>(value), 8); }
  void Put(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    // A text longer than its length field can count loses its end, never half a character.
    qsizetype keep = std::min<qsizetype>(utf8.size(), kMaxTextBytes);
    while (keep < utf8.size() && keep > 0 && (static_cast<uint8_t>(utf8[keep]) & 0xC0) == 0x80)
      --keep;
    PutLittleEndian(static_cast<uint64_t>(keep), 2);
    bytes_.insert(bytes_.end(), utf8.begin(), utf8.begin() + keep);
  }
  template <size_t N>
  void Put(const std::array<int16_t, N>& values) {
    for (int16_t value : values) Put(value);
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  void PutLittleEndian(uint64_t value, int count) {
    for (int i = 0; i < count; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  std::vector<uint8_t> bytes_;
};

// ---- reading

QString FromWindows1252(const char* data, size_t size) {
  // 0x80..0x9F are the only bytes where Windows-1252 differs from Latin-1.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  QString text;
  text.reserve(static_cast<qsizetype>(size));
  for (size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<uint8_t>(data[i]);
    text.append(QChar(byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : char16_t{byte}));
  }
  return text;
}

QString DecodeText(const char* data, size_t size) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
  QString text = utf8(QByteArrayView(data, static_cast<qsizetype>(size)));
  return utf8.hasError() ? FromWindows1252(data, size) : text;
}

// The one place that touches the file's bytes: every read is checked against the end first.
class RecordReader {
 public:
  explicit RecordReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  bool Get(uint8_t& value) { return GetLittleEndian(value, 1); }
  bool Get(int16_t& value) { return GetLittleEndian(value, 2); }
  bool Get(int32_t& value) { return GetLittleEndian(value, 4); }
  bool Get(bool& value) {
    int16_t stored = 0;
    if (!Get(stored)) return false;
    value = stored != 0;
    return true;
  }
  bool Get(double& value) {
    uint64_t bits = 0;
    if (!GetLittleEndian(bits, 8)) return false;
    value = std::bit_cast<double>(bits);
    return true;
  }
  bool Get(QString& text) {
    uint16_t length = 0;
    if (!GetLittleEndian(length, 2) || !Has(length)) return false;
    text = DecodeText(reinterpret_cast<const char*>(bytes_.data() + position_), length);
    position_ += length;
    return true;
  }
  template <size_t N>
  bool Get(std::array<int16_t, N>& values) {
    return std::all_of(values.begin(), values.end(), [this](int16_t& v) { return Get(v); });
  }

 private:
  bool Has(size_t count) const { return bytes_.size() - position_ >= count; }
  template <class T>
  bool GetLittleEndian(T& value, size_t count) {
    if (!Has(count)) return false;
    uint64_t bits = 0;
    for (size_t i = 0; i < count; ++i) bits |= uint64_t{bytes_[position_ + i]} << (8 * i);
    position_ += count;
    value = static_cast<T>(bits);
    return true;
  }
  const std::vector<uint8_t>& bytes_;
  size_t position_ = 0;
};

// ---- the file

QString SetupFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QLatin1Char('/') + QLatin1String(kProgramFileName);
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

std::vector<uint8_t> EncodeSetupRecord(const SetupRecord& record) {
  RecordWriter writer;
#define VELMORA_WRITE_MEMBER(member, value) writer.Put(record.member);
  VELMORA_SETUP_FIELDS(VELMORA_WRITE_MEMBER)
#undef VELMORA_WRITE_MEMBER
  return writer.Take();
}

std::optional<SetupRecord> DecodeSetupRecord(const std::vector<uint8_t>& bytes) {
  RecordReader reader(bytes);
  SetupRecord record;
#define VELMORA_READ_MEMBER(member, value) \
  if (!reader.Get(record.member)) return std::nullopt;
  VELMORA_SETUP_FIELDS(VELMORA_READ_MEMBER)
#undef VELMORA_READ_MEMBER
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
}

static_assert([] {
  int count = 0;
#define VELMORA_COUNT_MEMBER(member, value) ++count;
  VELMORA_SETUP_FIELDS(VELMORA_COUNT_MEMBER)
#undef VELMORA_COUNT_MEMBER
  return count;
}() == kMemberCount);

}  // namespace shell
