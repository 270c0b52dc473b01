#include "sim/runner.h"

#include "sim/host_memory.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <vector>

namespace sim {
namespace {

// Laid out for the assembly below; the offsets are checked at compile time.
struct RunFrame {
  uint32_t entry;          // 0
  uint32_t eax, ebx, ecx, edx, esi, edi, ebp;  // 4 .. 28
  uint32_t eflags;         // 32
  const uint32_t* words;   // 36
  uint32_t wordCount;      // 40
  uint32_t entryEsp;       // 44
  Landing* landing;        // 48
};
static_assert(offsetof(RunFrame, eflags) == 32 && offsetof(RunFrame, words) == 36 &&
              offsetof(RunFrame, entryEsp) == 44);

constexpr uint32_t kWordArea = 0x400;  // room above the entry ESP for the stack words

}  // namespace
}  // namespace sim

extern "C" void __cdecl RunHostRaw(sim::RunFrame* frame);
extern "C" char RunHostRaw_Exit[];

// Registers {previous, handler, frame} as an exception registration on this
// thread's stack, copies the stack words above the entry ESP, loads the
// registers and flags, and returns into the entry. The handler brings ESP
// back to the registration and resumes at the exit.
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _RunHostRaw, _RunHostRaw_Exit
_RunHostRaw:
  push ebp
  push ebx
  push esi
  push edi
  mov eax, [esp+20]
  push eax
  push offset _RunHostRaw_Handler
  push dword ptr fs:[0]
  mov fs:[0], esp
  lea edx, [esp-0x400]
  mov [eax+44], edx
  mov ecx, [eax+40]
  mov esi, [eax+36]
  mov edi, edx
  cld
  rep movsd
  mov ecx, [eax]
  mov [edx-4], ecx
  mov ecx, [eax+32]
  mov [edx-8], ecx
  lea esp, [edx-8]
  mov ebx, [eax+8]
  mov ecx, [eax+12]
  mov edx, [eax+16]
  mov esi, [eax+20]
  mov edi, [eax+24]
  mov ebp, [eax+28]
  mov eax, [eax+4]
  popfd
  ret
_RunHostRaw_Exit:
  pop ecx
  mov fs:[0], ecx
  add esp, 8
  pop edi
  pop esi
  pop ebx
  pop ebp
  ret
  .att_syntax prefix
)");

extern "C" EXCEPTION_DISPOSITION __cdecl RunHostRaw_Handler(EXCEPTION_RECORD* record, void* registration,
                                                             CONTEXT* context, void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  auto* frame = static_cast<sim::RunFrame**>(registration)[2];
  sim::Landing& out = *frame->landing;
  out.exception = record->ExceptionCode;
  out.address = record->ExceptionCode == EXCEPTION_BREAKPOINT
                    ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record->ExceptionAddress))
                    : context->Eip;
  out.entryEsp = frame->entryEsp;
  out.regs = {context->Eax, context->Ebx, context->Ecx, context->Edx, context->Esi,
              context->Edi, context->Ebp, context->Esp, context->EFlags};
  for (int i = 0; i < 16; ++i) {
    const uint32_t* word = reinterpret_cast<const uint32_t*>(context->Esp) + i;
    out.stackCopy[i] = reinterpret_cast<uintptr_t>(word) < reinterpret_cast<uintptr_t>(registration) ? *word : 0;
  }
  context->Esp = reinterpret_cast<DWORD>(registration);
  context->Eip = reinterpret_cast<DWORD>(RunHostRaw_Exit);
  context->EFlags &= ~0x500u;  // no trap flag, direction up
  return ExceptionContinueExecution;
}

namespace sim {

uint32_t Landing::Stack(int index) const { return index >= 0 && index < 16 ? stackCopy[index] : 0; }

std::string Landing::Describe() const {
  char text[256];
  std::snprintf(text, sizeof text,
                "landed at 0x%X (exception 0x%X) EAX=%X EBX=%X ECX=%X EDX=%X ESI=%X EDI=%X EBP=%X ESP=%X "
                "(entry %X) EFL=%X",
                address, exception, regs.eax, regs.ebx, regs.ecx, regs.edx, regs.esi, regs.edi, regs.ebp,
                regs.esp, entryEsp, regs.eflags);
  return text;
}

namespace {
// Windows reports a breakpoint at the INT3 itself; some platforms report the
// address after it. Measured once on a known trap.
uint32_t BreakpointReportOffset() {
  static const uint32_t offset = [] {
    Landing probe;
    RunFrame frame{kReturnProbe, 0, 0, 0, 0, 0, 0, 0, 0x202, nullptr, 0, 0, &probe};
    RunHostRaw(&frame);
    return probe.address - kReturnProbe;
  }();
  return offset;
}
}  // namespace

Landing RunHost(uint32_t entry, const Registers& in, std::initializer_list<uint32_t> stack) {
  const uint32_t reportOffset = BreakpointReportOffset();
  Landing landing;
  std::vector<uint32_t> words(stack);
  if (words.size() > kWordArea / 4) words.resize(kWordArea / 4);
  RunFrame frame{entry, in.eax, in.ebx, in.ecx, in.edx, in.esi, in.edi, in.ebp,
                 (in.eflags & kArithmeticFlags) | 0x202, words.data(), static_cast<uint32_t>(words.size()),
                 0, &landing};
  RunHostRaw(&frame);
  if (landing.exception == kBreakpoint) landing.address -= reportOffset;
  return landing;
}

}  // namespace sim
