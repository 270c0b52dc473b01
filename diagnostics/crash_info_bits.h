// What each bit of RecordCrashInfo asks of the crash recorder; the doctor
// explains the same bits to players.
#pragma once
#include <cstdint>

#include "core/option_rules.h"

namespace crash_info {

constexpr int32_t kInstallBit = option_rules::kCrashReportInstallBit;  // write a report for each crash
constexpr int32_t kFixedFileBit = 0x02;         // always crash_last.txt
constexpr int32_t kReportKnownCrashBit = 0x04;  // also for crashes a message already explained
constexpr int32_t kAppendBit = 0x08;            // append to the file instead of replacing it
constexpr int32_t kForceExecuteBit = 0x10;      // end the game at once, not passing the crash on
constexpr int32_t kDetailsBit = 0x20;           // the details section
constexpr int32_t kMinidumpBit = 0x40;          // a minidump beside the report

}  // namespace crash_info
