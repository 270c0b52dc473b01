// The effect-list owners the nine patched routines work on, and where each
// routine's patched entry and exits are. Host code around them is traps, so
// a test runs an entry or exit on its own and lands at its resume.
#pragma once
#include <cstdint>

#include "fixes/effect_list_sites.h"

namespace sim {

constexpr uint32_t kEffectListVtableEntry1C = 0x10CFC3C;  // what the entries load
constexpr uint32_t kEffectListMethod1C = 0x66AA10;        // the word placed there

// A fresh host object that qualifies for the lock, with this key in the
// word 0x48 bytes before it. Objects live in host data until the next reset.
uint32_t MakeEffectListOwner(uint32_t key);
// A host object with another vtable but the same key layout.
uint32_t MakeOtherObject(uint32_t key);

struct EffectListHookSite {
  int hook;          // 1 to 20, in the order of installation
  uint32_t site;
  uint32_t resume;   // where a continuing hook lands; returning hooks return
};
extern const EffectListHookSite kEffectListHooks[20];
// kEffectListIExitTarget: hook 20 jumps there

struct EffectListByteSite {
  uint32_t address;
  uint8_t value;
};
extern const EffectListByteSite kEffectListBytes[5];

}  // namespace sim
