// The classic crash report's text: five lines with the time, the fault
// address, the registers and the stack words. Composed in static buffers
// without the C runtime, so that it works whatever other threads hold.
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

// The local time as "%Y_%m_%d_%H-%M-%S" (2016_05_01_21-07-09) would give it,
// from GetLocalTime: the C runtime's time conversion allocates.
using CrashTimeText = char[80];
void FormatCrashTime(CrashTimeText& out);

// The report of the context, every line feed as CR LF as a text stream
// would write it, after the append separator when withSeparator is set, and
// with the player's summary (when not null) after the long line. Returns the
// text and sets its length; the buffer is reused by each call.
const char* ComposeClassicReport(const CONTEXT& context, const char* time, bool withSeparator, const char* summary,
                                 DWORD* length);
