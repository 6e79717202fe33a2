#pragma once
// Edit mode of the main window: the task pane built at start-up, entering and leaving edit mode
// from the viewer's "Edit" button and menu item, choosing a task in the pane, and the shared row
// of buttons below the option panels.
#include <QObject>
#include <QString>
#include <functional>

#include "app/edit/edit_state.h"
#include "app/edit/task_panels.h"

class QLabel;
class QPushButton;
class QWidget;

namespace browse {
class ViewerMenu;
class ViewerPane;
}  // namespace browse
namespace shell {
class MainWindow;
}
namespace velmora {
class ITaskPane;
}

namespace edit {

class TaskBasket;

// One item of the task pane's "Tasks Chart".
struct TaskItem {
  const char* key;
  const char* caption;
  const char* iconKey;
  const char* dialogCaption;
};
// The sixteen items in the pane's order.
extern const TaskItem kTaskItems[16];

class EditMode : public QObject {
 public:
  // Builds the task pane in the window's place for it, installs "Edit" in the viewer's toolbar
  // and menu and the task query of the viewer's mouse.
  EditMode(shell::MainWindow& window, browse::ViewerPane& viewerPane,
           browse::ViewerMenu& viewerMenu);
  ~EditMode() override;

  EditState& State() { return state_; }
  velmora::ITaskPane& Pane() const { return *pane_; }

  void CmdPreviewEdit_Click();
  void eb_ItemClick(const QString& groupKey, const QString& itemKey);
  void subEnableTaskButtons(bool enabled);
  void lblBrowse_Click();
  // Loads the chosen task's controls and resets the preview state.
  void subResetTaskOptions();

  // The confirmation's part (confirm the preview and record the task; undo the preview).
  // Until it is installed, confirming does nothing and undoing resets the options.
  std::function<void()> ConfirmTask;
  std::function<void()> UndoPreview;

  // The shared row below the option panels.
  QPushButton* cmdApply;
  QPushButton* cmdOK;
  QPushButton* cmdReset;
  QPushButton* cmdOriginalImage;
  QWidget* picEditPanel;
  // The task basket's body (its list and buttons come with the task list).
  QWidget* picEditPreview;
  QLabel* lblNothing;

  TaskPanels& Panels() { return *panels_; }
  TaskBasket& Basket() { return *basket_; }

  // The option panel of a task id (1 to 16; 11, Invert, shows the "Nothing" panel).
  QWidget* Panel(int taskId) const;

 private:
  void subSetupTaskPane();
  void BuildButtonRow();
  void EnterEditMode();
  void LeaveEditMode();
  void cmdOK_Click();
  void cmdReset_Click();
  void ShowPanelOf(const QString& itemKey);

  shell::MainWindow& w_;
  browse::ViewerPane& viewerPane_;
  browse::ViewerMenu& viewerMenu_;
  EditState state_;
  velmora::ITaskPane* pane_;
  TaskPanels* panels_;
  TaskBasket* basket_;
};

}  // namespace edit
