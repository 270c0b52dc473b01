#include "patch/fault_guard.h"

#include <windows.h>

#include "core/registry.h"

namespace {

struct FaultLanding {
  uintptr_t begin;
  uintptr_t end;
  uintptr_t landing;
};

// Filled while the library initialises, read by any faulting thread.
// Constant-initialised, so leaves of other sources may register first.
constinit Registry<FaultLanding, 16> g_faultLandings;
constinit bool g_faultLandingDropped = false;

// The part of the thread's stack not in use: from its bottom up to ESP. Data
// a leaf reads never lies there; a fault there is the stack running out. A
// host on a stack of its own making, outside the thread's bounds, has no
// such part.
bool InUnusedStack(uintptr_t address, uintptr_t esp) {
  const auto [bottom, top] = ThreadStackBounds();
  return esp >= bottom && esp < top && address >= bottom && address < esp;
}

// A thread whose ESP, within its own stack, has less than room left.
bool NearStackEnd(uintptr_t esp, uintptr_t room) {
  const auto [bottom, top] = ThreadStackBounds();
  return esp >= bottom && esp < top && esp - bottom < room;
}

// A landing stands for "the data could not be read". A write, a stack
// overflow, a guard page or a read where the stack runs out means the
// leaf's frame itself may be broken: its landing would pop words that were
// never pushed and return through a stray one. Those go on to the crash
// recorder instead.
//
// Under QEMU's user-mode emulation every page fault arrives as an illegal
// instruction with no address. The guarded leaves hold no such instruction,
// so there it is taken as a read, unless the stack is within a few pages of
// running out, where it may as well be a push that overflowed.
bool ReadOfGuardedData(const EXCEPTION_POINTERS& info) {
  constexpr ULONG_PTR kRead = 0;  // ExceptionInformation[0]: 0 read, 1 write, 8 execute
  constexpr uintptr_t kStackRoomForEmulatedFault = 4 * 4096;
  const EXCEPTION_RECORD& record = *info.ExceptionRecord;
  const uintptr_t esp = info.ContextRecord->Esp;
  if (record.ExceptionCode == EXCEPTION_ILLEGAL_INSTRUCTION) return !NearStackEnd(esp, kStackRoomForEmulatedFault);
  return record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2 &&
         record.ExceptionInformation[0] == kRead && !InUnusedStack(record.ExceptionInformation[1], esp);
}

LONG CALLBACK ResumeAtFaultLanding(EXCEPTION_POINTERS* info) {
  if (!ReadOfGuardedData(*info)) return EXCEPTION_CONTINUE_SEARCH;
  const uintptr_t eip = info->ContextRecord->Eip;
  for (const FaultLanding& guarded : g_faultLandings.Entries()) {
    if (eip >= guarded.begin && eip < guarded.end) {
      info->ContextRecord->Eip = static_cast<DWORD>(guarded.landing);
      return EXCEPTION_CONTINUE_EXECUTION;
    }
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

StackBounds ThreadStackBounds() {
  StackBounds bounds;
  asm("movl %%fs:0xE0C, %0" : "=r"(bounds.bottom));
  asm("movl %%fs:4, %0" : "=r"(bounds.top));
  return bounds;
}

void RegisterFaultLanding(const void* begin, const void* end, const void* landing) {
  static PVOID handler = AddVectoredExceptionHandler(1, ResumeAtFaultLanding);
  (void)handler;
  if (!g_faultLandings.Add({reinterpret_cast<uintptr_t>(begin), reinterpret_cast<uintptr_t>(end),
                            reinterpret_cast<uintptr_t>(landing)})) {
    g_faultLandingDropped = true;
  }
}

ApplyStatus FaultLandingsInPlace() {
  return g_faultLandingDropped ? RegistryFull("the fault landing table is full") : kApplied;
}

// bool GuardedReadWord(const void* p, uint32_t* out): a leaf without pushes,
// so its landing only has to answer false.
extern "C" char GuardedReadWord_Begin[], GuardedReadWord_End[], GuardedReadWord_Landing[];
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _GuardedReadWord, _GuardedReadWord_Begin, _GuardedReadWord_End, _GuardedReadWord_Landing
_GuardedReadWord_Begin:
_GuardedReadWord:
  mov ecx, [esp+4]
  mov eax, [ecx]
  mov ecx, [esp+8]
  mov [ecx], eax
  mov eax, 1
  ret
_GuardedReadWord_End:
_GuardedReadWord_Landing:
  xor eax, eax
  ret
  .att_syntax prefix
)");

namespace {
[[maybe_unused]] const bool g_readGuardRegistered =
    (RegisterFaultLanding(GuardedReadWord_Begin, GuardedReadWord_End, GuardedReadWord_Landing), true);
}

// uint32_t GuardedCall(fn, arg, faulted): pushes an exception registration
// {previous, handler} and the frame pointer, so the handler can put ESP and
// EBP back and resume at the landing, which unlinks the record again.
extern "C" EXCEPTION_DISPOSITION __cdecl GuardedCall_Handler(EXCEPTION_RECORD*, void*, CONTEXT*, void*);
extern "C" char GuardedCall_Landing[];
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _GuardedCall, _GuardedCall_Landing
_GuardedCall:
  push ebp
  mov ebp, esp
  push ebx
  push esi
  push edi
  push ebp
  push offset _GuardedCall_Handler
  push dword ptr fs:[0]
  mov fs:[0], esp
  push dword ptr [ebp+12]
  call dword ptr [ebp+8]
  add esp, 4
  mov ecx, [ebp+16]
  mov byte ptr [ecx], 0
GuardedCall_Leave:
  mov ecx, [ebp-24]
  mov fs:[0], ecx
  lea esp, [ebp-12]
  pop edi
  pop esi
  pop ebx
  pop ebp
  ret
_GuardedCall_Landing:
  mov ecx, [ebp+16]
  mov byte ptr [ecx], 1
  xor eax, eax
  jmp GuardedCall_Leave
  .att_syntax prefix
)");

extern "C" EXCEPTION_DISPOSITION __cdecl GuardedCall_Handler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                              void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  auto* registration = static_cast<DWORD*>(frame);  // {previous, handler, saved EBP}
  context->Ebp = registration[2];
  context->Esp = reinterpret_cast<DWORD>(registration);
  context->Eip = reinterpret_cast<DWORD>(GuardedCall_Landing);
  return ExceptionContinueExecution;
}

// Switches ESP and the TEB's stack bounds (StackBase, StackLimit and
// DeallocationStack) to the reserve, as switching to a fiber would, and
// back after the call.
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _RunOnReserveStack
_RunOnReserveStack:
  push ebp
  mov ebp, esp
  push dword ptr fs:[4]
  push dword ptr fs:[8]
  push dword ptr fs:[0xE0C]
  mov eax, [ebp+16]
  mov ecx, [ebp+20]
  mov fs:[4], eax
  mov fs:[8], ecx
  mov fs:[0xE0C], ecx
  mov esp, eax
  push dword ptr [ebp+12]
  call dword ptr [ebp+8]
  lea esp, [ebp-12]
  pop dword ptr fs:[0xE0C]
  pop dword ptr fs:[8]
  pop dword ptr fs:[4]
  pop ebp
  ret
  .att_syntax prefix
)");
