#include "app/tasks/task_list.h"

namespace tasks {

TaskRow RowOf(const EditingTask& task) {
  TaskRow row;
  static_cast<TaskParameters&>(row) = task;
  row.Text = QString::number(task.Enhancement);
  row.IconIndex = task.IconIndex;
  return row;
}

void TaskList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  rows_.removeAt(index);
  for (int& stop : stops_) {
    if (stop == index)
      stop = kNoStop;
    else if (stop > index)
      --stop;
  }
}

void TaskList::Clear() {
  rows_.clear();
  stops_.fill(kNoStop);
}

void TaskList::SetStopRow(StopView view, int row) {
  stops_[static_cast<int>(view)] = (row >= 0 && row < Count()) ? row : kNoStop;
}

}  // namespace tasks
