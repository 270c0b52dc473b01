// The once-per-frame hook on the host's main loop.
#pragma once

// Places the main-loop hook on the first call; later calls do nothing.
void InstallMainLoopHook();

// Runs once per frame on the main-loop thread.
void OnFrameUpdate();
