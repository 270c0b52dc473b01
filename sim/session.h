// The simulator's main job: a game session with the plugin loaded from the
// game's Data folder, as a player would run it.
#pragma once
#include <string>

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
