#include "app/output/executable_builders.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <functional>
#include <memory>
#include <sstream>

#include "app/browse/picture_handover.h"
#include "app/browse/picture_loader.h"
#include "app/output/batch_jpeg2000.h"
#include "app/output/package/package_writer.h"
#include "app/shell/busy_dialog.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/shell/ui_service.h"
#include "app/tasks/replay.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/streams.h"
#include "platform/com/control_host.h"

namespace modScreensaver {

namespace {

using output::package::PackageWriter;
using shell::Routine;

// What a failing member of the image control raises: the picture goes through the loader.
constexpr int32_t kControlFailure = static_cast<int32_t>(0x8000FFFF);
constexpr uint32_t kWhite = 0xFFFFFF;
// "Path/File access error": a package that could not be written.
constexpr int32_t kFileAccessError = 75;

// Runs body, turning a write the platform refused, or a package that would grow too large, into
// the error the routines report.
void AsAppError(const std::function<void()>& body) {
  try {
    body();
  } catch (const shell::AppError&) {
    throw;
  } catch (const plat::com::EOleException&) {
    throw;
  } catch (const std::exception& e) {
    throw shell::AppError(kFileAccessError, e.what());
  }
}

QByteArray ReadWhole(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw shell::AppError(shell::kErrInvalidProcedureCall, "File not found: " + path.toStdString());
  return file.readAll();
}

std::span<const uint8_t> Bytes(const QByteArray& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
}

bool LoadInto(BuildTools& tools, pictavo::ax::ImageBoxProxy& box, const QString& path) {
  if (modJPEG2000Common::LoadsDirectly(path)) {
    const std::optional<shell::TrappedError> error =
        shell::RunTrapped([&] { box.LoadFromFile(path.toStdString()); }, __LINE__);
    if (!error) return true;
    if (error->number != kControlFailure)
      throw shell::AppError(error->number, error->description.toStdString(), error->line);
  }
  int32_t width = 0;
  int32_t height = 0;
  QImage picture = browse::LoadPic(path, browse::kOwnSize, -1, -1, kWhite, width, height);
  if (picture.isNull()) return false;
  tools.pTemp = std::move(picture);
  browse::HandOverPicture(tools.ibTemp, tools.pTemp);
  return true;
}

void Replay(BuildTools& tools) {
  plat::com::ControlHost maskScaler;
  maskScaler.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
  tasks::subProcessTaskBasket(tools.taskList, tools.ibTemp, maskScaler, false, 0);
}

// The execute bits a new file gets: those the umask allows.
mode_t AllowedExecuteBits() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0111 & ~mask;
}

void WriteExecutable(const QString& path, const std::string& bytes) {
  const std::string target = path.toStdString();
  plat::WriteFileReplacing(target, [&](plat::TStream& out) {
    out.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  });
  struct stat status {};
  if (::stat(target.c_str(), &status) == 0)
    ::chmod(target.c_str(), (status.st_mode & 07777) | AllowedExecuteBits());
}

// A file in the program's temporary folder, which is made when missing.
QString TempFile(const QString& name) {
  QDir folder(shell::TempFolder());
  folder.mkpath(QStringLiteral("."));
  return folder.filePath(name);
}

void ShowStatus(shell::frmStatus* status, const QString& text, bool progressShown) {
  if (!status) return;
  status->lblStatus->setText(text);
  status->pbQueue->setVisible(progressShown);
}

// The basket row loop of a package: true when row `i` went in.
bool AddRow(BuildTools& tools, PackageWriter& writer, const PackageJob& job, int i) {
  const browse::BasketItem& row = job.rows.at(i - 1);
  if (!QFileInfo(row.Tag).isFile()) return false;
  const QString jpeg =
      SaveTempJPEG(tools, row.Tag, static_cast<int16_t>(i), job.quality, job.replayFlag);
  if (jpeg.isEmpty()) return false;
  const QByteArray bytes = ReadWhole(jpeg);
  QFile::remove(jpeg);
  shell::gstrCurrentActivity = QStringLiteral("Current file - '") + row.Tag + QLatin1Char('\'');
  writer.AddEntry(job.single ? output::package::kSingleEntryName : row.Text.toStdString(),
                  Bytes(bytes));
  return true;
}

void WriteAndReplace(BuildTools& tools, const QByteArray& player, const PackageJob& job,
                     const QString& outPath, shell::frmStatus* status, QStringList& skipped);

}  // namespace

QString NoImageMessage() {
  return QStringLiteral("No image could be added to the executable!");
}

QString fncGetExtractPluginPath(const QString& name) {
  return shell::Trap(Routine::fncGetExtractPluginPath, [&] {
    shell::gstrCurrentActivity =
        QStringLiteral("Extracting plugin '") + name + QStringLiteral("' from resource file");
    const QByteArray player = ReadWhole(QStringLiteral(":/PLUGINS/") + name);
    const QString path = TempFile(QStringLiteral("plugin.tmp"));
    AsAppError([&] { WriteExecutable(path, player.toStdString()); });
    return path;
  });
}

QString fncGetTempPath() {
  QString folder = QDir::tempPath();
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString SaveTempJPEG(BuildTools& tools, const QString& path, int16_t imageNumber, int16_t quality,
                     uint8_t replayFlag) {
  const QString temp =
      TempFile(QStringLiteral("temp000") + QString::number(imageNumber) + QStringLiteral(".jpg"));
  bool saved = false;
  const std::optional<shell::TrappedError> error = shell::RunTrapped(
      [&] {
        pictavo::ax::ImageBoxProxy box(tools.ibTemp.Dispatch());
        box.put_ColorFormat(static_cast<pictavo::ax::TxColorFormat>(0));
        if (!LoadInto(tools, box, path)) return;
        if (replayFlag == 1) Replay(tools);
        if (!box.get_ImageLoaded()) return;
        box.put_JPEGQuality(quality);
        box.SaveToFile(temp.toStdString());
        saved = true;
      },
      __LINE__);
  if (saved) return temp;
  QFile::remove(temp);
  if (error)
    shell::subGlobalErrorHandler(error->description, error->number, error->line,
                                 shell::RoutineLabel(Routine::modScreensaver_SaveTempJPEG));
  return {};
}

void WritePackage(BuildTools& tools, const QByteArray& player, const PackageJob& job,
                  const QString& outPath, shell::frmStatus* status, QStringList& skipped) {
  AsAppError([&] { WriteAndReplace(tools, player, job, outPath, status, skipped); });
}

namespace {

void WriteAndReplace(BuildTools& tools, const QByteArray& player, const PackageJob& job,
                     const QString& outPath, shell::frmStatus* status, QStringList& skipped) {
  std::ostringstream bytes;
  PackageWriter writer(bytes, Bytes(player));
  int added = 0;
  if (status) {
    status->pbQueue->setMaximum(static_cast<int>(job.rows.size()));
    status->pbQueue->setValue(0);
  }
  ShowStatus(status, status ? status->lblStatus->text() : QString(), true);
  for (int i = 1; i <= job.rows.size(); ++i) {
    if (status) status->lblMessage->setText(job.rows.at(i - 1).Text);
    if (!job.single) {
      QCoreApplication::processEvents();
      if (shell::gbCancel) {
        shell::gbCancel = false;
        break;
      }
    }
    if (AddRow(tools, writer, job, i))
      ++added;
    else
      skipped.append(job.rows.at(i - 1).Text);
    if (status) status->pbQueue->setValue(i);
  }
  if (added == 0)
    throw shell::AppError(shell::kErrInvalidProcedureCall, NoImageMessage().toStdString());
  ShowStatus(status, QStringLiteral("Saving Options..."), false);
  if (job.options) writer.AddSlideShowOptions(*job.options);
  writer.Finish();
  WriteExecutable(outPath, bytes.str());
}

}  // namespace

bool MayReplace(const QString& path, bool ask, const QString& question) {
  if (!ask || !QFileInfo::exists(path)) return true;
  return shell::Ui().Ask(
      QStringLiteral("This File ('") + path + QStringLiteral("') Already Exists!\r\n") + question,
      shell::gstrApplicationName, shell::MessageIcon::Information);
}

namespace {

// A basket build under the status window; rows left out are named at the end.
void BuildBasket(BuildTools& tools, const QByteArray& player, const PackageJob& job,
                 const QString& outPath, const QString& firstStatus, Routine routine) {
  QStringList skipped;
  // A flag another operation left set would stop this build before its first image.
  shell::gbCancel = false;
  {
    shell::BusyDialogSession session(tools.owner);
    shell::frmStatus& status = session.Dialog();
    status.lblStatus->setText(firstStatus);
    status.pbQueue->setVisible(false);
    shell::Trap(routine, [&] { WritePackage(tools, player, job, outPath, &status, skipped); });
  }
  if (!skipped.isEmpty())
    shell::Ui().Message(
        modJPEG2000Common::UnconvertedSummary(skipped, static_cast<int>(job.rows.size())),
        shell::gstrApplicationName, shell::MessageIcon::Information);
}

QString SlideShowName() {
  for (;;) {
    shell::gstrDlgTitle = QStringLiteral("Save Slide As...");
    shell::gstrDlgFilter = QStringLiteral("Slide (*.exe) | *.exe|All Files (*.*) | *.*");
    shell::gstrDlgFileName.clear();
    shell::glDlgFlags = 5;
    shell::subShowSaveDialog();
    const QString name = shell::gstrDlgFileName;
    if (name.isEmpty()) return {};
    if (MayReplace(name, true, QStringLiteral("Would You Like To Overwrite It?"))) return name;
  }
}

}  // namespace

void MkSlideShow(BuildTools& tools, const QList<browse::BasketItem>& basket,
                 const output::package::SlideShowOptions& options, int16_t quality,
                 uint8_t replayFlag) {
  const QString name = SlideShowName();
  if (name.isEmpty()) return;
  const QString player = fncGetExtractPluginPath(QStringLiteral("SLIDESHOW"));
  if (player.isEmpty()) return;
  QByteArray playerBytes;
  shell::Trap(Routine::modScreensaver_MkSlideShow, [&] { playerBytes = ReadWhole(player); });
  QFile::remove(player);
  if (playerBytes.isEmpty()) return;
  BuildBasket(tools, playerBytes, {basket, quality, replayFlag, options, false}, name,
              QStringLiteral("Loading plugin..."), Routine::modScreensaver_MkSlideShow);
}

void subGenerateScreenSaver(BuildTools& tools, const QList<browse::BasketItem>& basket,
                            const QString& templatePath, const QString& outPath, bool ask) {
  if (!MayReplace(outPath, ask, QStringLiteral("Would You Like To Replace It?"))) return;
  QByteArray player;
  shell::Trap(Routine::modScreensaver_subGenerateScreenSaver,
              [&] { player = ReadWhole(templatePath); });
  if (player.isEmpty()) return;
  const auto& saver = shell::gSetup.ScreensaverOptions;
  BuildBasket(tools, player, {basket, saver.Quality, saver.ProcessTaskBasket, std::nullopt, false},
              outPath, QStringLiteral("Loading Template..."),
              Routine::modScreensaver_subGenerateScreenSaver);
}

void subMakeSingleScreensaver(BuildTools& tools, const QString& templatePath,
                              const QString& outPath, const QString& imagePath, int16_t quality,
                              uint8_t replayFlag, bool ask) {
  if (!MayReplace(outPath, ask, QStringLiteral("Would You Like To Replace It?"))) return;
  browse::BasketItem row;
  row.Text = QFileInfo(imagePath).fileName();
  row.Tag = imagePath;
  shell::Trap(Routine::subMakeSingleScreensaver, [&] {
    QStringList skipped;
    WritePackage(tools, ReadWhole(templatePath), {{row}, quality, replayFlag, std::nullopt, true},
                 outPath, nullptr, skipped);
  });
}

}  // namespace modScreensaver
