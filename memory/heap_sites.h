// The host's heap routines, where the heap replacement and the aligned
// allocation enter and which the benchmark calls.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/frame_sites.h"
#include "patch/host_site.h"

namespace host {

// mov eax, [kAlignedAllocateGlobal]; sub esp, 0x14
constexpr HookSite kHeapAllocate{0xA48D60, 0xA48D68};   // thiscall (size, alignment, aligned); callee cleans
// mov eax, [esp+4] (4 bytes); push esi (1 byte)
constexpr HookSite kHeapFreeEntry{0xA487B0, 0xA487B5};  // thiscall (pointer, aligned); callee cleans
constexpr HookSite kHeapFree{0xA487B4, 0xA487B9};       // past the host's MOV EAX,[ESP+4]
constexpr HookSite kHeapReallocate{0xA48F60, 0xA48F66};
constexpr HookSite kClearFields{0x687E20, 0x687E29};
constexpr uint32_t kFieldsRoutine = 0x789110;
constexpr HookSite kHeapNoOp{0x687B00, 0x687B05};
constexpr uint32_t kAlignedAllocateGlobal = 0x1BBEB54;  // loaded by the first overwritten instruction
constexpr uint32_t kHeapSentinel = kHostHeap - 0x10;

// What each option writes.
inline constexpr auto& kUseOSAllocatorsSites = kSitesOf<kClearFields, kHeapNoOp, kHeapAllocate, kHeapFree, kHeapReallocate>;
inline constexpr auto& kAlignHeapAllocateSites = kSitesOf<kHeapAllocate, kHeapFreeEntry>;
inline constexpr auto& kRunAllocatorBenchmarkSites = kSitesOf<kMainLoop>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyUseOSAllocators();
ApplyStatus ApplyAlignHeapAllocate();
ApplyStatus ApplyCustomMemoryBlock();
ApplyStatus ApplyRunAllocatorBenchmark();
