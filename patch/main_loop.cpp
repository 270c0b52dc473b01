#include "patch/main_loop.h"

#include <cstdint>

#include "patch/frame_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {
bool g_mainLoopHookInstalled = false;
}  // namespace

// The host's timer update runs first, as the call it replaces; the frame
// update then runs with every register saved, so the host sees the timer
// update's EAX untouched.
HOOK_BODY(MainLoop_Body,
          CALL_HOST(kTimerUpdate)
          SAVE_ALL
          CALL_PLUGIN(OnFrameUpdate)
          RESTORE_ALL
          CONTINUE_AFTER(kMainLoop),
          HOST_ADDRESS(kTimerUpdate), RESUME_OF(kMainLoop), PLUGIN_FUNCTION(OnFrameUpdate))

bool InstallMainLoopHook() {
  if (!g_mainLoopHookInstalled) g_mainLoopHookInstalled = InstallPatches({{kMainLoop, &MainLoop_Body}});
  return g_mainLoopHookInstalled;
}
