// movaps faults on an operand that is not 16-byte aligned; where host code
// may meet such heap objects, its movaps become movups (same operands, no
// alignment requirement) by changing the second opcode byte.
#include <windows.h>

#include <cstdint>

#include "memory/movaps_sites.h"
#include "plugin/apply.h"

using namespace host;

namespace {

constexpr uint8_t kMovapsStore = 0x29;
constexpr uint8_t kMovupsStore = 0x11;
constexpr uint8_t kMovupsLoad = 0x10;

// Writes the byte only when the code holds `expected` there (any byte when
// no expectation is given); a byte that cannot be made writable is skipped.
void PatchCodeByte(uint32_t address, uint8_t value, int expected = -1) {
  auto* code = reinterpret_cast<volatile uint8_t*>(static_cast<uintptr_t>(address));
  DWORD old;
  if (!VirtualProtect(const_cast<uint8_t*>(code), 1, PAGE_EXECUTE_READWRITE, &old)) return;
  if (expected < 0 || *code == expected) *code = value;
  VirtualProtect(const_cast<uint8_t*>(code), 1, old, &old);
}

}  // namespace

// Only the instruction of this game build is changed: anything else found
// there (already movups, another build) is left alone.
void ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled() {
  PatchCodeByte(kManualStoreOpcode.site, kMovupsStore, kMovapsStore);
}

void ApplyUnallocatedMovaps() {
  for (const HookSite& opcode : kStretchStoreOpcodes) PatchCodeByte(opcode.site, kMovupsStore);
  for (const HookSite& opcode : kStretchLoadOpcodes) PatchCodeByte(opcode.site, kMovupsLoad);
}
