// Function names of Orrisbane.dll's own code for the crash details, from a
// table that the build generates from the DLL's symbols and links into it
// (see cmake/own_symbols.cmake), so that no symbols file is read at crash
// time. Programs that link the plugin's code otherwise carry an empty table.
#pragma once
#include <cstdint>

// Every function of the image has a start, the static runtime's too; only
// the plugin's own have names.
constexpr uint32_t kOwnSymbolCapacity = 8192;
constexpr uint32_t kOwnSymbolNamesCapacity = 32 * 1024;

// The same size whether empty or filled, so that the second link of the DLL
// places all code where the first one did.
struct OwnSymbolTable {
  uint32_t marker;  // non-zero, so that even the empty table is read-only data
  uint32_t count;
  uint32_t starts[kOwnSymbolCapacity];  // offsets from the image base, ascending
  uint16_t names[kOwnSymbolCapacity];   // offsets into text; 0, the empty name, for the runtime's
  char text[kOwnSymbolNamesCapacity];   // the names, each terminated
};
extern const OwnSymbolTable kOwnSymbols;

// The function of this image whose start is the nearest at or below the
// offset; false when the table has none or that function has no name.
bool FindOwnFunction(uint32_t offset, const char** name, uint32_t* start);

// The base of the image this code runs in.
uint32_t OwnImageBase();
