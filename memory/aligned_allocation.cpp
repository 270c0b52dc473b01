// The host's own heap, made to hand out 16-byte-aligned blocks by rewriting
// the arguments of Heap::Allocate and Heap::Free on the way in.
#include <cstdint>

#include "memory/heap_sites.h"
#include "patch/frame_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {
constexpr uint32_t kSentinelVariantBit = 0x10;
constexpr int32_t kAlignment = 16;
}  // namespace

extern "C" void AlignHeapAllocate_FixAllocation(int32_t* size, int32_t* alignment, uint32_t* aligned) {
  if (*size <= 0) return;
  if (*aligned == 0 || *alignment <= 0 || *alignment % kAlignment != 0) {
    *alignment = kAlignment;
    *aligned = 1;
  }
}

// Blocks are allocated aligned from now on, so they are released aligned;
// the two pointers the heap treats specially keep the host's own flag.
extern "C" void AlignHeapAllocate_FixRelease(const uint32_t* pointer, uint32_t* aligned) {
  const uint32_t sentinel = host::At<uint32_t>(kHeapSentinel);
  const uint32_t p = *pointer;
  if (p != 0 && p != sentinel && p != (sentinel ^ kSentinelVariantBit)) *aligned = 1;
}

// ECX (the heap) must survive the call; the overwritten MOV EAX,[global] and
// SUB ESP,0x14 follow it.
HOOK_BODY(AlignHeapAllocate_AllocateBody,
          "push ecx\n"
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          CALL_PLUGIN(AlignHeapAllocate_FixAllocation)
          "add esp, 0xC\n"
          "pop ecx\n"
          "mov eax, dword ptr [%c[kAlignedAllocateGlobal]]\n"
          "sub esp, 0x14\n"
          CONTINUE_AFTER(kHeapAllocate),
          PLUGIN_FUNCTION(AlignHeapAllocate_FixAllocation), RESUME_OF(kHeapAllocate),
          [kAlignedAllocateGlobal] "i"(kAlignedAllocateGlobal))

// After the host's PUSH ESI and SAVE_ALL the pointer sits at [esp+0x2C].
HOOK_BODY(AlignHeapAllocate_FreeBody,
          "push esi\n"
          SAVE_ALL
          "lea eax, [esp+0x30]\n"
          "push eax\n"
          "lea eax, [esp+0x30]\n"
          "push eax\n"
          CALL_PLUGIN(AlignHeapAllocate_FixRelease)
          "add esp, 8\n"
          RESTORE_ALL
          "mov eax, [esp+8]\n"
          CONTINUE_AFTER(kHeapFreeEntry),
          PLUGIN_FUNCTION(AlignHeapAllocate_FixRelease), RESUME_OF(kHeapFreeEntry))

ApplyStatus ApplyAlignHeapAllocate() {
  return InstallPatches({{kHeapAllocate, &AlignHeapAllocate_AllocateBody},
                         {kHeapFreeEntry, &AlignHeapAllocate_FreeBody}});
}
