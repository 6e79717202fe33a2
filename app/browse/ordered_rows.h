#pragma once
// Makes the rows of one listing on a thread pool and hands them to the GUI thread one by one in
// the listing's order, whatever order the workers finish in. Only a bounded number of files is
// worked on ahead of the last row handed over, so memory stays small on large folders. Cancel
// drops the jobs not yet started and every result that arrives later.
#include <QObject>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

#include "app/browse/folder_rows.h"

class QThreadPool;

namespace browse {

using RowMaker = std::function<FolderRow(const QString& fullPath, const FolderRowRequest& request)>;

class OrderedRows : public QObject {
 public:
  // Called on the GUI thread with each row, index 0 first.
  using RowSink = std::function<void(int index, FolderRow&& row)>;
  // Called on the GUI thread once the last row has been handed over.
  using Done = std::function<void()>;

  OrderedRows(QThreadPool& pool, QStringList paths, FolderRowRequest request, RowMaker maker,
              int ahead, RowSink sink, Done done, QObject* parent = nullptr);
  ~OrderedRows() override;

  void Start();
  void Cancel();
  bool Cancelled() const { return cancelled_; }

 private:
  struct Shared;
  void Submit();
  void Arrived(int index, FolderRow&& row);

  QThreadPool& pool_;
  const QStringList paths_;
  const FolderRowRequest request_;
  const RowMaker maker_;
  const int ahead_;
  const RowSink sink_;
  const Done done_;
  std::shared_ptr<Shared> shared_;
  std::map<int, FolderRow> waiting_;
  int submitted_ = 0;
  int handedOver_ = 0;
  bool cancelled_ = false;
};

}  // namespace browse
