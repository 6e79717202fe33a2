#include "app/output/output_services.h"

namespace output {

OutputServices& Outputs() {
  static OutputServices services;
  return services;
}

OutputActivity& RunningOutput() {
  static OutputActivity activity;
  return activity;
}

OutputRun::OutputRun() {
  RunningOutput().running_ = true;
  emit RunningOutput().RunningChanged(true);
}

OutputRun::~OutputRun() {
  RunningOutput().running_ = false;
  emit RunningOutput().RunningChanged(false);
}

}  // namespace output
