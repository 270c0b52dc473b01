#include "memory/memory_block.h"

#include <cstdlib>
#include <new>
#include <thread>
#ifdef _WIN32
#include <malloc.h>
#endif

namespace {

constexpr uint32_t kRingSlack = 33;
constexpr uint32_t kPoolAlignment = 32;
constexpr int32_t kLargestTotalMb = 1024;

void* ReservePool(uint32_t bytes) {
#ifdef _WIN32
  return _aligned_malloc(bytes, kPoolAlignment);
#else
  void* p = nullptr;
  return posix_memalign(&p, kPoolAlignment, bytes) == 0 ? p : nullptr;
#endif
}

void ReleasePool(void* p) {
#ifdef _WIN32
  _aligned_free(p);
#else
  std::free(p);
#endif
}

// The ring never wraps a 64-bit position, but a 64-bit division is costly on
// the 32-bit target; positions below 2^32 take the cheap path.
inline uint32_t EntryOf(uint64_t position, uint32_t capacity) {
  if ((position >> 32) == 0) return static_cast<uint32_t>(position) % capacity;
  return static_cast<uint32_t>(position % capacity);
}

constexpr int kWriterPatience = 64;

inline void CpuRelax() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_ia32_pause();
#endif
}

void WaitForTurn(const std::atomic<uint32_t>& turn, uint32_t expected) {
  for (int spins = 0; turn.load(std::memory_order_acquire) != expected; ++spins) {
    if (spins < kWriterPatience) {
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

uint32_t FreeSlotRing::Take() {
  if (available.fetch_sub(1, std::memory_order_acq_rel) <= 0) {
    available.fetch_add(1, std::memory_order_relaxed);
    return kNoSlot;
  }
  // The reservation proves that a giver has claimed the next position, not
  // that it has written it yet. A position is claimed only once its entry is
  // written; a taker that meets one still being written waits a moment for
  // it, then gives up rather than wait on a giver preempted there.
  uint64_t position = takeCounter.load(std::memory_order_relaxed);
  for (int patience = kWriterPatience;;) {
    Entry& entry = entries[EntryOf(position, capacity)];
    const uint32_t turn = entry.turn.load(std::memory_order_acquire);
    const auto lag = static_cast<int32_t>(turn - static_cast<uint32_t>(position + 1));
    if (lag < 0 && patience-- > 0) {
      CpuRelax();
      position = takeCounter.load(std::memory_order_relaxed);
      continue;
    }
    if (lag < 0) {
      available.fetch_add(1, std::memory_order_relaxed);
      return kNoSlot;
    }
    if (lag > 0) {
      position = takeCounter.load(std::memory_order_relaxed);  // taken by another taker
    } else if (takeCounter.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
      const uint32_t slot = entry.slotIndex;
      entry.slotIndex = kNoSlot;
      entry.turn.store(static_cast<uint32_t>(position + capacity), std::memory_order_release);
      return slot;
    }
  }
}

void FreeSlotRing::Give(uint32_t slotIndex) {
  const uint64_t position = putCounter.fetch_add(1, std::memory_order_relaxed);
  Entry& entry = entries[EntryOf(position, capacity)];
  // The taker of the previous lap may still be between claiming this entry
  // and releasing it: two instructions, unless it was preempted there.
  WaitForTurn(entry.turn, static_cast<uint32_t>(position));
  entry.slotIndex = slotIndex;
  entry.turn.store(static_cast<uint32_t>(position + 1), std::memory_order_release);
  available.fetch_add(1, std::memory_order_release);
}

MemoryBlock::MemoryBlock(uint32_t slotBytes, uint32_t totalBytes, uint64_t firstRingPosition)
    : slotSize(slotBytes),
      highestUsage(0.0f),
      totalSize(totalBytes),
      begin(nullptr),
      end(nullptr),
      slotCount(slotBytes == 0 ? 0 : totalBytes / slotBytes),
      ring(new FreeSlotRing(slotCount, firstRingPosition)) {
  // Without a ring the pool can never be used, so it reserves nothing.
  if (slotBytes == 0 || ring->entries == nullptr) return;
  begin = static_cast<char*>(ReservePool(totalBytes));
  if (begin == nullptr) return;
  end = begin + totalBytes;
  for (uint32_t slot = 0; slot < slotCount; ++slot) ring->Give(slot);
}

MemoryBlock::~MemoryBlock() {
  ReleasePool(begin);
  delete ring;
}

bool MemoryBlock::Usable() const { return begin != nullptr && ring->entries != nullptr; }

void* MemoryBlock::Allocate() {
  const uint32_t slot = ring->Take();
  if (slot >= slotCount) return nullptr;
  return begin + uintptr_t(slot) * slotSize;
}

bool MemoryBlock::Contains(const void* p) const {
  const auto address = reinterpret_cast<uintptr_t>(p);
  return reinterpret_cast<uintptr_t>(begin) <= address && address < reinterpret_cast<uintptr_t>(end);
}

void MemoryBlock::Free(void* p) {
  if (!Contains(p)) return;
  ring->Give(static_cast<uint32_t>((static_cast<char*>(p) - begin) / slotSize));
}

MemoryBlock** MemoryBlockTable = nullptr;
std::atomic<bool> PoolsReady{false};
const float PoolWeight[kMemoryBlockTableSize] = {0.0f,  0.0f,  8.24f,  23.84f, 11.23f,
                                                 6.85f, 22.34f, 26.73f, 25.94f, 10.03f};

namespace {

// The 32-bit target computes on the x87 stack in extended precision and
// this compiler keeps that precision across float assignments in C++; a
// store through memory rounds to single precision as the sizing requires.
float Single(float value) {
  volatile float rounded = value;
  return rounded;
}

bool IsBuilt(uint32_t slotSize, bool alignedLayout) {
  return !alignedLayout || slotSize == 16 || slotSize == 32;
}

}  // namespace

PoolPlan PlanMemoryBlocks(int32_t totalMb, bool alignedLayout) {
  PoolPlan plan{};
  if (totalMb <= 0) return plan;
  if (totalMb > kLargestTotalMb) totalMb = kLargestTotalMb;
  const double totalBytes = double(totalMb) * double(1u << 20);
  float totalWeight = 0.0f;
  for (int index = 2; index < kMemoryBlockTableSize; ++index) {
    if (IsBuilt(index * 4, alignedLayout)) totalWeight = Single(totalWeight + PoolWeight[index]);
  }
  for (int index = 2; index < kMemoryBlockTableSize; ++index) {
    if (!IsBuilt(index * 4, alignedLayout)) continue;
    const float share = Single(PoolWeight[index] / totalWeight);
    plan.totalSize[index] = static_cast<uint32_t>(double(share) * totalBytes);
  }
  return plan;
}

void BuildMemoryBlocks(int32_t totalMb, bool alignedLayout) {
  // Only tests build twice; a rebuild must never expose a half-built table.
  PoolsReady.store(false, std::memory_order_release);
  MemoryBlockTable = new MemoryBlock*[kMemoryBlockTableSize]();
  const PoolPlan plan = PlanMemoryBlocks(totalMb, alignedLayout);
  if (totalMb <= 0) return;
  for (int index = 2; index < kMemoryBlockTableSize; ++index) {
    if (plan.totalSize[index] == 0) continue;
    auto* pool = new MemoryBlock(index * 4, plan.totalSize[index]);
    if (pool->Usable()) {
      MemoryBlockTable[index] = pool;
    } else {
      delete pool;
    }
  }
  PoolsReady.store(true, std::memory_order_release);
}

namespace {

uint32_t RoundedRequest(uint32_t size, bool alignedLayout) {
  if (alignedLayout) {
    if (size <= 16) return 16;
    if (size <= 32) return 32;
    return size;
  }
  return size < 8 ? 8 : size;
}

bool Suits(uint32_t slotSize, uint32_t rounded, int32_t alignment) {
  if (alignment <= 4) return rounded <= slotSize;
  if (alignment == 8 || alignment == 16) {
    const auto a = static_cast<uint32_t>(alignment);
    return slotSize % a == 0 && (rounded > a ? rounded : a) <= slotSize;
  }
  return alignment == 32 && slotSize == 32;
}

}  // namespace

void* AllocateFromPools(uint32_t size, int32_t alignment, bool alignedLayout) {
  const uint32_t rounded = RoundedRequest(size, alignedLayout);
  const uint32_t index = (rounded + 3) / 4;
  if (index >= kMemoryBlockTableSize) return nullptr;
  MemoryBlock* pool = MemoryBlockTable[index];
  if (pool == nullptr || !Suits(pool->slotSize, rounded, alignment)) return nullptr;
  return pool->Allocate();
}

MemoryBlock* FindOwningPool(const void* p, bool alignedLayout) {
  for (int index = 2; index < kMemoryBlockTableSize; ++index) {
    MemoryBlock* pool = MemoryBlockTable[index];
    if (pool == nullptr || !IsBuilt(index * 4, alignedLayout)) continue;
    if (pool->Contains(p)) return pool;
  }
  return nullptr;
}
