#pragma once
// The viewer around ibMain: reads the file of a list row into the control (by the control for
// TIFF and JPEG, by the picture loader for the rest), keeps the original snapshot and the shown
// path, replays the task list in the "Optimized" view, fits the image and fills the status panels
// and the metadata lists of the shown file. Also the fit and view choices, and previous and next.
#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/browse/viewer/viewer_row.h"

class QTreeWidget;
namespace plat::com {
class ControlHost;
}
namespace shell {
class MainWindow;
}
namespace tasks {
class TaskList;
}

namespace browse {

class Viewer : public QObject {
 public:
  // `tasks` is the recorded task list the "Optimized" view replays; `maskScaler` the hidden
  // control the replay scales mask pictures with. Wires the fit and view menus of `window`.
  Viewer(shell::MainWindow& window, const tasks::TaskList& tasks,
         plat::com::ControlHost& maskScaler);

  // Shows the file of a row; nothing happens when it is the file already shown.
  void subShowSelectedItem(ViewerRow& Item);
  // Reads Path into ibMain; the outcome shows only in the shown path.
  void fncReadFile(const QString& Path, const ViewerRow& Shown);
  void subShowPreviousItem(QTreeWidget* List);
  void subShowNextItem(QTreeWidget* List);
  void cmdPreviewPrevious_Click();
  void cmdPreviewNext_Click();
  // Re-applies the fit mode to the shown image.
  void subFixedSizeTiff();
  void mnuPreviewFit_Click(int Index);
  void mnuPreviewType_Click(int Index);

  // The file last read completely; empty before the first and after a read that stopped early.
  QString ShownPath() const;
  // The image as read, encoded as TIFF (gvarOriginalSnapshot); empty whenever ShownPath is, and
  // once the window has ended.
  const QByteArray& OriginalSnapshot() const { return originalSnapshot_; }
  // The picture the loader gave for the shown file (PicTiff's picture).
  const QImage& PicTiffPicture() const { return picTiff_; }

  // "lvPages" while the basket had the focus last; the basket keeps it up to date.
  QString mstrFocusedList;
  // Drops the mouse selection of the viewer (subClearSelection and the idle mouse state); the
  // viewer's mouse handling installs it.
  std::function<void()> subClearSelection;
  // Removes any selection from the image: ibMain's and the mouse's.
  void DropImageSelection();

 private:
  // Says in the "filename" panel which file could not be shown, and why.
  void ShowReadFailure(const QString& Path);
  // Each stops early, without naming the file as shown, where the read cannot complete.
  void ReadByControl(const QString& Path, const ViewerRow& Shown);
  void ReadByLoader(const QString& Path, const ViewerRow& Shown);
  void FinishRead(const QString& Path, const ViewerRow& Shown);
  void ForgetShownFile();
  void ShowFilePanels(const ViewerRow& Shown);
  void FillResolution(ViewerRow& Item);
  void ShowMetadata(const QString& Path);
  void ShowMetadataPanel();
  // Replays the task list on ibMain unless a new show asks to stop; false when it was stopped.
  bool ReplayTasks();
  void ShowPendingRow();
  void Step(QTreeWidget* List, int offset);
  QTreeWidget* FocusedList() const;
  void WireMenus();

  shell::MainWindow& w_;
  const tasks::TaskList& tasks_;
  plat::com::ControlHost& maskScaler_;
  QByteArray originalSnapshot_;
  QImage picTiff_;
  // Why the last read did not show its file; empty after a read that did.
  QString readFailure_;
  bool replaying_ = false;
  bool stopReplay_ = false;
  // A row asked for while the replay ran; shown once it has stopped.
  std::unique_ptr<ViewerRow> pendingRow_;
};

}  // namespace browse
