// orrisbane-sim: the host simulator's command line.
//   orrisbane-sim session --dll PATH --ini PATH [--late] [--frames N] [--interactive]
//   orrisbane-sim benchmark --dll PATH [--count N] [--times N] [--threads N] [--interactive]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/journal.h"
#include "sim/session.h"

int main(int argc, char** argv) {
  sim::SessionOptions options;
  sim::BenchmarkOptions benchmark;
  std::string mode = argc > 1 ? argv[1] : "";
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--dll") options.dllPath = benchmark.dllPath = next();
    else if (arg == "--ini") options.iniPath = next();
    else if (arg == "--game") options.gameFolder = benchmark.gameFolder = next();
    else if (arg == "--late") options.late = true;
    else if (arg == "--frames") options.frames = std::atoi(next().c_str());
    else if (arg == "--count") benchmark.count = std::atoi(next().c_str());
    else if (arg == "--times") benchmark.times = std::atoi(next().c_str());
    else if (arg == "--threads") benchmark.threads = std::atoi(next().c_str());
    else if (arg == "--interactive") sim::SetInteractive(true);
    else {
      std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  if (mode == "session" && !options.dllPath.empty() && !options.iniPath.empty()) return sim::RunSession(options);
  if (mode == "benchmark" && !benchmark.dllPath.empty()) return sim::RunBenchmark(benchmark);
  std::fprintf(stderr,
               "usage: orrisbane-sim session --dll Orrisbane.dll --ini Orrisbane.ini [--late] [--frames N] "
               "[--game FOLDER] [--interactive]\n"
               "       orrisbane-sim benchmark --dll Orrisbane.dll [--count N] [--times N] [--threads N] "
               "[--game FOLDER] [--interactive]\n");
  return 2;
}
