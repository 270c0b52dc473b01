// The simulator owns the game's image range, kImageBegin up to 0x1C00000, as
// the game's own executable would: host code is filled with INT3 so that a
// stray jump traps, and host routines are small stubs placed at their
// addresses.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "patch/frame_sites.h"

namespace sim {

constexpr uint32_t kHostBegin = host::kImageBegin;
constexpr uint32_t kHostEnd = 0x1C00000;
constexpr uint32_t kHostDataBegin = 0x106A400;  // code below, globals from here
constexpr uint8_t kTrap = 0xCC;

// A host code address that holds nothing but traps: a return address that
// tests push so that a body's return lands somewhere observable.
constexpr uint32_t kReturnProbe = 0x401000;

// Makes the range writable and executable, fills it with traps and zeroes
// the host globals, then places the stubs of every host routine.
void ResetHostImage();

void PlaceBytes(uint32_t address, std::initializer_list<uint8_t> bytes);
void PlaceJump(uint32_t address, const void* target);  // E9 rel32
void PlaceWord(uint32_t address, uint32_t value);
void FillTraps(uint32_t begin, uint32_t end);

inline uint32_t AddressOf(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// The start of a page that faults on every access, right after a readable
// page. Kept reserved for good, so no later allocation can land there.
uint32_t UnreadablePage();

template <typename T>
inline T& HostAt(uint32_t address) {
  return *reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

// Each part of the simulator that places host routines registers here; all
// run, in registration order, on every reset.
using HostPlacer = void (*)();
bool RegisterHostPlacer(HostPlacer placer);

}  // namespace sim
