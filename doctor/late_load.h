// The late case replayed: what the plugin does when it arrives after the
// game initialised, by the plugin's own late-load pass.
#pragma once
#include <vector>

#include "doctor/doctor.h"

namespace doctor {

// Marks each verdict with what changes in the late case. Stores the
// overrides the plugin stores, so it runs after every other judgement.
void JudgeLateCase(std::vector<OptionVerdict>& verdicts);

}  // namespace doctor
