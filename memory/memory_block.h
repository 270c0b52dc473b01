// Fixed-size-slot pools for the host's small heap requests, and the table the
// heap replacement consults. Plain portable C++: the pools also build and run
// natively, where their concurrency is checked under a thread sanitizer.
#pragma once
#include <atomic>
#include <cstdint>

// A ring of the free slot indices of one pool, shared by every thread
// without a lock.
//
// Positions are 64-bit so that position -> entry (position mod capacity)
// never jumps when a 32-bit counter would wrap. Each entry carries the
// position it was last written or released for, so a taker never reads an
// entry that a giver has claimed but not yet written (it answers "no slot"
// instead when that giver is slow to write), and a giver never overwrites an
// entry whose previous slot has not been taken yet.
struct FreeSlotRing {
  struct Entry {
    std::atomic<uint32_t> turn;  // low 32 bits of the position this entry waits for
    uint32_t slotIndex;          // kNoSlot when the entry holds no slot
  };
  static constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

  // Entries come from malloc; a failed (or overflowing) request leaves
  // entries null and the ring unusable. firstPosition lets tests start the
  // counters just below a 32-bit wrap.
  FreeSlotRing(uint32_t slotCount, uint64_t firstPosition = 0);
  ~FreeSlotRing();
  FreeSlotRing(const FreeSlotRing&) = delete;
  FreeSlotRing& operator=(const FreeSlotRing&) = delete;

  // Slot index, or kNoSlot when none is free or the next one is still being
  // given back.
  uint32_t Take();
  void Give(uint32_t slotIndex);

  // Free slots not yet reserved by a taker; a snapshot, possibly stale.
  int32_t AvailableCount() const { return available.load(std::memory_order_acquire); }

  Entry* entries;
  uint32_t capacity;   // slot count + 33
  uint32_t slotCount;
  std::atomic<uint64_t> takeCounter;
  std::atomic<uint64_t> putCounter;
  std::atomic<int32_t> available;
};

// One pool: a single 32-byte-aligned reservation cut into equal slots with no
// header; a slot's index is found by address arithmetic.
struct MemoryBlock {
  MemoryBlock(uint32_t slotSize, uint32_t totalSize, uint64_t firstRingPosition = 0);
  // Returns the reservation, the ring's entries and the ring.
  ~MemoryBlock();
  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;

  // False when the reservation or the ring could not be made; such a pool
  // hands out nothing and must not be published.
  bool Usable() const;

  // A free slot, or null when the pool is exhausted (for the moment).
  void* Allocate();
  // Gives p's slot back; a pointer outside [begin, end) is ignored.
  void Free(void* p);
  bool Contains(const void* p) const;

  uint32_t slotSize;
  float highestUsage;  // percent, written only by the per-frame sampling
  uint32_t totalSize;
  char* begin;
  char* end;
  uint32_t slotCount;
  FreeSlotRing* ring;
};

// Indexed by slot size / 4; entries 2..9 hold the pools of 8..36 bytes.
constexpr int kMemoryBlockTableSize = 10;
constexpr uint32_t kLargestPooledSize = 36;
extern MemoryBlock** MemoryBlockTable;
// Set once every pool of the table is built; readers ignore the table before.
extern std::atomic<bool> PoolsReady;
// Each slot size's share of the configured total, indexed like the table.
extern const float PoolWeight[kMemoryBlockTableSize];

// The bytes each pool of the table gets for totalMb megabytes (capped at
// 1024): its single-precision share of the weights of the sizes built.
// Zero for a size that is not built.
struct PoolPlan {
  uint32_t totalSize[kMemoryBlockTableSize];
};
PoolPlan PlanMemoryBlocks(int32_t totalMb, bool alignedLayout);

// Builds the pools for totalMb megabytes (capped at 1024) in the aligned
// layout (16 and 32 only) or the normal one (8..36), then sets PoolsReady.
// A non-positive total builds nothing and leaves PoolsReady false. A pool
// whose memory could not be had stays out of the table.
void BuildMemoryBlocks(int32_t totalMb, bool alignedLayout);

// A slot of the pool that suits size (<= 36) and alignment (0 when the
// request is not aligned), or null when no pool suits or it is exhausted.
void* AllocateFromPools(uint32_t size, int32_t alignment, bool alignedLayout);

// The pool that contains p, or null.
MemoryBlock* FindOwningPool(const void* p, bool alignedLayout);
