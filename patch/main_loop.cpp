#include "patch/main_loop.h"

#include <cstdint>

#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

namespace {
constexpr uint32_t kMainLoopSite = 0x69470D;    // a call of the timer update
constexpr uint32_t kMainLoopResume = 0x694712;
constexpr uint32_t kTimerUpdate = 0x691620;
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
          CONTINUE_AT(kMainLoopResume),
          HOST_ADDRESS(kTimerUpdate), HOST_ADDRESS(kMainLoopResume), PLUGIN_FUNCTION(OnFrameUpdate))

void InstallMainLoopHook() {
  if (g_mainLoopHookInstalled) return;
  g_mainLoopHookInstalled = true;
  WriteJump(kMainLoopSite, kMainLoopResume, reinterpret_cast<const void*>(&MainLoop_Body));
}
