#include "app/output/batch_services.h"

#include "app/output/batch_jpeg2000.h"
#include "app/output/batch_options_dialog.h"
#include "app/output/output_services.h"

namespace output {

void RegisterBatchConversion() {
  OutputServices& services = Outputs();
  services.frmSaveSinglePage = [](QWidget* owner) {
    frmSaveSinglePage form(owner);
    form.exec();
  };
  // The run reports its own errors; its result tells the basket nothing more.
  services.fncSaveSinglePage = modJPEG2000Common::fncSaveSinglePage;
}

}  // namespace output
