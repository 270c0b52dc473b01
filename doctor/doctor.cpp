#include "doctor/doctor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <unordered_map>

#include "core/ini_file.h"
#include "core/settings.h"
#include "doctor/crash_info.h"
#include "doctor/settings_text.h"
#include "plugin/option_table.h"

namespace doctor {
namespace {

// Keys that are read as values of their own, besides the option rows.
const char* const kValueKeys[] = {"CustomMemoryBlockTotalSizeMb", "CountAllocatorBenchmark",
                                  "TimesAllocatorBenchmark", "ThreadsAllocatorBenchmark"};
constexpr int kPoolCapMb = 1024;

bool IsOn(const char* key) { return GetSetting(key, -1) > 0; }

std::string RuledOutBecause(const OptionEntry& row) {
  for (const char* other : row.ruledOutBy) {
    if (other != nullptr && IsOn(other)) return std::string("ruled out by ") + other;
  }
  if (row.required != nullptr && !IsOn(row.required)) return std::string("needs ") + row.required;
  return "";
}

// RecordCrashInfo is applied whenever it is above 0, but without its bit 0x01
// the recorder installs nothing: for the player that option is off.
bool InstallsNothing(const OptionEntry& row) {
  return std::string_view(row.key) == "RecordCrashInfo" && !WritesCrashReports(GetSetting(row.key, 0));
}

bool TakesEffect(const OptionEntry& row) { return IsOptionEligible(row) && !InstallsNothing(row); }

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
      v.why = RuledOutBecause(*row);
    }
    verdicts.push_back(v);
  }
  return verdicts;
}

// The late case as the entry point plays it: every eligible early row is
// overridden to 0, then the remaining rows are judged again.
void JudgeLateCase(std::vector<OptionVerdict>& verdicts) {
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (row->early && IsOptionEligible(*row)) StoreSettingOverride(row->key, 0);
  }
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    const bool onLate = !row->early && TakesEffect(*row);
    verdicts[i].offWhenLate = verdicts[i].verdict == Verdict::kOn && !onLate;
    verdicts[i].onWhenLate = verdicts[i].verdict != Verdict::kOn && onLate;
  }
}

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<std::string> KnownKeys() {
  std::vector<std::string> keys(std::begin(kValueKeys), std::end(kValueKeys));
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) keys.emplace_back(row->key);
  return keys;
}

bool StartsWithNumber(const std::string& text) {
  size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
}

bool IsWholeNumber(const std::string& text) {
  return StartsWithNumber(text) && std::to_string(ProfileTextToInt(text)) == text;
}

// Findings about single lines, added after the others: once the output is
// full they are only counted, and their text (a nearest-key search among it)
// is never composed.
class LineFindings {
 public:
  explicit LineFindings(Diagnosis& d) : d_(d) {}

  template <typename Describe>
  void Add(int line, bool needsAttention, Describe describe) {
    if (d_.findings.size() >= kShownFindings) {
      ++d_.unshownFindings;
      d_.unshownNeedAttention = d_.unshownNeedAttention || needsAttention;
      return;
    }
    d_.findings.push_back({"line " + std::to_string(line) + ": " + describe(), needsAttention});
  }

 private:
  Diagnosis& d_;
};

std::string Quoted(std::string_view text) { return "\"" + Printable(text) + "\""; }

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

void CheckEntry(const IniEntry& e, const std::vector<std::string>& known, LineFindings& lines) {
  const bool exact = std::find(known.begin(), known.end(), e.key) != known.end();
  const auto caseOnly = std::find_if(known.begin(), known.end(), [&](const std::string& k) {
    return EqualsIgnoringCase(k, e.key);
  });
  if (!exact && caseOnly != known.end()) {
    lines.Add(e.line, false, [&] {
      return Quoted(e.key) + " is read as " + Quoted(*caseOnly) + " (letter case does not matter in the file)";
    });
  } else if (!exact) {
    lines.Add(e.line, true, [&] {
      return "unknown key " + Quoted(e.key) + ", so nothing reads it; did you mean " +
             Quoted(NearestKnownKey(e.key)) + "?";
    });
  }
  // Text after a number (a comment, say) is ignored by the reader; a value
  // that does not start with a number silently reads as 0.
  if (!e.value.empty() && !IsWholeNumber(e.value)) {
    lines.Add(e.line, !StartsWithNumber(e.value), [&] {
      return Quoted(e.key + "=" + e.value) + " reads as " + std::to_string(ProfileTextToInt(e.value));
    });
  }
}

// The plugin reads the first [Patch] section and, in it, the first line of
// each key; whatever repeats them is ignored, and the player should know.
void CheckKeysAndValues(const IniFile& ini, Diagnosis& d) {
  const IniSection* patch = FindIniSection(ini, kSettingsSection);
  if (patch == nullptr || patch->entries.empty()) {
    d.findings.push_back({"no [Patch] section with settings: every option is off"});
  }
  if (patch == nullptr) return;
  LineFindings lines(d);
  const auto known = KnownKeys();
  std::unordered_map<std::string, int> firstLines;
  for (const auto& e : patch->entries) {
    const auto [first, isFirst] = firstLines.emplace(Lower(e.key), e.line);
    if (isFirst) {
      CheckEntry(e, known, lines);
    } else {
      lines.Add(e.line, true, [&] {
        return Quoted(e.key) + " again: only line " + std::to_string(first->second) + " counts";
      });
    }
  }
  for (const auto& section : ini) {
    if (&section == patch || !EqualsIgnoringCase(section.name, kSettingsSection)) continue;
    lines.Add(section.line, true, [&] {
      return "another [" + Printable(section.name) + "] section: only the one at line " +
             std::to_string(patch->line) + " is read, so its " + std::to_string(section.entries.size()) +
             " settings are ignored";
    });
  }
}

// The value is a set of bits that players set by number; say what each one
// set does, and that without 0x01 none of them matters.
void CheckCrashInfo(Diagnosis& d) {
  const int32_t value = GetSetting("RecordCrashInfo", 0);
  if (value > 0) d.findings.push_back({ExplainCrashInfo(value), !WritesCrashReports(value)});
}

void CheckValues(const std::vector<OptionVerdict>& verdicts, Diagnosis& d) {
  auto on = [&](const char* key) {
    return std::any_of(verdicts.begin(), verdicts.end(),
                       [&](const OptionVerdict& v) { return v.key == key && v.verdict == Verdict::kOn; });
  };
  const int poolMb = GetSetting("CustomMemoryBlockTotalSizeMb", -1);
  if (on("CustomMemoryBlock") && poolMb <= 0) {
    d.findings.push_back({"CustomMemoryBlock is on but CustomMemoryBlockTotalSizeMb is missing or not above 0: "
                          "no pools are built"});
  } else if (poolMb > kPoolCapMb) {
    d.findings.push_back({"CustomMemoryBlockTotalSizeMb=" + std::to_string(poolMb) + " is capped at " +
                          std::to_string(kPoolCapMb)});
  }
  if (on("RunAllocatorBenchmark")) {
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

// enblocal.ini's [MEMORY] flags, read as the plugin reads them: a value cut
// to 31 characters, blanks trimmed, true/1 and false/0 in any letter case.
int EnbBool(const IniFile& enb, const char* key, bool& found) {
  auto value = FindIniValue(enb, "MEMORY", key);
  if (!value || value->empty()) return 0;
  found = true;
  std::string text = value->substr(0, 31);
  while (!text.empty() && text.front() == ' ') text.erase(text.begin());
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (EqualsIgnoringCase(text, "true") || text == "1") return 1;
  if (EqualsIgnoringCase(text, "false") || text == "0") return -1;
  return 0;
}

void CheckEnb(const std::string& enbPath, const std::vector<OptionVerdict>& verdicts, Diagnosis& d) {
  const bool warns = std::any_of(verdicts.begin(), verdicts.end(), [](const OptionVerdict& v) {
    return v.key == "WarnBadENB" && v.verdict == Verdict::kOn;
  });
  if (enbPath.empty()) return;
  if (!warns) {
    d.findings.push_back({"enblocal.ini not read: WarnBadENB is off, so Orrisbane does not look at it", false});
    return;
  }
  // The plugin shows nothing without an enblocal.ini, but a player who names
  // one expects it checked: say it was not rather than that all is well.
  const SettingsText text = ReadSettingsText(enbPath);
  if (!text.bytes) {
    d.enbUnreadable = true;
    d.findings.push_back({"enblocal.ini not read: " + text.problem});
    return;
  }
  const IniFile entries = ParseIni(*text.bytes);
  bool found = false;
  if (EnbBool(entries, "ExpandSystemMemoryX64", found) == 1) {
    d.findings.push_back({"enblocal.ini: ExpandSystemMemoryX64 is true; Orrisbane will warn that it must be false"});
    return;
  }
  if (GetSetting("UseOSAllocators", 0) > 0 && EnbBool(entries, "ReduceSystemMemoryUsage", found) != 1 && found) {
    d.findings.push_back({"enblocal.ini: ReduceSystemMemoryUsage is not true while UseOSAllocators is on; "
                          "Orrisbane will recommend setting it true"});
  }
}

const char* VerdictText(Verdict v) {
  return v == Verdict::kOn ? "on" : v == Verdict::kOff ? "off" : "ruled out";
}

}  // namespace

bool Diagnosis::NeedsAttention() const {
  if (unshownNeedAttention) return true;
  if (std::any_of(options.begin(), options.end(), [](const OptionVerdict& v) { return v.verdict == Verdict::kRuledOut; })) {
    return true;
  }
  return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.needsAttention; });
}

std::string NearestKnownKey(const std::string& key) {
  std::string best;
  size_t bestDistance = SIZE_MAX;
  for (const auto& known : KnownKeys()) {
    const size_t distance = EditDistance(key, known);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = known;
    }
  }
  return best;
}

Diagnosis Diagnose(const std::string& iniPath, const std::string& enbPath) {
  Diagnosis d;
  const SettingsText text = ReadSettingsText(iniPath);
  if (!text.bytes) {
    d.unreadable = true;
    d.findings.push_back({text.problem});
    return d;
  }
  // The profile reader looks for a bare file name in the system folder.
  static std::string absolute;
  absolute = std::filesystem::absolute(iniPath).string();
  UseSettingsFile(absolute.c_str());
  d.options = JudgeOptions();
  CheckCrashInfo(d);
  CheckValues(d.options, d);
  CheckEnb(enbPath, d.options, d);
  CheckKeysAndValues(ParseIni(*text.bytes), d);  // last: its findings are capped
  JudgeLateCase(d.options);  // last: it stores overrides for the rest of the run
  return d;
}

std::string Render(const Diagnosis& d) {
  std::ostringstream out;
  if (!d.unreadable) {
    out << "Options:\n";
    for (const auto& v : d.options) {
      out << "  " << v.key << ": " << VerdictText(v.verdict);
      if (!v.why.empty()) out << " (" << v.why << ")";
      if (v.early && v.verdict == Verdict::kOn) out << " [early: needs the early loader Fennick]";
      out << "\n";
    }
    std::string lateOff, lateOn;
    for (const auto& v : d.options) {
      if (v.offWhenLate) lateOff += " " + v.key;
      if (v.onWhenLate) lateOn += " " + v.key;
    }
    out << "\nWithout the early loader (Orrisbane loaded after the game started):\n";
    out << "  switched off:" << (lateOff.empty() ? " nothing" : lateOff) << "\n";
    if (!lateOn.empty()) out << "  no longer ruled out:" << lateOn << "\n";
  }
  if (!d.findings.empty()) {
    out << "\nFindings:\n";
    for (const auto& f : d.findings) out << "  " << (f.needsAttention ? "! " : "- ") << f.text << "\n";
    if (d.unshownFindings > 0) out << "  and " << d.unshownFindings << " more\n";
  }
  out << "\n"
      << (d.unreadable        ? "Cannot check."
          : d.enbUnreadable   ? "Checked without enblocal.ini."
          : d.NeedsAttention() ? "Something needs attention."
                               : "All good.")
      << "\n";
  return out.str();
}

int ExitCode(const Diagnosis& d) { return d.unreadable || d.enbUnreadable ? 2 : d.NeedsAttention() ? 1 : 0; }

}  // namespace doctor
