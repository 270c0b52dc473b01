// Host routines and objects that the string fixes and the first set of null
// guards call or read: each routine records that it ran and with what.
#pragma once
#include <cstdint>
#include <string>

#include "fixes/null_guards_first_sites.h"
#include "sim/runner.h"

namespace sim {

// A stdcall routine of two arguments that the string-length code calls
// through EDX; answers kLengthCalleeResult.
constexpr uint32_t kLengthCallee = 0x46F000;
constexpr uint32_t kLengthCalleeResult = 0x1E57;
struct LengthCalleeCall {
  uint32_t first = 0, second = 0;
};
uint32_t LengthCalleeRuns();
LengthCalleeCall LastLengthCalleeCall();

// kSeenDataConstruct: the constructor of the seen-data object, thiscall with two
// arguments it removes itself. It writes the object's table last, after an
// optional delay, so that a half-built object is recognisable.
struct SeenDataConstruction {
  uint32_t object = 0, first = 0, second = 0;
};
uint32_t SeenDataConstructions();  // over the whole process, never reset
SeenDataConstruction LastSeenDataConstruction();
void SetSeenDataConstructionDelay(uint32_t milliseconds);
uint32_t SeenDataTable();            // what a constructed object holds at offset 0
constexpr uint32_t kSeenDataSlot1 = 0x6A0400;

// kMainMagicEffect2Call (thiscall, no arguments), kMainMagicEffect3Call (called on the site's own
// registers; answers what the test sets), kMainMagicEffect4Call (thiscall, one argument
// it removes itself).
constexpr uint32_t kEffectRoutine4D4500Result = 0x4D45E5;
constexpr uint32_t kEffectRoutine403F10Result = 0x403F1E;
struct EffectRoutineCall {
  uint32_t runs = 0, ecx = 0, argument = 0;
};
EffectRoutineCall EffectRoutineRecord(uint32_t routine);
void SetEffectRoutine406C70Result(uint32_t eax);

// An object whose virtual slot 7 (thiscall, no arguments) answers value, or
// one whose slot 7 reads unreadable memory.
struct Slot7Node {
  const void* const* table;
  uint32_t value;
};
Slot7Node MakeAnsweringSlot7Node(uint32_t value);
Slot7Node MakeFaultingSlot7Node();

}  // namespace sim
