// The host routine whose call the memory usage report sits behind: the host
// calls it at kUsageReport.site and decides on its low byte whether to go on.
#pragma once
#include <cstdint>

#include "memory/usage_report_sites.h"

namespace sim {

// kUsageReport.site: call kUsageRoutine, five bytes

// Makes the routine answer this EAX from now on (it starts at 0).
void SetUsageRoutineResult(uint32_t eax);
uint32_t UsageRoutineCalls();
uint32_t UsageRoutineLastEcx();   // the ECX the routine was entered with

}  // namespace sim
