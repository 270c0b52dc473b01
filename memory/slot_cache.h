// Per-thread caches of one pool's free slots, in front of its shared ring.
// A thread takes from and gives to its own cache with plain loads and
// stores; only an empty or a full cache goes to the ring, a batch at a time.
// A slot given by another thread than the one that took it simply joins the
// giver's cache. An exiting thread gives its caches back to the rings.
//
// A free slot carries a mark in its first 8 bytes: its address mixed with a
// key drawn for the pool, written when it is given and wiped when it is
// handed out. A give that finds the mark is a second free of a free slot
// and changes nothing. Owners never see the mark (it is wiped before they
// get the slot) and cannot guess the key, so a slot in use carries it only
// if its owner wrote those exact 8 bytes; what defeats it is a write into a
// slot after its free, or two threads freeing the same slot at one instant.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>

#include "memory/free_slot_ring.h"
#include "memory/thread_slot.h"

// Threads beyond this many at once use the rings directly.
constexpr uint32_t kCachedThreads = 128;
// A cache holds at most two batches: a full one gives one batch back and
// keeps the other, so a thread that alternates never goes to the ring.
constexpr uint32_t kSlotCacheCapacity = 2 * FreeSlotRing::kLargestBatch;

// One thread's free slots of one pool, by address: a give then needs no
// division. Only its thread touches the slots; the count is also read by
// the usage report.
struct alignas(64) SlotCache {
  std::atomic<uint32_t> count;
  void* slots[kSlotCacheCapacity];
};

// Every thread's cache of one pool.
class SlotCaches {
 public:
  // Caches for the pool of slotCount slots of slotSize bytes from begin,
  // whose free slots are in ring. Without caches (no thread slot, or no
  // memory for them) every take and give goes to the ring.
  SlotCaches(FreeSlotRing& ring, char* begin, uint32_t slotSize);
  ~SlotCaches();
  SlotCaches(const SlotCaches&) = delete;
  SlotCaches& operator=(const SlotCaches&) = delete;

  // A free slot, or null when the calling thread's cache and the ring are
  // both empty. Inline: this is every take's path.
  void* Take() {
    void* slot = TakeMarked();
    if (slot != nullptr) std::memset(slot, 0, sizeof(uint64_t));
    return slot;
  }

  // Gives back the slot that holds p, wherever inside it p points, as a
  // division of p's offset by the slot size would; a pointer into the tail
  // that holds no whole slot is ignored. p must lie in the pool. False only
  // when the slot was free already.
  bool GiveContaining(const void* p) {
    const uint32_t index = IndexOf(p);
    return index >= ring_.slotCount || Give(SlotAt(index));
  }

  // slot must be the start of one of the pool's slots. False, and nothing
  // changes, when the slot is free already.
  bool Give(void* slot) {
    const uint64_t mark = MarkOf(slot);
    uint64_t found;
    std::memcpy(&found, slot, sizeof found);
    if (found == mark) return false;
    std::memcpy(slot, &mark, sizeof mark);
    SlotCache* cache = CallingThreadCache();
    if (cache == nullptr) {
      ring_.Give(IndexOf(slot));
      return true;
    }
    uint32_t count = cache->count.load(std::memory_order_relaxed);
    if (count == limit_) count = Spill(*cache);
    cache->slots[count] = slot;
    cache->count.store(count + 1, std::memory_order_relaxed);
    return true;
  }

  // Slots held in all threads' caches. Exact when no thread is taking or
  // giving; while they run, each can be off by up to one batch.
  uint32_t CachedCount() const;

  // For the exit of the thread numbered `number`: its slots back to the ring.
  void ReturnThreadSlots(uint32_t number);

  // Checks the next `numbersToCheck` thread numbers in turn: one whose
  // thread ended without its exit notification (on Windows, by
  // TerminateThread) gets its cached slots back into every pool's ring and
  // becomes free for a new thread. Each check is a system call.
  static void ReturnSlotsOfEndedThreads(uint32_t numbersToCheck);

  SlotCaches* nextLive;  // the list of live caches walked at thread exit

 private:
  // Null when the thread has no cache: every number is taken, or the pool
  // has no caches at all.
  SlotCache* CallingThreadCache() {
    if (caches_ == nullptr) return nullptr;
    uint32_t number = ThreadSlotValue();
    if (number == 0) number = ClaimThreadNumber();
    return number <= kCachedThreads ? &caches_[number - 1] : nullptr;
  }
  static uint32_t ClaimThreadNumber();
  // A free slot with its mark still in it, or null.
  void* TakeMarked() {
    SlotCache* cache = CallingThreadCache();
    if (cache == nullptr) return SlotAt(ring_.Take());
    uint32_t count = cache->count.load(std::memory_order_relaxed);
    if (count == 0) {
      count = Refill(*cache);
      if (count == 0) return nullptr;
    }
    --count;
    cache->count.store(count, std::memory_order_relaxed);
    return cache->slots[count];
  }
  uint64_t MarkOf(const void* slot) const { return markKey_ ^ reinterpret_cast<uintptr_t>(slot); }
  // Takes a batch from the ring into an empty cache; the count taken.
  uint32_t Refill(SlotCache& cache);
  // Gives the older batch of a full cache to the ring; the count left.
  uint32_t Spill(SlotCache& cache);
  // Gives `count` cached slots from `from` on to the ring.
  void GiveToRing(void* const* from, uint32_t count);
  void* SlotAt(uint32_t index) const {
    return index == FreeSlotRing::kNoSlot ? nullptr : begin_ + uintptr_t{index} * slotSize_;
  }
  // The offset's slot, without a division on every give: slot sizes are
  // multiples of 4 and a pool is below 1 GiB, so the offset in quarters n is
  // below 2^28, and n * ceil(2^32 / (slotSize / 4)) / 2^32 is n / (slotSize / 4)
  // rounded down exactly (the reciprocal's excess, under 9, times n stays
  // below 2^32, less than one slot).
  uint32_t IndexOf(const void* p) const {
    const uint32_t quarters = static_cast<uint32_t>(static_cast<const char*>(p) - begin_) >> 2;
    return static_cast<uint32_t>((uint64_t{quarters} * reciprocal_) >> 32);
  }

  FreeSlotRing& ring_;
  char* begin_;
  uint32_t slotSize_;
  uint32_t reciprocal_;  // ceil(2^32 / (slotSize / 4)), for IndexOf
  uint64_t markKey_;     // mixed into the mark of a free slot
  uint32_t batch_;     // slots moved per trip to the ring
  uint32_t limit_;     // slots a cache may hold
  SlotCache* caches_;  // kCachedThreads entries, indexed by thread number - 1
};
