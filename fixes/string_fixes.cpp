#include "fixes/string_fixes.h"

#include "fixes/string_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

// Of the 24 skipped host bytes, where the crash was, only the load of EDI is
// still needed by the code after them.
HOOK_BODY(StrLen_Body,
          "mov edi, [esp+0x48]\n"
          CONTINUE_AFTER(kStrLen),
          RESUME_OF(kStrLen))

// A null callee: drop its two arguments as its own return would have, and
// hand on a zero length in EBX.
HOOK_BODY(SkipStrLenCrash_Body,
          "test edx, edx\n"
          "jz 1f\n"
          "call edx\n"
          "mov ebx, [esp+0x5C]\n"
          CONTINUE_AFTER(kSkipStrLenCrash)
          "1:\n"
          "add esp, 8\n"
          "xor ebx, ebx\n"
          CONTINUE_AFTER(kSkipStrLenCrash),
          RESUME_OF(kSkipStrLenCrash))

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
          CONTINUE_AFTER(kStringRefSetNull),
          RESUME_OF(kStringRefSetNull))

ApplyStatus ApplyStrCmp() { return InstallPatches({{kStrCmp, &StrCmp_Body}}); }

ApplyStatus ApplyStrCmpNoTry() { return InstallPatches({{kStrCmp, &StrCmpNoTry_Body}}); }

ApplyStatus ApplyStrLen() { return InstallPatches({{kStrLen, &StrLen_Body}}); }

ApplyStatus ApplySkipStrLenCrash() { return InstallPatches({{kSkipStrLenCrash, &SkipStrLenCrash_Body}}); }

ApplyStatus ApplyStringRefSetNull() { return InstallPatches({{kStringRefSetNull, &StringRefSetNull_Body}}); }
