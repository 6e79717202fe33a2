#include "app/output/batch_jpeg2000.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProgressBar>
#include <QSet>
#include <memory>
#include <optional>

#include "app/browse/picture_handover.h"
#include "app/browse/picture_loader.h"
#include "app/output/batch_names.h"
#include "app/output/encode_queue.h"
#include "app/output/jpeg2000.h"
#include "app/output/naming_tokens.h"
#include "app/shell/busy_dialog.h"
#include "app/shell/errors.h"
#include "app/shell/paths.h"
#include "app/shell/ui_service.h"
#include "app/tasks/replay.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/workers.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"

namespace modJPEG2000Common {

namespace {

using output::BatchOptions;

// What a failing member of the image control raises: the entry goes once more through the
// picture loader.
constexpr int32_t kControlFailure = static_cast<int32_t>(0x8000FFFF);
// The number an encoder failure is reported under, as the outside encoder control raised it.
constexpr int32_t kEncoderFailure = static_cast<int32_t>(0x80004005);

constexpr uint32_t kWhite = 0xFFFFFF;

// Reasons the summary lists before it only counts the rest.
constexpr int kReasonsShown = 5;

// The file the user put in the basket: for a page of a multipage file that file, not the page
// file in the program's own temp folder, so the outputs land where the user looks for them.
QString SourceOf(const browse::BasketItem& row) {
  return row.Path.isEmpty() ? row.Tag : row.Path;
}

bool IsOwnFile(const QString& output, const browse::BasketItem& row) {
  const QString path = QDir::cleanPath(output);
  return path == QDir::cleanPath(row.Tag) || path == QDir::cleanPath(SourceOf(row));
}

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

// A picture with an alpha channel or transparent palette entries. The control keeps only the
// colours, so what lies under the transparency (often black) would show in an output that has
// no alpha; the picture loader lays such a picture on white, as the viewer shows it.
bool HasTransparency(const QString& path) {
  QImageReader reader(path);
  const QImage::Format format = reader.imageFormat();
  if (format == QImage::Format_Invalid) return false;
  if (QImage::toPixelFormat(format).alphaUsage() == QPixelFormat::UsesAlpha) return true;
  if (format != QImage::Format_Indexed8 && format != QImage::Format_Mono) return false;
  return reader.read().hasAlphaChannel();
}

// One run over a basket taken at its start.
class BatchRun {
 public:
  BatchRun(const QList<browse::BasketItem>& basket, const tasks::TaskList& taskList,
           plat::com::ControlHost& control, QProgressBar& progress, QImage& pictureBox)
      : rows_(basket),
        tasks_(taskList),
        options_(shell::gSetup.BatchNamingOptions),
        ext_(output::OutputExtension(options_)),
        control_(control),
        box_(control.Dispatch()),
        progress_(progress),
        picture_(pictureBox),
        queue_(plat::WorkerCount(), output::EncodeQueue::kPixelBudget, [this] { Advance(); }) {}

  bool Run();
  // What became of every entry, for the message at the end of the run.
  BatchTally Tally() const;

 private:
  std::optional<shell::TrappedError> ConvertEntry(int position);
  std::optional<shell::TrappedError> Attempt(int position, bool throughLoader);
  void WorkEntry(int position, bool throughLoader);
  bool Load(const QString& path, bool throughLoader);
  void Replay();
  std::optional<QString> OutputPathOf(int position, const browse::BasketItem& row);
  void HandOver(const QString& path);
  // The entry is not converted, for the reason given.
  void Fail(const browse::BasketItem& row, const QString& reason);
  // The entry's output exists and overwriting is off.
  void SkipExisting();
  void Advance();

  const QList<browse::BasketItem> rows_;
  const tasks::TaskList tasks_;
  const BatchOptions options_;
  const QString ext_;
  plat::com::ControlHost& control_;
  pictavo::ax::ImageBoxProxy box_;
  QProgressBar& progress_;
  QImage& picture_;
  std::unique_ptr<plat::com::ControlHost> mask_scaler_;
  QSet<QString> claimed_;
  QStringList failures_;
  int settled_ = 0;  // entries failed or skipped before reaching the encoder
  int skippedExisting_ = 0;
  bool cancelled_ = false;
  output::EncodeQueue queue_;
};

bool BatchRun::Run() {
  // A flag another operation left set would stop this run before its first entry.
  shell::gbCancel = false;
  progress_.setMaximum(static_cast<int>(rows_.size()));
  progress_.setValue(0);
  progress_.setVisible(true);
  std::optional<shell::TrappedError> error;
  for (int position = 1; position <= rows_.size() && !error; ++position) {
    QCoreApplication::processEvents();
    queue_.WaitForWorker();
    if (shell::gbCancel) {
      shell::gbCancel = false;
      cancelled_ = true;
      break;
    }
    if (queue_.FirstFailure()) break;
    error = ConvertEntry(position);
    if (error)
      failures_.append(rows_.at(position - 1).Text + QStringLiteral(": ") + error->description);
  }
  queue_.WaitForAll();
  if (!error && queue_.FirstFailure())
    error = shell::TrappedError{*queue_.FirstFailure(), kEncoderFailure, 0};
  progress_.setVisible(false);
  if (error)
    shell::subGlobalErrorHandler(error->description, error->number, error->line,
                                 shell::RoutineLabel(shell::Routine::fncSaveSinglePage));
  return !error;
}

std::optional<shell::TrappedError> BatchRun::ConvertEntry(int position) {
  std::optional<shell::TrappedError> error = Attempt(position, false);
  if (error && error->number == kControlFailure) error = Attempt(position, true);
  return error;
}

std::optional<shell::TrappedError> BatchRun::Attempt(int position, bool throughLoader) {
  return shell::RunTrapped(
      [&] {
        try {
          WorkEntry(position, throughLoader);
        } catch (const plat::com::EOleException&) {
          throw;
        } catch (const plat::Exception& e) {
          // The encoder refused the picture before the write.
          throw shell::AppError(kEncoderFailure, e.what());
        }
      },
      __LINE__);
}

void BatchRun::WorkEntry(int position, bool throughLoader) {
  const browse::BasketItem& row = rows_.at(position - 1);
  box_.Clear();
  if (!Load(row.Tag, throughLoader))
    return Fail(row, Utf8("the file could not be read as an image"));
  control_.setProperty(output::kContainerTag, QString::number(box_.get_ImageWidth()) +
                                                  QLatin1Char('x') +
                                                  QString::number(box_.get_ImageHeight()));
  if (options_.ProcessTaskBasket == 1) Replay();
  const std::optional<QString> path = OutputPathOf(position, row);
  // A name outside the folder, the entry's own file, or one an earlier entry of this run took.
  if (!path) return Fail(row, Utf8("its name does not make a file name in the output folder"));
  if (IsOwnFile(*path, row)) return Fail(row, Utf8("the output would replace its own file"));
  if (claimed_.contains(*path))
    return Fail(row, Utf8("an earlier image of this run has the same output name"));
  if (QFileInfo::exists(*path) && options_.Overwrite != 1) return SkipExisting();
  HandOver(*path);
}

bool BatchRun::Load(const QString& path, bool throughLoader) {
  if (!throughLoader && LoadsDirectly(path) && !HasTransparency(path)) {
    box_.LoadFromFile(path.toStdString());
    return true;
  }
  int32_t width = 0;
  int32_t height = 0;
  QImage picture = browse::LoadPic(path, browse::kOwnSize, -1, -1, kWhite, width, height);
  if (picture.isNull()) return false;
  picture_ = std::move(picture);
  browse::HandOverPicture(control_, picture_);
  return true;
}

void BatchRun::Replay() {
  if (!mask_scaler_) {
    mask_scaler_ = std::make_unique<plat::com::ControlHost>();
    mask_scaler_->SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
  }
  tasks::subProcessTaskBasket(tasks_, control_, *mask_scaler_, true, 0);
}

std::optional<QString> BatchRun::OutputPathOf(int position, const browse::BasketItem& row) {
  const QString folder = output::OutputFolder(options_, SourceOf(row));
  switch (options_.RenameMode) {
    case 1: {
      const QString prefix =
          output::fncRetrieveNamingString(control_, options_.Prefix, row.Tag, ext_);
      const QString suffix =
          output::fncRetrieveNamingString(control_, options_.Suffix, row.Tag, ext_);
      // A separator stands between two parts: beside an empty prefix or suffix it would
      // dangle at the start or the end of the name.
      const QString before =
          prefix.isEmpty() ? QString() : output::fncSeparatorText(options_.Separator1);
      const QString after =
          suffix.isEmpty() ? QString() : output::fncSeparatorText(options_.Separator2);
      return output::ComposeOutputPath(folder, {prefix, before, row.Text, after, suffix}, ext_);
    }
    case 2:
      return output::ComposeOutputPath(
          folder,
          {options_.GenericName,
           QString::number(output::CounterOf(options_.CounterStart, position))},
          ext_);
    default:
      return output::ComposeOutputPath(folder, {row.Text}, ext_);
  }
}

void BatchRun::HandOver(const QString& path) {
  const int16_t rate = options_.Jpeg2000.Compression != 0
                           ? options_.Jpeg2000.Rate
                           : static_cast<int16_t>(velmora::TJpeg2000Encoder::kLosslessRate);
  auto encoder = std::make_unique<velmora::TJpeg2000Encoder>();
  int32_t format = 0;
  {
    // The picture holds its own copy of the image until the encoder has copied the pixels.
    const plat::com::ComPtr<plat::com::IPictureDisp> picture = box_.get_Picture();
    int32_t handle = 0;
    picture.As<plat::com::IPicture>()->get_Handle(&handle);
    format = velmora::modJPEG2000::PrepareJPEG2000(*encoder, static_cast<plat::THandle>(handle),
                                                   path.toStdString(), rate);
  }
  encoder->SetThreads(queue_.ThreadsFor(encoder->SampleBytes()));
  claimed_.insert(path);
  queue_.Submit(std::move(encoder), format, path);
}

void BatchRun::Fail(const browse::BasketItem& row, const QString& reason) {
  failures_.append(row.Text + QStringLiteral(": ") + reason);
  ++settled_;
  Advance();
}

void BatchRun::SkipExisting() {
  ++skippedExisting_;
  ++settled_;
  Advance();
}

void BatchRun::Advance() {
  progress_.setValue(settled_ + queue_.Finished());
}

BatchTally BatchRun::Tally() const {
  BatchTally tally;
  tally.total = static_cast<int>(rows_.size());
  tally.converted = queue_.Finished() - static_cast<int>(queue_.Failures().size());
  tally.skippedExisting = skippedExisting_;
  tally.failures = failures_ + queue_.Failures();
  tally.cancelled = cancelled_;
  return tally;
}

}  // namespace

QString BatchSummary(const BatchTally& tally) {
  const int failed = static_cast<int>(tally.failures.size());
  QString text = QString::number(tally.converted) + Utf8(" converted, ") +
                 QString::number(tally.skippedExisting) + Utf8(" skipped (exists), ") +
                 QString::number(failed) + Utf8(" failed");
  const int untouched = tally.total - tally.converted - tally.skippedExisting - failed;
  if (untouched > 0)
    text += QLatin1Char('\n') + QString::number(untouched) +
            (tally.cancelled ? Utf8(" not converted: the run was cancelled.")
                             : Utf8(" not converted: the run stopped at an error."));
  if (failed == 0) return text;
  text += QLatin1Char('\n');
  for (const QString& reason : tally.failures.mid(0, kReasonsShown))
    text += QLatin1Char('\n') + reason;
  if (failed > kReasonsShown)
    text +=
        QLatin1Char('\n') + Utf8("and ") + QString::number(failed - kReasonsShown) + Utf8(" more");
  return text;
}

bool LoadsDirectly(const QString& path) {
  static const QSet<QString> direct = {"tiff", "tif", "jpeg", "jpg", "psd",
                                       "bmp",  "pcx", "gif",  "png"};
  return direct.contains(shell::fncGetFileExtension(path).toLower());
}

QString UnconvertedSummary(const QStringList& names, int total) {
  return QString::number(names.size()) + Utf8(" of ") + QString::number(total) +
         Utf8(" images could not be converted:") + QLatin1Char('\n') +
         names.join(QLatin1Char('\n'));
}

bool fncSaveSinglePage(const QList<browse::BasketItem>& basket, const tasks::TaskList& taskList,
                       plat::com::ControlHost& control, QProgressBar& progress,
                       QImage& pictureBox) {
  if (basket.isEmpty()) return true;
  bool finished = false;
  BatchTally tally;
  {
    BatchRun run(basket, taskList, control, progress, pictureBox);
    finished = run.Run();
    tally = run.Tally();
  }
  shell::Ui().Message(
      BatchSummary(tally), shell::gstrApplicationName,
      tally.failures.isEmpty() ? shell::MessageIcon::Information : shell::MessageIcon::Exclamation);
  return finished;
}

}  // namespace modJPEG2000Common
