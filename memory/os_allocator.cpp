#include "memory/os_allocator.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

#include "core/known_crash.h"
#include "core/settings.h"
#include "memory/heap_sites.h"
#include "memory/memory_block.h"
#include "patch/hook_asm.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

constexpr int kAllocationAttempts = 3;
constexpr int32_t kMinimumAlignedMode = 16;
constexpr uint32_t kClearedFieldsOffset = 0x10;
constexpr uint32_t kClearedFieldsLength = 500;

constexpr const char* kAllocationFailureText =
    "Vellmoor has failed to allocate memory! Possibly running out of memory. Size / alignment of object being "
    "allocated was %d / %d. Some things you can try:\r\n"
    "1. Make sure ReduceSystemMemoryUsage=true is set in enblocal.ini - if you don't have ENB then install ENBoost "
    "and enable this option.\r\n"
    "2. Try set AlignHeapAllocate=0 in Orrisbane.ini - if you get additional crashes then put back to 1.\r\n"
    "3. If it's during ShowRaceMenu then close the menu from time to time to free memory.\r\n"
    "4. Enable CustomMemoryBlock in Orrisbane.ini to reduce memory fragmentation.\r\n"
    "5. If it's during ShowRaceMenu then disable UseOSAllocators=1 and re-enable after character creation is "
    "completed.";

// The runtime's aligned functions add the alignment (at least a pointer's
// worth) and the pointer they save to the size without checking, so a request
// near 4 GiB wraps round to a tiny block. Refused here, it fails like any
// other request the heap cannot serve.
bool FitsAlignedRuntime(size_t size, size_t alignment) {
  return size <= SIZE_MAX - std::max(alignment, sizeof(void*)) - sizeof(void*);
}

void* RuntimeAlignedAllocate(size_t size, size_t alignment) {
  return FitsAlignedRuntime(size, alignment) ? _aligned_malloc(size, alignment) : nullptr;
}
void* RuntimeAlignedReallocate(void* p, size_t size, size_t alignment) {
  return FitsAlignedRuntime(size, alignment) ? _aligned_realloc(p, size, alignment) : nullptr;
}

// The runtime records no alignment or size for an aligned block, only, in the
// pointer-sized slot below it, the plain block that holds it. The bytes from
// the aligned block to that holder's end are all a copy may take.
size_t AlignedBlockCapacity(void* block) {
  const uintptr_t slot = reinterpret_cast<uintptr_t>(block) & ~(sizeof(void*) - 1);
  char* const holder = *(reinterpret_cast<char**>(slot) - 1);
  return static_cast<size_t>(holder + _msize(holder) - static_cast<char*>(block));
}

// The runtime refuses (EINVAL) to reallocate a block that sits where another
// alignment placed it, which would read as running out of memory; such a
// block moves to a new one instead.
void* AlignedReallocate(void* pointer, size_t size, size_t alignment) {
  errno = 0;
  void* block = g_crtHeap.alignedReallocate(pointer, size, alignment);
  if (block != nullptr || errno != EINVAL) return block;
  block = g_crtHeap.alignedAllocate(size, alignment);
  if (block == nullptr) return nullptr;
  std::memcpy(block, pointer, std::min(size, AlignedBlockCapacity(pointer)));
  g_crtHeap.alignedRelease(pointer);
  return block;
}

void Normalise(int32_t& alignment, bool& aligned) {
  if (g_alignMode == 0) return;
  aligned = true;
  if (alignment < kMinimumAlignedMode || alignment % kMinimumAlignedMode != 0) alignment = kMinimumAlignedMode;
}

bool AlignedPoolLayout() { return g_alignMode > 0; }

// The family is chosen by the flag alone, as the release chooses it, so an
// aligned request without a positive alignment still stays in that family.
// The aligned functions refuse an alignment that is not a power of two (48
// passes normalisation), which would read as running out of memory.
size_t AlignmentForRuntime(int32_t alignment) {
  if (alignment <= 0) return kNaturalAlignment;
  size_t powerOfTwo = 1;
  while (powerOfTwo < static_cast<size_t>(alignment)) powerOfTwo <<= 1;
  return powerOfTwo;
}

void* RuntimeAllocate(uint32_t size, int32_t alignment, bool aligned) {
  if (aligned) return g_crtHeap.alignedAllocate(size, AlignmentForRuntime(alignment));
  return g_crtHeap.allocate(size);
}

constexpr const char* kDoubleFreeFormat =
    "A pooled block was freed twice: block 0x%08X (a %u-byte slot), freed again by the call returning to 0x%08X. "
    "The second free was ignored; any later double free is ignored without a log line.";

std::atomic<bool> g_doubleFreeLogged{false};

// A pooled block that was free already stays as it is: given back twice, it
// would go to two owners. The first such free is logged for the mod author.
void FreePooled(MemoryBlock& pool, void* pointer, const void* caller) {
  if (pool.Free(pointer) || g_doubleFreeLogged.exchange(true, std::memory_order_relaxed)) return;
  char line[320];
  std::snprintf(line, sizeof line, kDoubleFreeFormat, static_cast<unsigned>(reinterpret_cast<uintptr_t>(pointer)),
                static_cast<unsigned>(pool.slotSize), static_cast<unsigned>(reinterpret_cast<uintptr_t>(caller)));
  LogMessageToFile(line);
}

[[noreturn]] void EndAfterAllocationFailure(uint32_t size, int32_t shownAlignment) {
  ShowMessage(kAllocationFailureText, static_cast<int>(size), static_cast<int>(shownAlignment));
  EndProcessAfterKnownCrash(kCrashAllocationFailure);
}

}  // namespace

int32_t g_alignMode = 0;

const CrtHeapFunctions kRuntimeCrtHeap = {&std::malloc,           &std::free,    &std::realloc,
                                          &RuntimeAlignedAllocate, &_aligned_free, &RuntimeAlignedReallocate};
CrtHeapFunctions g_crtHeap = kRuntimeCrtHeap;

void* OsHeapAllocate(uint32_t size, int32_t alignment, bool aligned) {
  Normalise(alignment, aligned);
  const int32_t requestedAlignment = aligned ? alignment : 0;
  for (int attempt = 0; attempt < kAllocationAttempts; ++attempt) {
    void* block = nullptr;
    if (PoolsReady.load(std::memory_order_acquire) && size <= kLargestPooledSize) {
      block = AllocateFromPools(size, requestedAlignment, AlignedPoolLayout());
    }
    if (block == nullptr) block = RuntimeAllocate(size, alignment, aligned);
    if (block != nullptr) return block;
  }
  EndAfterAllocationFailure(size, requestedAlignment);
}

void OsHeapFree(void* pointer, bool aligned) { OsHeapFreeFor(pointer, aligned, __builtin_return_address(0)); }

void OsHeapFreeFor(void* pointer, bool aligned, const void* caller) {
  if (g_alignMode != 0) aligned = true;
  if (PoolsReady.load(std::memory_order_acquire)) {
    if (MemoryBlock* pool = FindOwningPool(pointer, AlignedPoolLayout())) {
      FreePooled(*pool, pointer, caller);
      return;
    }
  }
  if (aligned) {
    g_crtHeap.alignedRelease(pointer);
  } else {
    g_crtHeap.release(pointer);
  }
}

void* OsHeapReallocate(void* pointer, uint32_t size, int32_t alignment, bool aligned) {
  Normalise(alignment, aligned);
  if (PoolsReady.load(std::memory_order_acquire)) {
    if (MemoryBlock* pool = FindOwningPool(pointer, AlignedPoolLayout())) {
      char contents[kLargestPooledSize];
      const uint32_t slotSize = pool->slotSize;
      std::memcpy(contents, pointer, slotSize);
      FreePooled(*pool, pointer, __builtin_return_address(0));
      void* block = OsHeapAllocate(size, alignment, aligned);
      std::memcpy(block, contents, slotSize < size ? slotSize : size);
      return block;
    }
  }
  // The runtime frees the block and answers null for size 0, which would
  // read as running out of memory; one byte keeps a live block instead.
  const size_t runtimeSize = size == 0 ? 1 : size;
  void* block = aligned ? AlignedReallocate(pointer, runtimeSize, AlignmentForRuntime(alignment))
                        : g_crtHeap.reallocate(pointer, runtimeSize);
  if (block != nullptr) return block;
  EndAfterAllocationFailure(size, aligned ? alignment : 0);
}

// The routine at kClearFields only clears fields of its object, with the host
// routine kFieldsRoutine in between, which may rely on every register surviving.
extern "C" __attribute__((thiscall)) void UseOSAllocators_ClearFields(uint8_t* object) {
  std::memset(object + kClearedFieldsOffset, 0, kClearedFieldsLength);
  const uint16_t zero = 0;
  std::memcpy(object + 2, &zero, sizeof zero);
  asm volatile(".intel_syntax noprefix\n" SAVE_ALL CALL_HOST(kFieldsRoutine) RESTORE_ALL ".att_syntax prefix\n"
               :
               : HOST_ADDRESS(kFieldsRoutine)
               : "memory");
  std::memcpy(object + 4, &zero, sizeof zero);
}

HOOK_BODY(UseOSAllocators_ClearFieldsBody,
          CALL_PLUGIN(UseOSAllocators_ClearFields)
          "ret\n",
          PLUGIN_FUNCTION(UseOSAllocators_ClearFields))

HOOK_BODY(UseOSAllocators_NoOpBody, "ret\n")

// Each push moves the next argument 4 bytes further from ESP, so the same
// offset reads the host's arguments from last to first.
HOOK_BODY(UseOSAllocators_AllocateBody,
          "movzx eax, byte ptr [esp+0xC]\n"
          "push eax\n"
          "push dword ptr [esp+0xC]\n"
          "push dword ptr [esp+0xC]\n"
          CALL_PLUGIN(OsHeapAllocate)
          "add esp, 0xC\n"
          "ret 0xC\n",
          PLUGIN_FUNCTION(OsHeapAllocate))

// The host has already loaded the pointer into EAX; its caller's return
// address goes along for the log line of a double free.
HOOK_BODY(UseOSAllocators_FreeBody,
          "movzx edx, byte ptr [esp+8]\n"
          "push dword ptr [esp]\n"
          "push edx\n"
          "push eax\n"
          CALL_PLUGIN(OsHeapFreeFor)
          "add esp, 0xC\n"
          "ret 8\n",
          PLUGIN_FUNCTION(OsHeapFreeFor))

HOOK_BODY(UseOSAllocators_ReallocateBody,
          "movzx eax, byte ptr [esp+0x10]\n"
          "push eax\n"
          "push dword ptr [esp+0x10]\n"
          "push dword ptr [esp+0x10]\n"
          "push dword ptr [esp+0x10]\n"
          CALL_PLUGIN(OsHeapReallocate)
          "add esp, 0x10\n"
          "ret 0x10\n",
          PLUGIN_FUNCTION(OsHeapReallocate))

ApplyStatus ApplyUseOSAllocators() {
  g_alignMode = GetSetting("AlignHeapAllocate", 0);
  return InstallPatches({{kClearFields, &UseOSAllocators_ClearFieldsBody},
                         {kHeapNoOp, &UseOSAllocators_NoOpBody},
                         {kHeapAllocate, &UseOSAllocators_AllocateBody},
                         {kHeapFree, &UseOSAllocators_FreeBody},
                         {kHeapReallocate, &UseOSAllocators_ReallocateBody}});
}
