// The minidump beside a crash report (RecordCrashInfo bit 0x40), written by
// dbghelp's MiniDumpWriteDump on a thread of its own. Library and thread
// are ready from install, so that the crash path loads and creates nothing,
// and a thread that has overflowed its stack still gets its dump.
#pragma once
#include <windows.h>

// At install, with the folder the dumps go to; a second call keeps the
// first. False when dbghelp or the thread is not available.
bool StartMinidumpWriter(const char* folder);

// Hands the exception to the writer thread and waits for it, at most
// kMinidumpWaitMilliseconds: a writer stuck on a lock that the crashed
// thread, or another broken one, holds must not keep a frozen game on the
// screen (dbghelp takes the loader lock as its first step). Null when the dump was written whole, otherwise why not, in a few
// words; a dump that failed or was not finished in time is deleted, and a
// whole one makes the writer prune the older ones. One caller at a time.
constexpr DWORD kMinidumpWaitMilliseconds = 10000;
const char* WriteMinidump(EXCEPTION_POINTERS* exception, const char* path);

// Writes a dump of every thread as it stands, without an exception, on the
// calling thread: for a freeze, once the frozen thread runs again, so that
// dbghelp never waits on a lock the suspended thread holds. Null when it
// was written whole, otherwise why not; prunes like a crash's dump.
const char* WriteMinidumpOfEveryThread(const char* path);

// Keeps the dumps of the newest kDumpsKept crashes and freezes in folder
// (crash_*.dmp and freeze_*.dmp, by their last write) and deletes the older
// ones. Text reports are never touched. Uses no heap of the C runtime; a
// call that meets another one at work leaves the pruning to it.
constexpr int kDumpsKept = 5;
void PruneOldDumps(const char* folder);
