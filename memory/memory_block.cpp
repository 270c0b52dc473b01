#include "memory/memory_block.h"

#include <cstdlib>
#ifdef _WIN32
#include <malloc.h>
#endif

namespace {

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

}  // namespace

MemoryBlock::MemoryBlock(uint32_t slotBytes, uint32_t totalBytes, uint64_t firstRingPosition)
    : slotSize(slotBytes),
      highestUsage(0.0f),
      totalSize(totalBytes),
      begin(nullptr),
      end(nullptr),
      slotCount(slotBytes == 0 ? 0 : totalBytes / slotBytes),
      ring(new FreeSlotRing(slotCount, firstRingPosition)),
      caches(nullptr) {
  // Without a ring the pool can never be used, so it reserves nothing.
  if (slotBytes != 0 && ring->entries != nullptr) begin = static_cast<char*>(ReservePool(totalBytes));
  if (begin != nullptr) {
    end = begin + totalBytes;
    for (uint32_t slot = 0; slot < slotCount; ++slot) ring->Give(slot);
  }
  caches = new SlotCaches(*ring, begin, slotSize);
}

MemoryBlock::~MemoryBlock() {
  ReleasePool(begin);
  delete caches;
  delete ring;
}

bool MemoryBlock::Usable() const { return begin != nullptr && ring->entries != nullptr; }

uint32_t MemoryBlock::FreeSlotCount() const {
  return static_cast<uint32_t>(ring->AvailableCount()) + caches->CachedCount();
}

MemoryBlock** MemoryBlockTable = nullptr;
std::atomic<bool> PoolsReady{false};
const float kPoolWeight[kMemoryBlockTableSize] = {0.0f,  0.0f,  8.24f,  23.84f, 11.23f,
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
    if (IsBuilt(index * 4, alignedLayout)) totalWeight = Single(totalWeight + kPoolWeight[index]);
  }
  for (int index = 2; index < kMemoryBlockTableSize; ++index) {
    if (!IsBuilt(index * 4, alignedLayout)) continue;
    const float share = Single(kPoolWeight[index] / totalWeight);
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
