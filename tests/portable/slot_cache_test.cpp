// The per-thread caches in front of a pool's ring: blocks taken, written,
// checked and given back on many threads, some handed to another thread to
// give; every slot back once the threads exit; and pointers of another pool
// or of none still ignored.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "memory/memory_block.h"
#include "tests/portable/pool_threads.h"

namespace {

using pool_test::AnnounceThreadExit;
using pool_test::Ownership;

constexpr int kRounds = 100 * pool_test::kStressPercent;
constexpr int kThreads = 6;
constexpr uint32_t kSlotSize = 12;
constexpr uint32_t kSlots = 2048;  // batches of 16: caches fill, spill and refill
constexpr int kMostHeld = 40;      // more than a cache keeps

// What a holder writes over its whole block and finds there when it lets go.
uint32_t PatternOf(int thread, uint32_t serial) { return uint32_t(thread) << 24 | (serial & 0xFFFFFF); }

std::array<uint32_t, kSlotSize / 4> Filled(uint32_t pattern) {
  std::array<uint32_t, kSlotSize / 4> words;
  words.fill(pattern);
  return words;
}
void Write(void* block, uint32_t pattern) { std::memcpy(block, Filled(pattern).data(), kSlotSize); }
bool Holds(const void* block, uint32_t pattern) { return std::memcmp(block, Filled(pattern).data(), kSlotSize) == 0; }

struct Held {
  void* block;
  uint32_t pattern;
};

// Blocks handed to a thread by the one before it, for it to give back.
struct Mailbox {
  std::mutex lock;
  std::vector<Held> blocks;
};

TEST(SlotCacheStress, BlocksWrittenOnManyThreadsAndHandedAcrossAreNeverSharedOrLost) {
  MemoryBlock pool(kSlotSize, kSlotSize * kSlots);
  ASSERT_TRUE(pool.Usable());
  Ownership ownership(pool);
  Mailbox mailboxes[kThreads];
  std::atomic<bool> failed{false};
  std::atomic<int> finished{0};
  std::atomic<uint32_t> cachedAtEnd{0};
  std::atomic<uint32_t> nulls{0};

  auto fail = [&](const char* what, int thread, const void* block) {
    ADD_FAILURE() << "thread " << thread << ": " << what << " (" << block << ")";
    failed.store(true, std::memory_order_relaxed);
  };
  // Gives back a block the thread holds, after checking nobody wrote over it.
  auto giveBack = [&](int thread, const Held& held) {
    if (!Holds(held.block, held.pattern)) fail("its pattern was overwritten while held", thread, held.block);
    if (!ownership.Release(held.block, thread)) fail("gave back a block it did not hold", thread, held.block);
    pool.Free(held.block);
  };
  auto drain = [&](int thread) {
    std::vector<Held> arrived;
    {
      std::lock_guard<std::mutex> guard(mailboxes[thread].lock);
      arrived.swap(mailboxes[thread].blocks);
    }
    for (const Held& held : arrived) giveBack(thread, held);
  };
  auto worker = [&](int thread) {
    std::mt19937 random(thread * 7919 + 3);
    const int next = (thread + 1) % kThreads;
    uint32_t serial = 0;
    std::vector<Held> held;
    for (int round = 0; round < kRounds && !failed.load(std::memory_order_relaxed); ++round) {
      const int want = 1 + int(random() % kMostHeld);
      for (int i = 0; i < want; ++i) {
        void* block = pool.Allocate();
        if (block == nullptr) {
          nulls.fetch_add(1, std::memory_order_relaxed);
          break;
        }
        if (!ownership.IsSlot(block)) {
          fail("got a pointer that is not a slot", thread, block);
          return;
        }
        if (!ownership.Claim(block, thread)) fail("got a block another thread holds", thread, block);
        held.push_back({block, PatternOf(thread, ++serial)});
        Write(block, held.back().pattern);
      }
      std::vector<Held> handed;
      for (const Held& h : held) {
        if (random() % 4 != 0) {
          giveBack(thread, h);
        } else if (!Holds(h.block, h.pattern) || !ownership.Transfer(h.block, thread, next)) {
          fail("lost a block before handing it on", thread, h.block);
        } else {
          handed.push_back(h);
        }
      }
      held.clear();
      {
        // A thread the scheduler leaves waiting is handed no more than it
        // would hold itself, so the pool is never exhausted.
        std::lock_guard<std::mutex> guard(mailboxes[next].lock);
        std::vector<Held>& mailbox = mailboxes[next].blocks;
        for (const Held& h : handed) {
          if (mailbox.size() < kMostHeld) {
            mailbox.push_back(h);
          } else if (ownership.Transfer(h.block, next, thread)) {
            giveBack(thread, h);
          }
        }
      }
      drain(thread);
    }
    // Keeps giving back what arrives until nobody hands anything on any more.
    finished.fetch_add(1, std::memory_order_acq_rel);
    while (finished.load(std::memory_order_acquire) < kThreads) {
      drain(thread);
      std::this_thread::yield();
    }
    drain(thread);
    cachedAtEnd.fetch_add(pool.caches->CachedCount() > 0 ? 1 : 0, std::memory_order_relaxed);
    AnnounceThreadExit();
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(worker, t);
  for (auto& t : threads) t.join();
  ASSERT_FALSE(failed.load());
  EXPECT_GT(cachedAtEnd.load(), 0u) << "no thread ever kept a slot in its cache";
  // Far fewer blocks are held at once than the pool has: a null answer
  // would mean slots were free in the ring and yet not handed out.
  EXPECT_EQ(nulls.load(), 0u);

  pool_test::ExpectEverySlotBackOnce(pool, ownership);
}

TEST(SlotCache, ExitingThreadsGiveTheirSlotsBackAndTheirSuccessorsStartEmpty) {
  MemoryBlock pool(8, 8 * 4096);  // batches of 32
  ASSERT_TRUE(pool.Usable());
  for (int generation = 0; generation < 3; ++generation) {
    std::atomic<uint32_t> cachedBeforeExit{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        // Takes a few, so the cache holds the rest of a batch, and gives
        // them back to the cache.
        void* blocks[5];
        for (void*& block : blocks) block = pool.Allocate();
        for (void* block : blocks) pool.Free(block);
        cachedBeforeExit.fetch_add(pool.caches->CachedCount(), std::memory_order_relaxed);
        AnnounceThreadExit();
      });
    }
    for (auto& t : threads) t.join();
    EXPECT_GT(cachedBeforeExit.load(), 0u) << "generation " << generation;
    EXPECT_EQ(pool.caches->CachedCount(), 0u) << "generation " << generation;
    EXPECT_EQ(uint32_t(pool.ring->AvailableCount()) + pool.caches->CachedCount(), pool.slotCount);
  }
}

TEST(SlotCache, AThreadsOwnSlotComesBackFirstAndANullOnlyWhenRingAndCacheAreEmpty) {
  MemoryBlock pool(16, 16 * 300);  // batches of 2, caches of at most 4
  ASSERT_TRUE(pool.Usable());
  std::thread([&] {
    void* first = pool.Allocate();
    EXPECT_EQ(pool.ring->AvailableCount(), 298) << "one batch moved to the cache";
    pool.Free(first);
    EXPECT_EQ(pool.Allocate(), first);
    std::vector<void*> all{first};
    while (void* block = pool.Allocate()) all.push_back(block);
    EXPECT_EQ(all.size(), 300u);
    // Five given back: the cache keeps four, then gives one batch back.
    for (int i = 0; i < 5; ++i) pool.Free(all[i]);
    EXPECT_EQ(pool.ring->AvailableCount(), 2);
    EXPECT_EQ(pool.FreeSlotCount(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_NE(pool.Allocate(), nullptr);
    EXPECT_EQ(pool.Allocate(), nullptr);
    for (void* block : all) pool.Free(block);
    AnnounceThreadExit();
  }).join();
  EXPECT_EQ(pool.ring->AvailableCount(), 300);
}

TEST(SlotCache, ASlotOfAnotherPoolOrOfNoneIsIgnoredAndStaysWithItsOwner) {
  BuildMemoryBlocks(1, false);
  MemoryBlock& twelve = *MemoryBlockTable[3];
  MemoryBlock& sixteen = *MemoryBlockTable[4];
  void* block = AllocateFromPools(12, 0, false);
  ASSERT_EQ(FindOwningPool(block, false), &twelve);
  const uint32_t freeBefore = sixteen.FreeSlotCount();
  sixteen.Free(block);
  char outside[16];
  sixteen.Free(outside);
  EXPECT_EQ(FindOwningPool(outside, false), nullptr);
  EXPECT_EQ(sixteen.FreeSlotCount(), freeBefore);
  for (uint32_t i = 0; i < sixteen.slotCount; ++i) {
    void* other = sixteen.Allocate();
    ASSERT_TRUE(sixteen.Contains(other));
  }
  EXPECT_EQ(sixteen.Allocate(), nullptr) << "a foreign pointer joined the pool";
  twelve.Free(block);
  EXPECT_EQ(twelve.FreeSlotCount(), twelve.slotCount);
}

}  // namespace
