#include "app/browse/cls_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <array>

#include "app/shell/errors.h"

namespace browse {

namespace {

constexpr int kTaskFieldCount = 2 + tasks::kParameterCount;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unused bytes map to the C1
// controls, as the system's own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte));
  }
  return text;
}

QString Quoted(const QString& value) {
  QString doubled = value;
  doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + doubled + QLatin1Char('"');
}

}  // namespace

QString DecodeRecordText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  return utf8.hasError() ? FromWindows1252(bytes) : text;
}

bool clsFile::Fail(const QString& reason) {
  error_ = true;
  errorText_ = reason;
  return false;
}

bool clsFile::OpenForRead(const QString& fileName) {
  fileName_ = fileName;
  // A pipe would block the open; a device could read on for ever.
  if (const QFileInfo info(fileName); info.exists() && !info.isFile())
    return Fail(QFileInfo(fileName).fileName() + QStringLiteral(" is not a regular file"));
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return Fail(file.errorString());
  // Measured first, so reading takes memory for what the file holds, not for the largest file
  // allowed.
  const qint64 size = file.size();
  if (size > kMaxRecordFileBytes) return Fail(QStringLiteral("File too large"));
  const QByteArray bytes = file.read(size);
  if (file.error() != QFileDevice::NoError) return Fail(file.errorString());
  text_ = DecodeRecordText(bytes);
  pos_ = 0;
  reading_ = true;
  return true;
}

bool clsFile::OpenForWrite(const QString& fileName) {
  fileName_ = fileName;
  out_ = std::make_unique<QSaveFile>(fileName);
  if (out_->open(QIODevice::WriteOnly)) return true;
  const QString reason = out_->errorString();
  out_.reset();
  return Fail(reason);
}

bool clsFile::closefile() {
  reading_ = false;
  text_.clear();
  if (!out_) return !error_;
  const bool written = out_->commit();
  out_.reset();
  return written || Fail(QStringLiteral("Could not write the file"));
}

bool clsFile::fEof() const {
  return !reading_ || pos_ >= text_.size();
}

bool clsFile::AtLineEnd() const {
  if (pos_ >= text_.size()) return true;
  const QChar c = text_.at(pos_);
  return c == QLatin1Char('\n') ||
         (c == QLatin1Char('\r') && (pos_ + 1 == text_.size() || text_.at(pos_ + 1) == '\n'));
}

void clsFile::SkipLineEnd() {
  if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('\r')) ++pos_;
  if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('\n')) ++pos_;
}

QString clsFile::readLine() {
  if (!reading_) return QString();
  const qsizetype start = pos_;
  while (!AtLineEnd()) ++pos_;
  const QString line = text_.mid(start, pos_ - start);
  SkipLineEnd();
  return line;
}

// A quoted field runs to its closing quote ("" inside stands for one quote) and drops what
// follows it up to the separator; a bare field runs to the separator, trailing spaces removed.
// A line end ends a field too, so a record short of fields goes on with the next line.
QString clsFile::readField() {
  if (fEof()) throw shell::AppError(kErrInputPastEnd, "Input past end of file");
  while (pos_ < text_.size() && text_.at(pos_) == QLatin1Char(' ')) ++pos_;
  QString field;
  const auto atSeparator = [this] { return AtLineEnd() || text_.at(pos_) == QLatin1Char(','); };
  if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('"')) {
    ++pos_;
    while (!AtLineEnd()) {
      const QChar c = text_.at(pos_++);
      if (c != QLatin1Char('"')) {
        field.append(c);
      } else if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('"')) {
        field.append(c);
        ++pos_;
      } else {
        break;
      }
    }
    while (!atSeparator()) ++pos_;
  } else {
    const qsizetype start = pos_;
    while (!atSeparator()) ++pos_;
    qsizetype end = pos_;
    while (end > start && text_.at(end - 1) == QLatin1Char(' ')) --end;
    field = text_.mid(start, end - start);
  }
  if (AtLineEnd())
    SkipLineEnd();
  else
    ++pos_;  // the ","
  return field;
}

QStringList clsFile::readRecord(int count) {
  QStringList fields;
  if (!reading_) return fields;
  for (int i = 0; i < count; ++i) fields.append(readField());
  return fields;
}

void clsFile::read_EditingList(tasks::TaskRow& row) {
  const QStringList fields = readRecord(kTaskFieldCount);
  if (fields.size() != kTaskFieldCount) return;
  row.Text = fields[0];
  row.IconIndex = fields[1];
  for (int n = 1; n <= tasks::kParameterCount; ++n) row.Param(n) = fields[n + 1];
}

void clsFile::read_ImageBasket(QString& path, QString& description) {
  const QStringList fields = readRecord(2);
  if (fields.size() != 2) return;
  path = fields[0];
  description = fields[1];
}

void clsFile::writeRecord(const QStringList& fields) {
  if (!out_) return;
  QStringList quoted;
  for (const QString& field : fields) quoted.append(Quoted(field));
  const QByteArray line = quoted.join(QLatin1Char(',')).toUtf8() + "\r\n";
  if (out_->write(line) != line.size()) out_->cancelWriting();
}

void clsFile::write_EditingList(const tasks::TaskRow& row) {
  QStringList fields{row.Text, row.IconIndex};
  for (int n = 1; n <= tasks::kParameterCount; ++n) fields.append(row.Param(n));
  writeRecord(fields);
}

}  // namespace browse
