// The debug stream: which game files the host opened last, and which
// threads are inside a binary-stream read, so that a fault while setting a
// string can name the likely corrupt file.
#pragma once
#include <cstdint>
#include <string>

// handleField is the stream object's field at offset 4, -1 for a failed
// open; name may be null.
void RecordOpenedFile(uint32_t handleField, const char* name);

// Appends one paragraph per recorded file, newest first, with its age.
void AppendRecentFiles(std::string& text);

void ReportStreamReadFailure();
[[noreturn]] void ReportStringSetFailure(uint32_t stackStart);

// The millisecond clock behind the ages; GetTickCount64 unless replaced.
using MillisecondClock = uint64_t (*)();
void SetRecentFileClock(MillisecondClock clock);
