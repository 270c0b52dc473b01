// The two primitives every change to host code goes through.
#pragma once
#include <cstdint>

// Replaces [site, resume) by a near jump to target, NOP-filling the rest.
// Refuses a span shorter than the jump itself and writes nothing then.
bool WriteJump(uint32_t site, uint32_t resume, const void* target);

bool WriteBytes(uint32_t site, const void* source, uint32_t length);
