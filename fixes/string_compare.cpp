// The comparison handlers behind the host's string comparison routine. The
// game calls it constantly, so the walk compares a 4-byte word per step and
// the hook bodies are the handlers' own register entries: the host passes
// ECX and EDX, and its return address is on top.
#include "fixes/string_fixes.h"
#include "patch/fault_guard.h"

// The one comparison walk, instantiated under the guard and without it; name
// prefixes its labels. Entered with ECX = a, EDX = b; answers in EAX and
// changes only EAX, ECX and EDX, as the host's routine may. Every read comes
// after the three pushes, so the guarded copy lands on "pop them, answer 1".
//
// The answer is the byte walk's: the first byte that differs or ends both
// strings decides. Every word read is aligned and holds a byte the byte walk
// reaches, so it lies on a page that walk reads anyway:
// - a is walked byte by byte until it is 4-aligned, then a word at a time;
// - b's 4 bytes opposite a's word are put together (SHRD) from b's aligned
//   word holding its current byte and the next one. That next word shares
//   the page unless it starts one, and only then could the walk stop before
//   it; those 4 bytes go byte by byte instead.
// ESI walks a and EDI holds b - a, so one pointer advances both strings.
// Each step has as few branches as it can: they are what the walk costs.
#define COMPARE_STRINGS(name)                                                      \
  "  test ecx, ecx\n"                                                              \
  "  cmovz edx, ecx\n" /* a null a makes b null: one test answers both */         \
  "  test edx, edx\n"                                                              \
  "  jz " name "_Null\n"                                                           \
  "  push ebx\n"                                                                   \
  "  push esi\n"                                                                   \
  "  push edi\n"                                                                   \
  "  mov esi, ecx\n"                                                               \
  "  mov edi, edx\n"                                                               \
  "  sub edi, ecx\n"                                                               \
  "  test esi, 3\n"                                                                \
  "  jz " name "_Words\n"                                                          \
  name "_Bytes:\n"                                                                 \
  "  movzx eax, byte ptr [esi]\n"                                                  \
  "  movzx edx, byte ptr [esi+edi]\n"                                              \
  "  xor edx, eax\n"                                                               \
  "  cmp eax, 1\n"                                                                 \
  "  sbb ecx, ecx\n" /* -1 at a's terminator */                                    \
  "  or ecx, edx\n"                                                                \
  "  jnz " name "_Here\n"                                                          \
  "  inc esi\n"                                                                    \
  "  test esi, 3\n"                                                                \
  "  jnz " name "_Bytes\n"                                                         \
  name "_Words:\n"                                                                 \
  /* CL: b's bits before its current byte in its aligned word (SHRD takes */      \
  /* the count mod 32, so 0 when b is aligned as well). */                        \
  "  lea ecx, [edi*8]\n"                                                           \
  "  lea edx, [esi+edi]\n"                                                         \
  "  and edx, -4\n"                                                                \
  "  mov ebx, [edx]\n"                                                             \
  "  jmp " name "_Check\n"                                                         \
  name "_Step:\n"                                                                  \
  "  mov eax, [edx]\n"                                                             \
  "  shrd ebx, eax, cl\n"                                                          \
  /* (w - 0x01010101) & ~w & 0x80808080 flags b's first zero byte exactly; */     \
  /* a's differing bytes join it, and the lowest flag is where the walk stops. */  \
  "  lea edx, [ebx-0x01010101]\n"                                                  \
  "  not ebx\n"                                                                    \
  "  and edx, ebx\n"                                                               \
  "  not ebx\n"                                                                    \
  "  and edx, 0x80808080\n"                                                        \
  "  xor ebx, [esi]\n"                                                             \
  "  or edx, ebx\n"                                                                \
  "  jnz " name "_Stop\n"                                                          \
  "  mov ebx, eax\n"                                                               \
  "  add esi, 4\n"                                                                 \
  name "_Check:\n"                                                                 \
  "  lea edx, [esi+edi+4]\n"                                                       \
  "  and edx, -4\n"                                                                \
  "  test edx, 0xFFF\n"                                                            \
  "  jnz " name "_Step\n"                                                          \
  "  jmp " name "_Bytes\n"                                                         \
  name "_Stop:\n"                                                                  \
  "  bsf edx, edx\n"                                                               \
  "  shr edx, 3\n"                                                                 \
  "  add esi, edx\n"                                                               \
  name "_Here:\n" /* the bytes where the walk stops decide: -1, 0 or 1 */          \
  "  movzx eax, byte ptr [esi]\n"                                                  \
  "  movzx edx, byte ptr [esi+edi]\n"                                              \
  "  sub eax, edx\n"                                                               \
  "  cdq\n"                                                                        \
  "  neg eax\n"                                                                    \
  "  shr eax, 31\n"                                                                \
  "  or eax, edx\n"                                                                \
  "  pop edi\n"                                                                    \
  "  pop esi\n"                                                                    \
  "  pop ebx\n"                                                                    \
  "  ret\n"                                                                        \
  name "_Null:\n"                                                                  \
  "  mov eax, 1\n"                                                                 \
  "  ret\n"

// The cdecl handlers load their operands and fall into the register entry
// that the hook site jumps to.
extern "C" char SafeStrCmp_Begin[], SafeStrCmp_End[], SafeStrCmp_Landing[];
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _SafeStrCmp, _StrCmp_Body, _SafeStrCmp_Begin, _SafeStrCmp_End, _SafeStrCmp_Landing
  .p2align 4
_SafeStrCmp:
  mov ecx, [esp+4]
  mov edx, [esp+8]
_SafeStrCmp_Begin:
_StrCmp_Body:
)" COMPARE_STRINGS("SafeStrCmp") R"(
_SafeStrCmp_End:
_SafeStrCmp_Landing:
  pop edi
  pop esi
  pop ebx
  mov eax, 1
  ret
  .att_syntax prefix
)");

namespace {
[[maybe_unused]] const bool g_compareGuardRegistered =
    (RegisterFaultLanding(SafeStrCmp_Begin, SafeStrCmp_End, SafeStrCmp_Landing), true);
}

asm(R"(
  .intel_syntax noprefix
  .text
  .globl _SafeStrCmpNoTry, _StrCmpNoTry_Body
  .p2align 4
_SafeStrCmpNoTry:
  mov ecx, [esp+4]
  mov edx, [esp+8]
_StrCmpNoTry_Body:
)" COMPARE_STRINGS("SafeStrCmpNoTry") R"(
  .att_syntax prefix
)");
