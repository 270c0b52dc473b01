#include "memory/allocator_benchmark.h"

#include <windows.h>

#include <cstdlib>
#include <exception>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/settings.h"
#include "memory/heap_sites.h"
#include "memory/memory_block.h"
#include "patch/hook_asm.h"
#include "patch/main_loop.h"
#include "patch/messages.h"

using namespace host;

namespace {
constexpr uint32_t kHeapAllocateRoutine = kHeapAllocate.site;
constexpr uint32_t kHeapFreeRoutine = kHeapFreeEntry.site;
constexpr int32_t kFramesBeforeRun = 10;
constexpr uint32_t kBlockSizes[] = {8, 12, 16, 24, 32};
constexpr int kTestCount = 5;

constexpr const char* kClosingAdvice =
    "IMPORTANT: UseOSAllocators and AlignHeapAllocate were automatically disabled because of this option!\n"
    "You should not play normally with RunAllocatorBenchmark set at 1. Please exit game and disable it before "
    "continuing.";
}  // namespace

// cdecl (size, alignment, aligned) -> block. The host routine is trusted with
// nothing: every register and the flags survive it, only its EAX comes back.
// After SAVE_ALL the caller's arguments start at [esp+0x28], so the last is at
// [esp+0x30] and each push brings the one before it there.
HOOK_BODY(RunAllocatorBenchmark_HeapAllocate,
          SAVE_ALL
          "push dword ptr [esp+0x30]\n"
          "push dword ptr [esp+0x30]\n"
          "push dword ptr [esp+0x30]\n"
          "mov ecx, dword ptr [%c[kHostHeap]]\n"
          CALL_HOST(kHeapAllocateRoutine)
          "mov [esp+" SAVED_EAX "], eax\n"
          RESTORE_ALL
          "ret\n",
          HOST_ADDRESS(kHostHeap), HOST_ADDRESS(kHeapAllocateRoutine))

// cdecl (pointer, aligned), saving everything like RunAllocatorBenchmark_HeapAllocate.
HOOK_BODY(RunAllocatorBenchmark_HeapFree,
          SAVE_ALL
          "push dword ptr [esp+0x2C]\n"
          "push dword ptr [esp+0x2C]\n"
          "mov ecx, dword ptr [%c[kHostHeap]]\n"
          CALL_HOST(kHeapFreeRoutine)
          RESTORE_ALL
          "ret\n",
          HOST_ADDRESS(kHostHeap), HOST_ADDRESS(kHeapFreeRoutine))

int32_t g_benchmarkCountdown = 0;

namespace {

using HostAllocateCall = void* (*)(uint32_t size, uint32_t alignment, uint32_t aligned);
using HostFreeCall = void (*)(void* block, uint32_t aligned);

void* HostAllocate(uint32_t size, uint32_t alignment, uint32_t aligned) {
  return reinterpret_cast<HostAllocateCall>(&RunAllocatorBenchmark_HeapAllocate)(size, alignment, aligned);
}
void HostFree(void* block, uint32_t aligned) {
  reinterpret_cast<HostFreeCall>(&RunAllocatorBenchmark_HeapFree)(block, aligned);
}

// One allocator under test. The pool is the test's private MemoryBlock; the
// other allocators ignore it.
struct Allocator {
  const char* allocateLabel;
  const char* releaseLabel;
  void* (*allocate)(uint32_t size, MemoryBlock* pool);
  void (*release)(void* block, MemoryBlock* pool);
};

const Allocator kAllocators[kTestCount] = {
    {"Vanilla Heap::Allocate", "Vanilla Heap::Free",
     [](uint32_t size, MemoryBlock*) { return HostAllocate(size, 0, 0); },
     [](void* block, MemoryBlock*) { HostFree(block, 0); }},
    {"Vanilla aligned Heap::Allocate", "Vanilla aligned Heap::Free",
     [](uint32_t size, MemoryBlock*) { return HostAllocate(size, 16, 1); },
     [](void* block, MemoryBlock*) { HostFree(block, 1); }},
    {"malloc", "free",
     [](uint32_t size, MemoryBlock*) { return std::malloc(size); },
     [](void* block, MemoryBlock*) { std::free(block); }},
    {"_aligned_malloc", "_aligned_free",
     [](uint32_t size, MemoryBlock*) { return _aligned_malloc(size, 16); },
     [](void* block, MemoryBlock*) { _aligned_free(block); }},
    {"Custom MemoryBlock::Allocate", "Custom MemoryBlock::Free",
     [](uint32_t, MemoryBlock* pool) { return pool->Allocate(); },
     [](void* block, MemoryBlock* pool) { pool->Free(block); }},
};
constexpr int kPoolTest = 4;

// What the workers of one test run share. Each worker writes only the
// pointer entries it claimed and its own time slot.
struct TestRun {
  const Allocator& allocator;
  uint32_t size;
  uint32_t count;
  uint32_t threads;
  MemoryBlock* pool;
  void** pointers;            // count entries
  int64_t* timeSlots;         // threads entries
  volatile LONG* claim;       // the last index handed out
};

using Operation = void (*)(TestRun& run, uint32_t index);

void AllocateAt(TestRun& run, uint32_t index) { run.pointers[index] = run.allocator.allocate(run.size, run.pool); }
void ReleaseAt(TestRun& run, uint32_t index) { run.allocator.release(run.pointers[index], run.pool); }

// Claims indices until none is left. The time covers this loop only, not the
// thread's start, so an early thread that takes most of the work shows it.
void Work(TestRun& run, Operation operation, int64_t* timeSlot) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (auto i = static_cast<uint32_t>(InterlockedIncrement(run.claim)); i < run.count;
       i = static_cast<uint32_t>(InterlockedIncrement(run.claim))) {
    operation(run, i);
  }
  QueryPerformanceCounter(&end);
  *timeSlot = end.QuadPart - start.QuadPart;
}

// Runs one phase on run.threads workers and returns the sum of their times,
// or -1 when a worker could not be started. The calling thread then finishes
// the phase's work itself, so every block allocated is also released.
int64_t RunPhase(TestRun& run, Operation operation) {
  *run.claim = -1;
  std::vector<std::thread> workers;
  bool allStarted = true;
  try {
    workers.reserve(run.threads);
    for (uint32_t t = 0; t < run.threads; ++t) workers.emplace_back(Work, std::ref(run), operation, &run.timeSlots[t]);
  } catch (const std::exception&) {
    allStarted = false;
  }
  for (auto& worker : workers) worker.join();
  if (!allStarted) {
    int64_t untimed;
    Work(run, operation, &untimed);
    return -1;
  }
  int64_t sum = 0;
  for (uint32_t t = 0; t < run.threads; ++t) sum += run.timeSlots[t];
  return sum;
}

struct Averages {
  double allocation = 0.0;
  double release = 0.0;
};

double AverageMilliseconds(int64_t tickSum, uint32_t threads, int64_t ticksPerMillisecond) {
  return static_cast<double>(tickSum / static_cast<int64_t>(threads)) / static_cast<double>(ticksPerMillisecond);
}

// Byte counts are worked out in 64 bits: a 32-bit product could wrap to a
// small request that succeeds and is then overrun.
void* AllocateArray(uint64_t entries, uint64_t entrySize) {
  const uint64_t bytes = entries * entrySize;
  return bytes > SIZE_MAX ? nullptr : std::malloc(static_cast<size_t>(bytes));
}

using MallocPtr = std::unique_ptr<void, decltype(&std::free)>;

// Fills in the averages, or returns why the test could not be measured.
std::string MeasureTest(int test, uint32_t size, uint32_t count, int32_t times, uint32_t threads, Averages& averages) {
  std::unique_ptr<MemoryBlock> pool;
  if (test == kPoolTest) {
    const uint64_t total = uint64_t{size} * count;
    if (total > UINT32_MAX) return "the private MemoryBlock of " + std::to_string(total) + " bytes is too large";
    pool = std::make_unique<MemoryBlock>(size, static_cast<uint32_t>(total));
    if (!pool->Usable()) return "the private MemoryBlock of " + std::to_string(total) + " bytes could not be built";
  }
  MallocPtr pointers(AllocateArray(count, sizeof(void*)), &std::free);
  MallocPtr timeSlots(AllocateArray(threads, sizeof(int64_t)), &std::free);
  MallocPtr claim(std::malloc(sizeof(LONG)), &std::free);
  if (!pointers || !timeSlots || !claim) {
    return "the work arrays for Count " + std::to_string(count) + " and Threads " + std::to_string(threads) +
           " could not be allocated";
  }
  TestRun run{kAllocators[test], size, count, threads, pool.get(), static_cast<void**>(pointers.get()),
              static_cast<int64_t*>(timeSlots.get()), static_cast<volatile LONG*>(claim.get())};
  int64_t allocationTicks = 0;
  int64_t releaseTicks = 0;
  bool timed = true;
  for (int32_t iteration = 0; iteration < times; ++iteration) {
    const int64_t allocation = RunPhase(run, AllocateAt);
    const int64_t release = RunPhase(run, ReleaseAt);
    timed = timed && allocation >= 0 && release >= 0;
    allocationTicks += allocation;
    releaseTicks += release;
  }
  if (!timed) return "a worker thread could not be started; the work was finished untimed";
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const int64_t ticksPerMillisecond = frequency.QuadPart / 1000;
  averages.allocation = AverageMilliseconds(allocationTicks, threads, ticksPerMillisecond);
  averages.release = AverageMilliseconds(releaseTicks, threads, ticksPerMillisecond);
  return {};
}

// Times of 0 or less is a dry run that still writes every block, with
// averages of 0 and no thread started; Count and Threads size the work and
// have no such meaning.
std::string SettingsRefusal(int32_t count, int32_t times, int32_t threads) {
  if (count >= 1 && threads >= 1) return {};
  return "CountAllocatorBenchmark and ThreadsAllocatorBenchmark must each be at least 1 "
         "(a missing key reads -1); read Count " + std::to_string(count) + ", Times " + std::to_string(times) +
         ", Threads " + std::to_string(threads);
}

}  // namespace

void BenchmarkTest(int test, uint32_t size, int32_t count, int32_t times, int32_t threads, std::ostream& out) {
  out << "\n== Test: ( " << std::flush;
  Averages averages;
  const std::string skipped = count < 1 || threads < 1
                                  ? "Count and Threads must each be at least 1"
                                  : MeasureTest(test, size, static_cast<uint32_t>(count), times,
                                                static_cast<uint32_t>(threads), averages);
  const Allocator& allocator = kAllocators[test];
  out << allocator.allocateLabel << "(" << size << ") * " << count << " + " << allocator.releaseLabel << "() * "
      << count << " ) x " << times << " concurrently on " << threads << " threads\n";
  if (!skipped.empty()) {
    out << "Skipped: " << skipped << ".\n";
  } else {
    out << "Allocation average: " << averages.allocation << "\n";
    out << "Free average: " << averages.release << "\n";
    out << "Total average: " << averages.allocation + averages.release << "\n";
  }
  out << std::flush;
}

void RunAllocatorBenchmark() {
  const int32_t count = GetSetting("CountAllocatorBenchmark", -1);
  const int32_t times = GetSetting("TimesAllocatorBenchmark", -1);
  const int32_t threads = GetSetting("ThreadsAllocatorBenchmark", -1);
  std::ofstream out(kBenchmarkReportFile, std::ios::out | std::ios::trunc);
  out << "Running allocator tests... (Custom MemoryBlock: a private pool, through its per-thread slot caches as "
         "the game's pools run)\n"
      << "Lower times (results) are better.\n" << std::flush;
  const std::string refusal = SettingsRefusal(count, times, threads);
  if (refusal.empty()) {
    for (int test = 0; test < kTestCount; ++test) {
      for (uint32_t size : kBlockSizes) BenchmarkTest(test, size, count, times, threads, out);
    }
  } else {
    out << "\nNot run: " << refusal << ".\n";
  }
  out.close();
  const std::string closing =
      refusal.empty()
          ? std::string("Wrote allocator benchmark test to \"AllocatorBenchmark.txt\" in Vellmoor directory.\n")
          : "The allocator benchmark did not run: " + refusal + ". See \"AllocatorBenchmark.txt\" in Vellmoor directory.\n";
  ShowText((closing + kClosingAdvice).c_str());
}

namespace {
void CountDownToBenchmark() {
  if (g_benchmarkCountdown > 0 && --g_benchmarkCountdown == 0) RunAllocatorBenchmark();
}
}  // namespace

ApplyStatus ApplyRunAllocatorBenchmark() {
  g_benchmarkCountdown = kFramesBeforeRun;
  return RunEveryFrame(&CountDownToBenchmark);
}
