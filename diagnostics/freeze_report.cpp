#include "diagnostics/freeze_report.h"

#include "core/text_builder.h"
#include "diagnostics/crash_details.h"
#include "diagnostics/crash_report_file.h"
#include "diagnostics/crash_report_text.h"
#include "diagnostics/crash_summary.h"
#include "diagnostics/minidump_writer.h"
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
  FileWrite written;
};

DWORD ComposeHeader(const Freeze& freeze) {
  return static_cast<DWORD>(TextBuilder(g_header, TextBuilder::kCrLf)
                                .Append("Freeze info:\n").Append(g_time).Append(" - no frame for ")
                                .AppendDecimal(freeze.secondsSinceFrame).Append(" s; main thread at ")
                                .AppendHex(freeze.context.Eip)
                                .Length());
}

// The header, the player's summary, then the details the crash report has.
uint32_t ComposeAndWrite(void* argument) {
  Freeze& freeze = *static_cast<Freeze*>(argument);
  const DWORD headerLength = ComposeHeader(freeze);
  DWORD summaryLength = 0;
  const char* summary = ComposeCrashSummary(freeze.context, nullptr, &summaryLength);
  DWORD detailsLength = 0;
  const char* details = ComposeThreadDetails(freeze.context, nullptr, &detailsLength);
  freeze.written = WriteWholeFile(g_reportPath, g_partialPath,
                                  {{g_header, headerLength}, {summary, summaryLength}, {"\r\n", 2},
                                   {details, detailsLength}});
  return 0;
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

void WriteFreezeReport(HANDLE mainThread, uint32_t secondsSinceFrame) {
  static Freeze freeze;
  freeze.secondsSinceFrame = secondsSinceFrame;
  freeze.written = {FileStep::kOpen, 0};
  freeze.context.ContextFlags = CONTEXT_FULL;
  if (SuspendThread(mainThread) == static_cast<DWORD>(-1)) return;
  const bool read = GetThreadContext(mainThread, &freeze.context);
  if (read) {
    FormatCrashTime(g_time);
    BuildReportPath(g_reportPath, "freeze", g_time, ".txt");
    BuildReportPath(g_partialPath, "freeze", g_time, ".txt.partial");
    BuildReportPath(g_dumpPath, "freeze", g_time, ".dmp");
    BuildShownPath(g_reportPath, g_shownPath);
    bool faulted = false;
    GuardedCall(ComposeAndWrite, &freeze, &faulted);
  }
  ResumeThread(mainThread);
  if (!read) return;
  LogFreeze(freeze.written);
  if (freeze.written && g_withDump) {
    if (const char* failure = WriteMinidumpOfEveryThread(g_dumpPath)) {
      const DWORD length = static_cast<DWORD>(
          TextBuilder(g_logLine, TextBuilder::kCrLf).Append("Minidump not written: ").Append(failure).Append("\n")
              .Length());
      AppendWithRollback(g_reportPath, {{g_logLine, length}});
    }
  }
}
