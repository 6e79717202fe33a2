#pragma once
// The task preview and its confirmation: "Preview" writes the current options into the prepared
// task's parameters and shows their effect on the viewer's image; "Confirm" records the task in
// the task list and makes the image the confirmed one; undoing puts the confirmed image back.
#include <QObject>
#include <functional>

#include "app/tasks/editing_task.h"

namespace browse {
class ViewerPane;
}
namespace shell {
class MainWindow;
}

namespace edit {

class EditMode;

class TaskPreview : public QObject {
 public:
  // Installs the confirmation and undo of edit and the clicks of "Preview" and the reset
  // button; tasksChanged shows the task list again after a confirmation.
  TaskPreview(EditMode& edit, shell::MainWindow& window, browse::ViewerPane& viewerPane,
              std::function<void()> tasksChanged);

  void cmdApply_Click();
  // Confirms the prepared task (the "Finish" case is edit mode's own).
  void ConfirmTask();
  // Puts the confirmed image back; unless keepOptions, the panel is loaded again.
  void subResetTaskPreview(bool keepOptions);

 private:
  // Writes the options of task into its parameters; false when nothing may be applied.
  bool ReadParameters(tasks::EditingTask& task);
  void ReadCrop(tasks::EditingTask& task);
  bool ReadWatermark(tasks::EditingTask& task);
  void ReadText(tasks::EditingTask& task);
  // Applies the parameters as the replay does; false after a reported failure.
  bool ApplyAsReplayed(const tasks::EditingTask& task);
  void ReduceRedEye();
  void RestoreConfirmedImage();

  EditMode& edit_;
  shell::MainWindow& w_;
  browse::ViewerPane& viewerPane_;
  std::function<void()> tasksChanged_;
};

}  // namespace edit
