#include "doctor/judging.h"

#include <algorithm>
#include <string_view>

#include "core/ini_file.h"
#include "core/option_rules.h"
#include "core/settings.h"
#include "doctor/crash_info.h"
#include "doctor/player_file.h"

namespace doctor {
namespace {

using option_rules::EnbBool;

constexpr int kPoolCapMb = 1024;

bool IsOn(const char* key) { return key != nullptr && GetSetting(key, -1) > 0; }

bool IsInEffect(const char* key) {
  const OptionEntry* row = FindOptionByKey(key);
  return row != nullptr && TakesEffect(*row);
}

std::string Setting(const char* key) { return std::string(key) + "=" + std::to_string(GetSetting(key, 0)); }

struct RuledOutBy {
  Finding finding;
  std::string why;  // the short form, for the list of options
};

// Why an option the player set is not applied. A value that the option
// ruling it out reads is not lost: say what it does there.
RuledOutBy RuledOut(const OptionEntry& row) {
  if (row.required != nullptr && !IsOn(row.required)) {
    return {{Setting(row.key) + " has no effect without " + row.required}, std::string("needs ") + row.required};
  }
  for (const char* conflict : row.ruledOutBy) {
    const option_rules::ValueRead* read = IsOn(conflict) ? option_rules::FindValueRead(conflict, row.key) : nullptr;
    if (read != nullptr && IsInEffect(conflict)) {
      return {{Setting(row.key) + " with " + conflict + " on: " + read->effect, false},
              std::string("ruled out by ") + conflict + ", which reads its value"};
    }
  }
  // Of two conflicts set, the one that is applied is the one to name.
  const auto& [first, second] = row.ruledOutBy;
  const bool firstNamed = IsOn(first) && (IsInEffect(first) || !IsInEffect(second));
  const char* conflict = firstNamed || !IsOn(second) ? first : second;
  return {{Setting(row.key) + " has no effect while " + conflict + " is on"}, std::string("ruled out by ") + conflict};
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

bool TakesEffect(const OptionEntry& row) {
  return IsOptionEligible(row) && !option_rules::ValueInstallsNothing(row.key, GetSetting(row.key, 0));
}

std::vector<OptionVerdict> JudgeOptions() {
  std::vector<OptionVerdict> verdicts;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    OptionVerdict v{row->key, Verdict::kOff, "", row->early};
    if (TakesEffect(*row)) {
      v.verdict = Verdict::kOn;
    } else if (IsOptionEligible(*row)) {
      v.why = "writes no crash report: bit 0x01 is clear";
    } else if (IsOn(row->key)) {
      v.verdict = Verdict::kRuledOut;
      v.why = RuledOut(*row).why;
    }
    verdicts.push_back(v);
  }
  return verdicts;
}

void CheckRulesBetweenOptions(Diagnosis& d) {
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (IsOn(row->key) && !IsOptionEligible(*row)) d.findings.push_back(RuledOut(*row).finding);
  }
  // Options whose value another option in effect reads, beyond those the
  // reader rules out (told above); plain numbers are told with the values.
  for (const option_rules::ValueRead& read : option_rules::ValueReads()) {
    const OptionEntry* readRow = FindOptionByKey(read.key);
    if (readRow == nullptr || !IsInEffect(read.reader) || option_rules::ReadValue(read) <= 0) continue;
    const bool toldAsRuledOut = std::ranges::any_of(readRow->ruledOutBy, [&](const char* other) {
      return other != nullptr && other == std::string_view(read.reader);
    });
    if (!toldAsRuledOut) {
      d.findings.push_back({Setting(read.key) + " is read by " + read.reader + ": " + read.effect, false});
    }
  }
}

void CheckValues(Diagnosis& d) {
  const int32_t crashInfo = GetSetting("RecordCrashInfo", 0);
  if (crashInfo > 0) d.findings.push_back({ExplainCrashInfo(crashInfo), !WritesCrashReports(crashInfo)});
  const int poolMb = GetSetting("CustomMemoryBlockTotalSizeMb", -1);
  if (IsInEffect("CustomMemoryBlock") && poolMb <= 0) {
    d.findings.push_back({"CustomMemoryBlock is on but CustomMemoryBlockTotalSizeMb is missing or not above 0: "
                          "no pools are built"});
  } else if (poolMb > kPoolCapMb) {
    d.findings.push_back({"CustomMemoryBlockTotalSizeMb=" + std::to_string(poolMb) + " is capped at " +
                          std::to_string(kPoolCapMb)});
  }
  if (IsInEffect("RunAllocatorBenchmark")) {
    for (const char* key : {"CountAllocatorBenchmark", "TimesAllocatorBenchmark", "ThreadsAllocatorBenchmark"}) {
      const int value = GetSetting(key, -1);
      if (value < 1) {
        // Times below 1 is a dry run; the other two size the work.
        const bool dryRun = std::string_view(key) == "TimesAllocatorBenchmark";
        d.findings.push_back({std::string(key) + " is " + (value == -1 ? "missing" : std::to_string(value)) +
                              (dryRun ? ": the benchmark measures nothing and reports averages of 0"
                                      : ": the benchmark needs it at 1 or more and will refuse to run")});
      }
    }
    d.findings.push_back({"RunAllocatorBenchmark is on: not for normal play, it turns the memory options off"});
  }
}

void CheckEnb(const std::string& enbPath, Diagnosis& d) {
  if (enbPath.empty()) return;
  if (!IsInEffect("WarnBadENB")) {
    d.findings.push_back({"enblocal.ini not read: WarnBadENB is off, so Orrisbane does not look at it", false});
    return;
  }
  // The plugin shows nothing without an enblocal.ini, and neither does the
  // doctor; one that is there but cannot be read was not checked.
  const PlayerFile text = ReadPlayerFile(enbPath, kLargestSettingsFile, "a settings file");
  if (text.missing) {
    d.findings.push_back({"no enblocal.ini: no ENB checks", false});
    return;
  }
  if (!text.bytes) {
    d.enbUnreadable = true;
    d.findings.push_back({"enblocal.ini not read: " + text.problem});
    return;
  }
  const IniFile entries = ParseIni(*text.bytes);
  auto read = [&](const char* key, std::optional<std::string>& value) {
    value = FindIniValue(entries, "MEMORY", key);
    if (value && value->empty()) value.reset();  // an empty value is no value to the profile reader
    const EnbBool b = value ? option_rules::ReadEnbBool(*value) : EnbBool::kNeither;
    if (value && b == EnbBool::kNeither) {
      d.findings.push_back({"enblocal.ini: " + std::string(key) + "=" +
                            Printable(Trimmed(value->substr(0, option_rules::kEnbValueChars))) +
                            " is read as false (only true, false, 1 and 0 are understood)"});
    }
    return b;
  };
  std::optional<std::string> expand, reduce;
  if (read("ExpandSystemMemoryX64", expand) == EnbBool::kTrue) {
    d.findings.push_back({"enblocal.ini: ExpandSystemMemoryX64 is true; Orrisbane will warn that it must be false"});
    return;
  }
  if (!IsOn("UseOSAllocators")) return;
  // As the plugin reads it: either key having a value is enough.
  if (read("ReduceSystemMemoryUsage", reduce) != EnbBool::kTrue && (expand || reduce)) {
    d.findings.push_back({"enblocal.ini: ReduceSystemMemoryUsage is not true while UseOSAllocators is on; "
                          "Orrisbane will recommend setting it true"});
  }
}

}  // namespace doctor
