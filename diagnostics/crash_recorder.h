// The crash recorder: one report per process for the first exception that
// nothing else handles, written from the faulting thread.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// At most 256 words of up to eight hex digits, each after a space.
constexpr size_t kStackWordsTextSize = 256 * 9 + 1;
using StackWordsText = char[kStackWordsTextSize];

// Lists the words from start upwards in hex, separated by spaces, stopping
// at the first unreadable one; with hostImageOnly, only words that point
// into the host's code. Returns out.
const char* FormatStackWords(uint32_t start, bool hostImageOnly, StackWordsText& out);

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception);
void WriteCrashReport(EXCEPTION_POINTERS* exception);

// Stands in the host's import of SetUnhandledExceptionFilter, so that the
// host cannot take the recorder's place.
LPTOP_LEVEL_EXCEPTION_FILTER WINAPI NoOpSetFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);
