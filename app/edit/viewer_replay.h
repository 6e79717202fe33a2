#pragma once
// Replays of the recorded task list onto the viewer's image that the user starts (entering edit
// mode, a click on a recorded task, opening and removing tasks): they run under the busy dialog,
// whose bar counts the rows and whose Cancel stops the replay after the row under way.
#include <cstdint>

#include "app/tasks/replay.h"

namespace shell {
class MainWindow;
}

namespace edit {

// Replays list onto ibMain up to the stop row of the view editMode names (0 the explorer view's
// list, 1 edit mode's); Cancelled when the user pressed Cancel.
tasks::ReplayEnd ReplayOnViewer(shell::MainWindow& window, const tasks::TaskList& list,
                                int32_t editMode);

// Whether a replay runs on ibMain; the editing commands are refused meanwhile.
bool ViewerReplaying(const shell::MainWindow& window);

}  // namespace edit
