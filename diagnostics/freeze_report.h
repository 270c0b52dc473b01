// The freeze report: a crash report of a main thread that did not fault,
// written by the freeze watchdog while that thread is suspended.
#pragma once
#include <windows.h>

#include <cstdint>

// At install: the crash folder, what the details learn once, and the dump
// writer when dumps are asked for. False when the folder cannot be made.
bool PrepareFreezeReports(bool withDump);

// Suspends the main thread, writes freeze_<time>.txt from its context with
// static buffers only, and resumes it; then the dump and the log line,
// which may wait on locks the main thread held. A thread that cannot be
// suspended or read gets no report.
void WriteFreezeReport(HANDLE mainThread, uint32_t secondsSinceFrame);
