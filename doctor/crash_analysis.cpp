#include "doctor/crash_analysis.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>

#include "core/ini_file.h"
#include "core/system_modules.h"
#include "doctor/doctor.h"
#include "doctor/player_file.h"
#include "patch/frame_sites.h"
#include "plugin/option_table.h"

namespace doctor {
namespace {

namespace fs = std::filesystem;

// A return address points just past its call, so the call itself is the
// byte before it; the fault address is the instruction itself.
constexpr uint32_t kCallBeforeReturn = 1;
constexpr size_t kHostStackWordsChecked = 8;

std::string Hex(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

// The game is the one program; the rest is the plugin's own rule.
bool IsGameOrSystem(const std::string& module) {
  std::string ending = module.size() > 4 ? module.substr(module.size() - 4) : "";
  for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ending == ".exe" || IsSystemModule(module.c_str());
}

// "CrashMod.dll 1.2.3.4 (the crash happened in it)": the first word, and
// which of the summary's forms it is.
Culprit FromSummary(const std::string& line) {
  const std::string module = line.substr(0, line.find(' '));
  if (module == "none" || module.empty()) return {"", Sureness::kNoneFound};
  const bool inIt = line.find("(the crash happened in it)") != std::string::npos ||
                    line.find("(the main thread is stuck in it)") != std::string::npos;
  return {module, inIt ? Sureness::kFaultingModule : Sureness::kCallStack};
}

constexpr const char* kGameModule = "Vellmoor.exe";

// Where a report without details faulted: the game's own code by its
// address range, anything else by the address alone.
std::string FaultModule(const CrashReport& r) {
  if (r.faultInModule) return r.faultPlace.module;
  const bool inGame = r.faultAddress >= host::kImageBegin && r.faultAddress <= host::kImageLast;
  return inGame ? kGameModule : "0x" + Hex(r.faultAddress);
}

std::string Place(const FoundReport& found) {
  const CrashReport& r = found.report;
  if (!r.faultInModule) {
    const std::string module = FaultModule(r);
    return module == kGameModule ? module + "+0x" + Hex(r.faultAddress - host::kImageBegin) : module;
  }
  std::string place = r.faultPlace.module + "+0x" + Hex(r.faultPlace.offset);
  if (!r.faultPlace.exportName.empty()) place += " (" + r.faultPlace.exportName + ")";
  return Printable(place);
}

std::vector<FoundReport> Collect(const std::string& path, CrashAnalysis& a) {
  std::vector<std::string> files;
  std::error_code error;
  if (fs::is_directory(path, error)) {
    for (const auto& entry : fs::directory_iterator(path, error)) {
      const std::string name = entry.path().filename().string();
      const bool report = (name.starts_with("crash_") || name.starts_with("freeze_")) && name.ends_with(".txt");
      if (report) files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) a.problems.push_back("no crash_*.txt or freeze_*.txt in " + Printable(path));
  } else {
    files.push_back(path);
  }
  std::vector<FoundReport> found;
  for (const std::string& file : files) {
    const std::string shown = Printable(fs::path(file).filename().string());
    const PlayerFile text = ReadPlayerFile(file, kLargestCrashReport, "a crash report");
    if (!text.bytes) {
      a.problems.push_back(text.problem);
      continue;
    }
    ReadReports read = ParseReports(*text.bytes);
    for (const std::string& problem : read.problems) a.problems.push_back(shown + ": " + problem);
    if (read.reports.empty() && read.problems.empty()) {
      a.problems.push_back(shown + ": not an Orrisbane crash report (no \"Crash info:\" with its line)");
    }
    for (size_t i = 0; i < read.reports.size(); ++i) {
      found.push_back({shown, static_cast<int>(i) + 1, static_cast<int>(read.reports.size()),
                       std::move(read.reports[i])});
    }
  }
  return found;
}

std::vector<CulpritGroup> Rank(const CrashAnalysis& a) {
  std::map<std::string, CulpritGroup> groups;
  for (size_t i = 0; i < a.reports.size(); ++i) {
    const Culprit& c = a.culprits[i];
    const std::string name = !c.module.empty()                  ? Printable(c.module)
                             : c.sureness == Sureness::kNoDetails ? "no details (counted by fault address)"
                                                                  : "none found (the game or the system)";
    CulpritGroup& g = groups[name];
    g.name = name;
    g.isModule = !c.module.empty();
    g.reports.push_back(i);
    const std::string place = Place(a.reports[i]);
    if (std::find(g.places.begin(), g.places.end(), place) == g.places.end()) g.places.push_back(place);
    g.newest = std::max(g.newest, Printable(a.reports[i].report.time));
  }
  std::vector<CulpritGroup> ranking;
  for (auto& [name, group] : groups) ranking.push_back(std::move(group));
  std::stable_sort(ranking.begin(), ranking.end(), [](const CulpritGroup& x, const CulpritGroup& y) {
    return x.reports.size() > y.reports.size();
  });
  return ranking;
}

OnState StateIn(const std::set<std::string>& on, const std::string& option) {
  return on.count(option) ? OnState::kOn : OnState::kOff;
}

// The option whose own patches cover the address, or empty. Of a fix and its
// variant sharing the site, the one that was on: that is the code that ran.
std::string OptionPatching(uint32_t address, const std::optional<std::set<std::string>>& on) {
  const OptionEntry* first = FindOptionGuarding(address);
  for (const OptionEntry* row = first; row != nullptr && on; row = FindOptionGuarding(address, row)) {
    if (on->count(row->key)) return row->key;
  }
  return first != nullptr ? first->key : "";
}

std::optional<GuardedCrash> FindGuardedSite(const CrashReport& report,
                                            const std::optional<std::set<std::string>>& on) {
  if (std::string option = OptionPatching(report.faultAddress, on); !option.empty()) {
    return GuardedCrash{.option = option, .where = "the fault address 0x" + Hex(report.faultAddress)};
  }
  for (size_t i = 0; i < report.hostStackWords.size() && i < kHostStackWordsChecked; ++i) {
    const uint32_t word = report.hostStackWords[i];
    if (std::string option = OptionPatching(word - kCallBeforeReturn, on); !option.empty()) {
      return GuardedCrash{.option = option, .where = "the game's call before the return address 0x" + Hex(word) +
                                                     " (STACK word " + std::to_string(i + 1) + ")"};
    }
  }
  return std::nullopt;
}

std::string Listed(const std::vector<std::string>& keys) {
  std::string text;
  for (const auto& key : keys) text += (text.empty() ? "" : ", ") + Printable(key);
  return text;
}

std::string ChangedSince(const std::set<std::string>& then, const std::set<std::string>& now) {
  std::vector<std::string> dropped, added;
  std::set_difference(then.begin(), then.end(), now.begin(), now.end(), std::back_inserter(dropped));
  std::set_difference(now.begin(), now.end(), then.begin(), then.end(), std::back_inserter(added));
  if (dropped.empty() && added.empty()) return "";
  std::string text = "you changed settings since the crash:";
  if (!dropped.empty()) text += " on then, off now: " + Listed(dropped) + ";";
  if (!added.empty()) text += " on now, off then: " + Listed(added) + ";";
  text.pop_back();
  return text;
}

std::string Plural(size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "es");
}

void Judge(CrashAnalysis& a) {
  std::map<std::string, size_t> guardedOff;
  for (const GuardedCrash& g : a.guarded) {
    const OnState state = g.now != OnState::kUnknown ? g.now : g.atCrash;
    if (state == OnState::kOff) ++guardedOff[g.option];
  }
  const auto most = std::max_element(guardedOff.begin(), guardedOff.end(),
                                     [](const auto& x, const auto& y) { return x.second < y.second; });
  const size_t total = a.reports.size();
  if (most != guardedOff.end()) {
    a.verdict = Plural(most->second, "crash") + " in a site that " + most->first + " guards, which is off";
    a.exitCode = 1;
    return;
  }
  const CulpritGroup& top = a.ranking.front();
  if (top.isModule && top.reports.size() * 2 > total) {
    a.verdict = top.name + " is in " + std::to_string(top.reports.size()) + " of " + std::to_string(total) + " crashes" +
                ": update or remove the mod that installed it";
    a.exitCode = 1;
    return;
  }
  std::set<std::string> modules;
  for (const FoundReport& r : a.reports) {
    modules.insert(FaultModule(r.report));
  }
  // All in one place of the game or the system: nothing to spread over.
  a.verdict = modules.size() == 1 ? "no single cause: no mod is named in these reports"
                                  : "no single cause: the crashes are spread over " + std::to_string(modules.size()) +
                                        " modules";
  a.exitCode = 0;
}

}  // namespace

Culprit CulpritOf(const CrashReport& report) {
  if (report.hasSummary && !report.culpritLine.empty()) return FromSummary(report.culpritLine);
  if (!report.hasDetails) return {"", Sureness::kNoDetails};
  if (report.faultInModule && !IsGameOrSystem(report.faultPlace.module)) {
    return {report.faultPlace.module, Sureness::kFaultingModule};
  }
  for (const std::string& module : report.callStackModules) {
    if (!IsGameOrSystem(module)) return {module, Sureness::kCallStack};
  }
  return {"", Sureness::kNoneFound};
}

CrashAnalysis AnalyseCrashes(const std::string& path, const std::string& iniPath) {
  CrashAnalysis a;
  a.reports = Collect(path, a);
  if (a.reports.empty()) return a;
  std::optional<std::set<std::string>> onNow;
  if (!iniPath.empty()) {
    const Diagnosis settings = Diagnose(iniPath, "");
    if (settings.unreadable) {
      a.iniProblem = settings.findings.front().text;
    } else {
      a.iniGiven = true;
      onNow.emplace();
      for (const OptionVerdict& v : settings.options) {
        if (v.verdict == Verdict::kOn) onNow->insert(v.key);
      }
    }
  }
  for (size_t i = 0; i < a.reports.size(); ++i) {
    const CrashReport& report = a.reports[i].report;
    a.culprits.push_back(CulpritOf(report));
    std::optional<std::set<std::string>> onThen;
    if (report.hasOptionsLine) onThen.emplace(report.optionsOn.begin(), report.optionsOn.end());
    if (onThen && onNow) {
      const std::string changed = ChangedSince(*onThen, *onNow);
      const auto& seen = a.settingsChanged;
      if (!changed.empty() && std::find(seen.begin(), seen.end(), changed) == seen.end()) {
        a.settingsChanged.push_back(changed);
      }
    }
    if (auto guarded = FindGuardedSite(report, onThen ? onThen : onNow)) {
      guarded->report = i;
      if (onThen) guarded->atCrash = StateIn(*onThen, guarded->option);
      if (onNow) guarded->now = StateIn(*onNow, guarded->option);
      a.guarded.push_back(*guarded);
    }
  }
  a.ranking = Rank(a);
  Judge(a);
  return a;
}

}  // namespace doctor
