// What the pools' multi-threaded tests share: a map of which thread holds
// each slot, and the stand-in for the DLL's thread-detach notification.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "memory/memory_block.h"
#ifdef _WIN32
#include "core/thread_exit.h"
#endif

namespace pool_test {

// How much of a full stress run the build can afford, in percent: the
// emulated Windows run is the slowest, the sanitizer's next.
#if defined(_WIN32)
constexpr int kStressPercent = 20;
#elif defined(__SANITIZE_THREAD__)
constexpr int kStressPercent = 60;
#else
constexpr int kStressPercent = 100;
#endif

// Fails the moment a slot would have two holders.
struct Ownership {
  explicit Ownership(const MemoryBlock& pool) : pool(pool), owner(pool.slotCount) {
    for (auto& o : owner) o.store(-1, std::memory_order_relaxed);
  }
  // False when the slot already had an owner.
  bool Claim(void* slot, int thread) { return Transfer(slot, -1, thread); }
  // False when the thread did not own the slot.
  bool Release(void* slot, int thread) { return Transfer(slot, thread, -1); }
  // False when `from` did not own the slot.
  bool Transfer(void* slot, int from, int to) {
    return owner[Index(slot)].compare_exchange_strong(from, to, std::memory_order_acq_rel);
  }
  size_t Index(void* slot) const { return (static_cast<char*>(slot) - pool.begin) / pool.slotSize; }
  // True for the start of one of the pool's slots.
  bool IsSlot(void* p) const { return pool.Contains(p) && (static_cast<char*>(p) - pool.begin) % pool.slotSize == 0; }
  const MemoryBlock& pool;
  std::vector<std::atomic<int>> owner;
};

// After the threads exited, every slot is back in the ring, exactly once:
// their caches gave back what they kept.
inline void ExpectEverySlotBackOnce(MemoryBlock& pool, Ownership& ownership) {
  EXPECT_EQ(pool.caches->CachedCount(), 0u);
  EXPECT_EQ(pool.ring->AvailableCount(), int32_t(pool.slotCount));
  EXPECT_EQ(pool.FreeSlotCount(), pool.slotCount);
  for (uint32_t i = 0; i < pool.slotCount; ++i) {
    void* slot = pool.Allocate();
    ASSERT_NE(slot, nullptr) << "a slot was lost";
    ASSERT_TRUE(ownership.Claim(slot, 0)) << "slot handed out twice after the run";
  }
  EXPECT_EQ(pool.Allocate(), nullptr);
}

// The game's threads give their cached slots back through the DLL's
// thread-detach notification. A test program is no DLL, so on Windows its
// threads run the same callbacks themselves before they end; natively the
// thread's own exit runs them.
inline void AnnounceThreadExit() {
#ifdef _WIN32
  RunThreadExitCallbacks();
#endif
}

}  // namespace pool_test
