// Host code that no option patches: where the tests' crashes happen, in the
// simulator and in the reports the doctor's tests read.
#pragma once
#include <cstdint>

constexpr uint32_t kUnpatchedHostCode = 0x5ABC00;
