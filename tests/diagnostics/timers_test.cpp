// The game timer's frame arithmetic, its hook and per-timer counters, and
// the tick-count import redirected to the multimedia timer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <mmsystem.h>

#include "diagnostics/frame_time.h"
#include "diagnostics/timers.h"
#include "patch/frame_sites.h"
#include "plugin/apply.h"
#include "sim/host_config.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/runner.h"
#include "tests/hook_check.h"

namespace {

using hook_check::R;

constexpr float kTicksPerMs = 10000.0f;  // a 10 MHz counter
constexpr int64_t kStart = 7'000'000;
constexpr int64_t kOneSecond = 10'000'000;

HostTimer FreshTimer() {
  HostTimer timer;
  std::memset(&timer, 0, sizeof timer);
  timer.startCounter = kStart;
  timer.scaledSeconds = 9.0f;  // stale values that an update must replace
  timer.unscaledSeconds = 9.0f;
  timer.msSinceStart = -5;
  return timer;
}

// Updates measuring real time, each of a fresh timer or of the row
// before's, with the frame times and milliseconds each should leave.
TEST(FrameTimes, RealTimeUpdatesCountTheGapUpToTheLimitAndNoneWhilePaused) {
  const struct {
    const char* what;
    bool fresh;
    int32_t paused;
    int64_t now, previous;
    HostTimerSettings settings;
    float unscaled, scaled;
    int32_t ms;
  } cases[] = {
      {"a first update counts no frame; 250.4999 ms truncate", true, 0, kStart + 2'504'999, 0,
       {kTicksPerMs, 500, 1.0f}, 0, 0, 250},
      {"signed division truncates towards zero", false, 0, kStart - 15'000, 0, {kTicksPerMs, 500, 1.0f}, 0, 0, -1},
      {"a gap longer than the limit counts as the limit", true, 0, kStart + 11 * kOneSecond, kStart + kOneSecond,
       {kTicksPerMs, 500, 2.0f}, 0.5f, 1.0f, 11000},
      {"a gap within the limit counts in full", false, 0, kStart + kOneSecond * 5 / 4, kStart + kOneSecond,
       {kTicksPerMs, 500, 2.0f}, 0.25f, 0.5f, 1250},
      {"a pause zeroes the frame and keeps the milliseconds", true, 1, kStart + 3 * kOneSecond, kStart + kOneSecond,
       {kTicksPerMs, 5000, 1.0f}, 0, 0, -5},
      {"the update after the pause measures from the paused update's counter", false, 0,
       kStart + 3 * kOneSecond + kOneSecond / 8, kStart + 3 * kOneSecond, {kTicksPerMs, 5000, 1.0f}, 0.125f, 0.125f,
       3125},
      // Truncated, 0.5 ticks per millisecond leaves nothing to divide by:
      // the frame clamps to no time and the millisecond counter stands still.
      {"a rate of 0.5 ticks per millisecond", true, 0, kStart + kOneSecond, kStart + 1, {0.5f, 500, 1.0f}, 0, 0, -5},
      {"a rate of 0", true, 0, kStart + kOneSecond, kStart + 1, {0.0f, 500, 1.0f}, 0, 0, -5},
      {"a negative rate", true, 0, kStart + kOneSecond, kStart + 1, {-3.0f, 500, 1.0f}, 0, 0, -5},
  };
  HostTimer timer = FreshTimer();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.fresh) timer = FreshTimer();
    timer.paused = c.paused;
    ComputeFrameTimes(timer, c.now, c.previous, c.settings);
    EXPECT_EQ(timer.unscaledSeconds, c.unscaled);
    EXPECT_EQ(timer.scaledSeconds, c.scaled);
    EXPECT_EQ(timer.msSinceStart, c.ms);
  }
}

TEST(FrameTimes, FixedStepCarriesTheFractionOfAMillisecond) {
  HostTimer timer = FreshTimer();
  timer.fixedFrameMs = 16.7f;
  timer.msSinceStart = 1000;
  const int32_t expectedMs[] = {1016, 1033, 1050};
  for (int32_t ms : expectedMs) {
    ComputeFrameTimes(timer, kStart, kStart, {kTicksPerMs, 500, 1.0f});
    EXPECT_EQ(timer.msSinceStart, ms);
    EXPECT_FLOAT_EQ(timer.unscaledSeconds, 0.0167f);
    EXPECT_FLOAT_EQ(timer.scaledSeconds, 0.0167f);
  }
  EXPECT_NEAR(timer.carriedMs, 0.1f, 1e-4f);
}

TEST(FrameTimes, ANegativeMultiplierIsClampedOnlyOnTheRealTimePath) {
  HostTimer realTime = FreshTimer();
  ComputeFrameTimes(realTime, kStart + kOneSecond / 10, kStart, {kTicksPerMs, 500, -1.5f});
  EXPECT_FLOAT_EQ(realTime.unscaledSeconds, 0.1f);
  EXPECT_EQ(realTime.scaledSeconds, 0.0f);

  HostTimer fixedStep = FreshTimer();
  fixedStep.fixedFrameMs = 20.0f;
  ComputeFrameTimes(fixedStep, kStart, kStart, {kTicksPerMs, 500, -1.5f});
  EXPECT_FLOAT_EQ(fixedStep.unscaledSeconds, 0.02f);
  EXPECT_FLOAT_EQ(fixedStep.scaledSeconds, -0.03f);
}

// The host timer object of the simulator, seen through the plugin's layout.
HostTimer& SimTimer() { return sim::HostAt<HostTimer>(sim::TimerObject()); }

int64_t CounterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

TEST(GameTimerHook, ReturnsToTheCallerWithEveryRegisterKeptAndTheTimerUpdated) {
  sim::ResetHostImage();
  EXPECT_TRUE(ApplyHighFrequencyGameTimer().Applied());
  SimTimer().startCounter = CounterNow() - static_cast<int64_t>(sim::DefaultTicksPerMs() * 5000);
  SimTimer().unscaledSeconds = 3.0f;
  const R in = hook_check::With(hook_check::kDistinct, {{&R::ecx, sim::TimerObject()}});
  const uint32_t hostUpdatesBefore = sim::TimerUpdatesRun();
  const auto out = hook_check::ExpectHook(host::kTimerUpdate, in, {sim::kReturnProbe, 0x5A5A},
                                          {sim::kReturnProbe, in, 4, true});
  EXPECT_EQ(out.Stack(0), 0x5A5Au);
  EXPECT_EQ(sim::TimerUpdatesRun(), hostUpdatesBefore) << "the host's own update no longer runs";
  EXPECT_GE(SimTimer().msSinceStart, 5000);
  EXPECT_LT(SimTimer().msSinceStart, 65000);
}

TEST(GameTimerHook, EachTimerHasItsOwnLastCounterAndAPauseStillAdvancesIt) {
  sim::ResetHostImage();
  alignas(8) static HostTimer first, second;
  for (HostTimer* timer : {&first, &second}) {
    std::memset(timer, 0, sizeof *timer);
    timer->startCounter = CounterNow();
  }
  GameTimerUpdate(&first);
  EXPECT_EQ(first.unscaledSeconds, 0.0f) << "a timer's first update counts no frame";
  Sleep(300);
  GameTimerUpdate(&second);
  EXPECT_EQ(second.unscaledSeconds, 0.0f) << "the other timer's update is not this one's previous";
  GameTimerUpdate(&first);
  EXPECT_GE(first.unscaledSeconds, 0.25f);

  Sleep(300);
  first.paused = 1;
  GameTimerUpdate(&first);
  EXPECT_EQ(first.unscaledSeconds, 0.0f);
  first.paused = 0;
  GameTimerUpdate(&first);
  EXPECT_LT(first.unscaledSeconds, 0.2f) << "the time before the paused update is not counted again";
}

TEST(OsTimer, TheTickCountImportNowAnswersTheMultimediaTimer) {
  sim::ResetHostImage();
  const uint32_t before = sim::HostAt<uint32_t>(host::kTickCountImportSlot.site);
  ASSERT_EQ(before, sim::HostTickCountFunction());
  EXPECT_TRUE(ApplyHighFrequencyOSTimer().Applied());
  const uint32_t slot = sim::HostAt<uint32_t>(host::kTickCountImportSlot.site);
  EXPECT_EQ(slot, reinterpret_cast<uintptr_t>(&TimeGetTimeForwarder));
  const uint32_t callsBefore = sim::HostTickCountCalls();
  const uint32_t reference = timeGetTime();
  const uint32_t answered = reinterpret_cast<uint32_t(__stdcall*)()>(slot)();
  EXPECT_LT(answered - reference, 100u);
  EXPECT_EQ(sim::HostTickCountCalls(), callsBefore);
}

}  // namespace
