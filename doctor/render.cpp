// The settings diagnosis in words: findings first, then every option as the
// shipped Orrisbane.ini groups them, then the late case.
#include <algorithm>
#include <sstream>
#include <string_view>

#include "doctor/doctor.h"
#include "doctor/shipped_ini.h"

namespace doctor {
namespace {

struct Group {
  std::string name;
  std::vector<const OptionVerdict*> options;
};

const char* VerdictText(Verdict v) {
  return v == Verdict::kOn ? "on" : v == Verdict::kOff ? "off" : "ruled out";
}

// "; --- Memory ---" opens a group; "Key=value" lines name its options.
std::vector<Group> GroupsOfShippedFile(const std::vector<OptionVerdict>& options) {
  std::vector<Group> groups(1);
  std::vector<bool> placed(options.size());
  std::string_view rest = kShippedIni;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.starts_with("; --- ") && line.ends_with(" ---") && line.size() > 10) {
      groups.push_back({std::string(line.substr(6, line.size() - 10)), {}});
      continue;
    }
    const std::string_view key = line.substr(0, line.find('='));
    for (size_t i = 0; i < options.size(); ++i) {
      if (!placed[i] && options[i].key == key) {
        placed[i] = true;
        groups.back().options.push_back(&options[i]);
      }
    }
  }
  groups.push_back({"Not in the shipped file", {}});
  for (size_t i = 0; i < options.size(); ++i) {
    if (!placed[i]) groups.back().options.push_back(&options[i]);
  }
  std::erase_if(groups, [](const Group& g) { return g.options.empty(); });
  return groups;
}

void RenderOptions(const Diagnosis& d, std::ostringstream& out) {
  out << "\nOptions:\n";
  for (const Group& group : GroupsOfShippedFile(d.options)) {
    if (!group.name.empty()) out << " " << group.name << ":\n";
    for (const OptionVerdict* v : group.options) {
      out << "  " << v->key << ": " << VerdictText(v->verdict);
      if (!v->why.empty()) out << " (" << v->why << ")";
      if (v->early && v->verdict == Verdict::kOn) out << " [early: needs the early loader Fennick]";
      out << "\n";
    }
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

}  // namespace

std::string Render(const Diagnosis& d) {
  std::ostringstream out;
  out << "Findings:\n";
  if (d.findings.empty()) out << "  none\n";
  for (const auto& f : d.findings) out << "  " << (f.needsAttention ? "! " : "- ") << f.text << "\n";
  if (d.unshownFindings > 0) out << "  and " << d.unshownFindings << " more\n";
  if (!d.unreadable) RenderOptions(d, out);
  out << "\n"
      << (d.unreadable        ? "Cannot check."
          : d.enbUnreadable   ? "Checked without enblocal.ini."
          : d.NeedsAttention() ? "Something needs attention: see the findings marked !"
                               : "All good.")
      << "\n";
  return out.str();
}

}  // namespace doctor
