#include "memory/usage_report.h"

#include "memory/memory_block.h"
#include "memory/usage_report_sites.h"
#include "patch/hook_asm.h"
#include "patch/main_loop.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

template <typename Visit>
void ForEachPool(Visit visit) {
  if (!PoolsReady.load(std::memory_order_acquire)) return;
  for (uint32_t size = 8; size <= kLargestPooledSize; size += 4) {
    if (MemoryBlock* pool = MemoryBlockTable[size / 4]) visit(*pool);
  }
}
// Thread numbers each frame's sampling checks: a thread ended without its
// exit notification is noticed within kCachedThreads / 4 = 32 frames.
constexpr uint32_t kThreadsCheckedPerFrame = 4;

}  // namespace

bool g_trackHighestUsage = false;

float PoolUsagePercent(const MemoryBlock& pool) {
  // Slots in the threads' caches are free too. Read while threads take and
  // give, the count can be off by up to one batch (32 slots) per thread at
  // work in the pool, either way: never below zero, but possibly above the
  // pool's size for a moment.
  const uint32_t free = pool.FreeSlotCount();
  if (free >= pool.slotCount) return 0.0f;
  const double used = static_cast<double>(pool.slotCount - free) / static_cast<double>(pool.slotCount);
  return static_cast<float>(used) * 100.0f;
}

void MemoryUsageReport(uint8_t hostResult) {
  if (hostResult != 0) return;
  // A cache of a thread that ended without its exit notification would
  // count as free slots that nobody can take: every such cache is given
  // back first.
  SlotCaches::ReturnSlotsOfEndedThreads(kCachedThreads);
  ForEachPool([](const MemoryBlock& pool) {
    ConsolePrint("Memory block (%02u) current: %.2f %%, highest: %.2f %%", static_cast<unsigned>(pool.slotSize),
                 static_cast<double>(PoolUsagePercent(pool)), static_cast<double>(pool.highestUsage));
  });
}

void SampleHighestUsage() {
  if (!g_trackHighestUsage) return;
  if (PoolsReady.load(std::memory_order_acquire)) SlotCaches::ReturnSlotsOfEndedThreads(kThreadsCheckedPerFrame);
  ForEachPool([](MemoryBlock& pool) {
    // Nothing can rise above a full pool, so its ring is left alone.
    if (pool.highestUsage >= 100.0f) return;
    const float usage = PoolUsagePercent(pool);
    if (usage > pool.highestUsage) pool.highestUsage = usage;
  });
}

// The host's routine runs first, as the call this replaces; the report then
// runs with every register saved, so the host still sees the routine's EAX.
HOOK_BODY(MemoryInfoConsole_Body,
          CALL_HOST(kUsageRoutine)
          SAVE_ALL
          "movzx eax, al\n"
          "push eax\n"
          CALL_PLUGIN(MemoryUsageReport)
          "add esp, 4\n"
          RESTORE_ALL
          CONTINUE_AFTER(kUsageReport),
          HOST_ADDRESS(kUsageRoutine), RESUME_OF(kUsageReport), PLUGIN_FUNCTION(MemoryUsageReport))

ApplyStatus ApplyMemoryInfoConsole() {
  g_trackHighestUsage = true;
  if (const ApplyStatus sampling = RunEveryFrame(&SampleHighestUsage); !sampling.Applied()) return sampling;
  return InstallPatches({{kUsageReport, &MemoryInfoConsole_Body}});
}
