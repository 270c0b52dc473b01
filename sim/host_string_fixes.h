// The host routine that the string-length code calls.
#pragma once
#include <cstdint>

namespace sim {

// A stdcall routine of two arguments that the string-length code calls
// through EDX; answers kLengthCalleeResult.
constexpr uint32_t kLengthCallee = 0x46F000;
constexpr uint32_t kLengthCalleeResult = 0x1E57;
struct LengthCalleeCall {
  uint32_t first = 0, second = 0;
};
uint32_t LengthCalleeRuns();
LengthCalleeCall LastLengthCalleeCall();

}  // namespace sim
