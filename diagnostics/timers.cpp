#include "diagnostics/timers.h"

#include <windows.h>

#include <map>
#include <mmsystem.h>
#include <mutex>

#include "diagnostics/frame_time.h"
#include "diagnostics/timer_sites.h"
#include "patch/frame_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

// The counter of each timer's previous update, by the timer's address. The
// host may run timers on more than one thread, so the map and its cells are
// only touched under the mutex; the frame arithmetic runs outside it.
std::mutex g_lastCounterMutex;
std::map<int32_t, int64_t*> LastCounterByTimer;

// Swaps in now as the timer's last counter and answers the one before. A
// timer whose cell cannot be allocated is measured as on its first update.
int64_t ExchangeLastCounter(HostTimer* timer, int64_t now) {
  std::lock_guard<std::mutex> hold(g_lastCounterMutex);
  const auto key = static_cast<int32_t>(reinterpret_cast<uintptr_t>(timer));
  int64_t* cell = nullptr;
  try {
    int64_t*& entry = LastCounterByTimer[key];
    if (entry == nullptr) entry = new int64_t(0);
    cell = entry;
  } catch (...) {
    return 0;
  }
  const int64_t previous = *cell;
  *cell = now;
  return previous;
}

}  // namespace

extern "C" uint32_t __stdcall TimeGetTimeForwarder() { return timeGetTime(); }

void GameTimerUpdate(HostTimer* timer) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const int64_t previous = ExchangeLastCounter(timer, now.QuadPart);
  const HostTimerSettings settings{host::At<float>(kTicksPerMs), host::At<int32_t>(kMaxFrameMs),
                                   host::At<float>(kTimeMultiplier)};
  ComputeFrameTimes(*timer, now.QuadPart, previous, settings);
}

// The host calls its timer update as a this-call without stack arguments; the
// replacement answers for the whole routine and hands back every register.
HOOK_BODY(HighFrequencyGameTimer_Body,
          SAVE_ALL
          "push ecx\n"
          CALL_PLUGIN(GameTimerUpdate)
          "add esp, 4\n"
          RESTORE_ALL
          "ret\n",
          PLUGIN_FUNCTION(GameTimerUpdate))

ApplyStatus ApplyHighFrequencyOSTimer() {
  timeBeginPeriod(1);  // held for the life of the process
  const auto forwarder = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&TimeGetTimeForwarder));
  return InstallPatches({{kTickCountImportSlot, nullptr, &forwarder}});
}

ApplyStatus ApplyHighFrequencyGameTimer() { return InstallPatches({{kGameTimerUpdate, &HighFrequencyGameTimer_Body}}); }
