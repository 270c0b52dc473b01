// The host's heap and the routines around it that the memory options patch:
// Heap::Allocate, Heap::Free and the reallocation on the heap object, the
// field-clearing routines, the array allocator's routines, the movaps
// instructions, and the two heap globals. The heap is the simulator's own,
// locked, and knows every block it handed out.
#pragma once
#include <cstdint>

#include "memory/array_allocator_sites.h"
#include "memory/heap_sites.h"
#include "memory/movaps_sites.h"
#include "patch/frame_sites.h"

namespace sim {

constexpr uint32_t kHeapAllocateGlobalValue = 0x5EED0B54;  // what the simulator keeps there
constexpr uint32_t kHeapSentinelValue = 0x02A41230;

constexpr uint32_t kManualMovaps = host::kManualStoreOpcode.site - 1;  // the instruction

struct HeapCall {
  uint32_t heap = 0;           // ECX as the routine saw it
  uint32_t pointer = 0;
  uint32_t size = 0;
  int32_t alignment = 0;
  uint32_t flag = 0;           // the whole flag slot
  uint32_t eaxAtTail = 0;      // EAX past the routine's first instructions
};

struct HostHeapRecord {
  uint32_t allocations = 0;
  uint32_t frees = 0;
  uint32_t reallocations = 0;
  uint32_t foreignFrees = 0;   // frees of pointers this heap never handed out
  HeapCall lastAllocate;
  HeapCall lastFree;
  HeapCall lastReallocate;
  uint32_t clearFieldsRuns = 0;   // the host's own routine at kClearFields.site
  uint32_t noOpRuns = 0;          // the host's own routine at kHeapNoOp.site
  uint32_t fieldsRoutineRuns = 0;
  uint32_t arrayAllocations = 0;  // the host's own array allocator
  uint32_t arrayReleases = 0;
};

const HostHeapRecord& HostHeap();
void ClearHostHeapRecord();
uint32_t LiveHostHeapBlocks();

// The object whose fields kFieldsRoutine reports as it runs (see FieldsSeen).
void WatchFieldsObject(const uint8_t* object);
struct FieldsSeen {
  uint16_t at2 = 0, at4 = 0;
  bool clearedFrom0x10 = false;  // the 500 bytes from 0x10 were zero
};
FieldsSeen FieldsSeenByRoutine();

// Heap::Allocate / Heap::Free called as the host calls them (member calls on
// the heap object, callee cleans the arguments).
void* CallHeapAllocate(uint32_t size, int32_t alignment, bool aligned);
void CallHeapFree(void* pointer, bool aligned);

}  // namespace sim
