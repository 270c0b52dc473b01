#include "sim/host_lookup_guards.h"

#include "sim/host_memory.h"

namespace sim {
namespace {

constexpr uint32_t kPrologueLength = 15;

void PlaceEarlyReturnRoutines() {
  for (uint32_t site : {host::kSarnothSpecific1.site, host::kSarnothSpecific2.site}) {
    // push ebp; mov ebp, esp; sub esp, 8; push ebx; push esi; push edi;
    // then the routine's own use of them: xor ebx, ebx; xor esi, esi; xor edi, edi
    PlaceBytes(site - kPrologueLength, {0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x08, 0x53, 0x56, 0x57,
                                        0x31, 0xDB, 0x31, 0xF6, 0x31, 0xFF});
  }
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceEarlyReturnRoutines);

}  // namespace

uint32_t EarlyReturnRoutineEntry(uint32_t site) { return site - kPrologueLength; }

}  // namespace sim
