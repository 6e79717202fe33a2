#pragma once
// Where the screenshots the control tests compare against are kept.

namespace velmora {

inline constexpr const char* kGoldenDir = VELMORA_SOURCE_DIR "/tests/app_controls/golden/";

}  // namespace velmora
