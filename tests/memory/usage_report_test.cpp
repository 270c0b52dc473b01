#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "memory/allocator_benchmark.h"
#include "memory/memory_block.h"
#include "memory/usage_report.h"
#include "patch/frame_sites.h"
#include "patch/main_loop.h"
#include "plugin/apply.h"
#include "sim/child.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/host_usage.h"
#include "sim/journal.h"
#include "sim/loader.h"
#include "sim/runner.h"
#include "tests/hook_check.h"

namespace {

using hook_check::kDistinct;
using hook_check::R;
using hook_check::With;

constexpr uint32_t kSlotsPerPool = 8;

// Publishes pools of its own in place of the process's table for one test,
// and puts the table back afterwards.
class UsageReport : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    sim::ClearJournal();
    savedTable_ = MemoryBlockTable;
    savedReady_ = PoolsReady.load();
    savedTracking_ = g_trackHighestUsage;
    MemoryBlockTable = table_;
    PoolsReady = true;
    g_trackHighestUsage = true;
  }
  void TearDown() override {
    MemoryBlockTable = savedTable_;
    PoolsReady = savedReady_;
    g_trackHighestUsage = savedTracking_;
  }

  void Publish(std::initializer_list<uint32_t> slotSizes) {
    for (uint32_t size : slotSizes) {
      pools_.push_back(std::make_unique<MemoryBlock>(size, size * kSlotsPerPool));
      ASSERT_TRUE(pools_.back()->Usable());
      table_[size / 4] = pools_.back().get();
    }
  }
  void PublishNormalLayout() { Publish({8, 12, 16, 20, 24, 28, 32, 36}); }
  MemoryBlock& Pool(uint32_t slotSize) { return *table_[slotSize / 4]; }
  std::vector<void*> Take(uint32_t slotSize, uint32_t slots) {
    std::vector<void*> taken;
    for (uint32_t i = 0; i < slots; ++i) taken.push_back(Pool(slotSize).Allocate());
    EXPECT_EQ(std::count(taken.begin(), taken.end(), nullptr), 0);
    return taken;
  }

  static std::vector<std::string> Printed() {
    std::vector<std::string> lines;
    for (const auto& entry : sim::ConsoleLines()) lines.push_back(entry.text);
    return lines;
  }

  MemoryBlock* table_[kMemoryBlockTableSize] = {};
  std::vector<std::unique_ptr<MemoryBlock>> pools_;
  MemoryBlock** savedTable_ = nullptr;
  bool savedReady_ = false;
  bool savedTracking_ = false;
};

TEST_F(UsageReport, NormalLayoutPrintsEveryPoolInSizeOrder) {
  PublishNormalLayout();
  Take(8, 1);
  Take(12, kSlotsPerPool);
  Take(20, 3);
  Pool(8).highestUsage = 40.0f;
  MemoryUsageReport(0);
  const std::vector<std::string> expected = {
      "Memory block (08) current: 12.50 %, highest: 40.00 %",
      "Memory block (12) current: 100.00 %, highest: 0.00 %",
      "Memory block (16) current: 0.00 %, highest: 0.00 %",
      "Memory block (20) current: 37.50 %, highest: 0.00 %",
      "Memory block (24) current: 0.00 %, highest: 0.00 %",
      "Memory block (28) current: 0.00 %, highest: 0.00 %",
      "Memory block (32) current: 0.00 %, highest: 0.00 %",
      "Memory block (36) current: 0.00 %, highest: 0.00 %",
  };
  EXPECT_EQ(Printed(), expected);
  // The host prints the line as a format: every percent sign reaches it doubled.
  EXPECT_EQ(sim::ConsoleLines().at(0).caption, "Memory block (08) current: 12.50 %%, highest: 40.00 %%");
}

TEST_F(UsageReport, PrintsOnlyWhenTheHostAnsweredZeroAndPoolsAreReadyAndOnlyThePublishedOnes) {
  PublishNormalLayout();
  MemoryUsageReport(1);
  MemoryUsageReport(0x80);
  EXPECT_TRUE(sim::ConsoleLines().empty());
  PoolsReady = false;
  MemoryUsageReport(0);
  EXPECT_TRUE(sim::ConsoleLines().empty());
  PoolsReady = true;
  std::fill(std::begin(table_), std::end(table_), nullptr);
  MemoryUsageReport(0);
  EXPECT_TRUE(sim::ConsoleLines().empty());
  // The aligned layout: its two pools alone.
  Publish({16, 32});
  Take(32, 7);
  MemoryUsageReport(0);
  const std::vector<std::string> expected = {
      "Memory block (16) current: 0.00 %, highest: 0.00 %",
      "Memory block (32) current: 87.50 %, highest: 0.00 %",
  };
  EXPECT_EQ(Printed(), expected);
}

TEST_F(UsageReport, HighestUsageIsSampledEachFrameOnlyRisesAndStopsAtFull) {
  Publish({8, 12, 16});
  Take(8, 2);
  Take(12, kSlotsPerPool);
  MemoryUsageReport(0);
  EXPECT_EQ(Printed().at(0), "Memory block (08) current: 25.00 %, highest: 0.00 %");

  SampleHighestUsage();
  const std::vector<void*> more = Take(8, 4);
  SampleHighestUsage();
  for (void* slot : more) Pool(8).Free(slot);
  // A full pool's ring is not even looked at any more: without one, sampling would fault.
  ASSERT_EQ(Pool(12).highestUsage, 100.0f);
  FreeSlotRing* ring = std::exchange(Pool(12).ring, nullptr);
  SampleHighestUsage();
  Pool(12).ring = ring;
  EXPECT_EQ(Pool(12).highestUsage, 100.0f);
  EXPECT_EQ(Pool(16).highestUsage, 0.0f);
  sim::ClearJournal();
  MemoryUsageReport(0);
  EXPECT_EQ(Printed().at(0), "Memory block (08) current: 25.00 %, highest: 75.00 %");

  g_trackHighestUsage = false;
  Take(16, 4);
  SampleHighestUsage();
  EXPECT_EQ(Pool(16).highestUsage, 0.0f);
}

TEST_F(UsageReport, HookCallsTheHostRoutineThenReportsOnItsLowByte) {
  PublishNormalLayout();
  EXPECT_TRUE(ApplyMemoryInfoConsole().Applied());
  EXPECT_TRUE(g_trackHighestUsage);
  const struct {
    uint32_t answer;
    size_t lines;
  } answers[] = {{0x12345600, 8}, {0x00000001, 0}};
  for (const auto& [answer, lines] : answers) {
    SCOPED_TRACE(testing::Message() << "answer 0x" << std::hex << answer);
    sim::ClearJournal();
    sim::SetUsageRoutineResult(answer);
    const uint32_t calls = sim::UsageRoutineCalls();
    const sim::Landing out = sim::RunHost(host::kUsageReport.site, kDistinct, {0xAAAA0001, 0xAAAA0002});
    // The routine may change ECX and EDX, as any host call may; nothing else.
    const R want = With(kDistinct, {{&R::eax, answer}, {&R::ecx, out.regs.ecx}, {&R::edx, out.regs.edx}});
    hook_check::ExpectLanded(out, host::kUsageReport.resume, want, 0, false);
    EXPECT_EQ(std::make_pair(out.Stack(0), out.Stack(1)), std::make_pair(0xAAAA0001u, 0xAAAA0002u));
    EXPECT_EQ(sim::UsageRoutineCalls(), calls + 1);
    EXPECT_EQ(sim::UsageRoutineLastEcx(), kDistinct.ecx);
    EXPECT_EQ(Printed().size(), lines);
  }
}

// Takes two batches, keeps 24 of them in its cache and gets 40 back, which
// fills the cache; then says so and waits to be ended.
const HANDLE g_cacheFilled = CreateEventA(nullptr, FALSE, FALSE, nullptr);
DWORD WINAPI FillCacheAndWait(void* pool) {
  std::vector<void*> held;
  for (int i = 0; i < 40; ++i) held.push_back(static_cast<MemoryBlock*>(pool)->Allocate());
  for (void* block : held) static_cast<MemoryBlock*>(pool)->Free(block);
  SetEvent(g_cacheFilled);
  Sleep(INFINITE);
  return 0;
}

// Threads ended by TerminateThread never give their caches back. Their slots
// come back, through the report or within frames, and a live thread's stay
// its own: the main thread gets every slot but those.
TEST_F(UsageReport, CachesOfKilledThreadsComeBackAndLiveThreadsKeepTheirs) {
  const struct {
    const char* name;
    void (*reclaim)();
  } ways[] = {
      {"the console report", [] { MemoryUsageReport(0); }},
      {"frames", [] {
         for (int frame = 0; frame < 2 * kCachedThreads; ++frame) SampleHighestUsage();
       }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    MemoryBlock pool(8, 8 * 4096);  // batches of 32
    table_[2] = &pool;
    HANDLE threads[5];
    for (HANDLE& thread : threads) {
      thread = CreateThread(nullptr, 0, &FillCacheAndWait, &pool, 0, nullptr);
      WaitForSingleObject(g_cacheFilled, INFINITE);
    }
    ASSERT_EQ(pool.caches->CachedCount(), 5 * kSlotCacheCapacity);
    for (HANDLE thread : threads) {
      if (thread == threads[4]) break;  // the live one
      TerminateThread(thread, 1);
      WaitForSingleObject(thread, INFINITE);
    }
    way.reclaim();
    EXPECT_EQ(pool.caches->CachedCount(), kSlotCacheCapacity) << "only the live thread's cache is left";
    std::set<void*> handedOut;
    while (void* block = pool.Allocate()) handedOut.insert(block);
    EXPECT_EQ(handedOut.size(), pool.slotCount - kSlotCacheCapacity) << "slots of killed threads were lost";
    EXPECT_EQ(pool.caches->CachedCount(), kSlotCacheCapacity) << "the live thread's cache was taken";
    TerminateThread(threads[4], 1);
    for (HANDLE thread : threads) CloseHandle(thread);
    table_[2] = nullptr;
  }
}

// Scenarios in a fresh process, as the main-loop hook is placed once per
// process; each fails with a distinct code at the first check that does not hold.

// The frame in which the benchmark's report appeared, or 0.
int FramesUntilBenchmarkFile(int maxFrames) {
  for (int frame = 1; frame <= maxFrames; ++frame) {
    sim::RunFrame();
    if (sim::FileExists(kBenchmarkReportFile)) return frame;
  }
  return 0;
}

// The settings are missing, so the run only writes its refusal: what is under
// test is when it runs, not what it measures.
SIM_SCENARIO(BenchmarkRunsOnTheTenthFrameOnly) {
  sim::PrepareGameFolder(sim::TempFolder("countdown"), "[Patch]\nRunAllocatorBenchmark=1\n");
  EXPECT_TRUE(ApplyRunAllocatorBenchmark().Applied());
  const int frame = FramesUntilBenchmarkFile(30);
  if (frame != 10) return 100 + frame;
  if (sim::MessageBoxes().size() != 1) return 2;
  DeleteFileA(kBenchmarkReportFile);
  if (FramesUntilBenchmarkFile(30) != 0) return 3;
  if (sim::MessageBoxes().size() != 1) return 4;
  return 0;
}

SIM_SCENARIO(BothOptionsPlaceTheMainLoopHookOnce) {
  sim::PrepareGameFolder(sim::TempFolder("hook-once"), "[Patch]\nRunAllocatorBenchmark=1\n");
  EXPECT_TRUE(ApplyMemoryInfoConsole().Applied());
  if (sim::HostAt<uint8_t>(host::kMainLoop.site) != 0xE9) return 1;
  // Put the host's own call back: a second placement would show as a jump.
  const uint32_t hookJump = sim::HostAt<uint32_t>(host::kMainLoop.site + 1);
  sim::PlaceBytes(host::kMainLoop.site, {0xE8});
  sim::PlaceWord(host::kMainLoop.site + 1, host::kTimerUpdate - (host::kMainLoop.site + 5));
  EXPECT_TRUE(ApplyRunAllocatorBenchmark().Applied());
  if (sim::HostAt<uint8_t>(host::kMainLoop.site) != 0xE8) return 2;
  // With the one hook back, each frame counts down once.
  sim::PlaceBytes(host::kMainLoop.site, {0xE9});
  sim::PlaceWord(host::kMainLoop.site + 1, hookJump);
  const int frame = FramesUntilBenchmarkFile(30);
  return frame == 10 ? 0 : 100 + frame;
}

TEST(FrameUpdate, BenchmarkRunsInsideTheTenthFrameOnceAndSharesTheMainLoopHook) {
  for (const char* scenario : {"BenchmarkRunsOnTheTenthFrameOnly", "BothOptionsPlaceTheMainLoopHookOnce"}) {
    const sim::ChildResult child = sim::RunScenarioInChild(scenario);
    EXPECT_EQ(child.exitCode, 0u) << scenario << ": 100 + frame of the run, or the failed step\n" << child.output;
  }
}

}  // namespace
