#include <algorithm>
#include <cstring>
#include <malloc.h>

#include "diagnostics/debug_stream_sites.h"
#include "diagnostics/warning_sites.h"
#include "sim/host_diagnostics.h"
#include "sim/host_memory.h"

namespace sim {
namespace {

constexpr uint32_t kPageSize = 0x1000;
constexpr size_t kFaultStackArea = 64 * 1024;
constexpr size_t kOwnStackRoom = 5 * 1024;

uint32_t g_fileOpenCalls = 0;
uint32_t g_streamReadCalls = 0;
StreamRead g_lastStreamRead;
std::function<void()> g_streamReadAction;
uint32_t g_combatStyleResult = 0;
uint32_t g_combatStyleCalls = 0;
const uint32_t g_zeroDivisor = 0;

// What the fault entry loads, in this order.
struct FaultEntry {
  uint32_t eax, ebx, ecx, edx, esi, edi, ebp, esp, eflags, eip;
} g_faultEntry;

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI SimHostSetFilterImport(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
  return SetUnhandledExceptionFilter(filter);
}

extern "C" uint32_t __cdecl SimHostFileOpen() {
  ++g_fileOpenCalls;
  return kFileOpenResult;
}

extern "C" __attribute__((thiscall)) uint32_t SimHostStreamRead(void* stream, uint32_t first, uint32_t second) {
  ++g_streamReadCalls;
  g_lastStreamRead = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(stream)), first, second};
  if (g_streamReadAction) g_streamReadAction();
  return StreamReadResult(first, second);
}

extern "C" uint32_t __cdecl SimHostGetCombatStyle() {
  ++g_combatStyleCalls;
  return g_combatStyleResult;
}

void PlaceCall(uint32_t site, uint32_t target) {
  PlaceBytes(site, {0xE8});
  PlaceWord(site + 1, target - (site + 5));
}

void PlaceDiagnosticsRoutines() {
  PlaceWord(host::kSetFilterImportSlot.site, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&SimHostSetFilterImport)));
  PlaceJump(host::kOpenFile, reinterpret_cast<const void*>(&SimHostFileOpen));
  PlaceJump(host::kStreamRead, reinterpret_cast<const void*>(&SimHostStreamRead));
  PlaceJump(host::kGetCombatStyle, reinterpret_cast<const void*>(&SimHostGetCombatStyle));
  PlaceCall(host::kDebugStreamOpenFile.site, host::kOpenFile);
  PlaceCall(host::kDebugStreamStreamRead.site, host::kStreamRead);
  PlaceCall(host::kCombatStyle.site, host::kGetCombatStyle);
  PlaceBytes(host::kDebugStreamStringSet.site, {0x8B, 0x47, 0x04, 0x83, 0xC7, 0x04});
  PlaceBytes(host::kMissingNode.site, {0x8B, 0xAE, 0xB4, 0x00, 0x00, 0x00});
  PlaceBytes(host::kMountNodeCrash.site, {0x8B, 0x48, 0x78, 0x8B, 0x56, 0x3C, 0x83, 0xC0, 0x78, 0x8B, 0x40, 0x04});
  PlaceBytes(host::kFootIK.site, {0x98, 0x0F, 0xB7, 0x04, 0x42});
  PlaceBytes(host::kNullLoadedNodeIgnore.site, {0x8B, 0x10, 0x8B, 0xC8, 0x8B, 0x42, 0x14});
  for (uint32_t site : kTextureReturnSites) PlaceBytes(site, {0x83, 0xC4, 0x18, 0xC2, 0x30, 0x00});
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceDiagnosticsRoutines);

void PlaceFaultingInstruction(uint32_t eip, FaultKind kind) {
  const auto divisor = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&g_zeroDivisor));
  switch (kind) {
    case FaultKind::kAccessViolation:
      PlaceBytes(eip, {0xA1, 0x00, 0x00, 0x00, 0x00});  // mov eax, [0]
      break;
    case FaultKind::kIllegalInstruction:
      PlaceBytes(eip, {0x0F, 0x0B});  // ud2
      break;
    case FaultKind::kDivideByZero:
      PlaceBytes(eip, {0xF7, 0x35});  // div dword ptr [divisor]
      PlaceWord(eip + 2, divisor);
      break;
    case FaultKind::kStackOverflow:
      PlaceBytes(eip, {0x50, 0xEB, 0xFD});  // push eax; jmp back to it
      break;
  }
}

}  // namespace

// Loads the flags, the registers and ESP from g_faultEntry and jumps to the
// fault; nothing of the simulator stays between it and the thread's start.
extern "C" __attribute__((naked, noreturn)) void SimEnterFault() {
  asm volatile(
      ".intel_syntax noprefix\n"
      "push dword ptr [%c[entry]+32]\n"
      "popfd\n"
      "mov eax, [%c[entry]+0]\n"
      "mov ebx, [%c[entry]+4]\n"
      "mov ecx, [%c[entry]+8]\n"
      "mov edx, [%c[entry]+12]\n"
      "mov esi, [%c[entry]+16]\n"
      "mov edi, [%c[entry]+20]\n"
      "mov ebp, [%c[entry]+24]\n"
      "mov esp, [%c[entry]+28]\n"
      "jmp dword ptr [%c[entry]+36]\n"
      ".att_syntax prefix\n"
      :
      : [entry] "i"(&g_faultEntry));
}

LPTOP_LEVEL_EXCEPTION_FILTER HostSetsExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
  return HostAt<LPTOP_LEVEL_EXCEPTION_FILTER(WINAPI*)(LPTOP_LEVEL_EXCEPTION_FILTER)>(host::kSetFilterImportSlot.site)(filter);
}

uint32_t FileOpenCalls() { return g_fileOpenCalls; }
StreamRead LastStreamRead() { return g_lastStreamRead; }
uint32_t StreamReadCalls() { return g_streamReadCalls; }
void SetStreamReadAction(std::function<void()> action) { g_streamReadAction = std::move(action); }
void SetCombatStyleResult(uint32_t form) { g_combatStyleResult = form; }
uint32_t CombatStyleCalls() { return g_combatStyleCalls; }

void RaiseUnhandledFault(const UnhandledFault& fault) {
  if (fault.callee != 0) {
    PlaceCall(fault.eip, fault.callee);
  } else {
    PlaceFaultingInstruction(fault.eip, fault.kind);
  }
  // The host's stack lies inside this thread's own, below this frame, so
  // that exception dispatch sees a normal stack; the area is committed and
  // zeroed first. A stack of the host's own making is fresh memory instead,
  // with the little room below ESP such a stack would have.
  auto* area = fault.stackOutsideThread
                   ? static_cast<uint8_t*>(VirtualAlloc(nullptr, kFaultStackArea, MEM_COMMIT, PAGE_READWRITE))
                   : static_cast<uint8_t*>(alloca(kFaultStackArea));
  std::memset(area, 0, kFaultStackArea);
  const size_t roomBelow = fault.stackOutsideThread ? kOwnStackRoom : kFaultStackArea / 2;
  const uintptr_t wordsEnd = (reinterpret_cast<uintptr_t>(area) + roomBelow) & ~uintptr_t{kPageSize - 1};
  auto* words = reinterpret_cast<uint32_t*>(wordsEnd) - fault.stack.size();
  std::copy(fault.stack.begin(), fault.stack.end(), words);
  if (fault.stackEndsAfterWords) {
    DWORD protection = 0;
    VirtualProtect(reinterpret_cast<void*>(wordsEnd), kPageSize, PAGE_NOACCESS, &protection);
  }
  const Registers& r = fault.regs;
  g_faultEntry = {r.eax, r.ebx, r.ecx, r.edx, r.esi, r.edi, r.ebp,
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(words)), (r.eflags & kArithmeticFlags) | 0x202,
                  fault.eip};
  SimEnterFault();
}

}  // namespace sim
