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

constexpr uint32_t kCountReadCheck = kStringTableLoadCountTest.site;
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


HOOK_BODY(StringTableLoadCountStore_Body,
          "mov [esi+0x0C], eax\n"
          "mov edx, [ebx]\n"
          CONTINUE_AFTER(kStringTableLoadCountStore),
          RESUME_OF(kStringTableLoadCountStore))

// The host has just read the count as two bytes into [ESP+0x0C]; the marker
// there means the real count follows as four bytes. A failed read takes the
// host's own failure test at kStringTableLoadCountTest with the zero flag clear.
HOOK_BODY(StringTableLoadCountRead_Body,
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
          CONTINUE_AFTER(kStringTableLoadCountRead)
          "2:\n"
          CONTINUE_AT(kCountReadCheck),
          RESUME_OF(kStringTableLoadCountRead), HOST_ADDRESS(kCountReadCheck))

// The zero flag on arrival is the outcome of the count read, which the host
// keeps in byte [ESP+9].
HOOK_BODY(StringTableLoadCountTest_Body,
          "mov eax, [esi+0x0C]\n"
          "sete cl\n"
          "mov [esp+9], cl\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov edx, dword ptr [%c[kStringTableHeap]]\n"
          "mov ecx, [esp+0x18]\n"
          CONTINUE_AFTER(kStringTableLoadCountTest)
          "1:\n"
          CONTINUE_AT(kEmptyTableRead),
          RESUME_OF(kStringTableLoadCountTest), HOST_ADDRESS(kEmptyTableRead), [kStringTableHeap] "i"(kStringTableHeap))

HOOK_BODY(StringTableLoadCountCompare_Body,
          "mov [esi+8], eax\n"
          "cmp ecx, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringTableLoadCountCompare),
          RESUME_OF(kStringTableLoadCountCompare))

HOOK_BODY(StringTableLoadEntryIndex_Body,
          "mov edx, edi\n"
          "lea ebp, [eax+edx*4]\n"
          CONTINUE_AFTER(kStringTableLoadEntryIndex),
          RESUME_OF(kStringTableLoadEntryIndex))

HOOK_BODY(StringTableLoadNextIndex_Body,
          "add edi, 1\n"
          "cmp edi, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringTableLoadNextIndex),
          RESUME_OF(kStringTableLoadNextIndex))

HOOK_BODY(StringTableLoadCountFetch_Body,
          "mov ecx, [esi+0x0C]\n"
          "mov edi, eax\n"
          CONTINUE_AFTER(kStringTableLoadCountFetch),
          RESUME_OF(kStringTableLoadCountFetch))

HOOK_BODY(StringTableLoadIndexFetch_Body,
          "mov ecx, [esp+0x24]\n"
          CONTINUE_AFTER(kStringTableLoadIndexFetch),
          RESUME_OF(kStringTableLoadIndexFetch))

HOOK_BODY(StringTableLoadIndexCopy_Body,
          "mov edx, [esi]\n"
          "mov ecx, ebp\n"
          CONTINUE_AFTER(kStringTableLoadIndexCopy),
          RESUME_OF(kStringTableLoadIndexCopy))

HOOK_BODY(StringTableLoadIndexStore_Body,
          "mov [esp+0x24], ebp\n"
          "cmp ebp, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringTableLoadIndexStore),
          RESUME_OF(kStringTableLoadIndexStore))

HOOK_BODY(StringTableLoadIndexReload_Body,
          "mov eax, [esp+0x24]\n"
          CONTINUE_AFTER(kStringTableLoadIndexReload),
          RESUME_OF(kStringTableLoadIndexReload))

// --- Group 2: writing the table to a stream -----------------------------

HOOK_BODY(StringTableSaveCountFetch_Body,
          "mov ecx, [eax+0x0C]\n"
          "push edi\n"
          CONTINUE_AFTER(kStringTableSaveCountFetch),
          RESUME_OF(kStringTableSaveCountFetch))

// Writes the count at [ESP+0x10] to the stream in EDI; the host tests the
// result of the last write in EAX.
HOOK_BODY(StringTableSaveCountWrite_Body,
          JUMP_IF_EXTENDED("dword ptr [esp+0x10]", "1f")
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          STREAM_WRITE(edi, 2)
          CONTINUE_AFTER(kStringTableSaveCountWrite)
          "1:\n"
          "push offset %c[ExtendedCountMarker]\n"
          STREAM_WRITE(edi, 2)
          "lea eax, [esp+0x10]\n"
          "push eax\n"
          STREAM_WRITE(edi, 4)
          CONTINUE_AFTER(kStringTableSaveCountWrite),
          RESUME_OF(kStringTableSaveCountWrite), MARKER_OPERAND)

// --- Group 3: a walk over the table -------------------------------------

HOOK_BODY(StringTableWalkFirstCompare_Body,
          "xor edi, edi\n"
          "cmp eax, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringTableWalkFirstCompare),
          RESUME_OF(kStringTableWalkFirstCompare))

HOOK_BODY(StringTableWalkIndexCopy_Body,
          "mov edx, [esi+8]\n"
          "mov ecx, edi\n"
          CONTINUE_AFTER(kStringTableWalkIndexCopy),
          RESUME_OF(kStringTableWalkIndexCopy))

HOOK_BODY(StringTableWalkNextIndex_Body,
          "add edi, 1\n"
          "cmp edi, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringTableWalkNextIndex),
          RESUME_OF(kStringTableWalkNextIndex))

HOOK_BODY(StringTableWalkCountStore_Body,
          "mov [esi+0x0C], ecx\n"
          "pop esi\n"
          CONTINUE_AFTER(kStringTableWalkCountStore),
          RESUME_OF(kStringTableWalkCountStore))

// --- Group 4: reading an index ------------------------------------------

// The host's two-byte read (function in EDX, arguments pushed, slot address
// in ECX) fills only the low word; clearing the whole slot first keeps the
// index free of stale high bits.
HOOK_BODY(StringTableIndexRead_Body,
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
          CONTINUE_AFTER(kStringTableIndexRead),
          RESUME_OF(kStringTableIndexRead))

HOOK_BODY(StringTableIndexFetch_Body,
          "mov eax, [esp+0x0C]\n"
          CONTINUE_AFTER(kStringTableIndexFetch),
          RESUME_OF(kStringTableIndexFetch))

// Unsigned, so that no index can pass as a negative one below the count.
HOOK_BODY(StringTableIndexRangeCheck_Body,
          "mov eax, [esp+0x10]\n"
          "cmp eax, [edi+0x0C]\n"
          "jae 1f\n"
          "mov esi, eax\n"
          CONTINUE_AFTER(kStringTableIndexRangeCheck)
          "1:\n"
          CONTINUE_AT(kIndexOutOfRange),
          RESUME_OF(kStringTableIndexRangeCheck), HOST_ADDRESS(kIndexOutOfRange))

// --- Group 5: another index read ----------------------------------------

// As the index read, the slot (at [ESP+0x0C] while the read's two arguments are
// pushed) is cleared first: the host goes on to use all 32 bits of it, and a
// two-byte read would leave whatever high word the stack held before.
HOOK_BODY(StringTableOtherIndexRead_Body,
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
          CONTINUE_AFTER(kStringTableOtherIndexRead),
          RESUME_OF(kStringTableOtherIndexRead))

// --- Group 6: writing an index ------------------------------------------

HOOK_BODY(StringTableIndexWriteFetch_Body,
          "mov edx, [esp+8]\n"
          CONTINUE_AFTER(kStringTableIndexWriteFetch),
          RESUME_OF(kStringTableIndexWriteFetch))

// Writes the value at [ESP+4] to the stream in ECX. EDI and ESI carry the
// value's address and the stream across the calls and are given back.
HOOK_BODY(StringTableIndexWrite_Body,
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
          CONTINUE_AFTER(kStringTableIndexWrite),
          RESUME_OF(kStringTableIndexWrite), MARKER_OPERAND)

// --- Group 7: copies of 32-bit values and loads of the count ------------

HOOK_BODY(StringTableCopyToSlot_Body,
          "mov eax, [edx+4]\n"
          "mov ecx, [esp+0x14]\n"
          "mov [ecx], eax\n"
          CONTINUE_AFTER(kStringTableCopyToSlot),
          RESUME_OF(kStringTableCopyToSlot))

HOOK_BODY(StringTableCopyCountFetch_Body,
          "mov edx, [eax+0x0C]\n"
          "push edi\n"
          CONTINUE_AFTER(kStringTableCopyCountFetch),
          RESUME_OF(kStringTableCopyCountFetch))

HOOK_BODY(StringTableCopyToField_Body,
          "mov eax, [edx]\n"
          "mov [esi+4], eax\n"
          CONTINUE_AFTER(kStringTableCopyToField),
          RESUME_OF(kStringTableCopyToField))

HOOK_BODY(StringTableCopyToFieldAndPop_Body,
          "mov ecx, [edx]\n"
          "pop esi\n"
          "pop edi\n"
          "mov [eax+4], ecx\n"
          CONTINUE_AFTER(kStringTableCopyToFieldAndPop),
          RESUME_OF(kStringTableCopyToFieldAndPop))

HOOK_BODY(StringTableCopyToFieldFromSlot_Body,
          "mov edx, [ecx]\n"
          "mov eax, [esp+0x0C]\n"
          "mov [esi+4], edx\n"
          CONTINUE_AFTER(kStringTableCopyToFieldFromSlot),
          RESUME_OF(kStringTableCopyToFieldFromSlot))

HOOK_BODY(StringTableCountAndAddressFetch_Body,
          "mov eax, [esi+0x0C]\n"
          "lea ecx, [esi+0x0C]\n"
          CONTINUE_AFTER(kStringTableCountAndAddressFetch),
          RESUME_OF(kStringTableCountAndAddressFetch))

namespace {

// Groups 1 to 7, each in the order of its host routine's sites.
constexpr Patch kStringCountHooks[] = {
    {kStringTableLoadCountStore, &StringTableLoadCountStore_Body},
    {kStringTableLoadCountRead, &StringTableLoadCountRead_Body},
    {kStringTableLoadCountTest, &StringTableLoadCountTest_Body},
    {kStringTableLoadCountCompare, &StringTableLoadCountCompare_Body},
    {kStringTableLoadEntryIndex, &StringTableLoadEntryIndex_Body},
    {kStringTableLoadNextIndex, &StringTableLoadNextIndex_Body},
    {kStringTableLoadCountFetch, &StringTableLoadCountFetch_Body},
    {kStringTableLoadIndexFetch, &StringTableLoadIndexFetch_Body},
    {kStringTableLoadIndexCopy, &StringTableLoadIndexCopy_Body},
    {kStringTableLoadIndexStore, &StringTableLoadIndexStore_Body},
    {kStringTableLoadIndexReload, &StringTableLoadIndexReload_Body},
    {kStringTableSaveCountFetch, &StringTableSaveCountFetch_Body},
    {kStringTableSaveCountWrite, &StringTableSaveCountWrite_Body},
    {kStringTableWalkFirstCompare, &StringTableWalkFirstCompare_Body},
    {kStringTableWalkIndexCopy, &StringTableWalkIndexCopy_Body},
    {kStringTableWalkNextIndex, &StringTableWalkNextIndex_Body},
    {kStringTableWalkCountStore, &StringTableWalkCountStore_Body},
    {kStringTableIndexRead, &StringTableIndexRead_Body},
    {kStringTableIndexFetch, &StringTableIndexFetch_Body},
    {kStringTableIndexRangeCheck, &StringTableIndexRangeCheck_Body},
    {kStringTableOtherIndexRead, &StringTableOtherIndexRead_Body},
    {kStringTableIndexWriteFetch, &StringTableIndexWriteFetch_Body},
    {kStringTableIndexWrite, &StringTableIndexWrite_Body},
    {kStringTableCopyToSlot, &StringTableCopyToSlot_Body},
    {kStringTableCopyCountFetch, &StringTableCopyCountFetch_Body},
    {kStringTableCopyToField, &StringTableCopyToField_Body},
    {kStringTableCopyToFieldAndPop, &StringTableCopyToFieldAndPop_Body},
    {kStringTableCopyToFieldFromSlot, &StringTableCopyToFieldFromSlot_Body},
    {kStringTableCountAndAddressFetch, &StringTableCountAndAddressFetch_Body},
};

}  // namespace

ApplyStatus ApplyStringCount32() { return InstallPatches(kStringCountHooks); }
