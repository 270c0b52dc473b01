#include "diagnostics/freeze_report.h"

#include "core/text_builder.h"
#include "diagnostics/crash_details.h"
#include "diagnostics/crash_report_file.h"
#include "diagnostics/crash_report_text.h"
#include "diagnostics/crash_summary.h"
#include "diagnostics/minidump_writer.h"
#include "diagnostics/system_info.h"
#include "patch/fault_guard.h"
#include "patch/messages.h"
#include "patch/static_file.h"

namespace {

bool g_withDump = false;
CrashTimeText g_time;
ReportPath g_reportPath;
ReportPath g_partialPath;
ReportPath g_dumpPath;
ReportPath g_shownPath;
char g_header[160];
char g_logLine[400];

struct Freeze {
  CONTEXT context;
  uint32_t secondsSinceFrame;
  DWORD headerLength, summaryLength, detailsLength;
  const char* summary;
  const char* details;
};

DWORD ComposeHeader(const Freeze& freeze) {
  return static_cast<DWORD>(TextBuilder(g_header, TextBuilder::kCrLf)
                                .Append("Freeze info:\n").Append(g_time).Append(" - no frame for ")
                                .AppendDecimal(freeze.secondsSinceFrame).Append(" s; main thread at ")
                                .AppendHex(freeze.context.Eip)
                                .Length());
}

// The header, the player's summary, then the details the crash report has,
// composed while the thread is suspended, so that its stack stands still.
uint32_t Compose(void* argument) {
  Freeze& freeze = *static_cast<Freeze*>(argument);
  freeze.headerLength = ComposeHeader(freeze);
  freeze.summary = ComposeCrashSummary(freeze.context, nullptr, &freeze.summaryLength);
  freeze.details = ComposeThreadDetails(freeze.context, nullptr, &freeze.detailsLength);
  return 0;
}

const char* g_dumpFailure = nullptr;

uint32_t WriteDump(void* path) {
  g_dumpFailure = WriteMinidumpOfEveryThread(static_cast<const char*>(path));
  return g_dumpFailure == nullptr ? 1 : 0;
}

void LogFreeze(const FileWrite& written) {
  TextBuilder line(g_logLine);
  if (written) {
    line.Append("Freeze report written to ").Append(g_shownPath);
  } else {
    line.Append("Freeze report could not be written: ").Append(g_shownPath).Append(": ")
        .Append(DescribeFailedStep(written.failed)).Append(" (system error ").AppendDecimal(written.error).Append(")");
  }
  LogMessageToFileFromCrash(g_logLine);
}

}  // namespace

bool PrepareFreezeReports(bool withDump) {
  if (!MakeCrashFolder()) return false;
  DecideLogMessageToFile();
  PrepareThreadDetails();
  g_withDump = withDump && StartMinidumpWriter(kCrashFolder);
  return true;
}

// Only the thread's context and the composing happen while it is
// suspended: the file calls, the log and dbghelp may wait on locks it holds.
void WriteFreezeReport(HANDLE mainThread, uint32_t secondsSinceFrame) {
  static Freeze freeze;
  freeze = Freeze{};
  freeze.secondsSinceFrame = secondsSinceFrame;
  freeze.context.ContextFlags = CONTEXT_FULL;
  FormatCrashTime(g_time);
  BuildReportPath(g_reportPath, "freeze", g_time, ".txt");
  BuildReportPath(g_partialPath, "freeze", g_time, ".txt.partial");
  BuildReportPath(g_dumpPath, "freeze", g_time, ".dmp");
  BuildShownPath(g_reportPath, g_shownPath);
  TakeMemoryStatus();
  if (SuspendThread(mainThread) == static_cast<DWORD>(-1)) return;
  bool composed = GetThreadContext(mainThread, &freeze.context) != FALSE;
  if (composed) {
    bool faulted = false;
    GuardedCall(Compose, &freeze, &faulted);
    composed = !faulted;
  }
  ResumeThread(mainThread);
  if (!composed) return;
  const FileWrite written = WriteWholeFile(g_reportPath, g_partialPath,
                                           {{g_header, freeze.headerLength}, {freeze.summary, freeze.summaryLength},
                                            {"\r\n", 2}, {freeze.details, freeze.detailsLength}});
  LogFreeze(written);
  if (!written || !g_withDump) return;
  // dbghelp runs on this thread; a fault inside it is not the game's crash.
  bool faulted = false;
  if (GuardedCall(WriteDump, g_dumpPath, &faulted) == 0) {
    NoteFailedMinidump(g_reportPath, faulted ? "dbghelp faulted" : g_dumpFailure);
  }
}
