// Code addresses as module+0xOFFSET with the name of the function they are
// probably in: for Orrisbane.dll its own function table, for any other
// module the nearest export at or below the address, read from the mapped
// export directory with guarded reads.
#pragma once
#include <cstdint>

#include "diagnostics/module_list.h"
#include "core/text_builder.h"

// Appends "Module.dll+0x1A2B", then " (Name+0x4)" when a name is known.
void AppendCodeAddress(const LoadedModule& module, uint32_t address, TextBuilder& out);
