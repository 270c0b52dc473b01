#include "fixes/string_fixes.h"

#include "fixes/string_sites.h"
#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

using namespace host;

// The guarded comparison is a leaf that pushes nothing and walks ECX and EDX,
// so a fault on any of its reads can land on "answer 1, return" with the
// stack exactly as at entry. The host calls this routine constantly; the
// landing's vectored handler is the only guard cost, and only when a read
// faults.
extern "C" char SafeStrCmp_Begin[], SafeStrCmp_End[], SafeStrCmp_Landing[];
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _SafeStrCmp, _SafeStrCmp_Begin, _SafeStrCmp_End, _SafeStrCmp_Landing
  .p2align 4
_SafeStrCmp_Begin:
_SafeStrCmp:
  mov ecx, [esp+4]
  mov edx, [esp+8]
  test ecx, ecx
  jz _SafeStrCmp_Landing
  test edx, edx
  jz _SafeStrCmp_Landing
SafeStrCmp_Next:
  movzx eax, byte ptr [ecx]
  cmp al, byte ptr [edx]
  jne SafeStrCmp_Differ
  test al, al
  jz SafeStrCmp_Equal
  movzx eax, byte ptr [ecx+1]
  cmp al, byte ptr [edx+1]
  jne SafeStrCmp_Differ
  add ecx, 2
  add edx, 2
  test al, al
  jnz SafeStrCmp_Next
SafeStrCmp_Equal:
  xor eax, eax
  ret
SafeStrCmp_Differ:
  sbb eax, eax
  or eax, 1
  ret
_SafeStrCmp_End:
_SafeStrCmp_Landing:
  mov eax, 1
  ret
  .att_syntax prefix
)");

namespace {
[[maybe_unused]] const bool g_compareGuardRegistered =
    (RegisterFaultLanding(SafeStrCmp_Begin, SafeStrCmp_End, SafeStrCmp_Landing), true);
}

extern "C" int32_t SafeStrCmpNoTry(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return 1;
  auto* left = reinterpret_cast<const unsigned char*>(a);
  auto* right = reinterpret_cast<const unsigned char*>(b);
  while (*left == *right && *left != 0) {
    ++left;
    ++right;
  }
  if (*left == *right) return 0;
  return *left < *right ? -1 : 1;
}

// The routine has pushed nothing yet: answer for it and return to its caller,
// which removes no arguments (the operands came in ECX and EDX, ECX first).
#define COMPARISON_BODY(name, handler)  \
  HOOK_BODY(name,                       \
            "push edx\n"                \
            "push ecx\n"                \
            CALL_PLUGIN(handler)        \
            "add esp, 8\n"              \
            "ret\n",                    \
            PLUGIN_FUNCTION(handler))

COMPARISON_BODY(StrCmp_Body, SafeStrCmp)
COMPARISON_BODY(StrCmpNoTry_Body, SafeStrCmpNoTry)

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

bool ApplyStrCmp() { return InstallPatches({{kStrCmp, &StrCmp_Body}}); }

bool ApplyStrCmpNoTry() { return InstallPatches({{kStrCmp, &StrCmpNoTry_Body}}); }

bool ApplyStrLen() { return InstallPatches({{kStrLen, &StrLen_Body}}); }

bool ApplySkipStrLenCrash() { return InstallPatches({{kSkipStrLenCrash, &SkipStrLenCrash_Body}}); }

bool ApplyStringRefSetNull() { return InstallPatches({{kStringRefSetNull, &StringRefSetNull_Body}}); }
