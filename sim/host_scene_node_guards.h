// Host code and objects that the scene-node guards meet: an x87 probe behind
// the render-save site, a host object with a virtual table, and nodes whose
// virtual slot 7 answers or faults.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "fixes/scene_node_guard_sites.h"
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

// An object whose virtual slot 7 (thiscall, no arguments) answers value, or
// one whose slot 7 reads unreadable memory.
struct Slot7Node {
  const void* const* table;
  uint32_t value;
};
Slot7Node MakeAnsweringSlot7Node(uint32_t value);
Slot7Node MakeFaultingSlot7Node();

}  // namespace sim
