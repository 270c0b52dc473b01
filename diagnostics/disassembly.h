// The instructions at a code address in Intel syntax with their bytes, for
// the crash details: the code is copied through guarded reads into a static
// buffer first, and Zydis decodes and formats from there without heap use.
#pragma once
#include <cstdint>

#include "core/text_builder.h"

// Appends the heading "Instructions:" and one line per instruction, the
// first marked with ">", or a line saying the code is unreadable.
void AppendInstructions(uint32_t address, int count, TextBuilder& out);
