// The pools on their own: sizing, slot hand-out and give-back, selection of a
// pool for a request, and the ring across the 32-bit wrap of its counters.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "memory/memory_block.h"

namespace {

constexpr uint64_t kJustBelowWrap = (uint64_t(1) << 32) - 5;

TEST(MemoryBlockPlan, SplitsTheTotalBySinglePrecisionWeightsCappedAtOneGibibyte) {
  // Worked out independently in single precision: share = weight / sum,
  // widened, times the total bytes, truncated.
  const struct {
    bool alignedLayout;
    uint32_t totalSize[kMemoryBlockTableSize];
  } plans[] = {
      {false, {0, 0, 65441068, 189334368, 89187280, 54401860, 177421552, 212286384, 206012304, 79657032}},
      {true, {0, 0, 0, 0, 324404640, 0, 0, 0, 749337216, 0}},
  };
  for (const auto& plan : plans) {
    for (int32_t totalMb : {1024, 2000}) {
      const PoolPlan planned = PlanMemoryBlocks(totalMb, plan.alignedLayout);
      for (int i = 0; i < kMemoryBlockTableSize; ++i) {
        EXPECT_EQ(planned.totalSize[i], plan.totalSize[i])
            << "slot size " << i * 4 << " of " << totalMb << " MB" << (plan.alignedLayout ? ", aligned" : "");
      }
    }
  }
  EXPECT_EQ(PlanMemoryBlocks(1, false).totalSize[2], 63907u);
}

TEST(MemoryBlockBuild, LayoutsBuildAlignedPoolsOwningTheirReservationsAndANonPositiveTotalNone) {
  BuildMemoryBlocks(1, false);
  ASSERT_TRUE(PoolsReady);
  for (int i = 0; i < kMemoryBlockTableSize; ++i) {
    if (i < 2) {
      EXPECT_EQ(MemoryBlockTable[i], nullptr);
      continue;
    }
    MemoryBlock* pool = MemoryBlockTable[i];
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->slotSize, uint32_t(i * 4));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pool->begin) % 32, 0u);
    // The owner of a pointer is found only inside a reservation.
    EXPECT_EQ(FindOwningPool(pool->begin, false), pool);
    EXPECT_EQ(FindOwningPool(pool->end - 1, false), pool);
  }
  int local = 0;
  EXPECT_EQ(FindOwningPool(&local, false), nullptr);
  EXPECT_EQ(FindOwningPool(nullptr, false), nullptr);
  BuildMemoryBlocks(1, true);
  for (int i = 0; i < kMemoryBlockTableSize; ++i) EXPECT_EQ(MemoryBlockTable[i] != nullptr, i == 4 || i == 8);
  for (int32_t total : {0, -1}) {
    BuildMemoryBlocks(total, false);
    EXPECT_FALSE(PoolsReady);
    for (int i = 0; i < kMemoryBlockTableSize; ++i) EXPECT_EQ(MemoryBlockTable[i], nullptr) << "total " << total;
  }
}

TEST(MemoryBlock, HandsOutEverySlotOnceThenRecoversAfterOneReleaseAndIgnoresForeignPointers) {
  MemoryBlock pool(12, 12 * 5 + 7);
  ASSERT_TRUE(pool.Usable());
  EXPECT_EQ(pool.slotCount, 5u);
  EXPECT_EQ(pool.end, pool.begin + 67);
  char outside[12];
  for (char* foreign : {outside, pool.end, pool.begin - 1}) pool.Free(foreign);
  EXPECT_EQ(pool.ring->AvailableCount(), 5) << "a pointer outside the reservation was taken in";
  std::set<void*> taken;
  for (int i = 0; i < 5; ++i) {
    void* slot = pool.Allocate();
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ((static_cast<char*>(slot) - pool.begin) % 12, 0);
    EXPECT_LT(static_cast<char*>(slot) + 12, pool.end + 1);
    EXPECT_TRUE(taken.insert(slot).second) << "slot handed out twice";
  }
  EXPECT_EQ(pool.Allocate(), nullptr);
  EXPECT_EQ(pool.ring->AvailableCount(), 0) << "a failed take must return its reservation";
  void* released = *taken.begin();
  pool.Free(released);
  EXPECT_EQ(pool.Allocate(), released);
  pool.Free(static_cast<char*>(released) + 11);  // a pointer inside a slot gives that slot back
  EXPECT_EQ(pool.Allocate(), released);
  pool.Free(pool.begin + 62);  // the tail past the last whole slot is no slot
  EXPECT_EQ(pool.Allocate(), nullptr);
}

TEST(MemoryBlock, UnreservablePoolIsUnusableAndHandsOutNothing) {
  // Its ring alone would need more than 2^32 bytes.
  MemoryBlock pool(8, 0xFFFFFFF8u);
  EXPECT_FALSE(pool.Usable());
  EXPECT_EQ(pool.Allocate(), nullptr);
}

// A ring that maps a position to the wrong entry, or a give with no room
// left, waits forever for a turn that never comes; that must fail the run,
// not stall it.
template <typename Body>
void WithinSeconds(int seconds, Body body) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  std::thread([done, body] {
    body();
    done->set_value();
  }).detach();
  if (finished.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready) return;
  std::fprintf(stderr, "the ring stalled: a take or a give waits for a position that never comes\n");
  std::_Exit(1);
}

TEST(FreeSlotRing, KeepsEveryEntryRightAcrossThe32BitWrap) {
  // 2^32 is not a multiple of the capacity (3 + 33): a 32-bit position taken
  // mod capacity would jump to another entry at the wrap.
  std::unique_ptr<MemoryBlock> built;
  WithinSeconds(20, [&built] {
    built = std::make_unique<MemoryBlock>(8, 8 * 3, kJustBelowWrap);
    MemoryBlock& pool = *built;
    for (int round = 0; round < 40; ++round) {
      std::set<void*> taken;
      for (int i = 0; i < 3; ++i) {
        void* slot = pool.Allocate();
        ASSERT_NE(slot, nullptr) << "round " << round;
        ASSERT_TRUE(pool.Contains(slot));
        ASSERT_TRUE(taken.insert(slot).second) << "slot handed out twice in round " << round;
      }
      ASSERT_EQ(pool.Allocate(), nullptr);
      for (void* slot : taken) pool.Free(slot);
    }
  });
  EXPECT_GT(built->ring->takeCounter.load(), uint64_t(1) << 32);
  EXPECT_GT(built->ring->putCounter.load(), uint64_t(1) << 32);
}

TEST(FreeSlotRing, WaitsForAnEntryItsGiverHasNotWrittenYet) {
  FreeSlotRing ring(2);
  ring.Give(0);
  ring.Give(1);
  ASSERT_EQ(ring.Take(), 0u);  // slot 0 now has an owner; its entry held it last
  ASSERT_EQ(ring.Take(), 1u);
  for (int step = 0; step < 33; ++step) {  // on to the position before the entry that held slot 0 (capacity 35)
    ring.Give(1);
    ASSERT_EQ(ring.Take(), 1u);
  }
  // A giver claims that entry's next position and stalls before writing it;
  // a later giver completes, so a reservation succeeds and lands on the
  // stalled position. The taker must neither hand out the stale entry nor
  // answer null while a slot is free: it waits.
  const uint64_t stalled = ring.putCounter.fetch_add(1);
  ring.Give(1);
  std::atomic<uint32_t> taken{0xABCDu};
  WithinSeconds(20, [&] {
    std::thread taker([&] { taken.store(ring.Take(), std::memory_order_release); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(taken.load(std::memory_order_acquire), 0xABCDu) << "handed out an entry that was never written";
    FreeSlotRing::Entry& entry = ring.entries[stalled % ring.capacity];
    entry.slotIndex = 0;
    entry.turn.store(static_cast<uint32_t>(stalled + 1), std::memory_order_release);
    ring.available.fetch_add(1, std::memory_order_release);
    taker.join();
  });
  EXPECT_EQ(taken.load(std::memory_order_acquire), 0u);
  EXPECT_EQ(ring.Take(), 1u);
  EXPECT_EQ(ring.Take(), FreeSlotRing::kNoSlot);
  EXPECT_EQ(ring.AvailableCount(), 0) << "a take that found nothing must leave the count as it was";
}

TEST(FreeSlotRing, BatchesTakeAndGiveInRingOrderWithOneReservationEach) {
  FreeSlotRing ring(40);
  const uint32_t given[] = {7, 3, 39, 0, 12};
  ring.GiveBatch(given, 5);
  EXPECT_EQ(ring.putCounter.load(), 5u);
  EXPECT_EQ(ring.AvailableCount(), 5);
  uint32_t taken[FreeSlotRing::kLargestBatch];
  ASSERT_EQ(ring.TakeBatch(taken, 3), 3u);
  EXPECT_EQ(ring.takeCounter.load(), 3u);
  EXPECT_EQ(std::vector<uint32_t>(taken, taken + 3), std::vector<uint32_t>({7, 3, 39}));
  // Asked for more than it holds, it hands out what it has.
  ASSERT_EQ(ring.TakeBatch(taken, FreeSlotRing::kLargestBatch), 2u);
  EXPECT_EQ(std::vector<uint32_t>(taken, taken + 2), std::vector<uint32_t>({0, 12}));
  EXPECT_EQ(ring.TakeBatch(taken, 1), 0u);
  EXPECT_EQ(ring.AvailableCount(), 0);
  // Batches across the end of the entries array, lap after lap.
  for (uint32_t lap = 0; lap < 6; ++lap) {
    uint32_t slots[FreeSlotRing::kLargestBatch];
    for (uint32_t i = 0; i < FreeSlotRing::kLargestBatch; ++i) slots[i] = (i + lap) % 40;
    ring.GiveBatch(slots, FreeSlotRing::kLargestBatch);
    ASSERT_EQ(ring.TakeBatch(taken, FreeSlotRing::kLargestBatch), FreeSlotRing::kLargestBatch);
    for (uint32_t i = 0; i < FreeSlotRing::kLargestBatch; ++i) ASSERT_EQ(taken[i], slots[i]) << "lap " << lap;
  }
}

TEST(MemoryBlock, ABlockFreedTwiceGoesBackOnceAndTheNextRequestsGetDifferentBlocks) {
  // The second free: at once, after other frees buried the block in the
  // cache, through a pointer inside it, on another thread.
  const struct {
    const char* name;
    int buriedBy, offset;
    bool onAnotherThread;
  } cases[] = {{"at once", 0, 0, false}, {"buried", 5, 0, false}, {"inside", 0, 7, false}, {"thread", 5, 0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryBlock pool(12, 12 * 64);
    std::vector<void*> all;
    while (void* block = pool.Allocate()) all.push_back(block);
    ASSERT_EQ(all.size(), 64u);
    for (int i = 0; i <= c.buriedBy; ++i) pool.Free(all[10 + i]);
    bool secondTakenIn = true;
    auto secondFree = [&] { secondTakenIn = pool.Free(static_cast<char*>(all[10]) + c.offset); };
    c.onAnotherThread ? std::thread(secondFree).join() : secondFree();
    EXPECT_FALSE(secondTakenIn);
    std::set<void*> handedOut;
    while (void* block = pool.Allocate()) EXPECT_TRUE(handedOut.insert(block).second) << "handed out twice: " << block;
    EXPECT_EQ(handedOut.size(), c.buriedBy + 1u);
  }
}

TEST(MemoryBlock, HundredsOfFreesOfOneBlockReturnPromptly) {
  // Freed as it is, every free after the first is refused and the pool
  // stays whole. With the mark wiped after each free (as a write into the
  // freed block does) every free is taken in, and the ring must refuse the
  // surplus, the last batch it takes in cut short, rather than wait for room
  // that never comes. All on one thread, whose cache the frees fill.
  for (bool wipedAfterEachFree : {false, true}) {
    SCOPED_TRACE(wipedAfterEachFree ? "written after each free" : "freed as it is");
    MemoryBlock pool(8, 8 * 500);  // batches of 3; 500 is no multiple of 3
    uint64_t ringHeld = 0;
    size_t handedOutAtEnd = 0;
    WithinSeconds(20, [&] {
      std::vector<void*> all;
      while (void* block = pool.Allocate()) all.push_back(block);
      for (int i = 0; i < 1000; ++i) {
        pool.Free(all[0]);
        if (wipedAfterEachFree) std::memset(all[0], 0, 8);
      }
      ringHeld = pool.ring->putCounter.load() - pool.ring->takeCounter.load();
      for (void* block : all) pool.Free(block);
      std::set<void*> handedOut;
      while (void* block = pool.Allocate()) handedOut.insert(block);
      handedOutAtEnd = handedOut.size();
    });
    EXPECT_EQ(ringHeld, wipedAfterEachFree ? 500u : 0u) << "the ring holds more than the pool's slots, or less";
    if (!wipedAfterEachFree) EXPECT_EQ(handedOutAtEnd, 500u) << "a slot was lost";
  }
}

// One character per request size 0..37: the slot size / 4 of the pool that
// serves it, or '-' for the C runtime.
struct SelectionCase {
  bool alignedLayout;
  int32_t alignment;
  const char* servedBy;
};

const SelectionCase kSelection[] = {
    {false, 0, "2222222223333444455556666777788889999-"},
    {false, 4, "2222222223333444455556666777788889999-"},
    {false, 8, "222222222----4444----6666----8888-----"},
    {false, 16, "-------------4444------------8888-----"},
    {false, 32, "-----------------------------8888-----"},
    {false, 24, "--------------------------------------"},
    {true, 0, "444444444444444448888888888888888-----"},
    {true, 4, "444444444444444448888888888888888-----"},
    {true, 8, "444444444444444448888888888888888-----"},
    {true, 16, "444444444444444448888888888888888-----"},
    {true, 32, "-----------------8888888888888888-----"},
    {true, 24, "--------------------------------------"},
};

TEST(PoolSelection, EverySizeAndAlignmentInBothLayouts) {
  for (const SelectionCase& c : kSelection) {
    BuildMemoryBlocks(1, c.alignedLayout);
    ASSERT_EQ(std::string(c.servedBy).size(), 38u);
    for (uint32_t size = 0; size <= 37; ++size) {
      void* block = AllocateFromPools(size, c.alignment, c.alignedLayout);
      MemoryBlock* owner = block ? FindOwningPool(block, c.alignedLayout) : nullptr;
      const char served = owner ? char('0' + owner->slotSize / 4) : '-';
      EXPECT_EQ(served, c.servedBy[size]) << "size " << size << " alignment " << c.alignment
                                          << (c.alignedLayout ? " aligned layout" : " normal layout");
      if (block) {
        EXPECT_NE(owner, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % (c.alignment > 4 ? c.alignment : 4), 0u);
        owner->Free(block);
      }
    }
  }
}

}  // namespace
