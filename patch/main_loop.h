// The once-per-frame hook on the host's main loop, and the callbacks it runs.
#pragma once

#include "core/apply_status.h"

using FrameCallback = void (*)();

// Adds a callback that runs once per frame on the main-loop thread, after
// the ones added before it (a callback added twice runs once), and places
// the main-loop hook. Failed when the hook cannot be placed or the list is full.
ApplyStatus RunEveryFrame(FrameCallback callback);

// Runs the callbacks; the main-loop hook calls it each frame.
extern "C" void RunFrameCallbacks();
