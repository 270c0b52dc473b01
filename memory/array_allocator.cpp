// The host's second (array) allocator, routed to the same heap replacement as
// Heap itself; its bookkeeping routines are neutralised.
#include <cstdint>
#include <cstring>

#include "memory/array_allocator_sites.h"
#include "memory/os_allocator.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

using namespace host;

namespace {

constexpr int32_t kArrayAlignment = 16;

uint8_t g_nops[128];
}  // namespace

HOOK_BODY(ArrayAllocator_AllocateBody,
          "push 1\n"
          "push %c[kArrayAlignment]\n"
          "push dword ptr [esp+0xC]\n"
          CALL_PLUGIN(OsHeapAllocate)
          "add esp, 0xC\n"
          "ret 8\n",
          PLUGIN_FUNCTION(OsHeapAllocate), [kArrayAlignment] "i"(kArrayAlignment))

HOOK_BODY(ArrayAllocator_ReleaseBody,
          "push 1\n"
          "push dword ptr [esp+8]\n"
          CALL_PLUGIN(OsHeapFree)
          "add esp, 8\n"
          "ret 4\n",
          PLUGIN_FUNCTION(OsHeapFree))

HOOK_BODY(ArrayAllocator_ReturnZeroBody,
          "xor eax, eax\n"
          "ret\n")

HOOK_BODY(ArrayAllocator_ReturnBody, "ret\n")

HOOK_BODY(ArrayAllocator_Return8Body, "ret 8\n")

HOOK_BODY(ArrayAllocator_SkipBody, CONTINUE_AT(kArraySkipTarget), HOST_ADDRESS(kArraySkipTarget))

void ApplyOverwriteArrayAllocator() {
  std::memset(g_nops, 0x90, sizeof g_nops);
  WriteJump(kArrayAllocate.site, kArrayAllocate.resume, reinterpret_cast<const void*>(&ArrayAllocator_AllocateBody));
  WriteJump(kArrayRelease.site, kArrayRelease.resume, reinterpret_cast<const void*>(&ArrayAllocator_ReleaseBody));
  for (const HookSite& fill : kArrayNopFills) WriteBytes(fill.site, g_nops, fill.resume - fill.site);
  WriteJump(kArrayZeroRoutineA.site, kArrayZeroRoutineA.resume, reinterpret_cast<const void*>(&ArrayAllocator_ReturnZeroBody));
  WriteJump(kArrayZeroRoutineB.site, kArrayZeroRoutineB.resume, reinterpret_cast<const void*>(&ArrayAllocator_ReturnZeroBody));
  WriteJump(kArrayEmptyRoutine.site, kArrayEmptyRoutine.resume, reinterpret_cast<const void*>(&ArrayAllocator_ReturnBody));
  WriteJump(kArrayEmptyRoutineWithArguments.site, kArrayEmptyRoutineWithArguments.resume,
            reinterpret_cast<const void*>(&ArrayAllocator_Return8Body));
  WriteJump(kArraySkip.site, kArraySkip.resume, reinterpret_cast<const void*>(&ArrayAllocator_SkipBody));
}
