#pragma once
// How many threads long work may use at once. The folder browser, the editing pool and the
// JPEG 2000 batch all ask here, so one environment setting calms the whole program on a shared
// or small machine.
namespace plat {

// The environment variable that lowers the worker count (a positive whole number).
inline constexpr const char* kWorkersVariable = "VELMORA_WORKERS";

// The machine's cores (at least 1), lowered to the value of VELMORA_WORKERS when that is a
// smaller positive number; any other value of the variable is ignored.
int WorkerCount();

}  // namespace plat
