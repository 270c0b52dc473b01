#include "memory/allocator_benchmark.h"
#include "memory/usage_report.h"
#include "patch/main_loop.h"

void OnFrameUpdate() {
  if (BenchmarkCountdown > 0 && --BenchmarkCountdown == 0) RunAllocatorBenchmark();
  SampleHighestUsage();
}
