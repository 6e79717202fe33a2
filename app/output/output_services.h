#pragma once
// What the saving and output forms offer the rest of the workbench: the batch options form, the
// batch conversion, the screensaver, slide-show and greeting builders and the save dialog of the
// shown image. Each output area registers its own forms here; a slot left empty means that output
// is not available, and the commands that would reach it are disabled.
//
// While one output runs (a batch conversion or a batch print under the modeless busy dialog), no
// command may start another or change the basket: both would share the hidden controls and the
// rows the run is working through. OutputRun marks such a run.
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "app/browse/basket_item.h"

class QProgressBar;
class QWidget;

namespace plat::com {
class ControlHost;
}
namespace tasks {
class TaskList;
}

namespace output {

using Basket = QList<browse::BasketItem>;

struct OutputServices {
  // frmSaveSinglePage, shown modally: its start button sets gSetup.BatchNamingOptions.Confirmed,
  // its exit button clears it.
  std::function<void(QWidget* owner)> frmSaveSinglePage;
  // modJPEG2000Common.fncSaveSinglePage: converts the rows in order on the hidden control,
  // replaying the task list when the batch options ask for it; shows its progress on `progress`
  // and hands loaded pictures over through `PicTiff`.
  std::function<void(const Basket& rows, const tasks::TaskList& taskList,
                     plat::com::ControlHost& ibTemp, QProgressBar& progress, QImage& PicTiff)>
      fncSaveSinglePage;
  // The executable forms work each image on the hidden control ibTemp, replaying the task list
  // when their options ask for it, and hand loaded pictures over through pTemp.
  // frmScreensaverDemo, shown modally: bSaveType 1 builds a screensaver of every basket image,
  // 0 a single-image one of `shownFile` (the Tag of ibMain).
  std::function<void(QWidget* owner, int32_t bSaveType, const Basket& basket,
                     const QString& shownFile, const tasks::TaskList& taskList,
                     plat::com::ControlHost& ibTemp, QImage& pTemp)>
      frmScreensaverDemo;
  // frmSlideShow, shown modally: a slide show of the basket.
  std::function<void(QWidget* owner, const Basket& basket, const tasks::TaskList& taskList,
                     plat::com::ControlHost& ibTemp, QImage& pTemp)>
      frmSlideShow;
  // frmGreetingDemo, shown modally: a greeting image of `shownFile`.
  std::function<void(QWidget* owner, const QString& shownFile, const tasks::TaskList& taskList,
                     plat::com::ControlHost& ibTemp, QImage& pTemp)>
      frmGreetingDemo;
  // fncSavePreviewToFile_Dialog: the save dialog with every format, saving the control's image.
  std::function<void(plat::com::ControlHost& ibMain)> fncSavePreviewToFile_Dialog;
};

// The program's one set of output services.
OutputServices& Outputs();

// Tells whether an output runs, and announces when that changes.
class OutputActivity : public QObject {
  Q_OBJECT

 public:
  bool Running() const { return running_; }

 signals:
  void RunningChanged(bool running);

 private:
  friend class OutputRun;
  bool running_ = false;
};

OutputActivity& RunningOutput();

// Marks an output as running for as long as it lives.
class OutputRun {
 public:
  OutputRun();
  ~OutputRun();
  OutputRun(const OutputRun&) = delete;
  OutputRun& operator=(const OutputRun&) = delete;
};

}  // namespace output
