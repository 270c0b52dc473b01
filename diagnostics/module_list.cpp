#include "diagnostics/module_list.h"

#include "diagnostics/guarded_memory.h"

namespace {

// Offsets in the 32-bit PEB, its loader data and a loader entry.
constexpr uint32_t kPebLoaderData = 0x0C;
constexpr uint32_t kLoaderInLoadOrderList = 0x0C;
constexpr uint32_t kEntryImageBase = 0x18;
constexpr uint32_t kEntryImageSize = 0x20;
constexpr uint32_t kEntryBaseNameLength = 0x2C;  // UNICODE_STRING: length in bytes, then the buffer at +4
constexpr uint32_t kEntryBaseNameBuffer = 0x30;

constexpr int kMaxModules = 256;
LoadedModule g_modules[kMaxModules];
int g_moduleCount = 0;

uint32_t CurrentPeb() {
  uint32_t peb;
  asm("movl %%fs:0x30, %0" : "=r"(peb));
  return peb;
}

void ReadBaseName(uint32_t entry, char (&name)[kModuleNameSize]) {
  name[0] = '\0';
  uint32_t length = 0, buffer = 0;
  if (!ReadGuardedWord(entry + kEntryBaseNameLength, &length) || !ReadGuardedWord(entry + kEntryBaseNameBuffer, &buffer)) {
    return;
  }
  const uint32_t characters = (length & 0xFFFF) / 2;
  uint32_t i = 0;
  for (; i < characters && i + 1 < kModuleNameSize; ++i) {
    uint16_t c = 0;
    if (!ReadGuardedHalf(buffer + 2 * i, &c)) break;
    name[i] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  name[i] = '\0';
}

// Few entries, taken once per crash: insertion sort needs no buffer.
void SortByBase() {
  for (int i = 1; i < g_moduleCount; ++i) {
    for (int j = i; j > 0 && g_modules[j - 1].base > g_modules[j].base; --j) {
      const LoadedModule swapped = g_modules[j];
      g_modules[j] = g_modules[j - 1];
      g_modules[j - 1] = swapped;
    }
  }
}

}  // namespace

int SnapshotModules() {
  g_moduleCount = 0;
  uint32_t loaderData = 0, head = 0;
  if (!ReadGuardedWord(CurrentPeb() + kPebLoaderData, &loaderData)) return 0;
  head = loaderData + kLoaderInLoadOrderList;
  uint32_t entry = 0;
  if (!ReadGuardedWord(head, &entry)) return 0;
  // Bounded, so that a corrupted list that loops still ends.
  while (entry != head && g_moduleCount < kMaxModules) {
    LoadedModule& module = g_modules[g_moduleCount];
    uint32_t size = 0;
    if (!ReadGuardedWord(entry + kEntryImageBase, &module.base) || !ReadGuardedWord(entry + kEntryImageSize, &size)) {
      break;
    }
    module.end = module.base + size;
    ReadBaseName(entry, module.name);
    if (module.base != 0) ++g_moduleCount;
    if (!ReadGuardedWord(entry, &entry)) break;
  }
  SortByBase();
  return g_moduleCount;
}

int ModuleCount() { return g_moduleCount; }

const LoadedModule& ModuleAt(int index) { return g_modules[index]; }

const LoadedModule* ModuleContaining(uint32_t address) {
  for (int i = 0; i < g_moduleCount; ++i) {
    if (address >= g_modules[i].base && address < g_modules[i].end) return &g_modules[i];
  }
  return nullptr;
}
