#include "doctor/crash_info.h"

#include <cstdio>

#include "core/option_rules.h"
#include "diagnostics/crash_info_bits.h"

namespace doctor {
namespace {

using namespace crash_info;

struct CrashInfoBit {
  int32_t bit;
  const char* meaning;
};

constexpr CrashInfoBit kBits[] = {
    {kInstallBit, "a report is written for each crash"},
    {kFixedFileBit, "always to CrashLog/crash_last.txt rather than a file named by the time"},
    {kReportKnownCrashBit, "also for crashes Orrisbane has already explained in a message"},
    {kAppendBit, "added to the end of the report file rather than replacing it"},
    {kForceExecuteBit, "the game ends at once after the report, without passing the crash on"},
    {kDetailsBit, "the report has a details section"},
    {kMinidumpBit, "a minidump is written beside the report"},
};

std::string Hex(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

bool WritesCrashReports(int32_t value) { return !option_rules::ValueInstallsNothing("RecordCrashInfo", value); }

std::string ExplainCrashInfo(int32_t value) {
  std::string text = "RecordCrashInfo=" + std::to_string(value) + ":";
  if (!WritesCrashReports(value)) {
    text += " bit 0x01 is clear, so no crash report is ever written (set it: RecordCrashInfo=" +
            std::to_string(value | kInstallBit) + ");";
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
