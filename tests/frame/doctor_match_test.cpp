// The doctor's verdicts against what the plugin really does with the same
// file: its verdict for an option must match whether that option's first
// host site was patched by a freshly loaded copy of the DLL.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "sim/child.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "tests/frame/frame_fixture.h"

namespace {

// The first host address each option changes. Options that share a site
// are the ones the table lets apply one at a time, so the site tells that
// one of them was applied. Not here: the benchmark, whose only change is the
// main-loop hook it shares with the usage report, the pools, which change no
// host code, and the options that only read or warn.
const std::map<std::string, uint32_t> kFirstSite = {
    {"RecordCrashInfo", 0x106B0A4}, {"StrCmp", 0xD573A8}, {"StrLen", 0x46EDF0}, {"UnkUniqueId", 0x8B4371},
    {"Render650", 0xCEC5EC}, {"UnkObjRef4D4EB0", 0x4D4EB9}, {"NullSeenData", 0x4C6031},
    {"StringRefSetNull", 0xA51284}, {"SkipStrLenCrash", 0x46EE1D}, {"bhvGraphUpdateLoad", 0xC27A8B},
    {"Unk11", 0xD822D5}, {"MissingNode", 0x46ECF5}, {"AlignHeapAllocate", 0xA487B0},
    {"ShadowNode", 0xC7A3CD}, {"IndexError1", 0x6F3A11}, {"MovementPlannerAgentWarp", 0x76E358},
    {"UnallocatedMovaps", 0xDDB0B3}, {"CellNullCrash", 0x437604}, {"GetMainMagicEffect", 0x7E39EC},
    {"MountNodeCrash", 0x6E7F85}, {"IKCrashWarn", 0xBFECC0}, {"RenderSave", 0xCB0516},
    {"MoveControllerCast", 0x76636B}, {"SaveRenderCrash", 0xCAF9F7}, {"NullLoadedNodeIgnore", 0x4C119E},
    {"NullActorBaseForm", 0x690A69}, {"AVSetCrash", 0x6DE86A}, {"StringCount32", 0xC3FF10},
    {"WarnQORVMemoryPatch", 0x8773FB}, {"UseOSAllocators", 0x687E20},
    {"FixMovApsManuallyIfAlignedAllocateIsDisabled", 0x4BD833}, {"OverwriteArrayAllocator", 0xA49530},
    {"NullPlayerNode", 0x69B84B}, {"NullBaseFormMove", 0x4D9D06}, {"DebugStream", 0xA58898},
    {"NullRefNode", 0x46CA00}, {"NullOutfitEntry", 0x561FF6}, {"ActorDeleteNullBase", 0x6BAC9A},
    {"WarnTextureFailure", 0xC9170E}, {"NullParentNode", 0x5A8805}, {"MemoryInfoConsole", 0x847241},
    {"SarnothSpecific", 0xEBC0A6}, {"FixUnsafeEffectList", 0x664476}, {"HighFrequencyOSTimer", 0x106B144},
    {"HighFrequencyGameTimer", 0x691620}, {"WarnNullCombatStyle", 0x8368AA},
};
// Partners that patch the same site when the other is ruled out.
const std::map<std::string, std::string> kSharedSite = {
    {"StrCmpNoTry", "StrCmp"}, {"MountNodeWarn", "MountNodeCrash"},
    {"NullLoadedNodeNotify", "NullLoadedNodeIgnore"}};

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
  for (auto& [key, site] : kFirstSite) before[site] = sim::HostAt<uint32_t>(site);
  auto outcome = sim::LoadPluginAsQorv({frame_test::FreshDllCopy(folder), late});
  EXPECT_TRUE(outcome.loadResult) << outcome.error;
  std::set<std::string> applied;
  for (auto& [key, site] : kFirstSite) {
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
    auto shared = kSharedSite.find(key);
    const std::string& siteKey = shared != kSharedSite.end() ? shared->second : key;
    if (kFirstSite.count(siteKey)) expected.insert(siteKey);
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
