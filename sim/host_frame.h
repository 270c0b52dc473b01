// Host routines and globals that the plugin frame relies on: the message
// box, the console, the load and initialisation flags, and the main loop
// with its timer update.
#pragma once
#include <cstdint>

#include "patch/frame_sites.h"

namespace sim {

// The user keeps each message box open this long before closing it; the
// text is read when the box closes.
void SetMessageBoxReadingTime(uint32_t milliseconds);

// Gives the host a console object (or takes it away with false).
void SetConsolePresent(bool present);
uint32_t ConsoleObject();

// One pass of the host's main loop: loads the timer object, calls the timer
// update through the call site at kMainLoop.site and keeps the EAX it returned.
void RunFrame();
uint32_t FramesRun();
uint32_t LastTimerResult();     // EAX the timer update returned, as the loop saw it
uint32_t TimerUpdatesRun();
uint32_t TimerObject();         // the host timer object passed in ECX

// Makes the host's own timer update answer this EAX from now on.
void SetTimerResult(uint32_t eax);

}  // namespace sim
