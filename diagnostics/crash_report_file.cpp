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
ReportPath g_reportPath;
ReportPath g_partialPath;
ReportPath g_dumpPath;
ReportPath g_shownPath;
char g_logLine[400];
char g_dumpNote[160];

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

}  // namespace

void NoteFailedMinidump(const char* reportPath, const char* failure) {
  const DWORD length = TextBuilder(g_dumpNote, TextBuilder::kCrLf).Append("Minidump not written: ").Append(failure)
                           .Append("\n").Length();
  AppendWithRollback(reportPath, {{g_dumpNote, length}});
}

bool MakeCrashFolder() {
  constexpr const char* kFoldersToMake[] = {"./Data/QORV", "./Data/QORV/Plugins", kCrashFolder};
  // "Already exists" may be a file of that name, where no report can go.
  for (const char* folder : kFoldersToMake) {
    CreateDirectoryA(folder, nullptr);
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  }
  return true;
}

void BuildReportPath(ReportPath& path, const char* kind, const char* time, const char* ending) {
  TextBuilder(path).Append(kCrashFolder).Append("/").Append(kind).Append("_").Append(time != nullptr ? time : "last")
      .Append(ending);
}

void BuildShownPath(const char* path, ReportPath& shown) {
  TextBuilder text(shown);
  if (path[0] == '.' && path[1] == '/') path += 2;
  for (; *path != '\0'; ++path) text.AppendChar(*path == '/' ? '\\' : *path);
}

void WriteCrashReport(EXCEPTION_POINTERS* exception, const CrashReportOptions& options) {
  FormatCrashTime(g_timeText);
  const char* time = options.timestamped ? g_timeText : nullptr;
  BuildReportPath(g_reportPath, "crash", time, ".txt");
  BuildReportPath(g_partialPath, "crash", time, ".txt.partial");
  BuildReportPath(g_dumpPath, "crash", time, ".dmp");
  BuildShownPath(g_reportPath, g_shownPath);
  const FileWrite written = WriteReport(*exception, options);
  LogCrash(*exception->ContextRecord, written);
  if (options.dump) {
    const char* failure = WriteMinidump(exception, g_dumpPath);
    if (failure != nullptr && written) NoteFailedMinidump(g_reportPath, failure);
  }
  // The spelling players know; a report the disk cut short is in the log.
  if (written.failed == FileStep::kOpen || written.failed == FileStep::kReplace) {
    TextBuilder(g_logLine).Append("Failed to open file for writing: \"").Append(g_reportPath).Append("\"");
    ShowTextFromCrash(g_logLine);
  }
}
