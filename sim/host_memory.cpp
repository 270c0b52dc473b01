#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "patch/frame_sites.h"
#include "sim/host_memory.h"

namespace sim {
namespace {

// Linked at a low image base, the simulator's own image covers the game's
// range with this array; Wine's heaps would otherwise sit at kImageBegin.
alignas(4096) uint8_t g_image[kHostEnd];

constexpr int kMaxPlacers = 32;
HostPlacer g_placers[kMaxPlacers];
int g_placerCount = 0;

void ClaimHostRange() {
  static bool claimed = false;
  if (claimed) return;
  const auto begin = reinterpret_cast<uintptr_t>(g_image);
  if (begin > kHostBegin || begin + sizeof g_image < kHostEnd) {
    std::fprintf(stderr, "sim: image array at %p does not cover the host range\n", g_image);
    std::abort();
  }
  DWORD old;
  if (!VirtualProtect(reinterpret_cast<void*>(kHostBegin), kHostEnd - kHostBegin, PAGE_EXECUTE_READWRITE, &old)) {
    std::fprintf(stderr, "sim: cannot make the host range executable\n");
    std::abort();
  }
  claimed = true;
}

}  // namespace

bool RegisterHostPlacer(HostPlacer placer) {
  if (g_placerCount < kMaxPlacers) g_placers[g_placerCount++] = placer;
  return true;
}

void FillTraps(uint32_t begin, uint32_t end) {
  std::memset(reinterpret_cast<void*>(static_cast<uintptr_t>(begin)), kTrap, end - begin);
}

void ResetHostImage() {
  ClaimHostRange();
  // Code up to the host's data, globals zeroed after it.
  FillTraps(kHostBegin, kHostDataBegin);
  std::memset(reinterpret_cast<void*>(static_cast<uintptr_t>(kHostDataBegin)), 0, kHostEnd - kHostDataBegin);
  FlushInstructionCache(GetCurrentProcess(), nullptr, 0);
  for (int i = 0; i < g_placerCount; ++i) g_placers[i]();
}

void PlaceBytes(uint32_t address, std::initializer_list<uint8_t> bytes) {
  std::memcpy(reinterpret_cast<void*>(static_cast<uintptr_t>(address)), bytes.begin(), bytes.size());
}

uint32_t UnreadablePage() {
  static const uint32_t page = [] {
    auto* reserved = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS));
    VirtualAlloc(reserved, 0x1000, MEM_COMMIT, PAGE_READWRITE);
    return AddressOf(reserved + 0x1000);
  }();
  return page;
}

void PlaceWord(uint32_t address, uint32_t value) { HostAt<uint32_t>(address) = value; }

void PlaceJump(uint32_t address, const void* target) {
  const uint32_t displacement = reinterpret_cast<uintptr_t>(target) - address - 5;
  HostAt<uint8_t>(address) = 0xE9;
  std::memcpy(reinterpret_cast<void*>(static_cast<uintptr_t>(address + 1)), &displacement, 4);
}

}  // namespace sim
