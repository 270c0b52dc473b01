// A MemoryBlock's take+give against glibc malloc and mimalloc, 8 to 36 bytes,
// measured side by side in one run: each thread taking and giving back on
// 1, 2 and 4 threads, and a producer thread whose blocks a consumer thread
// gives back. Each time is the best of the repetitions. Prints the ratios,
// a line for each one that misses its target, and how many requests the
// pool answered null although it was far from exhausted.
#include <benchmark/benchmark.h>
#include <mimalloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "memory/memory_block.h"
#include "tests/benchmarks/handoff.h"

namespace {

constexpr uint32_t kPoolSlots = 1 << 16;
constexpr uint32_t kHandoffLength = 1 << 14;  // well below the pool's slots
constexpr int kRepetitions = 5;
constexpr double kMinSeconds = 0.2;
constexpr double kTakeGiveTarget[] = {0.0, 1.5, 2.0, 0.0, 2.0};  // by thread count
constexpr double kProducerConsumerTarget = 3.0;

std::atomic<uint64_t> poolNulls{0};

MemoryBlock* SharedPool(uint32_t size) {
  static std::map<uint32_t, std::unique_ptr<MemoryBlock>> pools;
  static std::atomic_flag building = ATOMIC_FLAG_INIT;
  while (building.test_and_set(std::memory_order_acquire)) {
  }
  auto& pool = pools[size];
  if (!pool) pool = std::make_unique<MemoryBlock>(size, size * kPoolSlots);
  building.clear(std::memory_order_release);
  return pool.get();
}

struct PoolFamily {
  explicit PoolFamily(int64_t size) : pool(SharedPool(static_cast<uint32_t>(size))) {}
  void* Take() {
    void* block = pool->Allocate();
    if (block == nullptr) poolNulls.fetch_add(1, std::memory_order_relaxed);
    return block;
  }
  void Give(void* block) { pool->Free(block); }
  MemoryBlock* pool;
};

struct GlibcFamily {
  explicit GlibcFamily(int64_t bytes) : size(static_cast<size_t>(bytes)) {}
  void* Take() { return std::malloc(size); }
  void Give(void* block) { std::free(block); }
  size_t size;
};

struct MimallocFamily {
  explicit MimallocFamily(int64_t bytes) : size(static_cast<size_t>(bytes)) {}
  void* Take() { return mi_malloc(size); }
  void Give(void* block) { mi_free(block); }
  size_t size;
};

template <typename Family>
void TakeGive(benchmark::State& state) {
  Family family(state.range(0));
  for (auto _ : state) {
    void* block = family.Take();
    benchmark::DoNotOptimize(block);
    family.Give(block);
  }
}

// Thread 0 takes, thread 1 gives back; both run the same number of rounds.
template <typename Family>
void ProducerConsumer(benchmark::State& state) {
  static Handoff<kHandoffLength> handoff;
  Family family(state.range(0));
  if (state.thread_index() == 0) {
    for (auto _ : state) handoff.Push(family.Take());
  } else {
    for (auto _ : state) family.Give(handoff.Pop());
  }
}

const char* const kFamilies[] = {"Pool", "Glibc", "Mimalloc"};

template <typename Family>
void Register(const char* family) {
  for (int size = 8; size <= 36; size += 4) {
    benchmark::RegisterBenchmark(family, TakeGive<Family>)
        ->Arg(size)->Threads(1)->Threads(2)->Threads(4)->UseRealTime()
        ->Repetitions(kRepetitions)->MinTime(kMinSeconds);
    benchmark::RegisterBenchmark((std::string(family) + "ProducerConsumer").c_str(), ProducerConsumer<Family>)
        ->Arg(size)->Threads(2)->UseRealTime()->Repetitions(kRepetitions)->MinTime(kMinSeconds);
  }
}

std::string Key(const std::string& family, const std::string& size, const std::string& threads) {
  return family + "/" + size + "/" + threads;
}

// Keeps the best time per operation pair of each benchmark, by family, size
// and threads: wall time, and the threads' processor time beside it, which a
// machine shared with other work disturbs less.
class BestOfReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const std::string key = Key(run.run_name.function_name, run.run_name.args, run.run_name.threads);
      Keep(wall, key, run.GetAdjustedRealTime());
      Keep(processor, key, run.GetAdjustedCPUTime());
    }
  }
  std::map<std::string, double> wall, processor;

 private:
  static void Keep(std::map<std::string, double>& best, const std::string& key, double time) {
    auto [at, added] = best.emplace(key, time);
    if (!added) at->second = std::min(at->second, time);
  }
};

}  // namespace

int main(int argc, char** argv) {
  Register<PoolFamily>(kFamilies[0]);
  Register<GlibcFamily>(kFamilies[1]);
  Register<MimallocFamily>(kFamilies[2]);
  benchmark::Initialize(&argc, argv);
  BestOfReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](std::map<std::string, double>& best, const std::string& pattern, const char* other, int size,
                   int threads) {
    const std::string sizeText = std::to_string(size), threadsText = "threads:" + std::to_string(threads);
    return best[Key("Pool" + pattern, sizeText, threadsText)] / best[Key(other + pattern, sizeText, threadsText)];
  };
  std::printf("\nratios of the pool's best time to the other's (below 1 the pool is faster); the target is on wall time\n");
  std::printf("%-18s %5s %7s %10s %12s %20s\n", "pattern", "size", "threads", "vs glibc", "vs mimalloc",
              "(processor time)");
  int missed = 0, measured = 0;
  auto row = [&](const char* label, const std::string& pattern, int size, int threads, double target) {
    const double vsMimalloc = ratio(reporter.wall, pattern, "Mimalloc", size, threads);
    ++measured;
    const bool miss = vsMimalloc > target;
    if (miss) ++missed;
    std::printf("%-18s %5d %7d %10.2f %12.2f %20.2f", label, size, threads,
                ratio(reporter.wall, pattern, "Glibc", size, threads), vsMimalloc,
                ratio(reporter.processor, pattern, "Mimalloc", size, threads));
    if (miss) std::printf("  MISSED (target %.1f vs mimalloc)", target);
    std::printf("\n");
  };
  for (int threads : {1, 2, 4}) {
    for (int size = 8; size <= 36; size += 4) row("take+give", "", size, threads, kTakeGiveTarget[threads]);
  }
  for (int size = 8; size <= 36; size += 4) row("producer/consumer", "ProducerConsumer", size, 2, kProducerConsumerTarget);
  std::printf("%d of %d ratios missed their target\n", missed, measured);
  std::printf("null answers from the pool (never exhausted here): %llu\n",
              static_cast<unsigned long long>(poolNulls.load(std::memory_order_relaxed)));
  return 0;
}
