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

LONG CALLBACK ResumeAtFaultLanding(EXCEPTION_POINTERS* info) {
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
