#include "app/output/executable_services.h"

#include "app/output/executable_dialogs.h"
#include "app/output/output_services.h"

namespace output {

void RegisterExecutableBuilders() {
  OutputServices& services = Outputs();
  services.frmGreetingDemo = [](QWidget* owner, const QString& shownFile,
                                const tasks::TaskList& taskList, plat::com::ControlHost& ibTemp,
                                QImage& pTemp) {
    modScreensaver::BuildTools tools{ibTemp, pTemp, taskList, owner};
    frmGreetingDemo form(owner, tools, shownFile);
    form.exec();
  };
  services.frmScreensaverDemo = [](QWidget* owner, int32_t bSaveType, const Basket& basket,
                                   const QString& shownFile, const tasks::TaskList& taskList,
                                   plat::com::ControlHost& ibTemp, QImage& pTemp) {
    modScreensaver::BuildTools tools{ibTemp, pTemp, taskList, owner};
    frmScreensaverDemo form(owner, tools, shownFile, basket);
    form.bSaveType = bSaveType;
    form.exec();
  };
  services.frmSlideShow = [](QWidget* owner, const Basket& basket, const tasks::TaskList& taskList,
                             plat::com::ControlHost& ibTemp, QImage& pTemp) {
    modScreensaver::BuildTools tools{ibTemp, pTemp, taskList, owner};
    frmSlideShow form(owner, tools, basket);
    form.exec();
  };
}

}  // namespace output
