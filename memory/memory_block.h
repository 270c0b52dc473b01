// Fixed-size-slot pools for the host's small heap requests, and the table the
// heap replacement consults. Plain portable C++: the pools also build and run
// natively, where their concurrency is checked under a thread sanitizer.
#pragma once
#include <atomic>
#include <cstdint>

#include "memory/free_slot_ring.h"
#include "memory/slot_cache.h"

// One pool: a single 32-byte-aligned reservation cut into equal slots with no
// header; a slot's index is found by address arithmetic. Its free slots are
// in the ring and in the threads' caches in front of it.
struct MemoryBlock {
  MemoryBlock(uint32_t slotSize, uint32_t totalSize, uint64_t firstRingPosition = 0);
  // Returns the reservation, the caches, the ring's entries and the ring.
  ~MemoryBlock();
  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;

  // False when the reservation or the ring could not be made; such a pool
  // hands out nothing and must not be published.
  bool Usable() const;

  // A free slot, or null when both the ring and the calling thread's cache
  // are empty (other threads' caches may still hold some).
  void* Allocate() { return caches->Take(); }
  // Gives back the slot holding p, into the calling thread's cache; a
  // pointer outside [begin, end) is ignored. False when the slot was free
  // already: a second free, which changes nothing.
  bool Free(void* p) { return !Contains(p) || caches->GiveContaining(p); }
  bool Contains(const void* p) const {
    const auto address = reinterpret_cast<uintptr_t>(p);
    return reinterpret_cast<uintptr_t>(begin) <= address && address < reinterpret_cast<uintptr_t>(end);
  }
  // Slots in the ring and in every thread's cache; exact once no thread is
  // taking or giving, else off by up to a batch per thread at work.
  uint32_t FreeSlotCount() const;

  uint32_t slotSize;
  float highestUsage;  // percent, written only by the per-frame sampling
  uint32_t totalSize;
  char* begin;
  char* end;
  uint32_t slotCount;
  FreeSlotRing* ring;
  SlotCaches* caches;
};

// Indexed by slot size / 4; entries 2..9 hold the pools of 8..36 bytes.
constexpr int kMemoryBlockTableSize = 10;
constexpr uint32_t kLargestPooledSize = 36;
extern MemoryBlock** MemoryBlockTable;
// Set once every pool of the table is built; readers ignore the table before.
extern std::atomic<bool> PoolsReady;
// Each slot size's share of the configured total, indexed like the table.
extern const float kPoolWeight[kMemoryBlockTableSize];

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
