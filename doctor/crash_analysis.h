// orrisbane-doctor --crash: the reports of a crash folder (or one report)
// judged together: which module they name, which sites an Orrisbane option
// guards, and one verdict.
#pragma once
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "doctor/crash_report.h"

namespace doctor {

struct FoundReport {
  std::string file;  // its name, printable
  int indexInFile = 0;
  int countInFile = 1;
  CrashReport report;
};

enum class Sureness {
  kFaultingModule,  // the crash happened in the culprit itself
  kCallStack,       // only the first mod module in the call stack
  kNoneFound,       // every module named is the game's or the system's
  kNoDetails,       // a report without details: only its fault address
};

struct Culprit {
  std::string module;  // empty unless a mod module is named
  Sureness sureness = Sureness::kNoDetails;
};

struct CulpritGroup {
  std::string name;                // the module, or a line for the reports that name none
  bool isModule = false;
  std::vector<size_t> reports;     // indices into CrashAnalysis::reports
  std::vector<std::string> places; // distinct, in the order first seen
  std::string newest;              // the latest time among them
};

enum class OnState { kUnknown, kOn, kOff };

struct GuardedCrash {
  size_t report = 0;
  std::string option;
  std::string where;      // what lies in the site, in words
  OnState atCrash = OnState::kUnknown;
  OnState now = OnState::kUnknown;  // in the Orrisbane.ini given
};

struct CrashAnalysis {
  std::vector<FoundReport> reports;
  std::vector<Culprit> culprits;       // one per report
  std::vector<std::string> problems;   // what could not be read, printable
  std::vector<CulpritGroup> ranking;   // most reports first
  std::vector<GuardedCrash> guarded;
  std::vector<std::string> settingsChanged;  // each distinct difference of a report's options from the INI's
  bool iniGiven = false;
  std::string iniProblem;
  std::string verdict;
  int exitCode = 2;  // 0 nothing needs doing, 1 a cause or an option to turn on, 2 nothing readable
};

// path: a report or a folder of them; iniPath: the player's Orrisbane.ini, or empty.
CrashAnalysis AnalyseCrashes(const std::string& path, const std::string& iniPath);

// Which module a report names, and how sure that is.
Culprit CulpritOf(const CrashReport& report);

// The answer a player reads: the ranking, the guarded sites, the options,
// and for one report what to do and how sure that is; the verdict last.
std::string RenderCrashAnalysis(const CrashAnalysis& analysis, const std::string& path);

}  // namespace doctor
