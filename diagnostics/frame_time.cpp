#include "diagnostics/frame_time.h"

#include <cmath>
#include <cstdint>
#include <limits>

// The update is defined in single and double precision; the x87 unit would
// keep intermediates in extended precision and round differently.
#if defined(__i386__)
#define EXACT_FLOAT_ROUNDING __attribute__((target("sse2,fpmath=sse")))
#else
#define EXACT_FLOAT_ROUNDING
#endif

namespace {

// Counters are the host's signed words; a difference wraps instead of
// overflowing.
int64_t CounterDifference(int64_t later, int64_t earlier) {
  return static_cast<int64_t>(static_cast<uint64_t>(later) - static_cast<uint64_t>(earlier));
}

// What the processor's truncating conversion yields, without the undefined
// behaviour of converting a NaN or an out-of-range value in C++.
template <typename Float>
EXACT_FLOAT_ROUNDING int32_t TruncateToInt32(Float value) {
  constexpr Float kLimit = static_cast<Float>(2147483648.0);
  if (!(value > -kLimit && value < kLimit)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

EXACT_FLOAT_ROUNDING void UpdateRealTime(HostTimer& timer, int64_t now, int64_t previous, int64_t sinceStart,
                                         const HostTimerSettings& settings) {
  int64_t elapsed = previous > 0 ? CounterDifference(now, previous) : 0;
  const int32_t ticksPerMs = TruncateToInt32(settings.ticksPerMs);
  const auto limit = static_cast<int64_t>(
      static_cast<int32_t>(static_cast<uint32_t>(settings.maxFrameMs) * static_cast<uint32_t>(ticksPerMs)));
  if (elapsed > limit) elapsed = limit;

  double ms = static_cast<double>(elapsed);
  if (settings.ticksPerMs > 0.0f) ms /= static_cast<double>(settings.ticksPerMs);
  // A rate under one tick per millisecond truncates to nothing to divide by
  // (the host has not set it, or set nonsense); the frame is then clamped to
  // no time at all, and the millisecond counter stands still with it.
  if (ticksPerMs >= 1) timer.msSinceStart = static_cast<int32_t>(sinceStart / ticksPerMs);

  const double seconds = ms * 0.001;
  timer.unscaledSeconds = static_cast<float>(seconds);
  timer.scaledSeconds = static_cast<float>(static_cast<double>(settings.timeMultiplier) * seconds);
  if (timer.scaledSeconds < 0.0f) timer.scaledSeconds = 0.0f;
  if (timer.unscaledSeconds < 0.0f) timer.unscaledSeconds = 0.0f;
}

EXACT_FLOAT_ROUNDING void UpdateFixedStep(HostTimer& timer, const HostTimerSettings& settings) {
  const float sum = timer.carriedMs + timer.fixedFrameMs;
  const int32_t wholeMs = TruncateToInt32(sum);
  timer.carriedMs = sum - static_cast<float>(wholeMs);
  timer.msSinceStart = static_cast<int32_t>(static_cast<uint32_t>(timer.msSinceStart) + static_cast<uint32_t>(wholeMs));

  const auto seconds = static_cast<float>(static_cast<double>(timer.fixedFrameMs) * 0.001);
  timer.unscaledSeconds = seconds;
  timer.scaledSeconds = seconds * settings.timeMultiplier;
}

}  // namespace

EXACT_FLOAT_ROUNDING void ComputeFrameTimes(HostTimer& timer, int64_t now, int64_t previous,
                                            const HostTimerSettings& settings) {
  const int64_t sinceStart = CounterDifference(now, timer.startCounter);
  if (timer.paused != 0) {
    timer.scaledSeconds = 0.0f;
    timer.unscaledSeconds = 0.0f;
    return;
  }
  if (timer.fixedFrameMs != 0.0f) {
    UpdateFixedStep(timer, settings);
  } else {
    UpdateRealTime(timer, now, previous, sinceStart, settings);
  }
}
