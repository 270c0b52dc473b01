// The host routine whose call the memory usage report sits behind: the host
// calls it at 0x847241 and decides on its low byte whether to go on.
#pragma once
#include <cstdint>

namespace sim {

constexpr uint32_t kUsageCallSite = 0x847241;   // call 0xA5CE90, five bytes
constexpr uint32_t kUsageCallReturn = 0x847246;
constexpr uint32_t kUsageRoutine = 0xA5CE90;

// Makes the routine answer this EAX from now on (it starts at 0).
void SetUsageRoutineResult(uint32_t eax);
uint32_t UsageRoutineCalls();
uint32_t UsageRoutineLastEcx();   // the ECX the routine was entered with

}  // namespace sim
