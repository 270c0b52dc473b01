#include "sim/session.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/load_sequence.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"

namespace sim {
namespace {

// The debug lines were listed with the options.
void PrintJournal() {
  for (const auto& e : Journal()) {
    if (e.kind == JournalEntry::kMessageBox) {
      std::printf("[message box] %s (style 0x%X)\n%s\n\n", e.caption.c_str(), e.style, e.text.c_str());
    } else if (e.kind == JournalEntry::kConsoleLine) {
      std::printf("[console] %s\n", e.text.c_str());
    }
  }
}

}  // namespace

std::vector<ReportedOption> ReportedOptions() {
  const std::string prefix = kRowReportPrefix;
  std::vector<ReportedOption> options;
  for (const auto& e : DebugLines()) {
    const size_t colon = e.text.find(": ", prefix.size());
    if (e.text.compare(0, prefix.size(), prefix) != 0 || colon == std::string::npos) continue;
    options.push_back({e.text.substr(prefix.size(), colon - prefix.size()), e.text.substr(colon + 2)});
  }
  return options;
}

std::vector<uint8_t> SnapshotHostCode() {
  return {reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(kHostBegin)),
          reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(kHostDataBegin))};
}

std::vector<HostRange> PatchedRanges(const uint8_t* before, uint32_t first, uint32_t size) {
  std::vector<HostRange> out;
  const auto* now = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(first));
  for (uint32_t i = 0; i < size; ++i) {
    if (now[i] == before[i]) continue;
    const uint32_t at = first + i;
    if (!out.empty() && at - out.back().end < 4) {
      out.back().end = at + 1;
    } else {
      out.push_back({at, at + 1});
    }
  }
  return out;
}

int CountPatchedSites(const std::vector<uint8_t>& before) {
  return static_cast<int>(PatchedRanges(before.data(), kHostBegin, static_cast<uint32_t>(before.size())).size());
}

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

  const std::vector<uint8_t> before = SnapshotHostCode();
  const LoadOutcome outcome = LoadPluginAsQorv({installed, options.late});
  if (!outcome.error.empty()) {
    std::printf("The loader failed: %s\n", outcome.error.c_str());
    return 2;
  }
  std::printf("Query: %s (plugin \"%s\", version %u); load: %s\n", outcome.queryAccepted ? "accepted" : "refused",
              outcome.info.name ? outcome.info.name : "", outcome.info.version,
              outcome.loadResult ? "active" : "inactive");

  std::printf("\nOptions on:\n");
  const std::vector<ReportedOption> reported = ReportedOptions();
  for (const auto& option : reported) std::printf("  %-46s %s\n", option.key.c_str(), option.outcome.c_str());
  if (reported.empty()) std::printf("  (none)\n");
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
