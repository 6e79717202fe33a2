#pragma once
// The JPEG 2000 encoder the workbench hands its images to, in the place the outside encoder
// control had on the main window. Its members are that control's calls, one to one, so the save
// binding reads as before; the dispatch id of each call is noted beside it.
//
// The encoder takes its own copy of the bitmap when it is handed over (on the GUI thread); from
// then on it touches no handle and no Qt object, so a save may run on a worker thread.
#include <cstdint>
#include <string>

#include "platform/base/exceptions.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/handles.h"

namespace plat {
class TStream;
}  // namespace plat

namespace velmora {

VELMORA_EXCEPTION(EJpeg2000Error, plat::Exception);

// The five calls of the save binding, in the order it makes them.
class IJpeg2000Encoder {
 public:
  virtual ~IJpeg2000Encoder() = default;
  // Dispatch id 6: takes the image of a bitmap handle.
  virtual void SetBitmap(plat::THandle& bitmap) = 0;
  // Dispatch id -550 (Refresh).
  virtual void Refresh() = 0;
  // Dispatch id 62: the compression rate, 1 to 24 lossy, 25 lossless.
  virtual void SetRate(int32_t rate) = 0;
  // Dispatch id 68: the format code for a file extension.
  virtual int32_t FormatOfExtension(const std::string& extension) = 0;
  // Dispatch id 4: writes the image to path in the format of code.
  virtual void SaveFile(int32_t& format, const std::string& path) = 0;
};

// Format codes of FormatOfExtension.
inline constexpr int32_t kJp2Format = 1;         // ".jp2": the JP2 file format
inline constexpr int32_t kCodestreamFormat = 2;  // ".jpc": a bare code stream

class TJpeg2000Encoder final : public IJpeg2000Encoder {
 public:
  static constexpr int32_t kLosslessRate = 25;
  static constexpr int32_t kDefaultRate = 20;

  TJpeg2000Encoder();

  // Takes a copy of the bitmap at once, so the caller may free or change it afterwards; the
  // copy shares the pixels until either side writes, and the encode reads them where they lie.
  // Raises EInvalidGraphic for a value that is not a live bitmap handle.
  void SetBitmap(plat::THandle& bitmap) override;
  // The copy is taken in SetBitmap: nothing is left to bring up to date.
  void Refresh() override {}
  // Clamped into 1..25: a damaged settings file must not make the ratio divide by zero.
  void SetRate(int32_t rate) override;
  // "jp2" and "jpc" in any letter case; any other extension raises
  // "Unsupported JPEG 2000 format: " + extension.
  int32_t FormatOfExtension(const std::string& extension) override;
  // Encodes through the safe-save helper: a failure raises with OpenJPEG's message and leaves
  // neither a partial file nor a damaged earlier file of that name. The encoder gives its copy
  // of the bitmap up once OpenJPEG holds the samples, so every save follows its own SetBitmap,
  // as the binding makes them.
  void SaveFile(int32_t& format, const std::string& path) override;

  // Threads OpenJPEG may use for one image; at least 1. The default is the program's worker
  // count.
  void SetThreads(int threads);
  int32_t Rate() const { return rate_; }
  // Bytes of the image as 8-bit samples, one per component: the measure of what an encode in
  // flight holds (OpenJPEG keeps each sample in four bytes, besides its own buffers).
  size_t SampleBytes() const;

  // The encoding SaveFile writes, into any stream.
  void Encode(int32_t format, plat::TStream& out) const;

 private:
  plat::TBitmap bitmap_;
  int32_t rate_ = kDefaultRate;
  int threads_;
};

}  // namespace velmora
