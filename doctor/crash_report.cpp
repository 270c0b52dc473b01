#include "doctor/crash_report.h"

#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "doctor/doctor.h"
#include "plugin/option_table.h"

namespace doctor {
namespace {

// A return address points just past its call, so the call itself is the
// byte before it; the fault address is the instruction itself.
constexpr uint32_t kCallBeforeReturn = 1;
constexpr size_t kHostStackWordsChecked = 8;

struct CrashReport {
  std::string time;
  uint32_t faultAddress = 0;
  std::vector<uint32_t> hostStackWords;
  std::string exception;        // from the details, when present
  std::string faultingModule;   // from the details, when present
};

bool OptionIsOn(const Diagnosis& settings, const std::string& option) {
  for (const OptionVerdict& verdict : settings.options) {
    if (verdict.key == option) return verdict.verdict == Verdict::kOn;
  }
  return false;
}

// The option whose own patches cover the address, or empty. Of a fix and its
// variant sharing the site, the one the settings have on: that is the code
// that ran there.
std::string OptionPatching(uint32_t address, const Diagnosis& settings) {
  const OptionEntry* first = FindOptionGuarding(address);
  for (const OptionEntry* row = first; row != nullptr; row = FindOptionGuarding(address, row)) {
    if (OptionIsOn(settings, row->key)) return row->key;
  }
  return first != nullptr ? first->key : "";
}

std::vector<uint32_t> HexWords(const std::string& list) {
  std::vector<uint32_t> words;
  std::istringstream in(list);
  std::string word;
  while (in >> word) words.push_back(static_cast<uint32_t>(std::stoul(word, nullptr, 16)));
  return words;
}

// Reports begin at "Crash info:"; the long line follows it. Appended
// reports are separated by a line of '=' that needs no reading.
std::vector<CrashReport> ParseReports(const std::string& text) {
  static const std::regex longLine(R"(^(\S+) - ([0-9A-F]{1,8}): V\(1\);.* STACK\(([0-9A-F ]*)\);$)");
  std::vector<CrashReport> reports;
  std::istringstream lines(text);
  std::string line;
  bool expectLongLine = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::smatch parts;
    if (line == "Crash info:") {
      expectLongLine = true;
    } else if (expectLongLine && std::regex_match(line, parts, longLine)) {
      expectLongLine = false;
      reports.push_back({parts[1], static_cast<uint32_t>(std::stoul(parts[2], nullptr, 16)), HexWords(parts[3]), {}, {}});
    } else if (!reports.empty() && line.rfind("Exception: ", 0) == 0) {
      reports.back().exception = line.substr(11);
    } else if (!reports.empty() && line.rfind("Faulting module: ", 0) == 0) {
      reports.back().faultingModule = line.substr(17);
    }
  }
  return reports;
}

struct SiteMatch {
  std::string option;
  std::string where;  // what lies in the site, in words
};

SiteMatch FindGuardedSite(const CrashReport& report, const Diagnosis& settings) {
  std::ostringstream where;
  if (std::string option = OptionPatching(report.faultAddress, settings); !option.empty()) {
    where << "The fault address 0x" << std::hex << std::uppercase << report.faultAddress;
    return {option, where.str()};
  }
  for (size_t i = 0; i < report.hostStackWords.size() && i < kHostStackWordsChecked; ++i) {
    const uint32_t word = report.hostStackWords[i];
    if (std::string option = OptionPatching(word - kCallBeforeReturn, settings); !option.empty()) {
      where << "The game's call before the return address 0x" << std::hex << std::uppercase << word
            << " (stack word " << std::dec << i + 1 << " in STACK)";
      return {option, where.str()};
    }
  }
  return {};
}

}  // namespace

CrashExplanation ExplainCrashReport(const std::string& reportPath, const std::string& iniPath) {
  CrashExplanation result;
  std::ifstream in(reportPath, std::ios::binary);
  std::stringstream text;
  if (in) text << in.rdbuf();
  const std::vector<CrashReport> reports = ParseReports(text.str());
  if (!in || reports.empty()) {
    result.text = "cannot read " + reportPath + " as an Orrisbane crash report (no \"Crash info:\" with its line)\n";
    result.exitCode = 2;
    return result;
  }
  Diagnosis settings;
  if (!iniPath.empty()) settings = Diagnose(iniPath, "");
  std::ostringstream out;
  if (settings.unreadable) out << "Cannot read " << iniPath << "; the options are judged without it.\n\n";
  for (size_t i = 0; i < reports.size(); ++i) {
    const CrashReport& report = reports[i];
    out << "Crash " << i + 1 << " of " << reports.size() << ", at " << report.time << "\n";
    out << "  Fault address: 0x" << std::hex << std::uppercase << report.faultAddress << std::dec << "\n";
    if (!report.faultingModule.empty()) out << "  Faulting module: " << report.faultingModule << "\n";
    if (!report.exception.empty()) out << "  Exception: " << report.exception << "\n";
    const SiteMatch match = FindGuardedSite(report, settings);
    if (match.option.empty()) {
      out << "  No site that an Orrisbane option patches holds the fault address or the game's calls in the first "
          << kHostStackWordsChecked << " STACK words.\n";
    } else {
      out << "  " << match.where << " lies in a site that " << match.option << " patches.\n";
      if (iniPath.empty() || settings.unreadable) {
        out << "  Give your Orrisbane.ini as well to learn whether " << match.option << " is on.\n";
      } else if (OptionIsOn(settings, match.option)) {
        out << "  " << match.option << " was on in " << iniPath << ".\n";
      } else {
        out << "  " << match.option << " is off in " << iniPath << ": turning " << match.option
            << " on guards this site.\n";
        result.exitCode = 1;
      }
    }
  }
  result.text = out.str();
  return result;
}

}  // namespace doctor
