#include "patch/main_loop.h"

#include <atomic>
#include <cstdint>

#include "patch/frame_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {
constexpr int kMaxCallbacks = 8;
FrameCallback g_callbacks[kMaxCallbacks];
// Callbacks are added at load, before the hook first runs; the count is
// published after its slot, so the main loop never reads an unset slot.
std::atomic<int> g_callbackCount{0};
bool g_mainLoopHookInstalled = false;
}  // namespace

// The host's timer update runs first, as the call it replaces; the frame
// callbacks then run with every register saved, so the host sees the timer
// update's EAX untouched.
HOOK_BODY(MainLoop_Body,
          CALL_HOST(kTimerUpdate)
          SAVE_ALL
          CALL_PLUGIN(RunFrameCallbacks)
          RESTORE_ALL
          CONTINUE_AFTER(kMainLoop),
          HOST_ADDRESS(kTimerUpdate), RESUME_OF(kMainLoop), PLUGIN_FUNCTION(RunFrameCallbacks))

extern "C" void RunFrameCallbacks() {
  const int count = g_callbackCount.load(std::memory_order_acquire);
  for (int i = 0; i < count; ++i) g_callbacks[i]();
}

bool RunEveryFrame(FrameCallback callback) {
  if (!g_mainLoopHookInstalled) g_mainLoopHookInstalled = InstallPatches({{kMainLoop, &MainLoop_Body}});
  if (!g_mainLoopHookInstalled) return false;
  const int count = g_callbackCount.load(std::memory_order_relaxed);
  for (int i = 0; i < count; ++i) {
    if (g_callbacks[i] == callback) return true;
  }
  if (count == kMaxCallbacks) return false;
  g_callbacks[count] = callback;
  g_callbackCount.store(count + 1, std::memory_order_release);
  return true;
}
