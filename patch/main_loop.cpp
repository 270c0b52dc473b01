#include "patch/main_loop.h"

#include <cstdint>

#include "core/registry.h"
#include "patch/frame_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {
// Callbacks are added at load, before the hook first runs.
constinit Registry<FrameCallback, 8> g_frameCallbacks;
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
  for (FrameCallback callback : g_frameCallbacks.Entries()) callback();
}

ApplyStatus RunEveryFrame(FrameCallback callback) {
  if (!g_mainLoopHookInstalled) {
    const ApplyStatus hook = InstallPatches({{kMainLoop, &MainLoop_Body}});
    if (!hook.Applied()) return hook;
    g_mainLoopHookInstalled = true;
  }
  return g_frameCallbacks.AddOnce(callback) ? kApplied : RegistryFull("the frame callback list is full");
}
