// The comparison handlers behind the host's string comparison routine. The
// game calls it constantly, so the walk compares 16 bytes per step with SSE2
// (which the game requires), and the hook bodies are the handlers' own
// register entries: the host passes ECX and EDX, and its return address is on
// top.
#include "fixes/string_fixes.h"
#include "patch/fault_guard.h"

// The one comparison walk, instantiated under the guard and without it; name
// prefixes its labels. Entered with ECX = a, EDX = b; answers in EAX and
// changes only EAX, ECX, EDX and XMM0-XMM2, all of which the host's callers
// treat as scratch.
//
// The answer is the byte walk's: the first byte that differs or ends both
// strings decides. A block of 16 bytes flags it as the lowest byte where
// a == b is false or a is 0: min(a == b ? 0xFF : 0, a) == 0. Every block lies
// on the page of its first byte, which the byte walk reads, so no read
// touches a page that walk would not:
// - the first block of each string is read unaligned when neither crosses a
//   page, so strings under 16 bytes take one step and no loop;
// - after it a's blocks are aligned and b's are read unaligned, each only
//   when its 16 bytes stay on one page;
// - otherwise the bytes up to a's next 16-byte boundary go one at a time.
// ECX walks a and EDX holds b - a, so one pointer advances both strings.
//
// [name_Reads, name_ReadsEnd) holds every read of the strings and nothing
// that touches the stack, so a guard over it can answer from any read that
// faults without having anything to restore.
#define COMPARE_STRINGS(name)                                                      \
  "  test ecx, ecx\n"                                                              \
  "  cmovz edx, ecx\n" /* a null a makes b null: one test answers both */          \
  "  test edx, edx\n"                                                              \
  "  jz " name "_Null\n"                                                           \
  "  sub edx, ecx\n"                                                               \
  "  pxor xmm2, xmm2\n"                                                            \
  name "_Reads:\n"                                                                 \
  "  mov eax, ecx\n"                                                               \
  "  and eax, 0xFFF\n"                                                             \
  "  cmp eax, 0xFF0\n"                                                             \
  "  ja " name "_Bytes\n"                                                          \
  "  lea eax, [ecx+edx]\n"                                                         \
  "  and eax, 0xFFF\n"                                                             \
  "  cmp eax, 0xFF0\n"                                                             \
  "  ja " name "_Bytes\n"                                                          \
  "  movdqu xmm0, [ecx]\n"                                                         \
  "  movdqu xmm1, [ecx+edx]\n"                                                     \
  name "_Compare:\n"                                                               \
  "  pcmpeqb xmm1, xmm0\n"                                                         \
  "  pminub xmm1, xmm0\n"                                                          \
  "  pcmpeqb xmm1, xmm2\n"                                                         \
  "  pmovmskb eax, xmm1\n"                                                         \
  "  add ecx, 16\n"                                                                \
  "  bsf eax, eax\n"                                                               \
  "  jnz " name "_Found\n"                                                         \
  /* a's next aligned block; after the first block it starts within the */         \
  /* 16 bytes just found equal */                                                  \
  "  and ecx, -16\n"                                                               \
  name "_Block:\n"                                                                 \
  "  lea eax, [ecx+edx]\n"                                                         \
  "  and eax, 0xFFF\n"                                                             \
  "  cmp eax, 0xFF0\n"                                                             \
  "  ja " name "_Bytes\n"                                                          \
  "  movdqu xmm1, [ecx+edx]\n"                                                     \
  "  movdqa xmm0, [ecx]\n"                                                         \
  "  jmp " name "_Compare\n"                                                       \
  name "_Bytes:\n"                                                                 \
  "  movzx eax, byte ptr [ecx]\n"                                                  \
  "  cmp al, byte ptr [ecx+edx]\n"                                                 \
  "  jne " name "_Decide\n"                                                        \
  "  test al, al\n" /* both 0: equal flags, so the answer is 0 */                  \
  "  jz " name "_Decide\n"                                                         \
  "  inc ecx\n"                                                                    \
  "  test cl, 15\n"                                                                \
  "  jnz " name "_Bytes\n"                                                         \
  "  jmp " name "_Block\n"                                                         \
  "  .p2align 5\n" /* where short strings end: one fetch reads it whole */       \
  name "_Found:\n" /* EAX: the deciding byte's place in the block before ECX */    \
  "  add ecx, eax\n"                                                               \
  "  movzx eax, byte ptr [ecx-16]\n"                                               \
  "  cmp al, byte ptr [ecx+edx-16]\n"                                              \
  name "_Decide:\n" /* from the unsigned compare of the deciding bytes */          \
  "  seta al\n"                                                                    \
  "  sbb eax, 0\n"                                                                 \
  name "_ReadsEnd:\n"                                                              \
  "  ret\n"                                                                        \
  name "_Null:\n"                                                                  \
  "  mov eax, 1\n"                                                                 \
  "  ret\n"

// The cdecl handlers load their operands and fall into the register entry
// that the hook site jumps to. A guarded read that faults leaves ESP as it
// was at the entry, so the landing only answers 1.
extern "C" char SafeStrCmp_Landing[];
extern "C" char SafeStrCmp_Reads[] asm("SafeStrCmp_Reads"), SafeStrCmp_ReadsEnd[] asm("SafeStrCmp_ReadsEnd");
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _SafeStrCmp, _StrCmp_Body, _SafeStrCmp_Landing
  .p2align 4
_SafeStrCmp:
  mov ecx, [esp+4]
  mov edx, [esp+8]
_StrCmp_Body:
)" COMPARE_STRINGS("SafeStrCmp") R"(
_SafeStrCmp_Landing:
  mov eax, 1
  ret
  .att_syntax prefix
)");

namespace {
[[maybe_unused]] const bool g_compareGuardRegistered =
    (RegisterFaultLanding(SafeStrCmp_Reads, SafeStrCmp_ReadsEnd, SafeStrCmp_Landing), true);
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
