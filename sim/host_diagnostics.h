// Host routines and sites behind the crash diagnostics: the import slot of
// SetUnhandledExceptionFilter, file opening and binary-stream reading, the
// string-setting read, the warning sites with their original instructions,
// the combat-style getter and the texture routine's return sequences; and a
// way to crash in host code for real.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "diagnostics/crash_recorder_sites.h"
#include "diagnostics/debug_stream_sites.h"
#include "diagnostics/warning_sites.h"
#include "diagnostics/texture_warning_sites.h"
#include "sim/runner.h"

namespace sim {

// kDebugStreamOpenFile.site: call kOpenFile
// kDebugStreamStreamRead.site: call kStreamRead
// kDebugStreamStringSet.site: mov eax, [edi+4]; add edi, 4
// kMissingNode.site: mov ebp, [esi+0xB4]
// kMountNodeCrash.site: mov ecx, [eax+0x78]; mov edx, [esi+0x3C]; add eax, 0x78; mov eax, [eax+4]
// kFootIK.site: cwde; movzx eax, word ptr [edx+eax*2]
// kNullLoadedNodeIgnore.site: mov edx, [eax]; mov ecx, eax; mov eax, [edx+0x14]
// kCombatStyle.site: call kGetCombatStyle
constexpr uint32_t kTextureReturnSites[] = {host::kTextureReturn.site, host::kTextureOtherReturn.site};  // add esp, 0x18; ret 0x30

// The host's own later call through its import slot.
LPTOP_LEVEL_EXCEPTION_FILTER HostSetsExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

// The file-open routine answers this EAX.
constexpr uint32_t kFileOpenResult = 0xF11E0;
uint32_t FileOpenCalls();

struct StreamRead {
  uint32_t stream = 0, first = 0, second = 0;
};
constexpr uint32_t StreamReadResult(uint32_t first, uint32_t second) { return first * 3 + second; }
StreamRead LastStreamRead();
uint32_t StreamReadCalls();
// Runs inside the next stream reads, as host work nested in the read.
void SetStreamReadAction(std::function<void()> action);

void SetCombatStyleResult(uint32_t form);
uint32_t CombatStyleCalls();

enum class FaultKind { kAccessViolation, kIllegalInstruction, kDivideByZero, kStackOverflow };

struct UnhandledFault {
  uint32_t eip = 0;                 // host code address that faults
  FaultKind kind = FaultKind::kAccessViolation;
  Registers regs;
  std::vector<uint32_t> stack;      // words from ESP up; zeros follow for 1 KiB
  bool stackEndsAfterWords = false; // the page right after the words is unreadable
  bool stackOutsideThread = false;  // ESP lies outside the thread's stack limits
  uint32_t callee = 0;              // when set, the host calls it at eip instead, and it faults
};

// Enters host code at the fault with no exception frame of the simulator's
// own, so the exception is really unhandled.
[[noreturn]] void RaiseUnhandledFault(const UnhandledFault& fault);

}  // namespace sim
