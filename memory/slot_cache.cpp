#include "memory/slot_cache.h"

#include <cassert>
#include <chrono>
#include <new>
#include <thread>

namespace {

// Stored for a thread that found every number taken: it uses the rings.
constexpr uint32_t kNoCacheForThread = kCachedThreads + 1;
// Numbers a thread that claims one checks for threads that ended unnoticed.
constexpr uint32_t kNumbersCheckedPerClaim = 2;
// A pool's slots divided by this give its batch, so that a small pool is not
// drained into a few threads' caches.
constexpr uint32_t kPoolSlotsPerBatchSlot = 128;
constexpr uint32_t kRecordBytes = sizeof(SlotCache) * kCachedThreads;

std::atomic<bool> g_numberTaken[kCachedThreads];
// No number above this was ever handed out: the count of cached slots stops there.
std::atomic<uint32_t> highestNumber{0};

// The live caches, walked by exiting threads, and whether the thread slot
// could be made; both change only under the lock.
SlotCaches* g_liveCaches = nullptr;
bool g_slotPrepared = false;
bool g_slotUsable = false;
std::atomic_flag g_liveLock = ATOMIC_FLAG_INIT;

class LiveListLock {
 public:
  LiveListLock() {
    while (g_liveLock.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  ~LiveListLock() { g_liveLock.clear(std::memory_order_release); }
};

// The thread behind each number, for the numbers whose thread may end
// without its exit notification; zero when it has none.
std::atomic<uintptr_t> numberWatch[kCachedThreads];
// Where the next check for ended threads starts.
std::atomic<uint32_t> nextNumberToCheck{0};

// Under the lock: the number's cached slots back to the rings, and its
// watch forgotten.
void ReturnNumberLocked(uint32_t number) {
  for (SlotCaches* caches = g_liveCaches; caches != nullptr; caches = caches->nextLive) caches->ReturnThreadSlots(number);
  if (const uintptr_t watch = numberWatch[number - 1].exchange(0, std::memory_order_relaxed)) ForgetWatchedThread(watch);
}

void ReturnExitingThreadSlots(uint32_t number) {
  if (number > kCachedThreads) return;
  {
    LiveListLock lock;
    ReturnNumberLocked(number);
  }
  // The next thread to claim the number finds its caches empty.
  g_numberTaken[number - 1].store(false, std::memory_order_release);
}

// A key no owner can know: the clock and the pool's address, mixed so that
// every bit of the mark depends on both.
uint64_t DrawMarkKey(const void* pool) {
  uint64_t key = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pool)) << 17);
  for (int round = 0; round < 2; ++round) {
    key ^= key >> 31;
    key *= 0x9E3779B97F4A7C15ull;
  }
  return key ^ (key >> 29);
}

uint32_t BatchFor(uint32_t slotCount) {
  const uint32_t batch = slotCount / kPoolSlotsPerBatchSlot;
  if (batch < 1) return 1;
  return batch < FreeSlotRing::kLargestBatch ? batch : FreeSlotRing::kLargestBatch;
}

}  // namespace

uint32_t SlotCaches::ClaimThreadNumber() {
  uint32_t number = kNoCacheForThread;
  for (uint32_t i = 0; i < kCachedThreads; ++i) {
    if (!g_numberTaken[i].load(std::memory_order_relaxed) && !g_numberTaken[i].exchange(true, std::memory_order_acquire)) {
      number = i + 1;
      break;
    }
  }
  if (number <= kCachedThreads) {
    uint32_t highest = highestNumber.load(std::memory_order_relaxed);
    while (highest < number &&
           !highestNumber.compare_exchange_weak(highest, number, std::memory_order_release, std::memory_order_relaxed)) {
    }
    numberWatch[number - 1].store(WatchCallingThread(), std::memory_order_relaxed);
  }
  SetThreadSlotValue(number);
  // Threads come and go in bursts: each newcomer checks on a few others, so
  // numbers of ended threads come back as fast as new threads need them.
  ReturnSlotsOfEndedThreads(kNumbersCheckedPerClaim);
  return number;
}

void SlotCaches::ReturnSlotsOfEndedThreads(uint32_t numbersToCheck) {
  const uint32_t numbers = highestNumber.load(std::memory_order_acquire);
  if (numbers == 0) return;
  if (numbersToCheck > numbers) numbersToCheck = numbers;
  // Checked under the lock: an exiting thread forgets its watch under it,
  // and a handle closed in between might already name another thread.
  LiveListLock lock;
  for (uint32_t i = 0; i < numbersToCheck; ++i) {
    const uint32_t number = nextNumberToCheck.fetch_add(1, std::memory_order_relaxed) % numbers + 1;
    const uintptr_t watch = numberWatch[number - 1].load(std::memory_order_relaxed);
    if (watch == 0 || !WatchedThreadEnded(watch)) continue;
    ReturnNumberLocked(number);
    g_numberTaken[number - 1].store(false, std::memory_order_release);
  }
}

SlotCaches::SlotCaches(FreeSlotRing& ring, char* begin, uint32_t slotSize)
    : nextLive(nullptr),
      ring_(ring),
      begin_(begin),
      slotSize_(slotSize),
      reciprocal_(slotSize >= 8 ? 0xFFFFFFFFu / (slotSize / 4) + 1 : 0),
      markKey_(DrawMarkKey(begin)),
      batch_(BatchFor(ring.slotCount)),
      limit_(2 * batch_),
      caches_(nullptr) {
  static_assert(2 * FreeSlotRing::kLargestBatch <= kSlotCacheCapacity);
  if (begin == nullptr) return;
  assert(slotSize >= 8 && slotSize % 4 == 0 && uint64_t{ring.slotCount} * slotSize < (uint64_t{1} << 30));
  LiveListLock lock;
  if (!g_slotPrepared) {
    g_slotUsable = PrepareThreadSlot(&ReturnExitingThreadSlots);
    g_slotPrepared = true;
  }
  if (!g_slotUsable) return;
  void* records = ReserveThreadRecords(kRecordBytes);
  if (records == nullptr) return;
  caches_ = static_cast<SlotCache*>(records);
  for (uint32_t i = 0; i < kCachedThreads; ++i) new (&caches_[i].count) std::atomic<uint32_t>(0);
  nextLive = g_liveCaches;
  g_liveCaches = this;
}

SlotCaches::~SlotCaches() {
  if (caches_ == nullptr) return;
  {
    LiveListLock lock;
    SlotCaches** link = &g_liveCaches;
    while (*link != this) link = &(*link)->nextLive;
    *link = nextLive;
  }
  ReleaseThreadRecords(caches_, kRecordBytes);
}

uint32_t SlotCaches::Refill(SlotCache& cache) {
  uint32_t indices[FreeSlotRing::kLargestBatch];
  const uint32_t count = ring_.TakeBatch(indices, batch_);
  for (uint32_t i = 0; i < count; ++i) cache.slots[i] = SlotAt(indices[i]);
  return count;
}

void SlotCaches::GiveToRing(void* const* from, uint32_t count) {
  uint32_t indices[FreeSlotRing::kLargestBatch];
  for (uint32_t i = 0; i < count; ++i) {
    indices[i] = IndexOf(from[i]);
    assert(SlotAt(indices[i]) == from[i]);
  }
  ring_.GiveBatch(indices, count);
}

uint32_t SlotCaches::Spill(SlotCache& cache) {
  assert(cache.count.load(std::memory_order_relaxed) == limit_);
  const uint32_t kept = limit_ - batch_;
  GiveToRing(cache.slots + kept, batch_);
  return kept;
}

uint32_t SlotCaches::CachedCount() const {
  if (caches_ == nullptr) return 0;
  const uint32_t numbers = highestNumber.load(std::memory_order_acquire);
  uint32_t cached = 0;
  for (uint32_t i = 0; i < numbers; ++i) cached += caches_[i].count.load(std::memory_order_relaxed);
  return cached;
}

void SlotCaches::ReturnThreadSlots(uint32_t number) {
  if (caches_ == nullptr) return;
  SlotCache& cache = caches_[number - 1];
  uint32_t count = cache.count.load(std::memory_order_relaxed);
  while (count > 0) {
    const uint32_t moved = count < FreeSlotRing::kLargestBatch ? count : FreeSlotRing::kLargestBatch;
    count -= moved;
    GiveToRing(cache.slots + count, moved);
  }
  cache.count.store(0, std::memory_order_relaxed);
}
