// The settings file's record: its members in order, little-endian, no padding, each text as a
// 2-byte length and UTF-8 bytes (read as Windows-1252 where they are not UTF-8).
#include <QStringDecoder>
#include <algorithm>
#include <bit>

#include "app/shell/settings.h"

namespace shell {

namespace {

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
    qsizetype keep = std::min<qsizetype>(utf8.size(), kMaxSetupTextBytes);
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

}  // namespace

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

}  // namespace shell
