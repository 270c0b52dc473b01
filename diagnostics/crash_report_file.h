// One crash's files: the report, whole or not at all, its two log lines,
// and the minidump. Written from the faulting thread with static buffers
// and CreateFileA/WriteFile only, so that a thread that holds the heap or
// the loader lock elsewhere in a broken game cannot stop them.
#pragma once
#include <windows.h>

// Relative to the game's folder.
constexpr const char* kCrashFolder = "./Data/QORV/Plugins/CrashLog";

// Makes the folders down to the crash folder. False when one cannot be made,
// or a file stands where it should be.
bool MakeCrashFolder();

// <crash folder>/<kind>_<time><ending>, or <kind>_last<ending> when time is
// null; and the same path as the log names it: from the game's folder, with
// the system's separators.
using ReportPath = char[260];
void BuildReportPath(ReportPath& path, const char* kind, const char* time, const char* ending);
void BuildShownPath(const char* path, ReportPath& shown);

// "Minidump not written: <why>" at the end of the report, when there is
// room; a note that does not fit leaves the report as it was.
void NoteFailedMinidump(const char* reportPath, const char* failure);

struct CrashReportOptions {
  bool timestamped = true;  // crash_<time>.txt rather than crash_last.txt
  bool append = false;      // appended to crash_last.txt after a separator
  bool details = false;     // the details section after the classic text
  bool dump = false;        // a minidump beside the report
};

// The report and its log lines come before anything that may wait: the
// dump, and the message box of a report that could not be opened.
void WriteCrashReport(EXCEPTION_POINTERS* exception, const CrashReportOptions& options);
