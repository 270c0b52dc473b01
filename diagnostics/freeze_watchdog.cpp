#include "diagnostics/freeze_watchdog.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "core/option_rules.h"
#include "core/settings.h"
#include "diagnostics/crash_info_bits.h"
#include "diagnostics/freeze_report.h"
#include "diagnostics/freeze_report_sites.h"
#include "core/text_builder.h"
#include "patch/main_loop.h"
#include "patch/messages.h"

namespace {

// The watchdog wakes a few times per threshold, so a freeze is reported at
// most a quarter of the threshold late, and never sleeps so long that a
// stall that ends is missed for minutes.
constexpr DWORD kChecksPerThreshold = 4;
constexpr DWORD kShortestPause = 100;
constexpr DWORD kLongestPause = 5000;
// A crash that arrives while a freeze report is being written waits this
// long at most for it: the writer never waits on anything but the disk.
constexpr DWORD kReportFinishWaitMilliseconds = 3000;

DWORD g_thresholdMilliseconds = 0;
DWORD g_watchdogThreadId = 0;
// The main thread, opened at its first frame and published before the first
// heartbeat.
HANDLE g_mainThread = nullptr;
// GetTickCount at the last frame, with the low bit set so that 0 means "no
// frame yet": one plain store per frame on x86.
std::atomic<uint32_t> g_lastFrameTick_release{0};
std::atomic<FreezeWatch> g_watch{FreezeWatch::kUnarmed};
// Set around the writing of a report; the crash filter waits for it to clear
// after ending the watch, so that the two never share the report buffers.
std::atomic<bool> g_writing{false};

// The heartbeat, on the main thread.
void NoteFrame() {
  if (g_mainThread == nullptr) {
    g_mainThread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE,
                              GetCurrentThreadId());
    if (g_mainThread == nullptr) return;
  }
  g_lastFrameTick_release.store(GetTickCount() | 1u, std::memory_order_release);
}

void LogGameWentOn(uint32_t stalledMilliseconds) {
  char line[160];
  TextBuilder(line).Append("The game went on after ").AppendDecimal(stalledMilliseconds / 1000)
      .Append(" seconds without a frame: that was a long stall (a big save, a heavy script), not a freeze.");
  LogMessageToFile(line);
}

// Writes the report unless a crash ended the watch first (seen after
// g_writing is set, so a crash filter that ended it waits for this to end).
void ReportFreeze(uint32_t stalledMilliseconds) {
  g_writing.store(true, std::memory_order_seq_cst);
  if (g_watch.load(std::memory_order_seq_cst) != FreezeWatch::kEnded) {
    WriteFreezeReport(g_mainThread, stalledMilliseconds / 1000);
  }
  g_writing.store(false, std::memory_order_release);
}

// The main thread's tick count may run a few milliseconds ahead of this
// thread's: a "since" that comes out negative is no time at all, never 49
// days.
uint32_t TicksSince(uint32_t then, uint32_t now) {
  const auto since = static_cast<int32_t>(now - then);
  return since > 0 ? static_cast<uint32_t>(since) : 0;
}

bool CompareAndSet(FreezeWatch from, FreezeWatch to) {
  return g_watch.compare_exchange_strong(from, to, std::memory_order_acq_rel);
}

DWORD WINAPI Watch(void*) {
  const DWORD pause = std::clamp(g_thresholdMilliseconds / kChecksPerThreshold, kShortestPause, kLongestPause);
  uint32_t frozenAtTick = 0;
  for (;;) {
    Sleep(pause);
    const FreezeWatch watch = g_watch.load(std::memory_order_acquire);
    if (watch == FreezeWatch::kEnded) return 0;
    const uint32_t last = g_lastFrameTick_release.load(std::memory_order_acquire);
    if (last == 0) continue;  // armed only by the first frame
    if (watch == FreezeWatch::kReported) {
      if (last != frozenAtTick && CompareAndSet(FreezeWatch::kReported, FreezeWatch::kWatching)) {
        LogGameWentOn(last - frozenAtTick);
      }
      continue;
    }
    CompareAndSet(FreezeWatch::kUnarmed, FreezeWatch::kWatching);
    if (MessageBoxOpen()) continue;
    const uint32_t now = GetTickCount();
    const uint32_t closed = LastMessageBoxClosedTick();
    const uint32_t sinceFrame = TicksSince(last, now);
    const uint32_t stalled = closed != 0 ? std::min(sinceFrame, TicksSince(closed, now)) : sinceFrame;
    if (stalled < g_thresholdMilliseconds) continue;
    // One report per freeze, however long it lasts.
    if (!CompareAndSet(FreezeWatch::kWatching, FreezeWatch::kReported)) continue;
    frozenAtTick = last;
    ReportFreeze(stalled);
  }
}

}  // namespace

FreezeWatch CurrentFreezeWatch() { return g_watch.load(std::memory_order_acquire); }

bool EndFreezeWatch() {
  g_watch.store(FreezeWatch::kEnded, std::memory_order_seq_cst);
  if (GetCurrentThreadId() == g_watchdogThreadId) return false;  // a fault inside the watchdog's own report
  for (DWORD waited = 0; g_writing.load(std::memory_order_seq_cst); waited += 10) {
    if (waited >= kReportFinishWaitMilliseconds) return false;
    Sleep(10);
  }
  return true;
}

ApplyStatus ApplyFreezeReportSeconds() {
  const int32_t seconds = GetSetting("FreezeReportSeconds", -1);
  if (seconds <= 0) return kInert;
  g_thresholdMilliseconds = static_cast<DWORD>(std::min<int32_t>(seconds, 24 * 3600)) * 1000;
  const option_rules::ValueRead& crashInfoRead = *option_rules::FindValueRead("FreezeReportSeconds", "RecordCrashInfo");
  const int32_t crashInfo = option_rules::ReadValue(crashInfoRead);
  if (!PrepareFreezeReports(crashInfo > 0 && (crashInfo & crash_info::kMinidumpBit) != 0)) return kSetUpFailed;
  if (const ApplyStatus hooked = RunEveryFrame(&NoteFrame); !hooked.Applied()) return hooked;
  // The default stack: dbghelp writes the freeze dump on this thread.
  HANDLE watchdog = CreateThread(nullptr, 0, Watch, nullptr, 0, &g_watchdogThreadId);
  if (watchdog == nullptr) return kSetUpFailed;
  CloseHandle(watchdog);
  return kApplied;
}
