#pragma once
// The task replay: applies a recorded task list to an image control, row by row, turning each
// record back into control calls. The viewer and edit mode replay on ibMain, the batch outputs on
// a hidden control; the list views only supply the stop row.
#include <cstdint>
#include <functional>

#include "app/tasks/task_list.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace tasks {

enum class ReplayEnd {
  Finished,   // every row up to the stop row applied
  Cancelled,  // the progress callback asked to stop after a row
  Failed,     // an error was reported; the rows after it were not applied
  Refused,    // a replay was already running on this control
};

// Called after each row with the row number (1-based) and the number of rows; false cancels.
using ReplayProgress = std::function<bool(int row, int count)>;

// The state every replay starts from, so that the viewer and a fresh hidden control give the
// same pixels for one list; within a replay, rows carry their settings on to the next rows.
void SetReplayStartingState(pictavo::ax::ImageBoxProxy& box);

// Applies the rows of tasks to control. Unless allRows, it stops after the row chosen in the
// explorer view's list (editMode 0) or edit mode's (editMode 1). maskScaler is a hidden control
// that scales a mask picture to the image. Shows the busy pointer while it runs.
ReplayEnd subProcessTaskBasket(const TaskList& tasks, plat::com::ControlHost& control,
                               plat::com::ControlHost& maskScaler, bool allRows, int32_t editMode,
                               const ReplayProgress& progress = {});

// Whether a replay runs on control (it yields per row, so other commands run meanwhile).
bool IsReplaying(const plat::com::ControlHost& control);

}  // namespace tasks
