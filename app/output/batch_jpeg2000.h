#pragma once
// The batch conversion: every image of the basket written as a JPEG 2000 file, with the recorded
// tasks replayed and the names built from the naming options.
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/browse/basket_item.h"

class QProgressBar;

namespace plat::com {
class ControlHost;
}
namespace tasks {
class TaskList;
}

namespace modJPEG2000Common {

// What became of the entries of one run.
struct BatchTally {
  int total = 0;
  int converted = 0;
  int skippedExisting = 0;  // the output existed and overwriting was off
  QStringList failures;     // one a failed entry: its name, ": " and the reason
  bool cancelled = false;
};

// Converts the basket's entries in order, working each in control (the hidden ImageBox) and
// handing pictures from the picture loader over through pictureBox, which keeps the last one.
// The rows, the task list and the batch options are taken when the run starts. progress shows
// the entries finished or skipped; the busy dialog's Cancel stops the run before the next entry.
// The run ends with its summary (BatchSummary) in a message. False when an error ended the run
// (it is reported under "fncSaveSinglePage"); the files written stay.
bool fncSaveSinglePage(const QList<browse::BasketItem>& basket, const tasks::TaskList& taskList,
                       plat::com::ControlHost& control, QProgressBar& progress, QImage& pictureBox);

// "N converted, M skipped (exists), K failed"; a line for the entries a cancel or an error left
// out; then the first failures' reasons, one a line.
QString BatchSummary(const BatchTally& tally);

// The message listing entries not converted: "N of M images could not be converted:" and the
// names, one a line.
QString UnconvertedSummary(const QStringList& names, int total);

// Whether the image control reads path itself (by its extension); every other file goes through
// the picture loader.
bool LoadsDirectly(const QString& path);

}  // namespace modJPEG2000Common
