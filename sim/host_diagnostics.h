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

#include "sim/runner.h"

namespace sim {

constexpr uint32_t kSetFilterImportSlot = 0x106B0A4;

constexpr uint32_t kOpenFileSite = 0xA58898;      // call 0xA58490
constexpr uint32_t kOpenFileResume = 0xA5889D;
constexpr uint32_t kStreamReadSite = 0xAF52B1;    // call 0xAFDF40
constexpr uint32_t kStreamReadResume = 0xAF52B6;
constexpr uint32_t kStringSetSite = 0xA50A3D;     // mov eax, [edi+4]; add edi, 4
constexpr uint32_t kStringSetResume = 0xA50A43;

constexpr uint32_t kMissingNodeSite = 0x46ECF5;   // mov ebp, [esi+0xB4]
constexpr uint32_t kMissingNodeResume = 0x46ECFB;
constexpr uint32_t kMissingNodeSkip = 0x46EE9A;
constexpr uint32_t kMountNodeSite = 0x6E7F85;     // mov ecx, [eax+0x78]; mov edx, [esi+0x3C]; add eax, 0x78; mov eax, [eax+4]
constexpr uint32_t kMountNodeResume = 0x6E7F91;
constexpr uint32_t kFootIKSite = 0xBFECC0;        // cwde; movzx eax, word ptr [edx+eax*2]
constexpr uint32_t kFootIKResume = 0xBFECC5;
constexpr uint32_t kLoadedNodeSite = 0x4C119E;    // mov edx, [eax]; mov ecx, eax; mov eax, [edx+0x14]
constexpr uint32_t kLoadedNodeResume = 0x4C11A5;
constexpr uint32_t kCombatStyleSite = 0x8368AA;   // call 0x6E1500
constexpr uint32_t kCombatStyleResume = 0x8368AF;
constexpr uint32_t kTextureReturnSites[] = {0xC9170E, 0xC91724};  // add esp, 0x18; ret 0x30

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
