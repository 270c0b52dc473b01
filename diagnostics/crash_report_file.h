// One crash's files: the report, whole or not at all, its two log lines,
// and the minidump. Written from the faulting thread with static buffers
// and CreateFileA/WriteFile only, so that a thread that holds the heap or
// the loader lock elsewhere in a broken game cannot stop them.
#pragma once
#include <windows.h>

// Relative to the game's folder.
constexpr const char* kCrashFolder = "./Data/QORV/Plugins/CrashLog";

struct CrashReportOptions {
  bool timestamped = true;  // crash_<time>.txt rather than crash_last.txt
  bool append = false;      // appended to crash_last.txt after a separator
  bool details = false;     // the details section after the classic text
  bool dump = false;        // a minidump beside the report
};

// The report and its log lines come before anything that may wait: the
// dump, and the message box of a report that could not be opened.
void WriteCrashReport(EXCEPTION_POINTERS* exception, const CrashReportOptions& options);
