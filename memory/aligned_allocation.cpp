// The host's own heap, made to hand out 16-byte-aligned blocks by rewriting
// the arguments of Heap::Allocate and Heap::Free on the way in.
#include <cstdint>

#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"
#include "plugin/host.h"

namespace {
constexpr uint32_t kAllocateSite = 0xA48D60;
constexpr uint32_t kAllocateResume = 0xA48D68;
constexpr uint32_t kFreeSite = 0xA487B0;
constexpr uint32_t kFreeResume = 0xA487B5;
constexpr uint32_t kAllocateGlobal = 0x1BBEB54;     // loaded by the first overwritten instruction
constexpr uint32_t kHeapSentinel = 0x1B418A0;       // 16 bytes before the heap object
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
          "mov eax, dword ptr [%c[kAllocateGlobal]]\n"
          "sub esp, 0x14\n"
          CONTINUE_AT(kAllocateResume),
          PLUGIN_FUNCTION(AlignHeapAllocate_FixAllocation), HOST_ADDRESS(kAllocateResume),
          [kAllocateGlobal] "i"(kAllocateGlobal))

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
          CONTINUE_AT(kFreeResume),
          PLUGIN_FUNCTION(AlignHeapAllocate_FixRelease), HOST_ADDRESS(kFreeResume))

void ApplyAlignHeapAllocate() {
  WriteJump(kAllocateSite, kAllocateResume, reinterpret_cast<const void*>(&AlignHeapAllocate_AllocateBody));
  WriteJump(kFreeSite, kFreeResume, reinterpret_cast<const void*>(&AlignHeapAllocate_FreeBody));
}
