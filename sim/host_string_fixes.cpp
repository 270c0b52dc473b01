#include "sim/host_string_fixes.h"

#include <atomic>

#include "sim/host_memory.h"

namespace sim {
namespace {

std::atomic<uint32_t> g_lengthCalleeRuns{0};
LengthCalleeCall g_lastLengthCall;

extern "C" uint32_t __stdcall SimLengthCallee(uint32_t first, uint32_t second) {
  g_lastLengthCall = {first, second};
  g_lengthCalleeRuns.fetch_add(1, std::memory_order_relaxed);
  return kLengthCalleeResult;
}

void PlaceLengthCallee() {
  PlaceJump(kLengthCallee, reinterpret_cast<const void*>(&SimLengthCallee));
  g_lengthCalleeRuns.store(0, std::memory_order_relaxed);
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceLengthCallee);

}  // namespace

uint32_t LengthCalleeRuns() { return g_lengthCalleeRuns.load(std::memory_order_relaxed); }
LengthCalleeCall LastLengthCalleeCall() { return g_lastLengthCall; }

}  // namespace sim
