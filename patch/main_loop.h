// The once-per-frame hook on the host's main loop.
#pragma once

// Places the main-loop hook on the first call that can; later calls only
// answer whether it is in place.
bool InstallMainLoopHook();

// Runs once per frame on the main-loop thread.
void OnFrameUpdate();
