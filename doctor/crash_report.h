// The crash and freeze reports Orrisbane writes, read back by hand: players
// paste and re-save them, so a line of any length, any bytes and numbers
// too long to be addresses must give a reported problem, never a crash.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace doctor {

// A module and an offset in it, as the details write them:
// "CrashMod.dll+0x14B4 (FaulterRead@4+0x4)".
struct ModulePlace {
  std::string module;
  uint32_t offset = 0;
  std::string exportName;  // "FaulterRead@4+0x4", when the report has one
};

struct CrashReport {
  bool freeze = false;
  std::string time;
  uint32_t faultAddress = 0;  // of a freeze: where the main thread was
  std::vector<uint32_t> hostStackWords;
  // The summary, when the report has one.
  bool hasSummary = false;
  std::string culpritLine;  // after "Probable culprit: "
  std::string whatToDo;     // after "What to do: "
  // The details, when the report has them.
  bool hasDetails = false;
  std::string exception;
  bool faultInModule = false;  // false: "none at 0x…"
  ModulePlace faultPlace;
  std::vector<std::string> callStackModules;  // the probable call stack, top first
  bool hasOptionsLine = false;
  std::vector<std::string> optionsOn;
};

struct ReadReports {
  std::vector<CrashReport> reports;
  std::vector<std::string> problems;  // one line each, already printable
};

// Every report in text (appended ones too), whatever its encoding.
ReadReports ParseReports(std::string_view bytes);

// Hexadecimal digits, without a prefix, that fit 32 bits.
bool ParseHex32(std::string_view text, uint32_t& value);

}  // namespace doctor
