#pragma once
// Puts the file browser into the main window: the view buttons above the file list, the
// progress bar and its Cancel button in the status bar, the tree's selections, and the image
// control that counts TIFF pages.
namespace shell {
class MainWindow;
}

namespace browse {

class FolderBrowser;

// The browser lives as long as the window. Its ShowRowHook stays unset: the viewer sets it.
FolderBrowser* AttachFolderBrowser(shell::MainWindow& window);

}  // namespace browse
