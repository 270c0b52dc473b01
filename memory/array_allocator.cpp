// The host's second (array) allocator, routed to the same heap replacement as
// Heap itself; its bookkeeping routines are neutralised.
#include <cstdint>
#include <cstring>

#include "memory/os_allocator.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

namespace {
constexpr uint32_t kAllocateSite = 0xA49530;
constexpr uint32_t kAllocateResume = 0xA49535;
constexpr uint32_t kReleaseSite = 0xA495F0;
constexpr uint32_t kReleaseResume = 0xA495F6;
constexpr uint32_t kZeroRoutineA = 0xA48890;
constexpr uint32_t kZeroRoutineAResume = 0xA48896;
constexpr uint32_t kZeroRoutineB = 0xA49450;
constexpr uint32_t kZeroRoutineBResume = 0xA49455;
constexpr uint32_t kEmptyRoutine = 0xA49800;
constexpr uint32_t kEmptyRoutineResume = 0xA49807;
constexpr uint32_t kEmptyRoutineWithArguments = 0xA49770;
constexpr uint32_t kEmptyRoutineWithArgumentsResume = 0xA49776;
constexpr uint32_t kSkipSite = 0xA4893C;
constexpr uint32_t kSkipResume = 0xA48942;
constexpr uint32_t kSkipTarget = 0xA48959;

struct NopFill {
  uint32_t site;
  uint32_t length;
};
constexpr NopFill kNopFills[] = {{0xA49150, 3}, {0xA49510, 19}, {0xA48AC0, 5}, {0xA49673, 6}};

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

HOOK_BODY(ArrayAllocator_SkipBody, CONTINUE_AT(kSkipTarget), HOST_ADDRESS(kSkipTarget))

void ApplyOverwriteArrayAllocator() {
  std::memset(g_nops, 0x90, sizeof g_nops);
  WriteJump(kAllocateSite, kAllocateResume, reinterpret_cast<const void*>(&ArrayAllocator_AllocateBody));
  WriteJump(kReleaseSite, kReleaseResume, reinterpret_cast<const void*>(&ArrayAllocator_ReleaseBody));
  for (const NopFill& fill : kNopFills) WriteBytes(fill.site, g_nops, fill.length);
  WriteJump(kZeroRoutineA, kZeroRoutineAResume, reinterpret_cast<const void*>(&ArrayAllocator_ReturnZeroBody));
  WriteJump(kZeroRoutineB, kZeroRoutineBResume, reinterpret_cast<const void*>(&ArrayAllocator_ReturnZeroBody));
  WriteJump(kEmptyRoutine, kEmptyRoutineResume, reinterpret_cast<const void*>(&ArrayAllocator_ReturnBody));
  WriteJump(kEmptyRoutineWithArguments, kEmptyRoutineWithArgumentsResume,
            reinterpret_cast<const void*>(&ArrayAllocator_Return8Body));
  WriteJump(kSkipSite, kSkipResume, reinterpret_cast<const void*>(&ArrayAllocator_SkipBody));
}
