// The doctor's judging of a player's settings by the plugin's own table and
// rules: which option takes effect, and what the player should know.
#pragma once
#include <string>
#include <vector>

#include "doctor/doctor.h"
#include "plugin/option_table.h"

namespace doctor {

// Eligible, and its value asks for something.
bool TakesEffect(const OptionEntry& row);

// One verdict per row, in table order.
std::vector<OptionVerdict> JudgeOptions();

// Options the player set that another option rules out or needs, and
// values that another option reads.
void CheckRulesBetweenOptions(Diagnosis& d);
// RecordCrashInfo's bits, the pools' size and the benchmark's settings.
void CheckValues(Diagnosis& d);
// The enblocal.ini named, as WarnBadENB reads it.
void CheckEnb(const std::string& enbPath, Diagnosis& d);

}  // namespace doctor
