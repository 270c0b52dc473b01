#include "sim/session.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/option_table.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"

namespace sim {
namespace {

// Host code that differs from the snapshot, counted as separate stretches.
int CountPatchedSites(const std::vector<uint8_t>& before) {
  const auto* now = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(kHostBegin));
  int sites = 0;
  bool inside = false;
  for (size_t i = 0; i < before.size(); ++i) {
    const bool differs = now[i] != before[i];
    if (differs && !inside) ++sites;
    inside = differs;
  }
  return sites;
}

void PrintJournal() {
  for (const auto& e : Journal()) {
    if (e.kind == JournalEntry::kMessageBox) {
      std::printf("[message box] %s (style 0x%X)\n%s\n\n", e.caption.c_str(), e.style, e.text.c_str());
    } else {
      std::printf("[console] %s\n", e.text.c_str());
    }
  }
}

}  // namespace

int RunSession(const SessionOptions& options) {
  ResetHostImage();
  const std::string folder = options.gameFolder.empty() ? TempFolder("session") : options.gameFolder;
  PrepareGameFolder(folder, options.iniText.empty() ? ReadFile(options.iniPath) : options.iniText);
  const std::string installed = folder + "/Data/QORV/Plugins/Orrisbane.dll";
  if (!CopyFileA(options.dllPath.c_str(), installed.c_str(), FALSE)) {
    std::printf("cannot install %s into %s\n", options.dllPath.c_str(), installed.c_str());
    return 2;
  }
  std::printf("Game folder: %s\n", folder.c_str());
  std::printf("Loading Orrisbane.dll %s the game initialised.\n\n", options.late ? "after" : "before");

  std::vector<uint8_t> before(reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(kHostBegin)),
                              reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(kHostDataBegin)));
  const LoadOutcome outcome = LoadPluginAsQorv({installed, options.late});
  if (!outcome.error.empty()) {
    std::printf("The loader failed: %s\n", outcome.error.c_str());
    return 2;
  }
  std::printf("Query: %s (plugin \"%s\", version %u); load: %s\n", outcome.queryAccepted ? "accepted" : "refused",
              outcome.info.name ? outcome.info.name : "", outcome.info.version,
              outcome.loadResult ? "active" : "inactive");

  // The same rules the plugin used, read from the same file: the early rows
  // are judged before the late case stored its overrides, as the entry did.
  std::printf("\nOptions on:\n");
  int on = 0;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (row->apply == nullptr || !IsOptionEligible(*row)) continue;
    ++on;
    std::printf("  %-46s %s\n", row->key,
                row->early ? (options.late ? "early: too late, not applied" : "early, from the entry point")
                           : "at load");
  }
  if (on == 0) std::printf("  (none)\n");
  std::printf("Host sites patched: %d\n\n", CountPatchedSites(before));

  int frames = 0;
  while (options.untilFileExists ? !FileExists(options.waitForFile) && frames < 100000 : frames < options.frames) {
    RunFrame();
    ++frames;
  }
  std::printf("Ran %d frames; the timer update answered 0x%X to the main loop each time.\n\n", frames,
              LastTimerResult());
  PrintJournal();
  const std::string log = folder + "/Data/QORV/Plugins/OrrisbaneLog.txt";
  std::printf("Log file: %s%s\n", log.c_str(), FileExists(log) ? "" : " (empty so far: nothing was logged)");
  return 0;
}

int RunBenchmark(const BenchmarkOptions& options) {
  constexpr const char* kReport = "AllocatorBenchmark.txt";
  SessionOptions session;
  session.dllPath = options.dllPath;
  session.gameFolder = options.gameFolder;
  session.iniText = "[Patch]\nLogMessageToFile=1\nRunAllocatorBenchmark=1\nCountAllocatorBenchmark=" +
                    std::to_string(options.count) + "\nTimesAllocatorBenchmark=" + std::to_string(options.times) +
                    "\nThreadsAllocatorBenchmark=" + std::to_string(options.threads) + "\n";
  session.untilFileExists = true;
  session.waitForFile = kReport;  // the session runs in the game folder
  const int code = RunSession(session);
  if (code != 0) return code;
  if (!FileExists(kReport)) {
    std::printf("No %s was written.\n", kReport);
    return 1;
  }
  std::printf("\n%s:\n%s", kReport, ReadFile(kReport).c_str());
  return 0;
}

}  // namespace sim
