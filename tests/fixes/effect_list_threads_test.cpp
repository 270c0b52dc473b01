// Effect-list routines entered by several threads: one key admits one thread
// at a time, different keys do not wait for each other.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <thread>
#include <vector>

#include "tests/fixes/effect_list_fixture.h"
#include "tests/hook_check.h"

namespace {

using effect_list_test::ExpectFree;
using effect_list_test::RunHook;
using hook_check::kDistinct;
using hook_check::With;
using R = sim::Registers;
using EffectListThreads = effect_list_test::Fixture;
using namespace std::chrono_literals;

void EnterA(uint32_t object) { RunHook(1, With(kDistinct, {{&R::ebp, object}})); }
void LeaveA(uint32_t object) { RunHook(2, With(kDistinct, {{&R::ebp, object}}), {0, 0, 0, 0, 0}); }

bool WaitFor(const std::atomic<bool>& flag, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!flag.load()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// The first thread enters routine A and holds until released; the second
// then enters A with its own object, and either waits for the first to leave
// or gets in at once.
TEST_F(EffectListThreads, OneKeyAdmitsOneThreadAtATimeAndDifferentKeysDoNotWait) {
  const struct {
    uint32_t firstKey, secondKey;
  } cases[] = {{901, 901}, {902, 903}};
  for (const auto& c : cases) {
    const bool secondWaits = c.firstKey == c.secondKey;
    SCOPED_TRACE(secondWaits ? "one key" : "two keys");
    const uint32_t firstObject = sim::MakeEffectListOwner(c.firstKey);
    const uint32_t secondObject = sim::MakeEffectListOwner(c.secondKey);
    std::atomic<bool> firstInside{false}, releaseFirst{false}, firstLeaving{false};
    std::atomic<bool> secondInside{false}, secondSawFirstLeaving{false};
    std::thread first([&] {
      EnterA(firstObject);
      firstInside = true;
      WaitFor(releaseFirst, 20000ms);
      firstLeaving = true;
      LeaveA(firstObject);
    });
    ASSERT_TRUE(WaitFor(firstInside, 10000ms));
    std::thread second([&] {
      EnterA(secondObject);
      secondSawFirstLeaving = firstLeaving.load();
      secondInside = true;
      LeaveA(secondObject);
    });
    EXPECT_EQ(WaitFor(secondInside, secondWaits ? 400ms : 10000ms), !secondWaits);
    releaseFirst = true;
    first.join();
    second.join();
    EXPECT_TRUE(secondInside.load());
    EXPECT_EQ(secondSawFirstLeaving.load(), secondWaits);
    ExpectFree(c.firstKey);
    ExpectFree(c.secondKey);
  }
}

// Several threads run routines A and B (B nesting F) on a few keys; each
// counts itself in and out of the routine, so two threads inside with the
// same key show as an inside count above one.
TEST_F(EffectListThreads, StressLeavesEveryLockFreeAndNoKeyEverShared) {
  constexpr int kThreads = 4;
  constexpr uint32_t kKeys[] = {951, 952, 953};
  constexpr int kKeyCount = std::size(kKeys);
  uint32_t objects[kKeyCount];
  for (int k = 0; k < kKeyCount; ++k) objects[k] = sim::MakeEffectListOwner(kKeys[k]);
  std::atomic<int> inside[kKeyCount] = {};
  std::atomic<int> overlaps{0};
  std::atomic<int> rounds{0};
  const auto until = std::chrono::steady_clock::now() + 2500ms;

  auto worker = [&](int id) {
    for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
      const int k = (id + i) % kKeyCount;
      const uint32_t object = objects[k];
      const bool routineB = (i + id) % 2 == 0;
      if (routineB) {
        RunHook(3, With(kDistinct, {{&R::ecx, object}}));
        RunHook(13, With(kDistinct, {{&R::ecx, object}}));
      } else {
        EnterA(object);
      }
      if (inside[k].fetch_add(1) != 0) ++overlaps;
      std::this_thread::yield();
      inside[k].fetch_sub(1);
      if (routineB) {
        RunHook(14, kDistinct, {0, object, sim::kReturnProbe, 0, 0});
        RunHook(4, kDistinct, {0, object, sim::kReturnProbe, 0});
      } else {
        LeaveA(object);
      }
      ++rounds;
    }
  };
  std::vector<std::thread> threads;
  for (int id = 0; id < kThreads; ++id) threads.emplace_back(worker, id);
  for (auto& thread : threads) thread.join();

  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_GE(rounds.load(), kThreads * 5) << "too few rounds to mean anything";
  for (uint32_t key : kKeys) ExpectFree(key);
  std::printf("stress: %d rounds\n", rounds.load());
}

}  // namespace
