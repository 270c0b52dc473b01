#include <windows.h>

#include <cstring>

#include "fixes/null_guards_second_sites.h"
#include "sim/host_fixes_second.h"
#include "sim/host_memory.h"

namespace sim {
namespace {

constexpr uint32_t kEarlyReturnSites[] = {host::kSarnothSpecific1.site, host::kSarnothSpecific2.site};
constexpr uint32_t kPrologueLength = 15;
constexpr uint32_t kSlot5Marker = 0x4C1F00;  // a host trap; never called here

// fnsave: 28 bytes of environment, then ST(0) to ST(7), 10 bytes each.
constexpr int kX87TagOffset = 8;
constexpr int kX87RegistersOffset = 28;
uint8_t g_x87Area[108];

uint32_t g_controllerCalls = 0;
uint32_t g_controllerEcx = 0;
uint32_t g_controllerFirstStackWord = 0;
uint32_t g_controllerResult = 0;
uint32_t g_controllerTable[2] = {0, 0};

SlotCall g_slot19;
const void* g_slotTable[20] = {};
struct SlotObjectLayout {
  const void* const* table;
  uint32_t field;
} g_slotObject{g_slotTable, 0x0B1EC7};

// A host callee through a function table: it may be given any register
// state, so it is written at register level and touches only EAX.
extern "C" __attribute__((naked)) void SimControllerCallee() {
  asm volatile(
      ".intel_syntax noprefix\n"
      "inc dword ptr [%c0]\n"
      "mov [%c1], ecx\n"
      "mov eax, [esp+4]\n"
      "mov [%c2], eax\n"
      "mov eax, [%c3]\n"
      "ret\n"
      ".att_syntax prefix\n"
      :
      : "i"(&g_controllerCalls), "i"(&g_controllerEcx), "i"(&g_controllerFirstStackWord),
        "i"(&g_controllerResult));
}

extern "C" __attribute__((thiscall)) uint32_t SimSlot19(void* self, uint32_t argument) {
  ++g_slot19.calls;
  g_slot19.self = AddressOf(self);
  g_slot19.argument = argument;
  return kSlot19Result;
}

void PlaceX87Probe(uint32_t address) {
  const uint32_t area = AddressOf(g_x87Area);
  PlaceBytes(address, {0xDD, 0x35});  // fnsave [area]
  PlaceWord(address + 2, area);
}

void PlaceSecondGuardHost() {
  PlaceX87Probe(host::kRenderSave.resume);
  PlaceX87Probe(host::kRenderSaveSkip);
  for (uint32_t site : kEarlyReturnSites) {
    // push ebp; mov ebp, esp; sub esp, 8; push ebx; push esi; push edi;
    // then the routine's own use of them: xor ebx, ebx; xor esi, esi; xor edi, edi
    PlaceBytes(site - kPrologueLength, {0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x08, 0x53, 0x56, 0x57,
                                        0x31, 0xDB, 0x31, 0xF6, 0x31, 0xFF});
  }
  g_controllerTable[1] = AddressOf(reinterpret_cast<const void*>(&SimControllerCallee));
  g_controllerCalls = 0;
  g_controllerResult = 0;
  g_slotTable[5] = reinterpret_cast<const void*>(kSlot5Marker);
  g_slotTable[19] = reinterpret_cast<const void*>(&SimSlot19);
  g_slot19 = {};
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceSecondGuardHost);

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

uint32_t ControllerFunctionTable() { return AddressOf(g_controllerTable); }
void SetControllerCallResult(uint32_t eax) { g_controllerResult = eax; }
TableCall LastControllerCall() { return {g_controllerCalls, g_controllerEcx, g_controllerFirstStackWord}; }

uint32_t SlotObject() { return AddressOf(&g_slotObject); }
uint32_t SlotObjectSlot5() { return kSlot5Marker; }
SlotCall LastSlot19Call() { return g_slot19; }

uint32_t EarlyReturnRoutineEntry(uint32_t site) { return site - kPrologueLength; }

}  // namespace sim
