// The frame-building prologues of the two routines that the content-pack
// guard makes return early.
#pragma once
#include <cstdint>

#include "fixes/lookup_guard_sites.h"

namespace sim {

// Entry of the host routine holding an early-return site: it builds the
// frame (push ebp; mov ebp, esp; sub esp, 8), saves EBX, ESI and EDI and
// zeroes them, then reaches the site. Called with its return address and four arguments.
uint32_t EarlyReturnRoutineEntry(uint32_t site);

}  // namespace sim
