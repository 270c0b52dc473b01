#include "diagnostics/own_symbols.h"

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

bool FindOwnFunction(uint32_t offset, const char** name, uint32_t* start) {
  uint32_t low = 0, high = kOwnSymbols.count < kOwnSymbolCapacity ? kOwnSymbols.count : kOwnSymbolCapacity;
  if (high == 0 || kOwnSymbols.starts[0] > offset) return false;
  while (high - low > 1) {  // starts[low] <= offset throughout
    const uint32_t middle = low + (high - low) / 2;
    if (kOwnSymbols.starts[middle] <= offset) low = middle; else high = middle;
  }
  if (kOwnSymbols.names[low] == 0 || kOwnSymbols.names[low] >= kOwnSymbolNamesCapacity) return false;
  *name = kOwnSymbols.text + kOwnSymbols.names[low];
  *start = kOwnSymbols.starts[low];
  return true;
}

uint32_t OwnImageBase() { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&__ImageBase)); }
