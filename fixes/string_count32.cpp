// The host keeps the entry count of its string table, and the indices into
// it, as 16-bit values in memory and in streams. These hooks widen every
// place we patch to 32 bits, and give streams a longer form for values that
// no longer fit: two bytes 0xFFFF, then the 32-bit value. Values up to 0xFFF0
// keep the host's own two-byte form, so streams without large tables read
// the same with and without the option.
#include <cstdint>

#include "fixes/string_count_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

constexpr uint32_t kCountReadCheck = kStringCount3.site;
// The first two bytes of this are what a stream holds in front of a 32-bit
// value.
constexpr uint32_t ExtendedCountMarker = 0xFFFFFFFF;

}  // namespace

// A member call of the host stream's read (slot 4) or write (slot 5): ECX is
// the stream, and the callee removes the byte count and the buffer address.
// Push the buffer address first; its ESP-relative operand must be taken
// before that push. EAX only carries the stream's table until the call
// returns its result there.
#define STREAM_CALL(stream, slotOffset, count) \
  "push " #count "\n"                          \
  "mov ecx, " #stream "\n"                     \
  "mov eax, [ecx]\n"                           \
  "call dword ptr [eax+" #slotOffset "]\n"
#define STREAM_READ(stream, count) STREAM_CALL(stream, 0x10, count)
#define STREAM_WRITE(stream, count) STREAM_CALL(stream, 0x14, count)

// The stream form's threshold is compared unsigned: as a signed test a value
// of 0x80000000 or more would be cut to its low word, and one whose low word
// is 0xFFFF would be read back as the marker and throw the reader four bytes
// out of step.
#define JUMP_IF_EXTENDED(operand, label) \
  "cmp " operand ", 0xFFF0\n"            \
  "ja " label "\n"

#define MARKER_OPERAND [ExtendedCountMarker] "i"(&ExtendedCountMarker)

// --- Group 1: reading the table from a stream ---------------------------
// A body without a comment of its own is the host's replaced instructions
// with the 16-bit load, store or comparison of the count or an index made
// 32-bit, so that a table of more than 0xFFFF strings is not cut short.


HOOK_BODY(StringCount32_Hook1,
          "mov [esi+0x0C], eax\n"
          "mov edx, [ebx]\n"
          CONTINUE_AFTER(kStringCount1),
          RESUME_OF(kStringCount1))

// The host has just read the count as two bytes into [ESP+0x0C]; the marker
// there means the real count follows as four bytes. A failed read takes the
// host's own failure test at hook 3's site with the zero flag clear.
HOOK_BODY(StringCount32_Hook2,
          "movzx ecx, word ptr [esp+0x0C]\n"
          "cmp cx, 0xFFFF\n"
          "jne 1f\n"
          "lea eax, [esp+0x0C]\n"
          "push eax\n"
          STREAM_READ(ebx, 4)
          "test eax, eax\n"
          "jnz 2f\n"
          "mov ecx, [esp+0x0C]\n"
          "1:\n"
          "mov [esi+0x0C], ecx\n"
          CONTINUE_AFTER(kStringCount2)
          "2:\n"
          CONTINUE_AT(kCountReadCheck),
          RESUME_OF(kStringCount2), HOST_ADDRESS(kCountReadCheck))

// The zero flag on arrival is the outcome of the count read, which the host
// keeps in byte [ESP+9].
HOOK_BODY(StringCount32_Hook3,
          "mov eax, [esi+0x0C]\n"
          "sete cl\n"
          "mov [esp+9], cl\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov edx, dword ptr [%c[kStringTableHeap]]\n"
          "mov ecx, [esp+0x18]\n"
          CONTINUE_AFTER(kStringCount3)
          "1:\n"
          CONTINUE_AT(kEmptyTableRead),
          RESUME_OF(kStringCount3), HOST_ADDRESS(kEmptyTableRead), [kStringTableHeap] "i"(kStringTableHeap))

HOOK_BODY(StringCount32_Hook4,
          "mov [esi+8], eax\n"
          "cmp ecx, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringCount4),
          RESUME_OF(kStringCount4))

HOOK_BODY(StringCount32_Hook5,
          "mov edx, edi\n"
          "lea ebp, [eax+edx*4]\n"
          CONTINUE_AFTER(kStringCount5),
          RESUME_OF(kStringCount5))

HOOK_BODY(StringCount32_Hook6,
          "add edi, 1\n"
          "cmp edi, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringCount6),
          RESUME_OF(kStringCount6))

HOOK_BODY(StringCount32_Hook7,
          "mov ecx, [esi+0x0C]\n"
          "mov edi, eax\n"
          CONTINUE_AFTER(kStringCount7),
          RESUME_OF(kStringCount7))

HOOK_BODY(StringCount32_Hook8,
          "mov ecx, [esp+0x24]\n"
          CONTINUE_AFTER(kStringCount8),
          RESUME_OF(kStringCount8))

HOOK_BODY(StringCount32_Hook9,
          "mov edx, [esi]\n"
          "mov ecx, ebp\n"
          CONTINUE_AFTER(kStringCount9),
          RESUME_OF(kStringCount9))

HOOK_BODY(StringCount32_Hook10,
          "mov [esp+0x24], ebp\n"
          "cmp ebp, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringCount10),
          RESUME_OF(kStringCount10))

HOOK_BODY(StringCount32_Hook11,
          "mov eax, [esp+0x24]\n"
          CONTINUE_AFTER(kStringCount11),
          RESUME_OF(kStringCount11))

// --- Group 2: writing the table to a stream -----------------------------

HOOK_BODY(StringCount32_Hook12,
          "mov ecx, [eax+0x0C]\n"
          "push edi\n"
          CONTINUE_AFTER(kStringCount12),
          RESUME_OF(kStringCount12))

// Writes the count at [ESP+0x10] to the stream in EDI; the host tests the
// result of the last write in EAX.
HOOK_BODY(StringCount32_Hook13,
          JUMP_IF_EXTENDED("dword ptr [esp+0x10]", "1f")
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          STREAM_WRITE(edi, 2)
          CONTINUE_AFTER(kStringCount13)
          "1:\n"
          "push offset %c[ExtendedCountMarker]\n"
          STREAM_WRITE(edi, 2)
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          STREAM_WRITE(edi, 4)
          CONTINUE_AFTER(kStringCount13),
          RESUME_OF(kStringCount13), MARKER_OPERAND)

// --- Group 3: a walk over the table -------------------------------------

HOOK_BODY(StringCount32_Hook14,
          "xor edi, edi\n"
          "cmp eax, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringCount14),
          RESUME_OF(kStringCount14))

HOOK_BODY(StringCount32_Hook15,
          "mov edx, [esi+8]\n"
          "mov ecx, edi\n"
          CONTINUE_AFTER(kStringCount15),
          RESUME_OF(kStringCount15))

HOOK_BODY(StringCount32_Hook16,
          "add edi, 1\n"
          "cmp edi, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringCount16),
          RESUME_OF(kStringCount16))

HOOK_BODY(StringCount32_Hook17,
          "mov [esi+0x0C], ecx\n"
          "pop esi\n"
          CONTINUE_AFTER(kStringCount17),
          RESUME_OF(kStringCount17))

// --- Group 4: reading an index ------------------------------------------

// The host's two-byte read (function in EDX, arguments pushed, slot address
// in ECX) fills only the low word; clearing the whole slot first keeps the
// index free of stale high bits.
HOOK_BODY(StringCount32_Hook18,
          "xor eax, eax\n"
          "mov [ecx], eax\n"
          "mov ecx, esi\n"
          "call edx\n"
          "mov ecx, [esp+0x0C]\n"
          "cmp cx, 0xFFFF\n"
          "jne 1f\n"
          "lea eax, [esp+0x0C]\n"
          "push eax\n"
          STREAM_READ(esi, 4)
          "1:\n"
          "xor ebx, ebx\n"
          "cmp eax, ebx\n"
          CONTINUE_AFTER(kStringCount18),
          RESUME_OF(kStringCount18))

HOOK_BODY(StringCount32_Hook19,
          "mov eax, [esp+0x0C]\n"
          CONTINUE_AFTER(kStringCount19),
          RESUME_OF(kStringCount19))

// Unsigned, so that no index can pass as a negative one below the count.
HOOK_BODY(StringCount32_Hook20,
          "mov eax, [esp+0x10]\n"
          "cmp eax, [edi+0x0C]\n"
          "jae 1f\n"
          "mov esi, eax\n"
          CONTINUE_AFTER(kStringCount20)
          "1:\n"
          CONTINUE_AT(kIndexOutOfRange),
          RESUME_OF(kStringCount20), HOST_ADDRESS(kIndexOutOfRange))

// --- Group 5: another index read ----------------------------------------

// As hook 18, the slot (at [ESP+0x0C] while the read's two arguments are
// pushed) is cleared first: the host goes on to use all 32 bits of it, and a
// two-byte read would leave whatever high word the stack held before.
HOOK_BODY(StringCount32_Hook21,
          "mov dword ptr [esp+0x0C], 0\n"
          "mov ecx, esi\n"
          "call edx\n"
          "mov ecx, [esp+4]\n"
          "cmp cx, 0xFFFF\n"
          "jne 1f\n"
          "lea eax, [esp+4]\n"
          "push eax\n"
          STREAM_READ(esi, 4)
          "1:\n"
          "test eax, eax\n"
          CONTINUE_AFTER(kStringCount21),
          RESUME_OF(kStringCount21))

// --- Group 6: writing an index ------------------------------------------

HOOK_BODY(StringCount32_Hook22,
          "mov edx, [esp+8]\n"
          CONTINUE_AFTER(kStringCount22),
          RESUME_OF(kStringCount22))

// Writes the value at [ESP+4] to the stream in ECX. EDI and ESI carry the
// value's address and the stream across the calls and are given back.
HOOK_BODY(StringCount32_Hook23,
          "push edi\n"
          "push esi\n"
          "lea edi, [esp+0x0C]\n"
          "mov esi, ecx\n"
          JUMP_IF_EXTENDED("dword ptr [edi]", "1f")
          "push edi\n"
          STREAM_WRITE(esi, 2)
          "jmp 2f\n"
          "1:\n"
          "push offset %c[ExtendedCountMarker]\n"
          STREAM_WRITE(esi, 2)
          "push edi\n"
          STREAM_WRITE(esi, 4)
          "2:\n"
          "pop esi\n"
          "pop edi\n"
          CONTINUE_AFTER(kStringCount23),
          RESUME_OF(kStringCount23), MARKER_OPERAND)

// --- Group 7: copies of 32-bit values and loads of the count ------------

HOOK_BODY(StringCount32_Hook24,
          "mov eax, [edx+4]\n"
          "mov ecx, [esp+0x14]\n"
          "mov [ecx], eax\n"
          CONTINUE_AFTER(kStringCount24),
          RESUME_OF(kStringCount24))

HOOK_BODY(StringCount32_Hook25,
          "mov edx, [eax+0x0C]\n"
          "push edi\n"
          CONTINUE_AFTER(kStringCount25),
          RESUME_OF(kStringCount25))

HOOK_BODY(StringCount32_Hook26,
          "mov eax, [edx]\n"
          "mov [esi+4], eax\n"
          CONTINUE_AFTER(kStringCount26),
          RESUME_OF(kStringCount26))

HOOK_BODY(StringCount32_Hook27,
          "mov ecx, [edx]\n"
          "pop esi\n"
          "pop edi\n"
          "mov [eax+4], ecx\n"
          CONTINUE_AFTER(kStringCount27),
          RESUME_OF(kStringCount27))

HOOK_BODY(StringCount32_Hook28,
          "mov edx, [ecx]\n"
          "mov eax, [esp+0x0C]\n"
          "mov [esi+4], edx\n"
          CONTINUE_AFTER(kStringCount28),
          RESUME_OF(kStringCount28))

HOOK_BODY(StringCount32_Hook29,
          "mov eax, [esi+0x0C]\n"
          "lea ecx, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringCount29),
          RESUME_OF(kStringCount29))

namespace {

// Groups 1 to 7, each in the order of its host routine's sites.
constexpr Patch kStringCountHooks[] = {
    {kStringCount1, &StringCount32_Hook1},    {kStringCount2, &StringCount32_Hook2},
    {kStringCount3, &StringCount32_Hook3},    {kStringCount4, &StringCount32_Hook4},
    {kStringCount5, &StringCount32_Hook5},    {kStringCount6, &StringCount32_Hook6},
    {kStringCount7, &StringCount32_Hook7},    {kStringCount8, &StringCount32_Hook8},
    {kStringCount9, &StringCount32_Hook9},    {kStringCount10, &StringCount32_Hook10},
    {kStringCount11, &StringCount32_Hook11},
    {kStringCount12, &StringCount32_Hook12}, {kStringCount13, &StringCount32_Hook13},
    {kStringCount14, &StringCount32_Hook14}, {kStringCount15, &StringCount32_Hook15},
    {kStringCount16, &StringCount32_Hook16}, {kStringCount17, &StringCount32_Hook17},
    {kStringCount18, &StringCount32_Hook18}, {kStringCount19, &StringCount32_Hook19},
    {kStringCount20, &StringCount32_Hook20},
    {kStringCount21, &StringCount32_Hook21},
    {kStringCount22, &StringCount32_Hook22}, {kStringCount23, &StringCount32_Hook23},
    {kStringCount24, &StringCount32_Hook24}, {kStringCount25, &StringCount32_Hook25},
    {kStringCount26, &StringCount32_Hook26}, {kStringCount27, &StringCount32_Hook27},
    {kStringCount28, &StringCount32_Hook28}, {kStringCount29, &StringCount32_Hook29},
};

}  // namespace

ApplyStatus ApplyStringCount32() { return InstallPatches(kStringCountHooks); }
