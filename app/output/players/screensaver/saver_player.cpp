#include "app/output/players/screensaver/saver_player.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QSocketNotifier>
#include <QWindow>
#include <csignal>
#include <cstdio>

#include "app/output/players/fireworks/sound_player.h"
#include "app/output/players/screensaver/host_window.h"
#include "app/output/players/screensaver/saver_lock.h"
#include "app/output/players/screensaver/saver_window.h"
#include "app/output/players/screensaver/setting_dialog.h"
#include "app/output/players/support/player_support.h"
#include "platform/screen/screen_capture.h"

namespace players::screensaver {

namespace {

constexpr int kHostWatchMs = 500;

int g_term_pipe[2] = {-1, -1};

void OnTerm(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(g_term_pipe[0], &byte, 1);
}

// A daemon ends the screensaver with SIGTERM: it quits as if clicked, so the locks are removed.
void QuitOnTerm(QObject* owner) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_term_pipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_term_pipe[1], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { QCoreApplication::exit(0); });
  struct sigaction action = {};
  action.sa_handler = OnTerm;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
}

// Where a fault goes: a box over a screensaver of its own, standard error where a host holds the
// screen and a box would hide behind it.
class FaultReport {
 public:
  FaultReport(const QString& own_file, bool box)
      : file_(QFileInfo(own_file).fileName()), box_(box) {}

  void operator()(const QString& text) const {
    if (box_)
      FaultBox(QFileInfo(file_).completeBaseName(), text)->exec();
    else
      std::fprintf(stderr, "%s\n", qPrintable(text));
  }
  QString Prefix() const { return file_ + QStringLiteral(": the screensaver cannot be shown: "); }
  void Line(const QString& reason) const {
    std::fprintf(stderr, "%s: %s\n", qPrintable(file_), qPrintable(reason));
  }

 private:
  QString file_;
  bool box_;
};

void ShowFullScreen(SaverWindow& window) {
  window.setWindowFlag(Qt::FramelessWindowHint);
  // Where no window manager acts on the state, the size is set as well.
  if (QScreen* screen = QGuiApplication::primaryScreen()) window.setGeometry(screen->geometry());
  window.setWindowState(Qt::WindowFullScreen);
  window.show();
  window.activateWindow();
}

void ShowInHost(SaverWindow& window, uint64_t host, QSize size) {
  window.setAttribute(Qt::WA_ShowWithoutActivating);
  window.setAttribute(Qt::WA_NativeWindow);
  window.winId();
  QWindow* parent = QWindow::fromWinId(static_cast<WId>(host));
  window.windowHandle()->setParent(parent);
  window.setGeometry(QRect(QPoint(0, 0), size));
  window.show();
  // The host closing its window ends the screensaver.
  auto* watch = new QTimer(&window);
  QObject::connect(watch, &QTimer::timeout, &window, [host] {
    if (!HostClientSize(host)) QCoreApplication::exit(0);
  });
  watch->start(kHostWatchMs);
}

int RunShow(const QString& own_file, const SaverCommand& command) {
  const bool preview = command.Mode == SaverMode::kPreview;
  const FaultReport report(own_file, command.Host == 0);
  std::optional<QSize> host_size;
  if (preview || command.Host != 0) {
    host_size = HostClientSize(command.Host);
    if (!host_size) {
      report.Line(command.Host == 0
                      ? QStringLiteral("no host window was given")
                      : QStringLiteral("there is no window 0x%1").arg(command.Host, 0, 16));
      return 1;
    }
  }
  std::unique_ptr<OwnPackage> package;
  QImage first;
  try {
    package = std::make_unique<OwnPackage>(own_file, output::package::PackageKind::kImages);
    first = DecodeJpeg(package->Reader().Entry(0));
  } catch (const output::package::ENoPackage&) {
    report.Line(QStringLiteral("no screensaver is attached, or the file is incomplete"));
    return 1;
  } catch (const std::exception& e) {
    report(report.Prefix() + QString::fromStdString(e.what()));
    return 1;
  }
  QSettings store(SettingsFile(own_file), QSettings::IniFormat);
  const SaverSettings settings = ReadSettings(store, kPlayerLaunchRate);
  std::optional<QImage> desktop;
  if (!preview && settings.UseDesktop) desktop = plat::CaptureWindowPixels(plat::DesktopWindow());

  fireworks::SeededRandom random(fireworks::SeededRandom::ClockSeed());
  std::unique_ptr<fireworks::SoundPlayer> sound;
  if (!preview)
    sound = std::make_unique<fireworks::SoundPlayer>(fireworks::SoundPlayer::FireworkSound());
  const output::package::PackageReader& reader = package->Reader();
  PictureSource pictures{reader.Entries().size(),
                         [&reader](size_t k) { return DecodeJpeg(reader.Entry(k)); }};
  SaverWindow window(
      first, std::move(pictures), settings, preview, random, [&sound] { sound->Play(); }, report);
  window.setWindowTitle(QFileInfo(own_file).fileName());
  if (desktop) window.SetDesktop(*desktop);
  QObject::connect(&window, &SaverWindow::ended, qApp, [] { QCoreApplication::exit(0); });
  QuitOnTerm(&window);
  if (command.Host != 0)
    ShowInHost(window, command.Host, *host_size);
  else
    ShowFullScreen(window);
  return QApplication::exec();
}

int RunSettings(const QString& own_file) {
  QSettings store(SettingsFile(own_file), QSettings::IniFormat);
  SettingDialog dialog(store);
  dialog.show();
  QObject::connect(&dialog, &QDialog::finished, qApp, &QCoreApplication::quit);
  return QApplication::exec();
}

}  // namespace

int RunScreensaver(const QString& own_file, const QStringList& arguments) {
  const SaverCommand command = ParseCommand(arguments, qEnvironmentVariable("XSCREENSAVER_WINDOW"));
  SaverLock lock(own_file);
  if (!lock.Acquire(command.Mode)) return 0;
  if (command.Mode == SaverMode::kConfigure) return RunSettings(own_file);
  return RunShow(own_file, command);
}

}  // namespace players::screensaver
