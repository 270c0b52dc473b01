// Finer timing for the game: a 1 ms system timer behind the host's tick
// count, and a game timer measured with the performance counter.
#pragma once
#include <cstdint>

struct HostTimer;

// What the host's tick-count import points at once the OS timer option is on.
extern "C" uint32_t __stdcall TimeGetTimeForwarder();

// Replaces the host's timer update: measures the time since the timer's
// previous update and fills its frame times.
void GameTimerUpdate(HostTimer* timer);
