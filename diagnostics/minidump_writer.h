// The minidump beside a crash report (RecordCrashInfo bit 0x40), written by
// dbghelp's MiniDumpWriteDump on a thread of its own. Library and thread
// are ready from install, so that the crash path loads and creates nothing,
// and a thread that has overflowed its stack still gets its dump.
#pragma once
#include <windows.h>

// At install. False when dbghelp or the thread is not available.
bool StartMinidumpWriter();

// Hands the exception to the writer thread and waits for it, at most
// kMinidumpWaitMilliseconds: dbghelp takes well under a second on Windows
// but over ten under an emulated Wine, and a writer stuck on a lock the
// crashed thread holds must not keep the game hanging. Null when the dump was written, otherwise
// why not, in a few words. Once per process.
constexpr DWORD kMinidumpWaitMilliseconds = 30000;
const char* WriteMinidump(EXCEPTION_POINTERS* exception, const char* path);
