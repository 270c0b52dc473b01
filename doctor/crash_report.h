// orrisbane-doctor --crash: explains a crash report in plain words, and
// says whether an Orrisbane option guards the site the game crashed in.
#pragma once
#include <string>

namespace doctor {

struct CrashExplanation {
  std::string text;
  int exitCode = 0;  // 0: explained; 1: an option that guards the site is off; 2: not a readable report
};

// reportPath: a crash_*.txt, possibly holding several appended reports;
// iniPath: the player's Orrisbane.ini, or empty.
CrashExplanation ExplainCrashReport(const std::string& reportPath, const std::string& iniPath);

}  // namespace doctor
