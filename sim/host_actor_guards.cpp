#include "sim/host_actor_guards.h"

#include <windows.h>

#include <atomic>

#include "sim/host_memory.h"

namespace sim {
namespace {

std::atomic<uint32_t> g_seenDataConstructions{0};
SeenDataConstruction g_lastSeenData;
uint32_t g_seenDataDelay = 0;
const uint32_t g_seenDataTable[4] = {0x6A0300, kSeenDataSlot1, 0x6A0500, 0x6A0600};

EffectRoutineCall g_routine4D4500, g_routine406C70, g_routine403F10;
uint32_t g_routine406C70Result = 0;

uint32_t g_controllerCalls = 0;
uint32_t g_controllerEcx = 0;
uint32_t g_controllerFirstStackWord = 0;
uint32_t g_controllerResult = 0;
uint32_t g_controllerTable[2] = {0, 0};

extern "C" __attribute__((thiscall)) void SimSeenDataConstructor(uint32_t* object, uint32_t first, uint32_t second) {
  if (g_seenDataDelay != 0) Sleep(g_seenDataDelay);
  g_lastSeenData = {AddressOf(object), first, second};
  for (int i = 1; i < 11; ++i) object[i] = 0;
  std::atomic_thread_fence(std::memory_order_release);
  object[0] = AddressOf(g_seenDataTable);
  g_seenDataConstructions.fetch_add(1, std::memory_order_relaxed);
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

void PlaceActorHost() {
  PlaceJump(host::kSeenDataConstruct, reinterpret_cast<const void*>(&SimSeenDataConstructor));
  PlaceJump(host::kMainMagicEffect2Call, reinterpret_cast<const void*>(&SimEffectRoutine4D4500));
  PlaceJump(host::kMainMagicEffect3Call, reinterpret_cast<const void*>(&SimEffectRoutine406C70));
  PlaceJump(host::kMainMagicEffect4Call, reinterpret_cast<const void*>(&SimEffectRoutine403F10));
  g_routine4D4500 = g_routine406C70 = g_routine403F10 = {};
  g_routine406C70Result = 0;
  g_seenDataDelay = 0;
  g_controllerTable[1] = AddressOf(reinterpret_cast<const void*>(&SimControllerCallee));
  g_controllerCalls = 0;
  g_controllerResult = 0;
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceActorHost);

}  // namespace

uint32_t SeenDataConstructions() { return g_seenDataConstructions.load(std::memory_order_relaxed); }
SeenDataConstruction LastSeenDataConstruction() { return g_lastSeenData; }
void SetSeenDataConstructionDelay(uint32_t milliseconds) { g_seenDataDelay = milliseconds; }
uint32_t SeenDataTable() { return AddressOf(g_seenDataTable); }

EffectRoutineCall EffectRoutineRecord(uint32_t routine) {
  if (routine == host::kMainMagicEffect2Call) return g_routine4D4500;
  if (routine == host::kMainMagicEffect3Call) return g_routine406C70;
  return routine == host::kMainMagicEffect4Call ? g_routine403F10 : EffectRoutineCall{};
}
void SetEffectRoutine406C70Result(uint32_t eax) { g_routine406C70Result = eax; }

uint32_t ControllerFunctionTable() { return AddressOf(g_controllerTable); }
void SetControllerCallResult(uint32_t eax) { g_controllerResult = eax; }
TableCall LastControllerCall() { return {g_controllerCalls, g_controllerEcx, g_controllerFirstStackWord}; }

}  // namespace sim
