#include "doctor/doctor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <unordered_map>

#include "core/ini_file.h"
#include "core/settings.h"
#include "doctor/judging.h"
#include "doctor/late_load.h"
#include "doctor/player_file.h"
#include "doctor/spelling.h"

namespace doctor {
namespace {

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

}  // namespace

bool Diagnosis::NeedsAttention() const {
  if (unshownNeedAttention) return true;
  return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.needsAttention; });
}

Diagnosis Diagnose(const std::string& iniPath, const std::string& enbPath) {
  Diagnosis d;
  const PlayerFile text = ReadPlayerFile(iniPath, kLargestSettingsFile, "a settings file");
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
  CheckRulesBetweenOptions(d);
  CheckValues(d);
  CheckEnb(enbPath, d);
  CheckKeysAndValues(ParseIni(*text.bytes), d);  // last: its findings are capped
  JudgeLateCase(d.options);  // last: it stores overrides for the rest of the run
  return d;
}

int ExitCode(const Diagnosis& d) { return d.unreadable || d.enbUnreadable ? 2 : d.NeedsAttention() ? 1 : 0; }

}  // namespace doctor
