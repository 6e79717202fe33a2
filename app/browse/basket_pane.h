#pragma once
// Puts the basket's commands into the main window: the add button, the basket's progress bar
// and its Cancel in the basket's caption, the new, open, save and remove buttons in its toolbar,
// a Cancel beside the status bar's progress bar, and the basket's hidden image control.
#include "app/browse/basket_list.h"

class QProgressBar;

namespace shell {
class MainWindow;
}

namespace browse {

// `pbQueue` is the main window's progress bar (the file list's). Throws what creating the
// hidden control throws.
BasketListWidgets AttachBasketWidgets(shell::MainWindow& window, QProgressBar* pbQueue);

}  // namespace browse
