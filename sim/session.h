// The simulator's main job: a game session with the plugin loaded from the
// game's Data folder, as a player would run it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct SessionOptions {
  std::string dllPath;          // the built Orrisbane.dll
  std::string iniPath;          // the Orrisbane.ini to install
  std::string iniText;          // installed instead of iniPath's content when set
  std::string gameFolder;       // empty: a fresh temporary folder
  bool late = false;            // the library arrives after the game initialised
  int frames = 300;
  bool untilFileExists = false; // keep running frames until this file exists
  std::string waitForFile;
};

// An option as the plugin reported it on the debug channel while it loaded.
struct ReportedOption {
  std::string key;
  std::string outcome;  // one of the load sequence's kRow... texts
};
std::vector<ReportedOption> ReportedOptions();

// Host bytes that differ from a copy taken before a load, as ranges.
// Changed bytes closer than a word apart are one range: a written value may
// match a few of the bytes it replaces (a jump displacement byte equal to the
// host's filler, a zero byte in a pointer), which must not split a site.
struct HostRange {
  uint32_t begin, end;
  auto operator<=>(const HostRange&) const = default;
};
std::vector<HostRange> PatchedRanges(const uint8_t* before, uint32_t first, uint32_t size);

// The host's code before a load, and the sites of it that differ now.
std::vector<uint8_t> SnapshotHostCode();
int CountPatchedSites(const std::vector<uint8_t>& before);

// Runs the session and prints what a user wants to see; returns the exit code.
int RunSession(const SessionOptions& options);

struct BenchmarkOptions {
  std::string dllPath;
  std::string gameFolder;       // empty: a fresh temporary folder
  int count = 1000;
  int times = 2;
  int threads = 2;
};

// A session with nothing on but the allocator benchmark, run until its report
// exists; prints the session and then the report.
int RunBenchmark(const BenchmarkOptions& options);

}  // namespace sim
