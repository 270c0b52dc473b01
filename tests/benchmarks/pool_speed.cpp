// Take+give of one shared MemoryBlock against the C runtime heap (malloc/free
// and _aligned_malloc/_aligned_free), 8 to 36 bytes, 1, 2 and 4 threads,
// measured side by side in one run. Prints nanoseconds per operation pair
// and the pool's ratio to each runtime family (target: at most 0.5).
#include <malloc.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "memory/memory_block.h"

namespace {

constexpr int kBatch = 16;              // blocks a thread holds at once
constexpr int kRoundsPerThread = 20000;  // emulated machine: keep it short
constexpr uint32_t kPoolSlots = 4096;

struct Allocator {
  const char* name;
  void* (*allocate)(MemoryBlock& pool, uint32_t size);
  void (*release)(MemoryBlock& pool, void* block);
};

const Allocator kAllocators[] = {
    {"MemoryBlock", [](MemoryBlock& pool, uint32_t) { return pool.Allocate(); },
     [](MemoryBlock& pool, void* block) { pool.Free(block); }},
    {"malloc", [](MemoryBlock&, uint32_t size) { return std::malloc(size); },
     [](MemoryBlock&, void* block) { std::free(block); }},
    {"_aligned_malloc", [](MemoryBlock&, uint32_t size) { return _aligned_malloc(size, 16); },
     [](MemoryBlock&, void* block) { _aligned_free(block); }},
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Nanoseconds per allocate+release pair, all threads running at once.
double Measure(const Allocator& allocator, uint32_t size, int threads) {
  MemoryBlock pool(size, size * kPoolSlots);
  std::atomic<uint32_t> failed{0};
  auto work = [&] {
    void* held[kBatch];
    for (int round = 0; round < kRoundsPerThread; ++round) {
      for (void*& block : held) block = allocator.allocate(pool, size);
      for (void* block : held) {
        if (block == nullptr) ++failed;
        allocator.release(pool, block);
      }
    }
  };
  LARGE_INTEGER start, stop;
  QueryPerformanceCounter(&start);
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) workers.emplace_back(work);
  for (auto& worker : workers) worker.join();
  QueryPerformanceCounter(&stop);
  const double pairs = double(threads) * kRoundsPerThread * kBatch;
  // The pool gives up on an entry whose giver is preempted mid-write; the
  // host then goes to the runtime. Say how often that happened.
  if (failed) std::printf("  (%s: %.3f%% of requests answered null)\n", allocator.name, 100.0 * failed / pairs);
  return Seconds(start, stop) * 1e9 / pairs;
}

}  // namespace

int main() {
  std::printf("ns per allocate+release pair; ratio = MemoryBlock / runtime (target <= 0.50)\n");
  std::printf("%5s %7s %12s %12s %16s %12s %12s\n", "size", "threads", "MemoryBlock", "malloc", "_aligned_malloc",
              "vs malloc", "vs aligned");
  int missed = 0;
  for (int threads : {1, 2, 4}) {
    for (uint32_t size = 8; size <= 36; size += 4) {
      double ns[3];
      for (int i = 0; i < 3; ++i) ns[i] = Measure(kAllocators[i], size, threads);
      const double vsMalloc = ns[0] / ns[1], vsAligned = ns[0] / ns[2];
      if (vsMalloc > 0.5) ++missed;
      if (vsAligned > 0.5) ++missed;
      std::printf("%5u %7d %12.1f %12.1f %16.1f %12.2f %12.2f%s\n", size, threads, ns[0], ns[1], ns[2], vsMalloc,
                  vsAligned, vsMalloc > 0.5 || vsAligned > 0.5 ? "  MISSED" : "");
    }
  }
  std::printf("%d of 48 ratios missed the target\n", missed);
  return 0;
}
