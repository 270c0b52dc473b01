// The modules loaded in the process, read from the loader's own list in the
// PEB with guarded reads: no loader lock (the crash may hold it) and no
// heap (it may be what is corrupted).
#pragma once
#include <cstdint>

constexpr int kModuleNameSize = 64;

struct LoadedModule {
  uint32_t base;
  uint32_t end;
  char name[kModuleNameSize];  // the file name, non-ASCII characters as '?'
};

// Takes a fresh snapshot, sorted by base; returns the count.
int SnapshotModules();
int ModuleCount();
const LoadedModule& ModuleAt(int index);
// The module of the last snapshot whose image holds the address, or null.
const LoadedModule* ModuleContaining(uint32_t address);
