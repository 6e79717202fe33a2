#include "app/edit/viewer_replay.h"

#include <QProgressBar>
#include <algorithm>

#include "app/shell/busy_dialog.h"
#include "app/shell/main_window.h"
#include "platform/com/control_host.h"

namespace edit {

namespace {

// The rows the replay will run: up to the chosen row of the view, or all.
int RowsToRun(const tasks::TaskList& list, int32_t editMode) {
  const int stop =
      list.StopRow(editMode == 0 ? tasks::StopView::Explorer : tasks::StopView::EditMode);
  return stop == tasks::TaskList::kNoStop ? list.Count() : std::min(stop + 1, list.Count());
}

}  // namespace

tasks::ReplayEnd ReplayOnViewer(shell::MainWindow& window, const tasks::TaskList& list,
                                int32_t editMode) {
  const auto replay = [&](const tasks::ReplayProgress& progress) {
    return tasks::subProcessTaskBasket(list, *window.ibMain, *window.frmFrameDummy->ibTemp, false,
                                       editMode, progress);
  };
  // Nothing to show for: an empty list, or a replay that will be refused.
  if (list.Count() == 0 || ViewerReplaying(window)) return replay({});
  // A Cancel pressed for an earlier operation must not stop this one.
  shell::gbCancel = false;
  shell::BusyDialogSession status(&window);
  QProgressBar& bar = *status.Dialog().pbQueue;
  bar.setRange(0, RowsToRun(list, editMode));
  bar.setValue(0);
  return replay([&bar](int row, int) {
    bar.setValue(std::min(row, bar.maximum()));
    if (!shell::gbCancel) return true;
    shell::gbCancel = false;
    return false;
  });
}

bool ViewerReplaying(const shell::MainWindow& window) {
  return tasks::IsReplaying(*window.ibMain);
}

}  // namespace edit
