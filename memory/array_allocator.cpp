// The host's second (array) allocator, routed to the same heap replacement as
// Heap itself; its bookkeeping routines are neutralised.
#include <cstdint>
#include <cstring>

#include "memory/array_allocator_sites.h"
#include "memory/os_allocator.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

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
          "push dword ptr [esp]\n"
          "push 1\n"
          "push dword ptr [esp+0xC]\n"
          CALL_PLUGIN(OsHeapFreeFor)
          "add esp, 0xC\n"
          "ret 4\n",
          PLUGIN_FUNCTION(OsHeapFreeFor))

HOOK_BODY(ArrayAllocator_ReturnZeroBody,
          "xor eax, eax\n"
          "ret\n")

HOOK_BODY(ArrayAllocator_ReturnBody, "ret\n")

HOOK_BODY(ArrayAllocator_Return8Body, "ret 8\n")

HOOK_BODY(ArrayAllocator_SkipBody, CONTINUE_AT(kArraySkipTarget), HOST_ADDRESS(kArraySkipTarget))

ApplyStatus ApplyOverwriteArrayAllocator() {
  std::memset(g_nops, 0x90, sizeof g_nops);
  return InstallPatches({{kArrayAllocate, &ArrayAllocator_AllocateBody},
                         {kArrayRelease, &ArrayAllocator_ReleaseBody},
                         {kArrayBookkeeping1, nullptr, g_nops},
                         {kArrayBookkeeping2, nullptr, g_nops},
                         {kArrayBookkeeping3, nullptr, g_nops},
                         {kArrayBookkeeping4, nullptr, g_nops},
                         {kArrayZeroRoutineA, &ArrayAllocator_ReturnZeroBody},
                         {kArrayZeroRoutineB, &ArrayAllocator_ReturnZeroBody},
                         {kArrayEmptyRoutine, &ArrayAllocator_ReturnBody},
                         {kArrayEmptyRoutineWithArguments, &ArrayAllocator_Return8Body},
                         {kArraySkip, &ArrayAllocator_SkipBody}});
}
