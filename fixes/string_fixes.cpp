#include "fixes/string_fixes.h"

#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

namespace {
constexpr uint32_t kStrCmpSite = 0xD573A8;  // first instruction of the comparison routine
constexpr uint32_t kStrCmpResume = 0xD573AE;
constexpr uint32_t kStrLenSite = 0x46EDF0;
constexpr uint32_t kStrLenResume = 0x46EE08;
constexpr uint32_t kSkipStrLenCrashSite = 0x46EE1D;  // call edx, two arguments pushed
constexpr uint32_t kSkipStrLenCrashResume = 0x46EE23;
constexpr uint32_t kStringRefSetNullSite = 0xA51284;  // first instruction of the setter
constexpr uint32_t kStringRefSetNullResume = 0xA5128A;
}  // namespace

// Of the 24 skipped host bytes, where the crash was, only the load of EDI is
// still needed by the code after them.
HOOK_BODY(StrLen_Body,
          "mov edi, [esp+0x48]\n"
          CONTINUE_AT(kStrLenResume),
          HOST_ADDRESS(kStrLenResume))

// A null callee: drop its two arguments as its own return would have, and
// hand on a zero length in EBX.
HOOK_BODY(SkipStrLenCrash_Body,
          "test edx, edx\n"
          "jz 1f\n"
          "call edx\n"
          "mov ebx, [esp+0x5C]\n"
          CONTINUE_AT(kSkipStrLenCrashResume)
          "1:\n"
          "add esp, 8\n"
          "xor ebx, ebx\n"
          CONTINUE_AT(kSkipStrLenCrashResume),
          HOST_ADDRESS(kSkipStrLenCrashResume))

// A null source: return as the setter does (EAX = this, ret 4) without
// touching the object.
HOOK_BODY(StringRefSetNull_Body,
          "test eax, eax\n"
          "jnz 1f\n"
          "mov eax, ecx\n"
          "ret 4\n"
          "1:\n"
          "push esi\n"
          "mov esi, [eax]\n"
          "push edi\n"
          "mov edi, ecx\n"
          CONTINUE_AT(kStringRefSetNullResume),
          HOST_ADDRESS(kStringRefSetNullResume))

void ApplyStrCmp() { WriteJump(kStrCmpSite, kStrCmpResume, reinterpret_cast<const void*>(&StrCmp_Body)); }

void ApplyStrCmpNoTry() {
  WriteJump(kStrCmpSite, kStrCmpResume, reinterpret_cast<const void*>(&StrCmpNoTry_Body));
}

void ApplyStrLen() { WriteJump(kStrLenSite, kStrLenResume, reinterpret_cast<const void*>(&StrLen_Body)); }

void ApplySkipStrLenCrash() {
  WriteJump(kSkipStrLenCrashSite, kSkipStrLenCrashResume, reinterpret_cast<const void*>(&SkipStrLenCrash_Body));
}

void ApplyStringRefSetNull() {
  WriteJump(kStringRefSetNullSite, kStringRefSetNullResume, reinterpret_cast<const void*>(&StringRefSetNull_Body));
}
