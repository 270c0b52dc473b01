#include "sim/host_scene_node_guards.h"

#include <cstring>

#include "sim/host_memory.h"

namespace sim {
namespace {

constexpr uint32_t kSlot5Marker = 0x4C1F00;  // a host trap; never called here

// fnsave: 28 bytes of environment, then ST(0) to ST(7), 10 bytes each.
constexpr int kX87TagOffset = 8;
constexpr int kX87RegistersOffset = 28;
uint8_t g_x87Area[108];

SlotCall g_slot19;
const void* g_slotTable[20] = {};
struct SlotObjectLayout {
  const void* const* table;
  uint32_t field;
} g_slotObject{g_slotTable, 0x0B1EC7};

extern "C" __attribute__((thiscall)) uint32_t SimSlot19(void* self, uint32_t argument) {
  ++g_slot19.calls;
  g_slot19.self = AddressOf(self);
  g_slot19.argument = argument;
  return kSlot19Result;
}

extern "C" __attribute__((thiscall)) uint32_t SimAnsweringSlot7(const Slot7Node* self) { return self->value; }

extern "C" __attribute__((thiscall)) uint32_t SimFaultingSlot7(const Slot7Node*) {
  return *reinterpret_cast<volatile uint32_t*>(static_cast<uintptr_t>(UnreadablePage()));
}

const void* const g_answeringTable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         reinterpret_cast<const void*>(&SimAnsweringSlot7)};
const void* const g_faultingTable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        reinterpret_cast<const void*>(&SimFaultingSlot7)};

void PlaceX87Probe(uint32_t address) {
  const uint32_t area = AddressOf(g_x87Area);
  PlaceBytes(address, {0xDD, 0x35});  // fnsave [area]
  PlaceWord(address + 2, area);
}

void PlaceSceneNodeHost() {
  PlaceX87Probe(host::kRenderSave.resume);
  PlaceX87Probe(host::kRenderSaveSkip);
  g_slotTable[5] = reinterpret_cast<const void*>(kSlot5Marker);
  g_slotTable[19] = reinterpret_cast<const void*>(&SimSlot19);
  g_slot19 = {};
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceSceneNodeHost);

}  // namespace

Landing RunHostWithEmptyX87(uint32_t entry, const Registers& in, std::initializer_list<uint32_t> stack) {
  uint8_t callerState[108];
  std::memset(g_x87Area, 0, sizeof g_x87Area);  // all tags "in use": a probe that never ran fails
  asm volatile("fnsave %0" : "=m"(callerState));
  Landing landing = RunHost(entry, in, stack);
  asm volatile("frstor %0" : : "m"(callerState));
  return landing;
}

X87Seen X87AtLastProbe() {
  X87Seen seen;
  uint16_t tags;
  std::memcpy(&tags, g_x87Area + kX87TagOffset, sizeof tags);
  for (int i = 0; i < 8; ++i) {
    if (((tags >> (2 * i)) & 3) != 3) ++seen.depth;
  }
  const auto& top = *reinterpret_cast<const uint8_t(*)[10]>(g_x87Area + kX87RegistersOffset);
  asm volatile("fldt %1\n fstpl %0" : "=m"(seen.top) : "m"(top));
  return seen;
}

uint32_t SlotObject() { return AddressOf(&g_slotObject); }
uint32_t SlotObjectSlot5() { return kSlot5Marker; }
SlotCall LastSlot19Call() { return g_slot19; }

Slot7Node MakeAnsweringSlot7Node(uint32_t value) { return {g_answeringTable, value}; }
Slot7Node MakeFaultingSlot7Node() { return {g_faultingTable, 0}; }

}  // namespace sim
