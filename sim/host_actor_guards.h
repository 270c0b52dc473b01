// Host routines and objects that the actor guards call or read: each routine
// records that it ran and with what.
#pragma once
#include <cstdint>

#include "fixes/actor_guard_sites.h"
#include "sim/runner.h"

namespace sim {

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

// The movement controller's function table: entry 4 is a host callee that
// records ECX and the first stack word it sees and answers a chosen EAX.
struct TableCall {
  uint32_t calls = 0;
  uint32_t ecx = 0;
  uint32_t firstStackWord = 0;
};
uint32_t ControllerFunctionTable();
void SetControllerCallResult(uint32_t eax);
TableCall LastControllerCall();

}  // namespace sim
