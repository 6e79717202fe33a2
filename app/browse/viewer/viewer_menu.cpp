#include "app/browse/viewer/viewer_menu.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "app/browse/basket_list.h"
#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_print.h"
#include "app/controls/popup_menu.h"
#include "app/output/output_services.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"

namespace browse {

namespace {

using output::Outputs;
using pictavo::ax::ImageBoxProxy;

constexpr int kEdit = 0, kPrevious = 2, kNext = 3, kPrint = 4;
constexpr int kImageDocument = 0, kGreeting = 1, kSingleScreensaver = 2;
// bSaveType of the screensaver form: the shown image only.
constexpr int32_t kShownImageOnly = 0;

// Repaints the button, then opens its menu just below it; what fails on the way is ignored.
void PopUpBelowButton(QMenu* menu, QPushButton* button) {
  shell::IgnoreErrors([&] {
    button->repaint();
    velmora::PopUpBelow(menu, button);
  });
}

}  // namespace

ViewerMenu::ViewerMenu(shell::MainWindow& window, Viewer& viewer, PreviewPrinter& printer,
                       const BasketList& basket, const tasks::TaskList& tasks)
    : QObject(&window),
      w_(window),
      viewer_(viewer),
      printer_(printer),
      basket_(basket),
      tasks_(tasks) {
  BuildMenu();
  WireToolbar();
}

void ViewerMenu::BuildMenu() {
  mnuPreviewParent_ = new QMenu(QStringLiteral("Preview"), &w_);
  QMenu* menu = mnuPreviewParent_;
  mnuPreview_[kEdit] = menu->addAction(QStringLiteral("Edit/Enhance image"));
  mnuPreview_[kEdit]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  mnuPreview_[1] = menu->addSeparator();
  mnuPreview_[kPrevious] = menu->addAction(QStringLiteral("Previous image"));
  mnuPreview_[kNext] = menu->addAction(QStringLiteral("Next image"));
  mnuPreview_[kPrint] = menu->addAction(QStringLiteral("Print image"));
  mnuPreview_[5] = menu->addSeparator();
  for (int index : {kEdit, kPrevious, kNext, kPrint})
    connect(mnuPreview_[index], &QAction::triggered, this,
            [this, index] { mnuPreview_Click(index); });

  mnuSavePreviewAsParent_ = menu->addMenu(QStringLiteral("Save Preview As"));
  const char* const saveTargets[] = {"Image document", "Greeting image",
                                     "Single-image screensaver"};
  for (int index = 0; index < 3; ++index) {
    mnuSavePreviewAs_[index] =
        mnuSavePreviewAsParent_->addAction(QString::fromUtf8(saveTargets[index]));
    connect(mnuSavePreviewAs_[index], &QAction::triggered, this,
            [this, index] { mnuSavePreviewAs_Click(index); });
  }
  mnuSavePreviewAs_[kImageDocument]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  menu->addMenu(w_.mnuPreviewFit);
  menu->addMenu(w_.mnuPreviewType);
  // The shortcuts work while the window has the focus, not only while the menu is open.
  w_.addAction(mnuPreview_[kEdit]);
  w_.addAction(mnuSavePreviewAs_[kImageDocument]);
  connect(mnuPreviewParent_, &QMenu::aboutToShow, this, &ViewerMenu::EnableSaveTargets);
  connect(mnuSavePreviewAsParent_, &QMenu::aboutToShow, this, &ViewerMenu::EnableSaveTargets);
  EnableSaveTargets();
}

void ViewerMenu::EnableSaveTargets() {
  const bool idle = !output::RunningOutput().Running();
  const output::OutputServices& services = Outputs();
  mnuSavePreviewAs_[kImageDocument]->setEnabled(idle && services.fncSavePreviewToFile_Dialog);
  mnuSavePreviewAs_[kGreeting]->setEnabled(idle && services.frmGreetingDemo);
  mnuSavePreviewAs_[kSingleScreensaver]->setEnabled(idle && services.frmScreensaverDemo);
  mnuPreview_[kPrint]->setEnabled(idle);
}

void ViewerMenu::WireToolbar() {
  connect(w_.cmdPreviewSave, &QPushButton::clicked, this, [this] { cmdPreviewSave_Click(); });
  connect(w_.cmdPreviewType, &QPushButton::clicked, this, [this] { cmdPreviewType_Click(); });
  connect(w_.cmdPreviewView, &QPushButton::clicked, this, [this] { cmdPreviewView_Click(); });
  connect(w_.cmdPreviewPrint, &QPushButton::clicked, this,
          [this] { printer_.cmdPreviewPrint_Click(); });
  connect(w_.cmdPreviewPrevious, &QPushButton::clicked, this,
          [this] { viewer_.cmdPreviewPrevious_Click(); });
  connect(w_.cmdPreviewNext, &QPushButton::clicked, this,
          [this] { viewer_.cmdPreviewNext_Click(); });
  connect(w_.CmdPreviewEdit, &QPushButton::clicked, this, [this] {
    if (CmdPreviewEdit_Click) CmdPreviewEdit_Click();
  });
  velmora::OnClick(w_.Label4, [this] { Label4_Click(); });
}

void ViewerMenu::cmdPreviewSave_Click() {
  PopUpBelowButton(mnuSavePreviewAsParent_, w_.cmdPreviewSave);
}

void ViewerMenu::cmdPreviewType_Click() {
  PopUpBelowButton(w_.mnuPreviewType, w_.cmdPreviewType);
}

void ViewerMenu::cmdPreviewView_Click() {
  PopUpBelowButton(w_.mnuPreviewFit, w_.cmdPreviewView);
}

void ViewerMenu::Label4_Click() {
  ShowEverySubmenu();
  velmora::PopUpBelow(mnuPreviewParent_, w_.Label4);
}

void ViewerMenu::PopUpAt(QPoint globalPosition) {
  ShowEverySubmenu();
  mnuPreviewParent_->popup(globalPosition);
}

void ViewerMenu::ShowEverySubmenu() {
  w_.mnuPreviewFit->menuAction()->setVisible(true);
  mnuSavePreviewAsParent_->menuAction()->setVisible(true);
}

void ViewerMenu::mnuPreview_Click(int Index) {
  viewer_.DropImageSelection();
  switch (Index) {
    case kEdit:
      if (CmdPreviewEdit_Click) CmdPreviewEdit_Click();
      break;
    case kPrevious:
      viewer_.cmdPreviewPrevious_Click();
      break;
    case kNext:
      viewer_.cmdPreviewNext_Click();
      break;
    case kPrint:
      printer_.cmdPreviewPrint_Click();
      break;
    default:
      break;
  }
}

void ViewerMenu::mnuSavePreviewAs_Click(int Index) {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  if (!plat::com::IsTrue(box.get_ImageLoaded()) || output::RunningOutput().Running()) return;
  viewer_.DropImageSelection();
  const output::OutputServices& services = Outputs();
  const QString shown = w_.ibMain->property("Tag").toString();
  switch (Index) {
    case kImageDocument:
      if (services.fncSavePreviewToFile_Dialog) services.fncSavePreviewToFile_Dialog(*w_.ibMain);
      break;
    case kGreeting:
      if (services.frmGreetingDemo) {
        const output::OutputRun run;
        services.frmGreetingDemo(&w_, shown, tasks_, *w_.ibTemp, pTemp_);
      }
      break;
    case kSingleScreensaver:
      if (services.frmScreensaverDemo) {
        const output::OutputRun run;
        services.frmScreensaverDemo(&w_, kShownImageOnly, basket_.Rows(), shown, tasks_, *w_.ibTemp,
                                    pTemp_);
      }
      break;
    default:
      break;
  }
}

}  // namespace browse
