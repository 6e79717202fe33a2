// VelmoraJPEG2000B: the workbench program. One instance at a time; the main window is the program.
#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

#include <QApplication>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTime>
#include <cstdio>
#include <memory>

#include "app/browse/folder_pane.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/edit/edit_mode.h"
#include "app/metadata/metadata_pane.h"
#include "app/output/batch_services.h"
#include "app/output/executable_services.h"
#include "app/output/output_pane.h"
#include "app/output/save_preview.h"
#include "app/shell/main_window.h"
#include "app/shell/ui_service.h"
#include "platform/com/errorinfo.h"

namespace {

int gSignalPipe[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT close the window as the user would, so a logout still writes the settings.
void CloseOnTerminate(QWidget* window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
    char byte;
    [[maybe_unused]] const ssize_t got = ::read(gSignalPipe[0], &byte, 1);
    window->close();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
  QLockFile lock(shell::InstanceLockPath());
  if (!shell::fncTakeSingleInstance(lock)) return 0;
  std::srand(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay()));

  // Installed before the window is built: its set-up fills the metadata tables through it.
  metadata::MetadataPane metadataPane;
  metadata::SetMetadataService(&metadataPane);
  std::unique_ptr<shell::MainWindow> window;
  std::unique_ptr<browse::ViewerPane> viewer;   // declared after the window: it goes first
  std::unique_ptr<output::OutputPane> outputs;  // and these before the viewer
  std::unique_ptr<edit::EditMode> editing;      // edit mode uses the viewer menu of the outputs
  output::RegisterBatchConversion();
  output::RegisterExecutableBuilders();
  output::RegisterSavePreview();
  try {
    window = std::make_unique<shell::MainWindow>();
    metadataPane.Attach(window.get());
    browse::FolderBrowser* browser = browse::AttachFolderBrowser(*window);
    viewer = std::make_unique<browse::ViewerPane>(*window, *browser);
    outputs = std::make_unique<output::OutputPane>(*window, *viewer, browser);
    editing = std::make_unique<edit::EditMode>(*window, *viewer, outputs->ViewerMenu());
  } catch (const plat::com::EOleException& e) {
    shell::Ui().Message(
        QStringLiteral("The image control could not be created: ") + QString::fromUtf8(e.what()),
        QApplication::applicationName(), shell::MessageIcon::Error);
    return 1;
  }
  CloseOnTerminate(window.get());
  window->show();
  return QApplication::exec();
}
