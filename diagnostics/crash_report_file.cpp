#include "diagnostics/crash_report_file.h"

#include "core/text_builder.h"
#include "diagnostics/crash_details.h"
#include "diagnostics/crash_report_text.h"
#include "diagnostics/crash_summary.h"
#include "diagnostics/minidump_writer.h"
#include "patch/messages.h"
#include "patch/static_file.h"

namespace {

// Static, not locals: the filter may run on a thread that has overflowed
// its stack.
CrashTimeText g_timeText;
char g_reportPath[260];
char g_partialPath[260];
char g_dumpPath[260];
char g_shownPath[260];
char g_logLine[400];
char g_dumpNote[160];

// A new report is written under a name of its own and renamed into place
// once complete; the minidump takes the report's name.
void BuildPath(char (&path)[260], const CrashReportOptions& options, const char* ending) {
  TextBuilder text(path);
  text.Append(kCrashFolder);
  if (options.timestamped) {
    text.Append("/crash_").Append(g_timeText);
  } else {
    text.Append("/crash_last");
  }
  text.Append(ending);
}

// The report's path as the log names it: from the game's folder, with the
// system's separators.
void BuildShownPath() {
  TextBuilder shown(g_shownPath);
  const char* c = g_reportPath;
  if (c[0] == '.' && c[1] == '/') c += 2;
  for (; *c != '\0'; ++c) shown.AppendChar(*c == '/' ? '\\' : *c);
}

FileWrite WriteReport(const EXCEPTION_POINTERS& exception, const CrashReportOptions& options) {
  const bool separated = !options.timestamped && options.append;
  DWORD length = 0;
  const char* summary =
      options.details ? ComposeCrashSummary(*exception.ContextRecord, exception.ExceptionRecord, nullptr) : nullptr;
  const char* report = ComposeClassicReport(*exception.ContextRecord, g_timeText, separated, summary, &length);
  DWORD detailsLength = 0;
  const char* details = options.details ? ComposeCrashDetails(exception, &detailsLength) : "";
  if (options.append) return AppendWithRollback(g_reportPath, {{report, length}, {details, detailsLength}});
  return WriteWholeFile(g_reportPath, g_partialPath, {{report, length}, {details, detailsLength}});
}

// "Game has crashed ..." as ever, then where its report is, or why there
// is none.
void LogCrash(const CONTEXT& context, const FileWrite& written) {
  TextBuilder(g_logLine).Append("Game has crashed with exception address 0x").AppendHex(context.Eip).Append("!");
  LogMessageToFileFromCrash(g_logLine);
  TextBuilder line(g_logLine);
  if (written) {
    line.Append("Crash report written to ").Append(g_shownPath);
  } else {
    line.Append("Crash report could not be written: ").Append(g_shownPath).Append(": ");
    line.Append(DescribeFailedStep(written.failed)).Append(" (system error ").AppendDecimal(written.error).Append(")");
  }
  LogMessageToFileFromCrash(g_logLine);
}

// Added to the report when there is room; a note that does not fit leaves
// the report as it was.
void NoteFailedMinidump(const char* failure) {
  const DWORD length = TextBuilder(g_dumpNote, TextBuilder::kCrLf).Append("Minidump not written: ").Append(failure)
                           .Append("\n").Length();
  AppendWithRollback(g_reportPath, {{g_dumpNote, length}});
}

}  // namespace

void WriteCrashReport(EXCEPTION_POINTERS* exception, const CrashReportOptions& options) {
  FormatCrashTime(g_timeText);
  BuildPath(g_reportPath, options, ".txt");
  BuildPath(g_partialPath, options, ".txt.partial");
  BuildPath(g_dumpPath, options, ".dmp");
  BuildShownPath();
  const FileWrite written = WriteReport(*exception, options);
  LogCrash(*exception->ContextRecord, written);
  if (options.dump) {
    const char* failure = WriteMinidump(exception, g_dumpPath);
    if (failure != nullptr && written) NoteFailedMinidump(failure);
  }
  // The spelling players know; a report the disk cut short is in the log.
  if (written.failed == FileStep::kOpen || written.failed == FileStep::kReplace) {
    TextBuilder(g_logLine).Append("Failed to open file for writing: \"").Append(g_reportPath).Append("\"");
    ShowTextFromCrash(g_logLine);
  }
}
