// The one supported game build and the host things the whole plugin shares:
// the message box, the console, the heap object whose first byte says the
// game has initialised, the load marker and the main loop.
#pragma once
#include <cstdint>

#include "patch/host_site.h"

namespace host {

constexpr uint32_t kRuntimeVersion = 0x09200000;

constexpr uint32_t kMessageBox = 0xF761DC;        // cdecl (text, caption, style)
constexpr uint32_t kConsole = 0x1B10B58;          // console object, 0 while there is none
constexpr uint32_t kConsolePrint = 0x8486F0;      // thiscall (text, console); callee cleans
constexpr uint32_t kHostHeap = 0x1B418B0;         // the heap object, passed in ECX to its routines
constexpr uint32_t kGameInitializedFlag = kHostHeap;  // its first byte, set once the game has initialised
constexpr uint32_t kLoadMarker = 0x112C46E;

constexpr uint32_t kImageBegin = 0x400000;        // the host's code, both ends inclusive
constexpr uint32_t kImageLast = 0x106A319;

// call kTimerUpdate (5 bytes, no fill)
constexpr HookSite kMainLoop{0x69470D, 0x694712};  // a call of the timer update
constexpr uint32_t kTimerUpdate = 0x691620;

// Reads a host value of type T at a fixed host address.
template <typename T>
inline T& At(uint32_t address) {
  return *reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

}  // namespace host
