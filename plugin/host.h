// The one supported game build and the host things that several parts of the
// plugin share. Addresses that only one option uses live beside that option.
#pragma once
#include <cstdint>

namespace host {

constexpr uint32_t kRuntimeVersion = 0x09200000;

constexpr uint32_t kMessageBox = 0xF761DC;        // cdecl (text, caption, style)
constexpr uint32_t kConsole = 0x1B10B58;          // console object, 0 while there is none
constexpr uint32_t kConsolePrint = 0x8486F0;      // thiscall (text, console); callee cleans
constexpr uint32_t kGameInitializedFlag = 0x1B418B0;
constexpr uint32_t kLoadMarker = 0x112C46E;

constexpr uint32_t kImageBegin = 0x400000;        // the host's code, both ends inclusive
constexpr uint32_t kImageLast = 0x106A319;

// Reads a host value of type T at a fixed host address.
template <typename T>
inline T& At(uint32_t address) {
  return *reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

}  // namespace host
