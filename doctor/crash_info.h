// The bits of RecordCrashInfo, told in words: the value is a set of flags for
// the crash recorder, and a value that lacks 0x01 installs no recorder at all.
#pragma once
#include <cstdint>
#include <string>

namespace doctor {

bool WritesCrashReports(int32_t value);

// What each bit set in value asks for, as one line.
std::string ExplainCrashInfo(int32_t value);

}  // namespace doctor
