// The game timer's per-frame arithmetic, kept free of Windows so that it can
// be checked on its own: given the timer object and two performance-counter
// readings, it fills the object's frame times and millisecond counter.
#pragma once
#include <cstddef>
#include <cstdint>

// The fields of the host's timer object that the update reads and writes.
struct HostTimer {
  int64_t startCounter;     // performance counter when the timer started
  float fixedFrameMs;       // 0 measures real time; anything else is a fixed step
  float carriedMs;          // fraction of a millisecond left over by fixed steps
  float scaledSeconds;      // unscaled time multiplied by the host's multiplier
  float unscaledSeconds;
  int32_t msSinceStart;
  uint8_t notTouched[0x0C];  // host fields the update leaves alone
  int32_t paused;           // non-zero: no time passes
};
static_assert(offsetof(HostTimer, fixedFrameMs) == 0x08 && offsetof(HostTimer, carriedMs) == 0x0C &&
              offsetof(HostTimer, scaledSeconds) == 0x10 && offsetof(HostTimer, unscaledSeconds) == 0x14 &&
              offsetof(HostTimer, msSinceStart) == 0x18 && offsetof(HostTimer, paused) == 0x28);

// The host globals the update reads, copied out for one update.
struct HostTimerSettings {
  float ticksPerMs;       // performance-counter ticks per millisecond
  int32_t maxFrameMs;     // the longest frame one update may count
  float timeMultiplier;
};

// One update of the timer with the counter now and the counter of the
// timer's previous update (0 before its first update).
void ComputeFrameTimes(HostTimer& timer, int64_t now, int64_t previous, const HostTimerSettings& settings);
