// The allocator benchmark: five allocators measured side by side inside the
// running game, once, ten frames after the main-loop hook starts.
#pragma once
#include <cstdint>
#include <ostream>

constexpr const char* kBenchmarkReportFile = "AllocatorBenchmark.txt";

// Frames left before the run; 0 once it has run (or was never asked for).
extern int32_t g_benchmarkCountdown;

// Reads Count, Times and Threads, writes the report and shows the closing
// message. Runs on the main-loop thread and returns when every worker ended.
void RunAllocatorBenchmark();

// One test (0..4) for one block size: its block of the report. Times below 1
// measures nothing and reports zeros; Count or Threads below 1 is refused.
void BenchmarkTest(int test, uint32_t size, int32_t count, int32_t times, int32_t threads, std::ostream& out);
