#include "diagnostics/guarded_memory.h"

#include <windows.h>

#include "patch/fault_guard.h"

namespace {

// The last region found readable: reads cluster on a stack, a module's
// headers, one object. Only the crash filter and the freeze watchdog read,
// one at a time; a stale region is still caught by the fault guard.
uintptr_t g_readableBegin = 0;
uintptr_t g_readableEnd = 0;

bool IsReadable(uintptr_t address) {
  if (address >= g_readableBegin && address < g_readableEnd) return true;
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) == 0) return false;
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  if (region.State != MEM_COMMIT || (region.Protect & kReadable) == 0 || (region.Protect & PAGE_GUARD) != 0) {
    return false;
  }
  g_readableBegin = reinterpret_cast<uintptr_t>(region.BaseAddress);
  g_readableEnd = g_readableBegin + region.RegionSize;
  return true;
}

}  // namespace

bool ReadGuardedWord(uint32_t address, uint32_t* out) {
  if (!IsReadable(address) || !IsReadable(address + 3u)) return false;
  return GuardedReadWord(reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), out);
}
