#include "app/output/encode_queue.h"

#include <malloc.h>
#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>

namespace output {

EncodeQueue::EncodeQueue(int workers, size_t pixelBudget, std::function<void()> onSettled)
    : workers_(std::max(1, workers)),
      budget_(std::max<size_t>(1, pixelBudget)),
      on_settled_(std::move(onSettled)) {
  pool_.setMaxThreadCount(workers_);
}

EncodeQueue::~EncodeQueue() {
  pool_.waitForDone();
}

void EncodeQueue::WaitUntil(const std::function<bool()>& ready) {
  // Completions are queued to this thread, so none can slip in between the test and exec().
  while (!ready()) waiting_.exec();
}

void EncodeQueue::WaitForWorker() {
  WaitUntil([this] { return in_flight_ < workers_; });
}

void EncodeQueue::WaitForAll() {
  WaitUntil([this] { return in_flight_ == 0; });
}

int EncodeQueue::ThreadsFor(size_t bytes) const {
  const size_t beside =
      std::clamp<size_t>(budget_ / std::max<size_t>(1, bytes), 1, static_cast<size_t>(workers_));
  const int images = static_cast<int>(beside);
  return (workers_ + images - 1) / images;
}

void EncodeQueue::Submit(std::unique_ptr<velmora::TJpeg2000Encoder> encoder, int32_t format,
                         const QString& path) {
  const size_t bytes = encoder->SampleBytes();
  WaitUntil([&] {
    return in_flight_ == 0 || (in_flight_ < workers_ && bytes_in_flight_ + bytes <= budget_);
  });
  ++in_flight_;
  bytes_in_flight_ += bytes;
  pool_.start([this, bytes, format, path, encoder = std::shared_ptr(std::move(encoder))]() mutable {
    std::optional<QString> failure;
    try {
      int32_t code = format;
      encoder->SaveFile(code, path.toStdString());
    } catch (const std::exception& e) {
      failure = QString::fromUtf8(e.what());
    }
    encoder.reset();  // the pixels go before the GUI thread counts them free
    // OpenJPEG's code-block buffers, freed, stay in the allocator arena of the thread that made
    // them, and the workers' arenas drift apart from one encode to the next: a run of photos over
    // JPEG grew by about 35 MB an image. Handing free memory back holds the run to its budget.
    ::malloc_trim(0);
    QMetaObject::invokeMethod(
        this, [this, bytes, path, failure] { Settle(bytes, path, failure); }, Qt::QueuedConnection);
  });
}

void EncodeQueue::Settle(size_t bytes, const QString& path, const std::optional<QString>& failure) {
  --in_flight_;
  bytes_in_flight_ -= bytes;
  ++finished_;
  if (failure) {
    if (!failure_) failure_ = failure;
    failures_.append(QFileInfo(path).fileName() + QStringLiteral(": ") + *failure);
  }
  if (on_settled_) on_settled_();
  waiting_.quit();
}

}  // namespace output
