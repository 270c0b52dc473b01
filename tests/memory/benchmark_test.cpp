#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "memory/allocator_benchmark.h"
#include "sim/host_heap.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"

namespace {

constexpr const char* kClosingAdvice =
    "IMPORTANT: UseOSAllocators and AlignHeapAllocate were automatically disabled because of this option!\n"
    "You should not play normally with RunAllocatorBenchmark set at 1. Please exit game and disable it before "
    "continuing.";

struct Labels {
  const char* allocation;
  const char* release;
};
const Labels kLabels[] = {
    {"Vanilla Heap::Allocate", "Vanilla Heap::Free"},
    {"Vanilla aligned Heap::Allocate", "Vanilla aligned Heap::Free"},
    {"malloc", "free"},
    {"_aligned_malloc", "_aligned_free"},
    {"Custom MemoryBlock::Allocate", "Custom MemoryBlock::Free"},
};
const uint32_t kSizes[] = {8, 12, 16, 24, 32};

std::string Header(const Labels& labels, uint32_t size, int count, int times, int threads) {
  return std::string(labels.allocation) + "(" + std::to_string(size) + ") * " + std::to_string(count) + " + " +
         labels.release + "() * " + std::to_string(count) + " ) x " + std::to_string(times) + " concurrently on " +
         std::to_string(threads) + " threads";
}

std::vector<std::string> SplitLines(const std::string& text, const std::string& end) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at; (at = text.find(end, from)) != std::string::npos; from = at + end.size()) {
    lines.push_back(text.substr(from, at - from));
  }
  EXPECT_EQ(from, text.size()) << "text after the last line end";
  return lines;
}

// The number after the prefix, which must be all the line holds.
double NumberAfter(const std::string& line, const std::string& prefix) {
  EXPECT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
  const char* begin = line.c_str() + prefix.size();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  EXPECT_TRUE(end != begin && *end == '\0') << line;
  return value;
}

struct Result {
  double allocation, release, total;
};

Result ResultLines(const std::vector<std::string>& lines, size_t first) {
  Result r{NumberAfter(lines.at(first), "Allocation average: "), NumberAfter(lines.at(first + 1), "Free average: "),
           NumberAfter(lines.at(first + 2), "Total average: ")};
  // Six significant digits each: the printed total is the printed parts' sum.
  EXPECT_NEAR(r.total, r.allocation + r.release, 1e-5 * (1.0 + r.total)) << lines.at(first + 2);
  return r;
}

std::string RunWithSettings(const std::string& settings) {
  sim::PrepareGameFolder(sim::TempFolder("benchmark"), "[Patch]\nRunAllocatorBenchmark=1\n" + settings);
  sim::ResetHostImage();
  sim::ClearHostHeapRecord();
  sim::ClearJournal();
  RunAllocatorBenchmark();
  return sim::ReadFile(kBenchmarkReportFile);
}

// The whole report for Count 1000 and Threads 2: 25 blocks in test, then
// size order, each with its three averages.
std::vector<Result> ReportBlocks(int times) {
  const std::string report = RunWithSettings("CountAllocatorBenchmark=1000\nTimesAllocatorBenchmark=" +
                                             std::to_string(times) + "\nThreadsAllocatorBenchmark=2\n");
  // A text stream: every line ends in CR LF, with no bare LF anywhere.
  const std::vector<std::string> lines = SplitLines(report, "\r\n");
  EXPECT_EQ(SplitLines(report, "\n").size(), lines.size());
  std::vector<Result> results;
  if (lines.size() != 2u + 25u * 5u) {
    ADD_FAILURE() << "report of " << lines.size() << " lines:\n" << report;
    return results;
  }
  EXPECT_EQ(lines[0],
            "Running allocator tests... (Custom MemoryBlock: a private pool, through its per-thread slot caches as the "
            "game's pools run)");
  EXPECT_EQ(lines[1], "Lower times (results) are better.");
  size_t at = 2;
  for (const Labels& labels : kLabels) {
    for (uint32_t size : kSizes) {
      EXPECT_EQ(lines[at], "");
      EXPECT_EQ(lines[at + 1], "== Test: ( " + Header(labels, size, 1000, times, 2));
      results.push_back(ResultLines(lines, at + 2));
      at += 5;
    }
  }
  const auto boxes = sim::MessageBoxes();
  EXPECT_EQ(boxes.size(), 1u);
  if (!boxes.empty()) {
    EXPECT_EQ(boxes[0].text,
              std::string("Wrote allocator benchmark test to \"AllocatorBenchmark.txt\" in Vellmoor directory.\n") +
                  kClosingAdvice);
  }
  return results;
}

TEST(AllocatorBenchmark, ReportHasTwentyFiveBlocksInTestThenSizeOrder) {
  const std::vector<Result> results = ReportBlocks(2);
  ASSERT_EQ(results.size(), 25u);
  for (const Result& r : results) {
    EXPECT_GT(r.allocation, 0.0);
    EXPECT_GT(r.release, 0.0);
  }
  // Tests 0 and 1 went through the host's own heap, the second aligned, and
  // gave every block back.
  const sim::HostHeapRecord& heap = sim::HostHeap();
  EXPECT_EQ(std::make_tuple(heap.allocations, heap.frees, heap.foreignFrees, sim::LiveHostHeapBlocks()),
            std::make_tuple(2u * 5u * 2u * 1000u, 2u * 5u * 2u * 1000u, 0u, 0u));
  EXPECT_EQ(std::make_tuple(heap.lastAllocate.heap, heap.lastAllocate.alignment, heap.lastAllocate.flag & 0xFF,
                            heap.lastFree.flag & 0xFF),
            std::make_tuple(host::kHostHeap, 16, 1u, 1u));
}

// Times of 0 or below is a dry run: the full report with zeros, and no
// phase ran (the workers of tests 0 and 1 would take from the host heap).
TEST(AllocatorBenchmark, TimesZeroOrBelowWritesEveryBlockWithZeros) {
  for (int times : {0, -3}) {
    SCOPED_TRACE(times);
    const std::vector<Result> results = ReportBlocks(times);
    EXPECT_EQ(results.size(), 25u);
    for (const Result& r : results) EXPECT_EQ(r.total, 0.0);
    EXPECT_EQ(sim::HostHeap().allocations, 0u);
  }
}

TEST(AllocatorBenchmark, MissingOrMeaninglessSettingsAreRefusedWithoutARun) {
  for (const char* settings : {"", "CountAllocatorBenchmark=0\nTimesAllocatorBenchmark=1\nThreadsAllocatorBenchmark=1\n",
                               "CountAllocatorBenchmark=10\nTimesAllocatorBenchmark=1\nThreadsAllocatorBenchmark=0\n"}) {
    SCOPED_TRACE(settings);
    const std::vector<std::string> lines = SplitLines(RunWithSettings(settings), "\r\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Lower times (results) are better.");
    EXPECT_EQ(lines[3].rfind("Not run: CountAllocatorBenchmark and ThreadsAllocatorBenchmark must each be at least 1",
                             0), 0u)
        << lines[3];
    const auto boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("The allocator benchmark did not run: ", 0), 0u) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(kClosingAdvice), std::string::npos);
  }
  const std::vector<std::string> lines = SplitLines(RunWithSettings(""), "\r\n");
  EXPECT_NE(lines.at(3).find("read Count -1, Times -1, Threads -1"), std::string::npos) << lines.at(3);
}

// The lines of one test after its header, which is checked here.
std::vector<std::string> OneTest(int test, uint32_t size, int count, int times, int threads) {
  std::ostringstream out;
  BenchmarkTest(test, size, count, times, threads, out);
  const std::vector<std::string> lines = SplitLines(out.str(), "\n");
  const auto afterHeader = lines.begin() + std::min<size_t>(lines.size(), 2);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), afterHeader),
            std::vector<std::string>({"", "== Test: ( " + Header(kLabels[test], size, count, times, threads)}));
  return {afterHeader, lines.end()};
}

TEST(AllocatorBenchmark, FewerBlocksThanThreadsStillCompletes) {
  for (int test : {3, 4}) {
    SCOPED_TRACE(test);
    const auto lines = OneTest(test, 24, 1, 3, 4);
    ASSERT_EQ(lines.size(), 3u);
    const Result r = ResultLines(lines, 0);
    EXPECT_TRUE(std::isfinite(r.total));
    EXPECT_GE(r.allocation, 0.0);
  }
}

// Times of 0 measures nothing; work that cannot be had skips the test with a line.
TEST(AllocatorBenchmark, TestsThatMeasureNothingPrintTheirFixedLines) {
  const std::vector<std::string> zeros = {"Allocation average: 0", "Free average: 0", "Total average: 0"};
  const struct {
    int test;
    uint32_t size;
    int count, times, threads;
    std::vector<std::string> lines;
  } cases[] = {
      {2, 16, 100, 0, 2, zeros},
      {4, 16, 100, 0, 2, zeros},
      // 2^30 pointers need 4 GiB: the request must fail, not wrap to nothing.
      {2, 8, 1 << 30, 1, 1, {"Skipped: the work arrays for Count 1073741824 and Threads 1 could not be allocated."}},
      {4, 8, 1 << 30, 1, 1, {"Skipped: the private MemoryBlock of 8589934592 bytes is too large."}},
      {4, 8, 0x1FFFFFFF, 1, 1, {"Skipped: the private MemoryBlock of 4294967288 bytes could not be built."}},
      {2, 8, 10, 1, -1, {"Skipped: Count and Threads must each be at least 1."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "test " << c.test << " count " << c.count);
    EXPECT_EQ(OneTest(c.test, c.size, c.count, c.times, c.threads), c.lines);
  }
}

}  // namespace
