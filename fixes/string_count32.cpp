// The host keeps the entry count of its string table, and the indices into
// it, as 16-bit values in memory and in streams. These hooks widen every
// place we patch to 32 bits, and give streams a longer form for values that
// no longer fit: two bytes 0xFFFF, then the 32-bit value. Values up to 0xFFF0
// keep the host's own two-byte form, so streams without large tables read
// the same with and without the option.
#include <cstdint>

#include "plugin/apply.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

namespace {

// Group 1: reading the table from a stream.
constexpr uint32_t kHook1Site = 0xC3FF10;
constexpr uint32_t kHook1Resume = 0xC3FF16;
constexpr uint32_t kHook2Site = 0xC3FF28;
constexpr uint32_t kHook2Resume = 0xC3FF31;
constexpr uint32_t kHook3Site = 0xC3FF48;     // where the host tests the count read's result
constexpr uint32_t kHook3Resume = 0xC3FF69;
constexpr uint32_t kEmptyTableRead = 0xC40146;
constexpr uint32_t kHook4Site = 0xC3FF7A;
constexpr uint32_t kHook4Resume = 0xC3FF81;
constexpr uint32_t kHook5Site = 0xC3FF86;
constexpr uint32_t kHook5Resume = 0xC3FF8C;
constexpr uint32_t kHook6Site = 0xC3FFC8;
constexpr uint32_t kHook6Resume = 0xC3FFCD;
constexpr uint32_t kHook7Site = 0xC40004;
constexpr uint32_t kHook7Resume = 0xC4000A;
constexpr uint32_t kHook8Site = 0xC400D8;
constexpr uint32_t kHook8Resume = 0xC400DD;
constexpr uint32_t kHook9Site = 0xC400F6;
constexpr uint32_t kHook9Resume = 0xC400FB;
constexpr uint32_t kHook10Site = 0xC4010E;
constexpr uint32_t kHook10Resume = 0xC40116;
constexpr uint32_t kHook11Site = 0xC4012A;
constexpr uint32_t kHook11Resume = 0xC4012F;
constexpr uint32_t kStringTableHeap = 0x110D124;  // host global handed on in EDX
// Group 2: writing the table to a stream.
constexpr uint32_t kHook12Site = 0xC403B9;
constexpr uint32_t kHook12Resume = 0xC403BE;
constexpr uint32_t kHook13Site = 0xC403E3;
constexpr uint32_t kHook13Resume = 0xC403F3;
// Group 3: a walk over the table.
constexpr uint32_t kHook14Site = 0xC3FC10;
constexpr uint32_t kHook14Resume = 0xC3FC16;
constexpr uint32_t kHook15Site = 0xC3FC20;
constexpr uint32_t kHook15Resume = 0xC3FC26;
constexpr uint32_t kHook16Site = 0xC3FC2E;
constexpr uint32_t kHook16Resume = 0xC3FC33;
constexpr uint32_t kHook17Site = 0xC3FC5E;
constexpr uint32_t kHook17Resume = 0xC3FC63;
// Group 4: reading an index.
constexpr uint32_t kHook18Site = 0xC40168;
constexpr uint32_t kHook18Resume = 0xC40170;
constexpr uint32_t kHook19Site = 0xC40172;
constexpr uint32_t kHook19Resume = 0xC40177;
constexpr uint32_t kHook20Site = 0xC40192;
constexpr uint32_t kHook20Resume = 0xC401A0;
constexpr uint32_t kIndexOutOfRange = 0xC401E3;
// Group 5: another index read.
constexpr uint32_t kHook21Site = 0xC402A4;
constexpr uint32_t kHook21Resume = 0xC402AA;
// Group 6: writing an index.
constexpr uint32_t kHook22Site = 0xC40758;
constexpr uint32_t kHook22Resume = 0xC4075D;
constexpr uint32_t kHook23Site = 0xC4077E;
constexpr uint32_t kHook23Resume = 0xC4078C;
// Group 7: copies of 32-bit values and loads of the count.
constexpr uint32_t kHook24Site = 0xC41A56;
constexpr uint32_t kHook24Resume = 0xC41A61;
constexpr uint32_t kHook25Site = 0xC40983;
constexpr uint32_t kHook25Resume = 0xC40988;
constexpr uint32_t kHook26Site = 0xC41B8B;
constexpr uint32_t kHook26Resume = 0xC41B92;
constexpr uint32_t kHook27Site = 0xC41C0C;
constexpr uint32_t kHook27Resume = 0xC41C15;
constexpr uint32_t kHook28Site = 0xC41AD9;
constexpr uint32_t kHook28Resume = 0xC41AE4;
constexpr uint32_t kHook29Site = 0xC40ED5;
constexpr uint32_t kHook29Resume = 0xC40EDC;

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

// --- Group 1 -------------------------------------------------------------

HOOK_BODY(StringCount32_Hook1,
          "mov [esi+0x0C], eax\n"
          "mov edx, [ebx]\n"
          CONTINUE_AT(kHook1Resume),
          HOST_ADDRESS(kHook1Resume))

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
          CONTINUE_AT(kHook2Resume)
          "2:\n"
          CONTINUE_AT(kHook3Site),
          HOST_ADDRESS(kHook2Resume), HOST_ADDRESS(kHook3Site))

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
          CONTINUE_AT(kHook3Resume)
          "1:\n"
          CONTINUE_AT(kEmptyTableRead),
          HOST_ADDRESS(kHook3Resume), HOST_ADDRESS(kEmptyTableRead), [kStringTableHeap] "i"(kStringTableHeap))

HOOK_BODY(StringCount32_Hook4,
          "mov [esi+8], eax\n"
          "cmp ecx, [esi+0x0C]\n"
          CONTINUE_AT(kHook4Resume),
          HOST_ADDRESS(kHook4Resume))

HOOK_BODY(StringCount32_Hook5,
          "mov edx, edi\n"
          "lea ebp, [eax+edx*4]\n"
          CONTINUE_AT(kHook5Resume),
          HOST_ADDRESS(kHook5Resume))

HOOK_BODY(StringCount32_Hook6,
          "add edi, 1\n"
          "cmp edi, [esi+0x0C]\n"
          CONTINUE_AT(kHook6Resume),
          HOST_ADDRESS(kHook6Resume))

HOOK_BODY(StringCount32_Hook7,
          "mov ecx, [esi+0x0C]\n"
          "mov edi, eax\n"
          CONTINUE_AT(kHook7Resume),
          HOST_ADDRESS(kHook7Resume))

HOOK_BODY(StringCount32_Hook8,
          "mov ecx, [esp+0x24]\n"
          CONTINUE_AT(kHook8Resume),
          HOST_ADDRESS(kHook8Resume))

HOOK_BODY(StringCount32_Hook9,
          "mov edx, [esi]\n"
          "mov ecx, ebp\n"
          CONTINUE_AT(kHook9Resume),
          HOST_ADDRESS(kHook9Resume))

HOOK_BODY(StringCount32_Hook10,
          "mov [esp+0x24], ebp\n"
          "cmp ebp, [esi+0x0C]\n"
          CONTINUE_AT(kHook10Resume),
          HOST_ADDRESS(kHook10Resume))

HOOK_BODY(StringCount32_Hook11,
          "mov eax, [esp+0x24]\n"
          CONTINUE_AT(kHook11Resume),
          HOST_ADDRESS(kHook11Resume))

// --- Group 2 -------------------------------------------------------------

HOOK_BODY(StringCount32_Hook12,
          "mov ecx, [eax+0x0C]\n"
          "push edi\n"
          CONTINUE_AT(kHook12Resume),
          HOST_ADDRESS(kHook12Resume))

// Writes the count at [ESP+0x10] to the stream in EDI; the host tests the
// result of the last write in EAX.
HOOK_BODY(StringCount32_Hook13,
          JUMP_IF_EXTENDED("dword ptr [esp+0x10]", "1f")
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          STREAM_WRITE(edi, 2)
          CONTINUE_AT(kHook13Resume)
          "1:\n"
          "push offset %c[ExtendedCountMarker]\n"
          STREAM_WRITE(edi, 2)
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          STREAM_WRITE(edi, 4)
          CONTINUE_AT(kHook13Resume),
          HOST_ADDRESS(kHook13Resume), MARKER_OPERAND)

// --- Group 3 -------------------------------------------------------------

HOOK_BODY(StringCount32_Hook14,
          "xor edi, edi\n"
          "cmp eax, [esi+0x0C]\n"
          CONTINUE_AT(kHook14Resume),
          HOST_ADDRESS(kHook14Resume))

HOOK_BODY(StringCount32_Hook15,
          "mov edx, [esi+8]\n"
          "mov ecx, edi\n"
          CONTINUE_AT(kHook15Resume),
          HOST_ADDRESS(kHook15Resume))

HOOK_BODY(StringCount32_Hook16,
          "add edi, 1\n"
          "cmp edi, [esi+0x0C]\n"
          CONTINUE_AT(kHook16Resume),
          HOST_ADDRESS(kHook16Resume))

HOOK_BODY(StringCount32_Hook17,
          "mov [esi+0x0C], ecx\n"
          "pop esi\n"
          CONTINUE_AT(kHook17Resume),
          HOST_ADDRESS(kHook17Resume))

// --- Group 4 -------------------------------------------------------------

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
          CONTINUE_AT(kHook18Resume),
          HOST_ADDRESS(kHook18Resume))

HOOK_BODY(StringCount32_Hook19,
          "mov eax, [esp+0x0C]\n"
          CONTINUE_AT(kHook19Resume),
          HOST_ADDRESS(kHook19Resume))

// Unsigned, so that no index can pass as a negative one below the count.
HOOK_BODY(StringCount32_Hook20,
          "mov eax, [esp+0x10]\n"
          "cmp eax, [edi+0x0C]\n"
          "jae 1f\n"
          "mov esi, eax\n"
          CONTINUE_AT(kHook20Resume)
          "1:\n"
          CONTINUE_AT(kIndexOutOfRange),
          HOST_ADDRESS(kHook20Resume), HOST_ADDRESS(kIndexOutOfRange))

// --- Group 5 -------------------------------------------------------------

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
          CONTINUE_AT(kHook21Resume),
          HOST_ADDRESS(kHook21Resume))

// --- Group 6 -------------------------------------------------------------

HOOK_BODY(StringCount32_Hook22,
          "mov edx, [esp+8]\n"
          CONTINUE_AT(kHook22Resume),
          HOST_ADDRESS(kHook22Resume))

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
          CONTINUE_AT(kHook23Resume),
          HOST_ADDRESS(kHook23Resume), MARKER_OPERAND)

// --- Group 7 -------------------------------------------------------------

HOOK_BODY(StringCount32_Hook24,
          "mov eax, [edx+4]\n"
          "mov ecx, [esp+0x14]\n"
          "mov [ecx], eax\n"
          CONTINUE_AT(kHook24Resume),
          HOST_ADDRESS(kHook24Resume))

HOOK_BODY(StringCount32_Hook25,
          "mov edx, [eax+0x0C]\n"
          "push edi\n"
          CONTINUE_AT(kHook25Resume),
          HOST_ADDRESS(kHook25Resume))

HOOK_BODY(StringCount32_Hook26,
          "mov eax, [edx]\n"
          "mov [esi+4], eax\n"
          CONTINUE_AT(kHook26Resume),
          HOST_ADDRESS(kHook26Resume))

HOOK_BODY(StringCount32_Hook27,
          "mov ecx, [edx]\n"
          "pop esi\n"
          "pop edi\n"
          "mov [eax+4], ecx\n"
          CONTINUE_AT(kHook27Resume),
          HOST_ADDRESS(kHook27Resume))

HOOK_BODY(StringCount32_Hook28,
          "mov edx, [ecx]\n"
          "mov eax, [esp+0x0C]\n"
          "mov [esi+4], edx\n"
          CONTINUE_AT(kHook28Resume),
          HOST_ADDRESS(kHook28Resume))

HOOK_BODY(StringCount32_Hook29,
          "mov eax, [esi+0x0C]\n"
          "lea ecx, [esi+0x0C]\n"
          CONTINUE_AT(kHook29Resume),
          HOST_ADDRESS(kHook29Resume))

namespace {

struct StringCountHook {
  uint32_t site;
  uint32_t resume;
  void (*body)();
};

// Groups 1 to 7, each in the order of its host routine's sites.
constexpr StringCountHook kStringCountHooks[] = {
    {kHook1Site, kHook1Resume, &StringCount32_Hook1},    {kHook2Site, kHook2Resume, &StringCount32_Hook2},
    {kHook3Site, kHook3Resume, &StringCount32_Hook3},    {kHook4Site, kHook4Resume, &StringCount32_Hook4},
    {kHook5Site, kHook5Resume, &StringCount32_Hook5},    {kHook6Site, kHook6Resume, &StringCount32_Hook6},
    {kHook7Site, kHook7Resume, &StringCount32_Hook7},    {kHook8Site, kHook8Resume, &StringCount32_Hook8},
    {kHook9Site, kHook9Resume, &StringCount32_Hook9},    {kHook10Site, kHook10Resume, &StringCount32_Hook10},
    {kHook11Site, kHook11Resume, &StringCount32_Hook11},
    {kHook12Site, kHook12Resume, &StringCount32_Hook12}, {kHook13Site, kHook13Resume, &StringCount32_Hook13},
    {kHook14Site, kHook14Resume, &StringCount32_Hook14}, {kHook15Site, kHook15Resume, &StringCount32_Hook15},
    {kHook16Site, kHook16Resume, &StringCount32_Hook16}, {kHook17Site, kHook17Resume, &StringCount32_Hook17},
    {kHook18Site, kHook18Resume, &StringCount32_Hook18}, {kHook19Site, kHook19Resume, &StringCount32_Hook19},
    {kHook20Site, kHook20Resume, &StringCount32_Hook20},
    {kHook21Site, kHook21Resume, &StringCount32_Hook21},
    {kHook22Site, kHook22Resume, &StringCount32_Hook22}, {kHook23Site, kHook23Resume, &StringCount32_Hook23},
    {kHook24Site, kHook24Resume, &StringCount32_Hook24}, {kHook25Site, kHook25Resume, &StringCount32_Hook25},
    {kHook26Site, kHook26Resume, &StringCount32_Hook26}, {kHook27Site, kHook27Resume, &StringCount32_Hook27},
    {kHook28Site, kHook28Resume, &StringCount32_Hook28}, {kHook29Site, kHook29Resume, &StringCount32_Hook29},
};

}  // namespace

void ApplyStringCount32() {
  for (const StringCountHook& hook : kStringCountHooks) {
    WriteJump(hook.site, hook.resume, reinterpret_cast<const void*>(hook.body));
  }
}
