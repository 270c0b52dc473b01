#include "memory/free_slot_ring.h"

#include <cassert>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

constexpr uint32_t kRingSlack = 33;
static_assert(FreeSlotRing::kLargestBatch < kRingSlack);

// The ring never wraps a 64-bit position, but a 64-bit division is costly on
// the 32-bit target; positions below 2^32 take the cheap path.
inline uint32_t EntryOf(uint64_t position, uint32_t capacity) {
  if ((position >> 32) == 0) return static_cast<uint32_t>(position) % capacity;
  return static_cast<uint32_t>(position % capacity);
}

constexpr int kPatienceBeforeYield = 64;

inline void CpuRelax() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_ia32_pause();
#endif
}

void WaitForTurn(const std::atomic<uint32_t>& turn, uint32_t expected) {
  for (int spins = 0; turn.load(std::memory_order_acquire) != expected; ++spins) {
    if (spins < kPatienceBeforeYield) {
      CpuRelax();
    } else {
      std::this_thread::yield();
    }
  }
}

}  // namespace

FreeSlotRing::FreeSlotRing(uint32_t slots, uint64_t firstPosition)
    : entries(nullptr),
      capacity(slots + kRingSlack),
      slotCount(slots),
      takeCounter(firstPosition),
      putCounter(firstPosition),
      available(0) {
  const uint64_t bytes = uint64_t(capacity) * sizeof(Entry);
  if (slots > UINT32_MAX - kRingSlack || bytes > UINT32_MAX) return;
  entries = static_cast<Entry*>(std::malloc(static_cast<size_t>(bytes)));
  if (entries == nullptr) return;
  // Every entry first waits for the giver of its position in the first lap.
  for (uint64_t position = firstPosition; position < firstPosition + capacity; ++position) {
    Entry& entry = entries[EntryOf(position, capacity)];
    new (&entry.turn) std::atomic<uint32_t>(static_cast<uint32_t>(position));
    entry.slotIndex = kNoSlot;
  }
}

FreeSlotRing::~FreeSlotRing() { std::free(entries); }

uint32_t FreeSlotRing::TakeBatch(uint32_t* slots, uint32_t most) {
  assert(most >= 1 && most <= kLargestBatch);
  // The reservation never drives the count below zero, so a taker that finds
  // nothing has nothing to put back. The entries' turns order the slot
  // indices themselves, so the count needs no ordering of its own.
  int32_t free = available.load(std::memory_order_relaxed);
  uint32_t count;
  do {
    if (free <= 0) return 0;
    count = static_cast<uint32_t>(free) < most ? static_cast<uint32_t>(free) : most;
  } while (!available.compare_exchange_weak(free, free - static_cast<int32_t>(count), std::memory_order_relaxed,
                                            std::memory_order_relaxed));
  // The reservation proves that givers have claimed these positions, not
  // that they have written them yet: each one is waited for.
  const uint64_t first = takeCounter.fetch_add(count, std::memory_order_relaxed);
  uint32_t index = EntryOf(first, capacity);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t position = first + i;
    Entry& entry = entries[index];
    WaitForTurn(entry.turn, static_cast<uint32_t>(position + 1));
    slots[i] = entry.slotIndex;
    assert(slots[i] < slotCount);
    entry.slotIndex = kNoSlot;
    entry.turn.store(static_cast<uint32_t>(position + capacity), std::memory_order_release);
    if (++index == capacity) index = 0;
  }
  return count;
}

uint32_t FreeSlotRing::GiveBatch(const uint32_t* slots, uint32_t count) {
  assert(count <= kLargestBatch);
  // The positions claimed beyond those takers have claimed never exceed the
  // slot count, so the taker of the previous lap of every claimed position
  // has come already, and a giver's wait ends. A stale take count only errs
  // towards less room, and never refuses slots that were truly out: each
  // one's take came before its give, and every claim read here comes with
  // the takes that came before it.
  uint64_t first = putCounter.load(std::memory_order_acquire);
  uint32_t room;
  do {
    // A stale `first` may even lie below the take count: it holds nothing then.
    const uint64_t taken = takeCounter.load(std::memory_order_relaxed);
    const uint64_t held = first > taken ? first - taken : 0;
    room = held >= slotCount ? 0 : static_cast<uint32_t>(slotCount - held);
    if (room < count) count = room;
    if (count == 0) return 0;
  } while (!putCounter.compare_exchange_weak(first, first + count, std::memory_order_acq_rel,
                                             std::memory_order_acquire));
  uint32_t index = EntryOf(first, capacity);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t position = first + i;
    Entry& entry = entries[index];
    assert(slots[i] < slotCount);
    // The taker of the previous lap may still be between claiming this entry
    // and releasing it.
    WaitForTurn(entry.turn, static_cast<uint32_t>(position));
    entry.slotIndex = slots[i];
    entry.turn.store(static_cast<uint32_t>(position + 1), std::memory_order_release);
    if (++index == capacity) index = 0;
  }
  // Counted only once the whole batch is written. A taker can still meet an
  // earlier giver's position unwritten, and waits for it.
  available.fetch_add(static_cast<int32_t>(count), std::memory_order_release);
  return count;
}

uint32_t FreeSlotRing::Take() {
  uint32_t slot;
  return TakeBatch(&slot, 1) == 1 ? slot : kNoSlot;
}

bool FreeSlotRing::Give(uint32_t slotIndex) { return GiveBatch(&slotIndex, 1) == 1; }
