#include "diagnostics/crash_recorder.h"

#include <atomic>

#include "core/known_crash.h"
#include "core/option_rules.h"
#include "core/settings.h"
#include "diagnostics/crash_details.h"
#include "diagnostics/crash_info_bits.h"
#include "diagnostics/crash_recorder_sites.h"
#include "diagnostics/crash_report_file.h"
#include "diagnostics/freeze_watchdog.h"
#include "diagnostics/minidump_writer.h"
#include "patch/fault_guard.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

using namespace crash_info;

// Written by the apply function at load, read by the filter.
CrashReportOptions g_options;
bool SkipKnownCrash = true;
bool ForceExecuteHandler = false;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

// The one crash state: idle, then the id of the thread handling the crash,
// then done. Thread ids are multiples of four, so neither kIdle nor kDone
// is ever one. A thread that finds a crash being handled waits until it is
// done, because its answer may end the process.
constexpr DWORD kIdle = 0;
constexpr DWORD kDone = ~DWORD{0};
std::atomic<DWORD> g_crashState{kIdle};
constexpr DWORD kReportWaitMilliseconds = 5000;
constexpr DWORD kReportPollMilliseconds = 10;

// What this crash's report holds: the options, less the details when a
// freeze report still holds their buffers.
CrashReportOptions g_thisReport;

uint32_t WriteCrashReportGuarded(void* exception) {
  WriteCrashReport(static_cast<EXCEPTION_POINTERS*>(exception), g_thisReport);
  return 0;
}

void __cdecl WriteCrashReportContained(void* exception) {
  bool faulted = false;
  GuardedCall(WriteCrashReportGuarded, exception, &faulted);
}

// After a stack overflow the faulting thread has too little stack left for
// the file, log and message calls of the report, so then the report is
// written on a stack of its own. With stack to spare the report stays on
// the thread's own stack, where nothing about the thread is unusual.
constexpr uintptr_t kStackNeededForReport = 64 * 1024;
alignas(16) char g_reserveStack[256 * 1024];

// A host that switched to a stack of its own runs the filter outside the
// thread's limits, where the room left is unknown and the guard's exception
// frame would not count as valid: that is treated as a stack running out.
bool StackUnfitForReport() {
  const char here = 0;
  const auto [bottom, top] = ThreadStackBounds();
  const auto esp = reinterpret_cast<uintptr_t>(&here);
  return esp < bottom + kStackNeededForReport || esp >= top;
}

void WriteCrashReportWithEnoughStack(EXCEPTION_POINTERS* exception) {
  if (StackUnfitForReport()) {
    RunOnReserveStack(WriteCrashReportContained, exception, g_reserveStack + sizeof g_reserveStack, g_reserveStack);
  } else {
    WriteCrashReportContained(exception);
  }
}

// A dump belongs to the report: its writer gets its own bound on top.
void WaitUntilCrashIsDone() {
  const DWORD bound = kReportWaitMilliseconds + (g_options.dump ? kMinidumpWaitMilliseconds : 0);
  for (DWORD waited = 0; waited < bound; waited += kReportPollMilliseconds) {
    if (g_crashState.load(std::memory_order_acquire) == kDone) return;
    Sleep(kReportPollMilliseconds);
  }
}

}  // namespace

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  bool reportAttempted = false;
  // Taken before the report, so that a fault inside the writer, or a crash
  // on another thread meanwhile, never writes a second one. The handling
  // thread itself may come back here (a fault the guard did not contain);
  // it must not wait for itself.
  const DWORD self = GetCurrentThreadId();
  DWORD found = kIdle;
  if (g_crashState.compare_exchange_strong(found, self, std::memory_order_acq_rel)) {
    // A crash during a freeze is a crash, and the report's buffers are its own.
    g_thisReport = g_options;
    if (!EndFreezeWatch()) g_thisReport.details = false;
    const bool userWasTold = SkipKnownCrash && KnownCrashReason != 0;
    if (!userWasTold && exception->ContextRecord->Eip != kIgnoredFaultAddress) {
      WriteCrashReportWithEnoughStack(exception);
      reportAttempted = true;
    }
    g_crashState.store(kDone, std::memory_order_release);
  } else if (found != self) {
    WaitUntilCrashIsDone();
  }
  if (g_previousFilter != nullptr) g_previousFilter(exception);
  return reportAttempted && !ForceExecuteHandler ? EXCEPTION_CONTINUE_SEARCH : EXCEPTION_EXECUTE_HANDLER;
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI NoOpSetFilter(LPTOP_LEVEL_EXCEPTION_FILTER) { return nullptr; }

ApplyStatus ApplyRecordCrashInfo() {
  if (!MakeCrashFolder()) {
    ShowMessage("Failed to create directory: %s", kCrashFolder);
    return kSetUpFailed;
  }
  const int32_t value = GetSetting("RecordCrashInfo", -1);
  if (option_rules::ValueInstallsNothing("RecordCrashInfo", value)) return kInert;
  if (value & kFixedFileBit) g_options.timestamped = false;
  if (value & kReportKnownCrashBit) SkipKnownCrash = false;
  if (value & kAppendBit) g_options.append = true;
  if (value & kForceExecuteBit) ForceExecuteHandler = true;
  // The crash path logs without reading the settings file.
  DecideLogMessageToFile();
  if (value & kDetailsBit) {
    g_options.details = true;
    PrepareThreadDetails();
  }
  // A failed start is noted in the report of the crash, where it matters.
  if (value & kMinidumpBit) {
    g_options.dump = true;
    StartMinidumpWriter(kCrashFolder);
  }

  // A second installation would find the recorder itself as the previous
  // filter and call itself for ever.
  const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(CrashFilter);
  if (previous != CrashFilter) g_previousFilter = previous;

  const auto noOp = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&NoOpSetFilter));
  return InstallPatches({{kSetFilterImportSlot, nullptr, &noOp}});
}
