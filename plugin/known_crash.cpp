#include "plugin/known_crash.h"

#include <windows.h>

volatile int32_t KnownCrashReason = 0;

void EndProcessAfterKnownCrash(int32_t reason) {
  KnownCrashReason = reason;
  // TerminateProcess runs no exception filter and no further host code, and
  // it does not return for the current process.
  TerminateProcess(GetCurrentProcess(), kKnownCrashExitCode);
  ExitProcess(kKnownCrashExitCode);
}
