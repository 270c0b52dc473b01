// orrisbane-doctor: explains what Orrisbane will do with a player's
// Orrisbane.ini, by the plugin's own option table and rules.
#pragma once
#include <string>
#include <vector>

namespace doctor {

enum class Verdict { kOn, kOff, kRuledOut };

struct OptionVerdict {
  std::string key;
  Verdict verdict = Verdict::kOff;
  std::string why;          // for a ruled-out option: the conflict, the missing requirement, or who reads its value
  bool early = false;
  bool offWhenLate = false; // on now, but off when the library arrives after the game initialised
  bool onWhenLate = false;  // ruled out now, but freed by the late case's overrides
};

struct Finding {
  std::string text;
  bool needsAttention = true;
};

struct Diagnosis {
  bool unreadable = false;     // the settings file
  bool enbUnreadable = false;  // the enblocal.ini named on the command line
  std::vector<OptionVerdict> options;
  std::vector<Finding> findings;  // at most kShownFindings
  size_t unshownFindings = 0;     // counted beyond the cap, never composed
  bool unshownNeedAttention = false;
  bool NeedsAttention() const;
};

// A file of thousands of bad lines would bury everything else.
constexpr size_t kShownFindings = 50;

// iniPath: the player's Orrisbane.ini; enbPath: their enblocal.ini, or empty.
Diagnosis Diagnose(const std::string& iniPath, const std::string& enbPath);

std::string Render(const Diagnosis& diagnosis);

// 0: nothing needs attention; 1: something does; 2: a file cannot be read
// (or is too large to be a settings file).
int ExitCode(const Diagnosis& diagnosis);

}  // namespace doctor
