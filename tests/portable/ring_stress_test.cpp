// Many threads taking and giving back the slots of one small pool, with an
// ownership map that fails the moment a slot is held by two owners, and a
// final count that fails when a slot was lost.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "memory/memory_block.h"
#include "tests/portable/pool_threads.h"

namespace {

using pool_test::Ownership;

constexpr int kOperationsPerThread = 5000 * pool_test::kStressPercent;
constexpr int kThreads = 8;
constexpr uint32_t kSlotSize = 8;
constexpr uint32_t kSlots = 24;  // fewer than the threads can hold at once
constexpr int kMostHeld = 4;

void RunStress(MemoryBlock& pool, int operationsPerThread) {
  Ownership ownership(pool);
  std::atomic<bool> failed{false};
  std::atomic<uint64_t> operations{0};
  auto worker = [&](int thread) {
    std::mt19937 random(thread * 7919 + 1);
    void* held[kMostHeld];
    uint64_t done = 0;
    for (int round = 0; done < uint64_t(operationsPerThread) && !failed.load(std::memory_order_relaxed); ++round) {
      const int want = 1 + int(random() % kMostHeld);
      int count = 0;
      for (; count < want; ++count) {
        void* slot = pool.Allocate();
        ++done;
        if (slot == nullptr) break;  // exhausted for the moment
        if (!ownership.IsSlot(slot) || !ownership.Claim(slot, thread)) {
          ADD_FAILURE() << "thread " << thread << " got slot " << slot << " which is held or not a slot";
          failed = true;
          return;
        }
        held[count] = slot;
      }
      for (int i = count - 1; i >= 0; --i) {
        if (!ownership.Release(held[i], thread)) {
          ADD_FAILURE() << "thread " << thread << " lost its slot " << held[i];
          failed = true;
          return;
        }
        pool.Free(held[i]);
        ++done;
      }
    }
    operations += done;
    pool_test::AnnounceThreadExit();
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(worker, t);
  for (auto& t : threads) t.join();
  ASSERT_FALSE(failed.load());
  EXPECT_GE(operations.load(), uint64_t(kThreads) * operationsPerThread);

  pool_test::ExpectEverySlotBackOnce(pool, ownership);
}

TEST(FreeSlotRingStress, ManyThreadsNeverShareOrLoseASlot) {
  MemoryBlock pool(kSlotSize, kSlotSize * kSlots);
  ASSERT_TRUE(pool.Usable());
  RunStress(pool, kOperationsPerThread);
}

TEST(FreeSlotRingStress, ManyThreadsAcrossThe32BitWrap) {
  // Start a little below the wrap so that the threads cross it mid-run; most
  // takes and gives stay in the threads' caches and never move the counters.
  const uint64_t start = (uint64_t(1) << 32) - 1000;
  MemoryBlock pool(kSlotSize, kSlotSize * kSlots, start);
  ASSERT_TRUE(pool.Usable());
  RunStress(pool, kOperationsPerThread / 4);
  EXPECT_GT(pool.ring->takeCounter.load(), uint64_t(1) << 32);
}

}  // namespace
