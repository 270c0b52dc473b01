// The crash analysis in words, for the player who ran the doctor.
#include <sstream>

#include "doctor/crash_analysis.h"
#include "doctor/player_file.h"

namespace doctor {
namespace {

// A folder of a thousand reports would otherwise list hundreds of places
// and sites; the counts and the verdict take them all.
constexpr size_t kShown = 10;

const char* StateText(OnState state) {
  return state == OnState::kOn ? "on" : state == OnState::kOff ? "off" : "unknown";
}

std::string Count(size_t count) { return std::to_string(count) + (count == 1 ? " crash" : " crashes"); }

void RenderRanking(const CrashAnalysis& a, std::ostringstream& out) {
  out << "Probable culprits:\n";
  for (const CulpritGroup& g : a.ranking) {
    out << "  " << g.name << ": " << Count(g.reports.size()) << ", newest " << g.newest << "\n    at ";
    for (size_t i = 0; i < g.places.size() && i < kShown; ++i) out << (i == 0 ? "" : ", ") << g.places[i];
    if (g.places.size() > kShown) out << " and " << g.places.size() - kShown << " more places";
    out << "\n";
  }
}

void RenderGuarded(const CrashAnalysis& a, std::ostringstream& out) {
  out << "Guarded sites:\n";
  if (a.guarded.empty()) out << "  none: no report's fault lies in a site that an Orrisbane option guards\n";
  for (size_t i = 0; i < a.guarded.size(); ++i) {
    if (i == kShown) {
      out << "  and " << a.guarded.size() - i << " more\n";
      break;
    }
    const GuardedCrash& g = a.guarded[i];
    const FoundReport& r = a.reports[g.report];
    out << "  " << r.file;
    if (r.countInFile > 1) out << " (report " << r.indexInFile << " of " << r.countInFile << ")";
    out << ": " << g.where << " lies in a site that " << g.option << " guards; " << g.option;
    if (g.atCrash != OnState::kUnknown) {
      out << " was " << StateText(g.atCrash) << " at that crash";
      if (g.now != OnState::kUnknown && g.now != g.atCrash) out << " and is " << StateText(g.now) << " now";
    } else if (g.now != OnState::kUnknown) {
      out << " is " << StateText(g.now) << " in the Orrisbane.ini given (the report does not list its options)";
    } else {
      out << " may have been on or off: give your Orrisbane.ini as well";
    }
    out << "\n";
  }
}

void RenderOptions(const CrashAnalysis& a, std::ostringstream& out) {
  if (!a.iniProblem.empty()) out << "Orrisbane.ini not read (" << a.iniProblem << "); judged by the reports alone\n";
  for (const std::string& change : a.settingsChanged) out << "Settings: " << change << "\n";
  if (a.iniGiven && a.settingsChanged.empty()) {
    bool anyLine = false;
    for (const FoundReport& r : a.reports) anyLine = anyLine || r.report.hasOptionsLine;
    out << (anyLine ? "Settings: the options on are the same as at the crashes\n"
                    : "Settings: the reports do not list their options; judged by the Orrisbane.ini given\n");
  }
}

// One report: what to do and how sure that is, as the report's own summary says it.
void RenderOneReport(const CrashAnalysis& a, std::ostringstream& out) {
  const CrashReport& r = a.reports.front().report;
  const Culprit& c = a.culprits.front();
  out << (r.freeze ? "Freeze at " : "Crash at ") << Printable(r.time.substr(0, 64)) << ", address 0x" << std::hex
      << std::uppercase << r.faultAddress << std::dec << "\n";
  if (!r.exception.empty()) out << "  Exception: " << Printable(r.exception) << "\n";
  const std::string module = Printable(c.module);
  const std::string where = r.faultInModule ? Printable(r.faultPlace.module) : "the game";
  switch (c.sureness) {
    case Sureness::kFaultingModule:
      out << "  How sure: fairly: the crash happened in " << module << " itself\n";
      break;
    case Sureness::kCallStack:
      out << "  How sure: a guess: " << module << " is only the first mod module in the call stack; the crash "
          << "happened in " << where << "\n";
      break;
    case Sureness::kNoneFound:
      out << "  How sure: no mod is named: every module in the report is the game's or the system's\n";
      break;
    case Sureness::kNoDetails:
      out << "  How sure: the report has no details (RecordCrashInfo without 32), so only its fault address is "
             "known\n";
      break;
  }
  out << "  What to do: ";
  if (!r.whatToDo.empty()) {
    out << Printable(r.whatToDo) << "\n";
  } else if (!c.module.empty()) {
    out << "update or remove the mod that installed " << module
        << ", and post this whole report, not only its first lines, when you ask for help.\n";
  } else {
    out << "post this whole report, with your Orrisbane.ini, when you ask for help"
        << (c.sureness == Sureness::kNoDetails ? "; set RecordCrashInfo=97 for reports that name the module.\n"
                                               : ".\n");
  }
}

}  // namespace

std::string RenderCrashAnalysis(const CrashAnalysis& a, const std::string& path) {
  std::ostringstream out;
  if (a.reports.empty()) {
    out << "Nothing to judge in " << Printable(path) << ":\n";
    for (const std::string& problem : a.problems) out << "  " << problem << "\n";
    return out.str();
  }
  out << "Read " << a.reports.size() << (a.reports.size() == 1 ? " report" : " reports") << " from "
      << Printable(path) << "\n";
  for (const std::string& problem : a.problems) out << "  not read: " << problem << "\n";
  if (a.reports.size() == 1) RenderOneReport(a, out);
  RenderRanking(a, out);
  RenderGuarded(a, out);
  RenderOptions(a, out);
  out << "Verdict: " << a.verdict << "\n";
  return out.str();
}

}  // namespace doctor
