#include "doctor/late_load.h"

#include "core/option_rules.h"
#include "doctor/judging.h"
#include "plugin/option_table.h"

namespace doctor {

void JudgeLateCase(std::vector<OptionVerdict>& verdicts) {
  option_rules::SwitchOffEarlyRowsWhenLate(FindOption, IsOptionEligible, [](const OptionEntry&) {});
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    const bool onLate = !row->early && TakesEffect(*row);
    verdicts[i].offWhenLate = verdicts[i].verdict == Verdict::kOn && !onLate;
    verdicts[i].onWhenLate = verdicts[i].verdict != Verdict::kOn && onLate;
  }
}

}  // namespace doctor
