#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "diagnostics/warning_sites.h"
#include "sim/host_diagnostics.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "sim/runner.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;
using namespace std::string_literals;

namespace {

constexpr uint32_t kSpinSite = kUnpatchedHostCode;  // the main thread loops here: EB FE  jmp $
constexpr int kThresholdSeconds = 1;
constexpr DWORD kThresholdMilliseconds = kThresholdSeconds * 1000;
constexpr DWORD kLongestWaitForReport = 20000;

std::vector<std::string> FreezeReportsIn(const std::string& folder) {
  std::vector<std::string> reports;
  for (const std::string& name : FilesIn(folder + kCrashFolder)) {
    if (name.rfind("freeze_", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".txt") {
      reports.push_back(name);
    }
  }
  return reports;
}

// The game loads, stays in its loading screen past the threshold, runs
// frames, holds a message of the plugin open for longer than the threshold,
// then its main thread spins in host code for several thresholds until the
// test lets it go, and frames run again.
SIM_SCENARIO(freeze_in_host_code) {
  const std::string folder = args.at(0);
  sim::PrepareGameFolder(folder, "[Patch]\nLogMessageToFile=1\nRecordCrashInfo=" + args.at(1) +
                                     "\nWarnNullCombatStyle=1\nFreezeReportSeconds=" + std::to_string(kThresholdSeconds) + "\n");
  const char* plugin = std::getenv("ORRISBANE_DLL");
  if (plugin == nullptr || !sim::LoadPluginAsQorv({plugin}).loadResult) return 2;

  Sleep(2 * kThresholdMilliseconds);  // loading: not armed yet
  if (!FreezeReportsIn(folder).empty()) return 3;
  for (int i = 0; i < 10; ++i) sim::RunFrame();

  // An actor without a combat style: the player reads the message for three
  // thresholds, on the main thread, and the game goes on.
  sim::SetCombatStyleResult(0);
  sim::SetMessageBoxReadingTime(3 * kThresholdMilliseconds);
  sim::RunHost(host::kCombatStyle.site, {});
  sim::SetMessageBoxReadingTime(0);
  sim::RunFrame();
  if (!FreezeReportsIn(folder).empty()) return 5;

  sim::PlaceBytes(kSpinSite, {0xEB, 0xFE});
  std::thread releaser([&] {
    DWORD waited = 0;
    while (FreezeReportsIn(folder).empty() && waited < kLongestWaitForReport) {
      Sleep(50);
      waited += 50;
    }
    Sleep(3 * kThresholdMilliseconds);  // the freeze goes on: still one report
    sim::PlaceBytes(kSpinSite, {0xCC});  // the spin's jump becomes the trap it lands on
  });
  const sim::Landing landing = sim::RunHost(kSpinSite, {.eax = 0xF00D, .ebx = 0xB0B, .esi = 0x51, .edi = 0xD1});
  releaser.join();
  if (landing.address != kSpinSite) return 4;
  for (int i = 0; i < 20; ++i) {
    sim::RunFrame();
    Sleep(kThresholdMilliseconds / 8);
  }
  return 0;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(FreezeWatchdog, OneReportNamesWhereTheMainThreadSpinsAndTheLogSaysTheGameWentOn) {
  // Exit codes 3 and 5: a report came while loading, or while a message was open.
  const std::string folder = sim::TempFolder("freeze");
  const auto child = sim::RunScenarioInChild("freeze_in_host_code", Quoted(folder) + " 97");
  ASSERT_EQ(child.exitCode, 0u) << child.output;

  const std::vector<std::string> reports = FreezeReportsIn(folder);
  ASSERT_EQ(reports.size(), 1u);
  const std::string report = sim::ReadFile(folder + kCrashFolder + "\\" + reports[0]);
  const uint32_t spinOffset = kSpinSite - AddressOf(GetModuleHandleA(nullptr));
  for (const std::string& part : {"Freeze info:\r\n"s, "; main thread at " + Hex(kSpinSite) + "\r\n",
                                  "Main thread stuck at: diagnostics_tests.exe+0x" + Hex(spinOffset),
                                  "  EAX 0xF00D"s, "  EBX 0xB0B"s, "Instructions:\r\n"s,
                                  "> " + Hex(kSpinSite) + " EB FE"}) {
    EXPECT_TRUE(Contains(report, part)) << "no \"" << part << "\" in\n" << report;
  }
  const std::string log = sim::ReadFile(folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  EXPECT_TRUE(Contains(log, "Freeze report written to Data\\QORV\\Plugins\\CrashLog\\" + reports[0])) << log;
  EXPECT_TRUE(Contains(log, "The game went on after ")) << log;
  // The dump beside it, as bit 0x40 asks.
  const std::string dump = reports[0].substr(0, reports[0].size() - 4) + ".dmp";
  EXPECT_TRUE(sim::FileExists(folder + kCrashFolder + "\\" + dump));
}

}  // namespace
