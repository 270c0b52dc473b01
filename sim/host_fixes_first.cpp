#include "sim/host_fixes_first.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "sim/host_memory.h"

namespace sim {
namespace {

std::atomic<uint32_t> g_lengthCalleeRuns{0};
LengthCalleeCall g_lastLengthCall;

std::atomic<uint32_t> g_seenDataConstructions{0};
SeenDataConstruction g_lastSeenData;
uint32_t g_seenDataDelay = 0;
const uint32_t g_seenDataTable[4] = {0x6A0300, kSeenDataSlot1, 0x6A0500, 0x6A0600};

EffectRoutineCall g_routine4D4500, g_routine406C70, g_routine403F10;
uint32_t g_routine406C70Result = 0;

extern "C" uint32_t __stdcall SimLengthCallee(uint32_t first, uint32_t second) {
  g_lastLengthCall = {first, second};
  ++g_lengthCalleeRuns;
  return kLengthCalleeResult;
}

extern "C" __attribute__((thiscall)) void SimSeenDataConstructor(uint32_t* object, uint32_t first, uint32_t second) {
  if (g_seenDataDelay != 0) Sleep(g_seenDataDelay);
  g_lastSeenData = {AddressOf(object), first, second};
  for (int i = 1; i < 11; ++i) object[i] = 0;
  std::atomic_thread_fence(std::memory_order_release);
  object[0] = AddressOf(g_seenDataTable);
  ++g_seenDataConstructions;
}

extern "C" __attribute__((thiscall)) uint32_t SimEffectRoutine4D4500(void* self) {
  g_routine4D4500 = {g_routine4D4500.runs + 1, AddressOf(self), 0};
  return kEffectRoutine4D4500Result;
}

extern "C" __attribute__((thiscall)) uint32_t SimEffectRoutine406C70(void* self) {
  g_routine406C70 = {g_routine406C70.runs + 1, AddressOf(self), 0};
  return g_routine406C70Result;
}

extern "C" __attribute__((thiscall)) uint32_t SimEffectRoutine403F10(void* self, uint32_t argument) {
  g_routine403F10 = {g_routine403F10.runs + 1, AddressOf(self), argument};
  return kEffectRoutine403F10Result;
}

extern "C" __attribute__((thiscall)) uint32_t SimAnsweringSlot7(const Slot7Node* self) { return self->value; }

extern "C" __attribute__((thiscall)) uint32_t SimFaultingSlot7(const Slot7Node*) {
  return *reinterpret_cast<volatile uint32_t*>(static_cast<uintptr_t>(UnreadablePage()));
}

const void* const g_answeringTable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         reinterpret_cast<const void*>(&SimAnsweringSlot7)};
const void* const g_faultingTable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        reinterpret_cast<const void*>(&SimFaultingSlot7)};

void PlaceFixRoutinesFirst() {
  PlaceJump(kLengthCallee, reinterpret_cast<const void*>(&SimLengthCallee));
  PlaceJump(host::kSeenDataConstruct, reinterpret_cast<const void*>(&SimSeenDataConstructor));
  PlaceJump(host::kMainMagicEffect2Call, reinterpret_cast<const void*>(&SimEffectRoutine4D4500));
  PlaceJump(host::kMainMagicEffect3Call, reinterpret_cast<const void*>(&SimEffectRoutine406C70));
  PlaceJump(host::kMainMagicEffect4Call, reinterpret_cast<const void*>(&SimEffectRoutine403F10));
  g_lengthCalleeRuns = 0;
  g_routine4D4500 = g_routine406C70 = g_routine403F10 = {};
  g_routine406C70Result = 0;
  g_seenDataDelay = 0;
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceFixRoutinesFirst);

}  // namespace

uint32_t LengthCalleeRuns() { return g_lengthCalleeRuns; }
LengthCalleeCall LastLengthCalleeCall() { return g_lastLengthCall; }

uint32_t SeenDataConstructions() { return g_seenDataConstructions; }
SeenDataConstruction LastSeenDataConstruction() { return g_lastSeenData; }
void SetSeenDataConstructionDelay(uint32_t milliseconds) { g_seenDataDelay = milliseconds; }
uint32_t SeenDataTable() { return AddressOf(g_seenDataTable); }

EffectRoutineCall EffectRoutineRecord(uint32_t routine) {
  if (routine == host::kMainMagicEffect2Call) return g_routine4D4500;
  if (routine == host::kMainMagicEffect3Call) return g_routine406C70;
  return routine == host::kMainMagicEffect4Call ? g_routine403F10 : EffectRoutineCall{};
}
void SetEffectRoutine406C70Result(uint32_t eax) { g_routine406C70Result = eax; }

Slot7Node MakeAnsweringSlot7Node(uint32_t value) { return {g_answeringTable, value}; }
Slot7Node MakeFaultingSlot7Node() { return {g_faultingTable, 0}; }

}  // namespace sim
