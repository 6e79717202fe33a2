#pragma once
// The recorded task list: the rows the replay applies, in order, and the stop row the user chose
// in each of the two lists that show it. The list views of the editor show this one model, task
// basket files store it, and the replay and the batch conversion read it.
#include <QList>
#include <QString>
#include <array>

#include "app/tasks/editing_task.h"

namespace tasks {

// One row as the lists and files hold it: the row text is the task id as text (a file may carry
// any text there), the parameters are the sub-items.
struct TaskRow : TaskParameters {
  QString Text;
  QString IconIndex;
  bool operator==(const TaskRow&) const = default;
};

TaskRow RowOf(const EditingTask& task);

// The two visible lists a stop row is chosen in: the explorer view's and edit mode's.
enum class StopView { Explorer = 0, EditMode = 1 };

class TaskList {
 public:
  static constexpr int kNoStop = -1;

  int Count() const { return static_cast<int>(rows_.size()); }
  const TaskRow& Row(int index) const { return rows_.at(index); }
  const QList<TaskRow>& Rows() const { return rows_; }

  void Append(const EditingTask& task) { rows_.append(RowOf(task)); }
  void AppendRow(const TaskRow& row) { rows_.append(row); }
  // Removes a row; a stop row on or after it moves with the rows (or goes with the row itself).
  void Remove(int index);
  void Clear();

  // The row selected in a view (0-based), or kNoStop.
  int StopRow(StopView view) const { return stops_[static_cast<int>(view)]; }
  void SetStopRow(StopView view, int row);

 private:
  QList<TaskRow> rows_;
  std::array<int, 2> stops_{kNoStop, kNoStop};
};

}  // namespace tasks
