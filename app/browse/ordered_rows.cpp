#include "app/browse/ordered_rows.h"

#include <QMetaObject>
#include <QThreadPool>
#include <atomic>
#include <exception>
#include <mutex>

namespace browse {

// What the workers share with the listing: the cancel flag, and the receiver of their results,
// cleared under the lock when the listing goes away so no result is posted to a dead object.
struct OrderedRows::Shared {
  std::atomic<bool> cancelled{false};
  std::mutex lock;
  OrderedRows* receiver = nullptr;
};

OrderedRows::OrderedRows(QThreadPool& pool, QStringList paths, FolderRowRequest request,
                         RowMaker maker, int ahead, RowSink sink, Done done, QObject* parent)
    : QObject(parent),
      pool_(pool),
      paths_(std::move(paths)),
      request_(request),
      maker_(std::move(maker)),
      ahead_(std::max(1, ahead)),
      sink_(std::move(sink)),
      done_(std::move(done)),
      shared_(std::make_shared<Shared>()) {
  shared_->receiver = this;
}

OrderedRows::~OrderedRows() {
  Cancel();
  const std::lock_guard guard(shared_->lock);
  shared_->receiver = nullptr;
}

void OrderedRows::Start() {
  if (paths_.isEmpty()) {
    done_();
    return;
  }
  while (submitted_ < paths_.size() && submitted_ - handedOver_ < ahead_) Submit();
}

void OrderedRows::Cancel() {
  cancelled_ = true;
  shared_->cancelled = true;
  waiting_.clear();
}

void OrderedRows::Submit() {
  const int index = submitted_++;
  pool_.start(
      [shared = shared_, maker = maker_, request = request_, path = paths_.at(index), index] {
        if (shared->cancelled) return;
        FolderRow row;
        try {
          row = maker(path, request);
        } catch (const std::exception&) {
          // A worker must not take the program down: the file just gets no row.
          row = FolderRow{};
        }
        const std::lock_guard guard(shared->lock);
        OrderedRows* receiver = shared->receiver;
        if (receiver == nullptr || shared->cancelled) return;
        QMetaObject::invokeMethod(
            receiver,
            [receiver, index, row = std::move(row)]() mutable {
              receiver->Arrived(index, std::move(row));
            },
            Qt::QueuedConnection);
      });
}

void OrderedRows::Arrived(int index, FolderRow&& row) {
  if (cancelled_) return;
  waiting_.emplace(index, std::move(row));
  for (auto next = waiting_.find(handedOver_); next != waiting_.end();
       next = waiting_.find(handedOver_)) {
    FolderRow ready = std::move(next->second);
    waiting_.erase(next);
    ++handedOver_;
    if (submitted_ < paths_.size()) Submit();
    sink_(handedOver_ - 1, std::move(ready));
    if (cancelled_) return;
  }
  if (handedOver_ == paths_.size()) done_();
}

}  // namespace browse
