#pragma once
// The task basket as the user sees it: the two visible lists that show the one recorded task
// list (the explorer view's lvEdit and edit mode's lvEditPreview), what a click on a recorded
// task shows, going back to the image as read, and the new, open, save and remove commands.
#include <QObject>
#include <array>
#include <functional>

#include "app/tasks/task_list.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace browse {
class ViewerPane;
}
namespace shell {
class MainWindow;
}

namespace edit {

class EditMode;

class TaskBasket : public QObject {
 public:
  // Builds lvEditPreview and its buttons in edit's basket group and connects both lists, the
  // original-image button and the "Task Basket" menu.
  TaskBasket(EditMode& edit, shell::MainWindow& window, browse::ViewerPane& viewerPane);

  // Shows the task list's rows in both lists, with no row selected.
  void subShowTasks();
  // 0 new, 1 open, 2 save, 3 remove.
  void cmdEditBar_Click(int index);
  void cmdEditPreview_Click(int index) { cmdEditBar_Click(index); }
  void cmdOriginalImage_Click();
  void lvEdit_ItemClick(QTreeWidgetItem* item);
  void lvEditPreview_ItemClick(QTreeWidgetItem* item);

  QTreeWidget* lvEditPreview;
  std::array<QPushButton*, 4> cmdEditPreview;

 private:
  void NewBasket();
  void OpenBasket();
  void SaveBasket();
  void RemoveTask();
  using StepRunner = void (*)(const std::function<void()>&);
  // Replays the task list onto the image as read, up to the selected row of the view editMode
  // names, each step run by step. False when the user cancelled: the image shown before is put
  // back (in edit mode the confirmed one).
  bool ReplayFromOriginal(int32_t editMode, StepRunner step = RunDirectly);
  static void RunDirectly(const std::function<void()>& step) { step(); }
  void TakeConfirmedSnapshot();
  // The task list as it was before a command the user cancelled.
  void PutBackTasks(const tasks::TaskList& before);
  void ShowRow(tasks::StopView view, QTreeWidget* list, QTreeWidgetItem* item);
  bool Busy() const;

  EditMode& edit_;
  shell::MainWindow& w_;
  browse::ViewerPane& viewerPane_;
};

}  // namespace edit
