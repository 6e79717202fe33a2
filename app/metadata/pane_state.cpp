#include "app/metadata/pane_state.h"

namespace metadata {

PaneState gPaneState;

}  // namespace metadata
