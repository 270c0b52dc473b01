// The doctor's verdicts against what the plugin really does with the same
// file: its verdict for an option must match whether a site of that option
// was patched by a freshly loaded copy of the DLL.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "plugin/option_table.h"
#include "sim/child.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "tests/frame/frame_fixture.h"

namespace {

// The host address that tells whether an option was applied: the first of
// its row's sites that no other row writes. The benchmark is left out: its
// only site is the main-loop hook that the usage report writes as well.
std::map<std::string, uint32_t> Witnesses() {
  auto writers = [](uint32_t address) {
    int count = 0;
    for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
      for (const HookSite& span : row->sites) count += Covers(span, address) ? 1 : 0;
    }
    return count;
  };
  std::map<std::string, uint32_t> witnesses;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (std::string(row->key) == "RunAllocatorBenchmark") continue;
    for (const HookSite& span : row->sites) {
      if (writers(span.site) == 1) {
        witnesses[row->key] = span.site;
        break;
      }
    }
  }
  return witnesses;
}
const std::map<std::string, uint32_t> kWitness = Witnesses();

// An option without a site of its own is an alternative the table applies
// one at a time with the first option writing its first site.
std::string WitnessKey(const std::string& key) {
  if (kWitness.count(key)) return key;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (key == row->key && !row->sites.empty()) return FindOptionGuarding(row->sites.front().site)->key;
  }
  return "";
}

struct Verdicts {
  std::set<std::string> on;
  int exitCode = -1;
  std::string output;
};

Verdicts AskDoctor(const std::string& ini, bool late) {
  Verdicts v;
  const char* doctor = std::getenv("ORRISBANE_DOCTOR");
  const sim::ChildResult run = sim::RunProgram(std::string("\"") + (doctor ? doctor : "") + "\" \"" + ini + "\"");
  v.exitCode = run.exitCode == 0xFFFFFFFF ? -1 : static_cast<int>(run.exitCode);
  v.output = run.output;
  std::istringstream lines(v.output);
  std::string line, lateOff, lateOn;
  while (std::getline(lines, line)) {
    if (line.rfind("  switched off:", 0) == 0) lateOff = line;
    if (line.rfind("  no longer ruled out:", 0) == 0) lateOn = line;
    const size_t colon = line.find(": on");
    if (line.rfind("  ", 0) == 0 && colon != std::string::npos) v.on.insert(line.substr(2, colon - 2));
  }
  if (late) {
    std::istringstream off(lateOff.substr(lateOff.find(':') + 1)), on(lateOn.empty() ? "" : lateOn.substr(lateOn.find(':') + 1));
    for (std::string key; off >> key;) v.on.erase(key);
    for (std::string key; on >> key;) v.on.insert(key);
  }
  return v;
}

// Host bytes at each option's first site, before and after the load.
std::set<std::string> AppliedByPlugin(const std::string& iniText, bool late) {
  sim::ResetHostImage();
  const std::string folder = sim::TempFolder("applied");
  sim::PrepareGameFolder(folder, iniText);
  std::map<uint32_t, uint32_t> before;
  for (auto& [key, site] : kWitness) before[site] = sim::HostAt<uint32_t>(site);
  auto outcome = sim::LoadPluginAsQorv({frame_test::FreshDllCopy(folder), late});
  EXPECT_TRUE(outcome.loadResult) << outcome.error;
  std::set<std::string> applied;
  for (auto& [key, site] : kWitness) {
    if (sim::HostAt<uint32_t>(site) != before[site]) applied.insert(key);
  }
  return applied;
}

void ExpectDoctorMatchesPlugin(const std::string& iniText, bool late) {
  const std::string folder = sim::TempFolder("doctor-ini");
  const std::string ini = folder + "\\Orrisbane.ini";
  sim::WriteFile(ini, iniText);
  const Verdicts doctor = AskDoctor(ini, late);
  ASSERT_NE(doctor.exitCode, -1) << "the doctor did not run";
  ASSERT_NE(doctor.exitCode, 2) << doctor.output;
  std::set<std::string> expected;
  for (const auto& key : doctor.on) {
    const std::string witness = WitnessKey(key);
    if (kWitness.count(witness)) expected.insert(witness);
  }
  EXPECT_EQ(AppliedByPlugin(iniText, late), expected) << iniText << "\n" << doctor.output;
}

TEST(DoctorMatchesPlugin, TheShippedFile) {
  ExpectDoctorMatchesPlugin(sim::ReadFile(frame_test::DistIniPath()), false);
}

TEST(DoctorMatchesPlugin, ConflictsRequirementsAndTheBenchmark) {
  ExpectDoctorMatchesPlugin(
      "[Patch]\nStrCmp=0\nStrCmpNoTry=1\nMountNodeCrash=1\nMountNodeWarn=1\nNullLoadedNodeNotify=1\n"
      "OverwriteArrayAllocator=1\nMemoryInfoConsole=1\nCustomMemoryBlock=1\nAlignHeapAllocate=1\n"
      "FixMovApsManuallyIfAlignedAllocateIsDisabled=1\nRunAllocatorBenchmark=1\n",
      false);
}

TEST(DoctorMatchesPlugin, EarlyOptionsEarlyAndLate) {
  const std::string ini =
      "[Patch]\nUseOSAllocators=1\nOverwriteArrayAllocator=1\nHighFrequencyOSTimer=1\nAlignHeapAllocate=1\n"
      "FixMovApsManuallyIfAlignedAllocateIsDisabled=1\nStrLen=1\n";
  ExpectDoctorMatchesPlugin(ini, false);
  ExpectDoctorMatchesPlugin(ini, true);
}

TEST(DoctorMatchesPlugin, MisspeltKeysCommentsAndLetterCase) {
  ExpectDoctorMatchesPlugin("[patch]\nStrCpm=1\nstrlen=1 ; comment\nUnk11 = 2\nRender650=true\n", false);
  ExpectDoctorMatchesPlugin("", false);
}

}  // namespace
