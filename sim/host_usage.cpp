#include "sim/host_usage.h"

#include "sim/host_memory.h"

namespace sim {
namespace {

uint32_t g_result = 0;
uint32_t g_calls = 0;
uint32_t g_lastEcx = 0;

// thiscall: the host passes its object in ECX, which the routine records so
// a test can see the hook called it with the host's registers untouched.
extern "C" __attribute__((thiscall)) uint32_t SimHostUsageRoutine(void* self) {
  ++g_calls;
  g_lastEcx = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(self));
  return g_result;
}

void PlaceUsageRoutine() {
  g_result = 0;
  g_calls = 0;
  g_lastEcx = 0;
  PlaceJump(host::kUsageRoutine, reinterpret_cast<const void*>(&SimHostUsageRoutine));
  PlaceBytes(host::kUsageReport.site, {0xE8});
  PlaceWord(host::kUsageReport.site + 1, host::kUsageRoutine - host::kUsageReport.resume);
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceUsageRoutine);

}  // namespace

void SetUsageRoutineResult(uint32_t eax) { g_result = eax; }
uint32_t UsageRoutineCalls() { return g_calls; }
uint32_t UsageRoutineLastEcx() { return g_lastEcx; }

}  // namespace sim
