#include "doctor/crash_info.h"

#include <cstdio>

namespace doctor {
namespace {

constexpr int32_t kWriteBit = 0x01;

struct CrashInfoBit {
  int32_t bit;
  const char* meaning;
};

// As the recorder reads them in ApplyRecordCrashInfo and writes the report.
constexpr CrashInfoBit kBits[] = {
    {kWriteBit, "a report is written for each crash"},
    {0x02, "always to CrashLog/crash_last.txt rather than a file named by the time"},
    {0x04, "also for crashes Orrisbane has already explained in a message"},
    {0x08, "added to the end of the report file rather than replacing it"},
    {0x10, "the game ends at once after the report, without passing the crash on"},
    {0x20, "the report has a details section"},
    {0x40, "a minidump is written beside the report"},
};

std::string Hex(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

bool WritesCrashReports(int32_t value) { return (value & kWriteBit) != 0; }

std::string ExplainCrashInfo(int32_t value) {
  std::string text = "RecordCrashInfo=" + std::to_string(value) + ":";
  if (!WritesCrashReports(value)) {
    text += " bit 0x01 is clear, so no crash report is ever written (set it: RecordCrashInfo=" +
            std::to_string(value | kWriteBit) + ");";
  }
  int32_t known = 0;
  for (const auto& [bit, meaning] : kBits) {
    known |= bit;
    if (value & bit) text += " " + Hex(bit) + " " + meaning + ";";
  }
  if (value & ~known) text += " " + Hex(value & ~known) + " means nothing and is ignored;";
  text.pop_back();
  return text;
}

}  // namespace doctor
