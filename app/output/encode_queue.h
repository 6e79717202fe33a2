#pragma once
// The encode workers of the batch conversion. The GUI thread hands an encoder holding its copy
// of an image over; a worker makes OpenJPEG's samples of it and writes the file. Several images are
// in flight at once, so every core has work, yet their samples stay under a budget (one image may
// always go). Every wait runs the GUI thread's event loop, and completions arrive there as events.
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "app/output/jpeg2000_encoder.h"

namespace output {

class EncodeQueue : public QObject {
 public:
  // Sample bytes the encodes in flight may hold together: five 12-megapixel photos, which
  // OpenJPEG keeps in four bytes a sample, with its own buffers besides (about 1.2 GB in all).
  static constexpr size_t kPixelBudget = size_t{180} << 20;

  // onSettled runs on the GUI thread after each finished encode, failed or not.
  EncodeQueue(int workers, size_t pixelBudget, std::function<void()> onSettled);
  // Waits for the encodes in flight (without the event loop: nothing is left to show).
  ~EncodeQueue() override;

  // Runs the event loop until fewer than the workers are busy.
  void WaitForWorker();
  // OpenJPEG threads for an image of this many sample bytes: the cores shared among the images
  // the budget lets run beside it, rounded up so that no core idles.
  int ThreadsFor(size_t bytes) const;
  // Waits (event loop) until the bytes fit beside those in flight, then starts the write of
  // path in format on a worker.
  void Submit(std::unique_ptr<velmora::TJpeg2000Encoder> encoder, int32_t format,
              const QString& path);
  // Runs the event loop until every encode handed over has finished.
  void WaitForAll();

  int Finished() const { return finished_; }
  // The encodes that failed, each as the file's name, ": " and the reason, in the order they
  // ended.
  const QStringList& Failures() const { return failures_; }
  // The message of the first encode that failed.
  const std::optional<QString>& FirstFailure() const { return failure_; }

 private:
  void WaitUntil(const std::function<bool()>& ready);
  void Settle(size_t bytes, const QString& path, const std::optional<QString>& failure);

  int workers_;
  size_t budget_;
  std::function<void()> on_settled_;
  QThreadPool pool_;
  QEventLoop waiting_;
  int in_flight_ = 0;
  size_t bytes_in_flight_ = 0;
  int finished_ = 0;
  std::optional<QString> failure_;
  QStringList failures_;
};

}  // namespace output
