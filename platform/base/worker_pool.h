#pragma once
// One small pool of threads for the pixel operations that split into independent rows or blocks.
// Its width follows WorkerCount() at every call, so the same environment setting that calms the
// folder browser and the JPEG 2000 batch also calms the editing operations.
#include <cstdint>
#include <functional>

namespace plat {

// Calls body(begin, end) over consecutive ranges that together cover [0, count) exactly once,
// on up to WorkerCount() threads (the caller's among them), and returns when all are done. The
// ranges hold at least minChunk items each, so tiny images stay on the caller's thread. A call
// from inside a body runs on the calling thread alone. The first exception a body throws is
// thrown again here once every range has finished.
void ParallelFor(int64_t count, int64_t minChunk,
                 const std::function<void(int64_t begin, int64_t end)>& body);

}  // namespace plat
