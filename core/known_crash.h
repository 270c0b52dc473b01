// Links the warnings to the crash recorder: a non-zero reason means the user
// has already been told why the game is about to end.
#pragma once
#include <cstdint>

enum KnownCrashCode : int32_t {
  kCrashAllocationFailure = 1,
  kCrashTextureAllocation = 2,
  kCrashMissingNode = 3,
  kCrashMountNode = 4,
  kCrashIKSetup = 5,
  kCrashNullLoadedNode = 6,
  kCrashStreamReadReport = 7,
  kCrashStringSetInRead = 9,
  kCrashNullCombatStyle = 11,
  kCrashStringSetOutsideRead = 15,
};

// Plain stores, last writer wins.
extern volatile int32_t KnownCrashReason;

// The exit code of a game that Orrisbane ended after explaining why ("OB").
constexpr unsigned kKnownCrashExitCode = 0x4F42;

// Records the reason and ends the process at once: no crash report, no
// system error dialog. Call only after the user has closed the message.
[[noreturn]] void EndProcessAfterKnownCrash(int32_t reason);

// Told the reason right before the process ends, so that whoever runs the
// game under supervision learns which explanation ended it. None by default.
using KnownCrashObserver = void (*)(int32_t reason);
void SetKnownCrashObserver(KnownCrashObserver observer);
