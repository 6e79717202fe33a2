#pragma once
// The viewer's toolbar and its popup menu "Preview" (mnuPreviewParent): stepping through the list,
// printing and saving the shown image, the fit and view choices and edit mode. The toolbar's
// three menu buttons and its caption open their menus just below themselves.
#include <QImage>
#include <QObject>
#include <QPoint>
#include <array>
#include <functional>

class QAction;
class QMenu;

namespace shell {
class MainWindow;
}

namespace tasks {
class TaskList;
}

namespace browse {

class BasketList;
class PreviewPrinter;
class Viewer;

class ViewerMenu : public QObject {
 public:
  ViewerMenu(shell::MainWindow& window, Viewer& viewer, PreviewPrinter& printer,
             const BasketList& basket, const tasks::TaskList& tasks);

  // Enters or leaves edit mode (CmdPreviewEdit_Click); edit mode installs it and sets the caption
  // of mnuPreview(0). Unset, "Edit" does nothing.
  std::function<void()> CmdPreviewEdit_Click;

  QMenu* mnuPreviewParent() const { return mnuPreviewParent_; }
  QMenu* mnuSavePreviewAsParent() const { return mnuSavePreviewAsParent_; }
  // Items 0 to 5 of the menu (1 and 5 are separators).
  QAction* mnuPreview(int index) const { return mnuPreview_.at(index); }
  QAction* mnuSavePreviewAs(int index) const { return mnuSavePreviewAs_.at(index); }

  void cmdPreviewSave_Click();
  void cmdPreviewType_Click();
  void cmdPreviewView_Click();
  void Label4_Click();
  // The right button pressed on the image: the viewer menu, every submenu shown, opens at that
  // point of the screen.
  void PopUpAt(QPoint globalPosition);
  void mnuPreview_Click(int Index);
  // Saves the shown image: 0 as an image document, 1 as a greeting image, 2 as a single-image
  // screensaver. Nothing happens without an image.
  void mnuSavePreviewAs_Click(int Index);

 private:
  void BuildMenu();
  void WireToolbar();
  void ShowEverySubmenu();
  // The save targets whose forms are registered, and nothing while an output runs.
  void EnableSaveTargets();

  shell::MainWindow& w_;
  Viewer& viewer_;
  PreviewPrinter& printer_;
  const BasketList& basket_;
  const tasks::TaskList& tasks_;
  // The hidden picture box the executable builders hand loaded pictures over through.
  QImage pTemp_;
  QMenu* mnuPreviewParent_;
  QMenu* mnuSavePreviewAsParent_;
  std::array<QAction*, 6> mnuPreview_{};
  std::array<QAction*, 3> mnuSavePreviewAs_{};
};

}  // namespace browse
