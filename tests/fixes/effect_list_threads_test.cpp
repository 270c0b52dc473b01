// Effect-list routines entered by several threads: one key admits one thread
// at a time, different keys do not wait for each other.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "plugin/apply.h"
#include "sim/host_memory.h"
#include "tests/fixes/effect_list_fixture.h"
#include "tests/hook_check.h"

namespace {

using hook_check::kDistinct;
using effect_list_test::RunHook;
using namespace std::chrono_literals;

void EnterA(uint32_t object) {
  sim::Registers in = kDistinct;
  in.ebp = object;
  RunHook(1, in);
}

void LeaveA(uint32_t object) {
  sim::Registers in = kDistinct;
  in.ebp = object;
  RunHook(2, in, {0, 0, 0, 0, 0});
}

bool WaitFor(const std::atomic<bool>& flag, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!flag.load()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// The first thread enters routine A and holds until released; the second
// then enters A with its own object and reports when it got in.
struct TwoThreads {
  std::atomic<bool> firstInside{false}, releaseFirst{false}, firstLeaving{false};
  std::atomic<bool> secondInside{false}, secondSawFirstLeaving{false};

  void Run(uint32_t firstObject, uint32_t secondObject, bool expectSecondToWait) {
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
    const bool entered = WaitFor(secondInside, expectSecondToWait ? 400ms : 10000ms);
    EXPECT_EQ(entered, !expectSecondToWait);
    releaseFirst = true;
    first.join();
    second.join();
    EXPECT_TRUE(secondInside.load());
  }
};

class EffectListThreads : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    ApplyFixUnsafeEffectList();
  }
};

TEST_F(EffectListThreads, ASecondThreadOfTheSameKeyEntersOnlyAfterTheFirstLeft) {
  TwoThreads run;
  run.Run(sim::MakeEffectListOwner(901), sim::MakeEffectListOwner(901), true);
  EXPECT_TRUE(run.secondSawFirstLeaving.load());
  effect_list_test::ExpectFree(901);
}

TEST_F(EffectListThreads, ThreadsOfDifferentKeysDoNotWaitForEachOther) {
  TwoThreads run;
  run.Run(sim::MakeEffectListOwner(902), sim::MakeEffectListOwner(903), false);
  EXPECT_FALSE(run.secondSawFirstLeaving.load());
  effect_list_test::ExpectFree(902);
  effect_list_test::ExpectFree(903);
}

// Several threads run routines A and B (B nesting F) on a few keys; each
// counts itself in and out of the routine, so two threads inside with the
// same key show as an inside count above one.
TEST_F(EffectListThreads, StressLeavesEveryLockFreeAndNoKeyEverShared) {
  constexpr int kThreads = 4;
  constexpr uint32_t kKeys[] = {951, 952, 953};
  constexpr int kKeyCount = 3;
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
      sim::Registers in = kDistinct;
      in.ecx = object;
      const bool routineB = (i + id) % 2 == 0;
      if (routineB) {
        RunHook(3, in);
        RunHook(13, in);
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
  for (uint32_t key : kKeys) effect_list_test::ExpectFree(key);
  std::printf("stress: %d rounds\n", rounds.load());
}

}  // namespace
