// The system section of the crash details: Windows and Wine versions, the
// processor, physical memory, the address space in use of its limit, the
// time since the plugin was loaded, and Orrisbane's own version.
#pragma once
#include "core/text_builder.h"

// At install: everything that costs time or may take a lock (the versions,
// the processor's name, the address-space limit) and the load time.
void PrepareSystemInfo();

// Reads the memory status for the next section, before a thread that may
// hold a lock is suspended; a section with none taken reads it itself.
void TakeMemoryStatus();

// At crash time: the section, from what was prepared and a few calls that
// take no heap and no lock (memory status, a walk of the address space).
void AppendSystemInfo(TextBuilder& out);
