#include "core/known_crash.h"

#include <windows.h>

volatile int32_t KnownCrashReason = 0;

namespace {
KnownCrashObserver g_observer = nullptr;
}

void SetKnownCrashObserver(KnownCrashObserver observer) { g_observer = observer; }

void EndProcessAfterKnownCrash(int32_t reason) {
  KnownCrashReason = reason;
  if (g_observer != nullptr) g_observer(reason);
  // TerminateProcess runs no exception filter and no further host code, and
  // it does not return for the current process.
  TerminateProcess(GetCurrentProcess(), kKnownCrashExitCode);
  ExitProcess(kKnownCrashExitCode);
}
