// The shared depot of one pool's free slot indices: a ring that every thread
// takes from and gives to without a lock, one slot or a batch at a time.
#pragma once
#include <atomic>
#include <cstdint>

// Positions are 64-bit so that position -> entry (position mod capacity)
// never jumps when a 32-bit counter would wrap. Each entry carries the
// position it was last written or released for: a taker waits until the
// giver of its position has written the entry, and a giver waits until the
// taker of the previous lap has emptied it. Neither wait is long unless the
// other side was preempted between its two steps. A give that would make
// the ring hold more slots than the pool has is cut short instead: such a
// surplus can only come from slots freed twice, and no taker would ever
// empty the entries its giver would wait for.
struct FreeSlotRing {
  struct Entry {
    std::atomic<uint32_t> turn;  // low 32 bits of the position this entry waits for
    uint32_t slotIndex;          // kNoSlot when the entry holds no slot
  };
  static constexpr uint32_t kNoSlot = 0xFFFFFFFFu;
  // The most positions one batch claims: enough to bring the interlocked
  // work well below one operation per slot. Any batch shorter than the ring
  // keeps every wait pointing at an earlier position, held by another
  // thread or an earlier batch, so waits never form a cycle.
  static constexpr uint32_t kLargestBatch = 32;

  // Entries come from malloc; a failed (or overflowing) request leaves
  // entries null and the ring unusable. firstPosition lets tests start the
  // counters just below a 32-bit wrap.
  FreeSlotRing(uint32_t slotCount, uint64_t firstPosition = 0);
  ~FreeSlotRing();
  FreeSlotRing(const FreeSlotRing&) = delete;
  FreeSlotRing& operator=(const FreeSlotRing&) = delete;

  // Up to `most` (at most kLargestBatch) free slot indices into slots; the
  // number written. Zero only when every free slot is already reserved.
  uint32_t TakeBatch(uint32_t* slots, uint32_t most);
  // Gives back `count` (at most kLargestBatch) slot indices; the number
  // taken in, from the first on. Fewer only when the ring would otherwise
  // hold more than slotCount: the rest are surplus and dropped.
  uint32_t GiveBatch(const uint32_t* slots, uint32_t count);
  // One slot index, or kNoSlot when the ring holds none.
  uint32_t Take();
  bool Give(uint32_t slotIndex);

  // Free slots not yet reserved by a taker; a snapshot, possibly stale.
  int32_t AvailableCount() const { return available.load(std::memory_order_acquire); }

  Entry* entries;
  uint32_t capacity;   // slot count + 33
  uint32_t slotCount;
  std::atomic<uint64_t> takeCounter;
  std::atomic<uint64_t> putCounter;
  std::atomic<int32_t> available;  // never below zero
};
