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

// Converts the basket's entries in order, working each in control (the hidden ImageBox) and
// handing pictures from the picture loader over through pictureBox, which keeps the last one.
// The rows, the task list and the batch options are taken when the run starts. progress shows
// the entries finished or skipped; the busy dialog's Cancel stops the run before the next entry.
// Entries that could not be read, named or written are listed in one message afterwards. False
// when an error ended the run (it is reported under "fncSaveSinglePage"); the files written stay.
bool fncSaveSinglePage(const QList<browse::BasketItem>& basket, const tasks::TaskList& taskList,
                       plat::com::ControlHost& control, QProgressBar& progress, QImage& pictureBox);

// The message listing entries not converted: "N of M images could not be converted:" and the
// names, one a line.
QString UnconvertedSummary(const QStringList& names, int total);

// Whether the image control reads path itself (by its extension); every other file goes through
// the picture loader.
bool LoadsDirectly(const QString& path);

}  // namespace modJPEG2000Common
