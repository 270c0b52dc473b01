#include "sim/host_config.h"

#include <windows.h>

#include <mutex>

#include "sim/host_memory.h"

namespace sim {
namespace {

constexpr uint32_t kSimHeapObject = 0x1BD7000;  // simulator-chosen host data, where kHostHeapPointer points
constexpr uint32_t kHeapSizeOffset = 0x20;
constexpr uint32_t kMultithreadingOn = 1;

std::mutex g_callsMutex;
std::vector<HostMessageCall> g_messageCalls;
volatile uint32_t g_tickCountCalls = 0;

extern "C" void __cdecl SimHostMessage(uint32_t first, uint32_t second, uint32_t third,
                                       const char* const* textPointer) {
  std::lock_guard<std::mutex> hold(g_callsMutex);
  g_messageCalls.push_back({first, second, third,
                            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(textPointer)),
                            textPointer && *textPointer ? *textPointer : "<no text>"});
}

extern "C" uint32_t __stdcall SimHostTickCount() {
  g_tickCountCalls = g_tickCountCalls + 1;
  return GetTickCount();
}

void PlaceConfigAndTimerHost() {
  PlaceJump(host::kHostMessage, reinterpret_cast<const void*>(&SimHostMessage));
  for (const HookSite& setting : host::kMultithreadingSettings) PlaceWord(setting.site, kMultithreadingOn);
  PlaceWord(host::kTickCountImportSlot.site, HostTickCountFunction());
  HostAt<float>(host::kTicksPerMs) = DefaultTicksPerMs();
  HostAt<int32_t>(host::kMaxFrameMs) = kDefaultMaxFrameMs;
  HostAt<float>(host::kTimeMultiplier) = 1.0f;
  std::lock_guard<std::mutex> hold(g_callsMutex);
  g_messageCalls.clear();
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceConfigAndTimerHost);

}  // namespace

void SetHostHeapSize(uint32_t bytes) {
  PlaceWord(kSimHeapObject + kHeapSizeOffset, bytes);
  PlaceWord(host::kHostHeapPointer, kSimHeapObject);
}

std::vector<HostMessageCall> HostMessageCalls() {
  std::lock_guard<std::mutex> hold(g_callsMutex);
  return g_messageCalls;
}

uint32_t HostTickCountFunction() { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&SimHostTickCount)); }
uint32_t HostTickCountCalls() { return g_tickCountCalls; }

float DefaultTicksPerMs() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<float>(frequency.QuadPart) / 1000.0f;
}

}  // namespace sim
