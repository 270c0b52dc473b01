// Host code and objects that the second set of bad-reference guards meet:
// an x87 probe behind the render-save site, a callee for the movement
// controller's function table, a host object with a virtual table, and the
// frame-building prologues of the two routines that are made to return early.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "fixes/null_guards_second_sites.h"
#include "sim/runner.h"

namespace sim {

// Both places the render-save site continues at hold a probe that saves the
// x87 state (and empties it), then falls into a trap this many bytes on.
constexpr uint32_t kX87ProbeLength = 6;

struct X87Seen {
  int depth = 0;       // registers in use on the x87 stack at the probe
  double top = 0.0;    // ST(0) there, meaningful when depth > 0
};

// Runs host code with the caller's x87 state put aside and an empty x87
// stack at entry; the caller's state is back afterwards.
Landing RunHostWithEmptyX87(uint32_t entry, const Registers& in, std::initializer_list<uint32_t> stack = {});
X87Seen X87AtLastProbe();

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

// A host object whose first word is its virtual table. Slot 19 is a member
// function taking one stack argument (callee removes it) that records the
// call and answers kSlot19Result; slot 5 holds SlotObjectSlot5().
constexpr uint32_t kSlot19Result = 0x19191919;
struct SlotCall {
  uint32_t calls = 0;
  uint32_t self = 0;
  uint32_t argument = 0;
};
uint32_t SlotObject();
uint32_t SlotObjectSlot5();
SlotCall LastSlot19Call();

// Entry of the host routine holding an early-return site: it builds the
// frame (push ebp; mov ebp, esp; sub esp, 8), saves EBX, ESI and EDI and
// zeroes them, then reaches the site. Called with its return address and four arguments.
uint32_t EarlyReturnRoutineEntry(uint32_t site);

}  // namespace sim
