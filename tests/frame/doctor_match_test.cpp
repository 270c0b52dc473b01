// The doctor's verdicts against what the plugin really does with the same
// file: its verdict for an option must match whether a site of that option
// was patched by a freshly loaded copy of the DLL. The portable reader, the
// native doctor's, is held to the Win32 profile functions here.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "core/ini_file.h"
#include "core/settings.h"
#include "plugin/option_table.h"
#include "sim/child.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "tests/frame/frame_fixture.h"
#include "tests/portable/utf16_text.h"

namespace {

// The benchmark and the freeze watchdog have no witness: their only site is
// the main-loop hook that the usage report writes as well.
bool OnlyHooksTheMainLoop(const std::string& key) {
  return key == "RunAllocatorBenchmark" || key == "FreezeReportSeconds";
}

// The host address that tells whether an option was applied: the first of
// its row's sites that no other row writes.
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
    if (OnlyHooksTheMainLoop(row->key)) continue;
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
  if (OnlyHooksTheMainLoop(key)) return "";
  const OptionEntry* row = FindOptionByKey(key.c_str());
  return row != nullptr && !row->sites.empty() ? FindOptionGuarding(row->sites.front().site)->key : "";
}

struct Verdicts {
  std::set<std::string> on;
  int exitCode = -1;
  std::string output;
};

Verdicts AskDoctor(const std::string& ini, bool late, const std::string& enb = "") {
  Verdicts v;
  const char* doctor = std::getenv("ORRISBANE_DOCTOR");
  const sim::ChildResult run = sim::RunProgram(std::string("\"") + (doctor ? doctor : "") + "\" \"" + ini + "\"" +
                                               (enb.empty() ? "" : " \"" + enb + "\""));
  v.exitCode = run.exitCode == 0xFFFFFFFF ? -1 : static_cast<int>(run.exitCode);
  v.output = run.output;
  std::istringstream lines(v.output);
  std::string line, lateOff, lateOn;
  bool inOptions = false;  // the findings come first, and may quote a setting
  while (std::getline(lines, line)) {
    if (line.rfind("  switched off:", 0) == 0) lateOff = line;
    if (line.rfind("  no longer ruled out:", 0) == 0) lateOn = line;
    inOptions = line == "Options:" || (inOptions && !line.empty());
    const size_t colon = line.find(": on");
    if (inOptions && line.rfind("  ", 0) == 0 && colon != std::string::npos) v.on.insert(line.substr(2, colon - 2));
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
  std::map<uint32_t, uint32_t> before;
  for (auto& [key, site] : kWitness) before[site] = sim::HostAt<uint32_t>(site);
  const auto copy = frame_test::LoadFreshCopy(iniText, late);
  EXPECT_TRUE(copy.outcome.loadResult) << copy.outcome.error;
  std::set<std::string> applied;
  for (auto& [key, site] : kWitness) {
    if (sim::HostAt<uint32_t>(site) != before[site]) applied.insert(key);
  }
  return applied;
}

// The doctor's output, once its verdicts are checked against the plugin's.
std::string ExpectDoctorMatchesPlugin(const std::string& iniText, bool late, const std::string& enbText = "") {
  const std::string folder = sim::TempFolder("doctor-ini");
  const std::string ini = folder + "\\Orrisbane.ini";
  sim::WriteFile(ini, iniText);
  if (!enbText.empty()) sim::WriteFile(folder + "\\enblocal.ini", enbText);
  const Verdicts doctor = AskDoctor(ini, late, enbText.empty() ? "" : folder + "\\enblocal.ini");
  EXPECT_NE(doctor.exitCode, -1) << "the doctor did not run";
  EXPECT_NE(doctor.exitCode, 2) << doctor.output;
  std::set<std::string> expected;
  for (const auto& key : doctor.on) {
    const std::string witness = WitnessKey(key);
    if (kWitness.count(witness)) expected.insert(witness);
  }
  const std::set<std::string> applied = AppliedByPlugin(iniText, late);
  EXPECT_EQ(applied, expected) << iniText << "\n" << doctor.output;
  if (!applied.empty()) {
    EXPECT_EQ(doctor.output.find("no [Patch] section"), std::string::npos) << doctor.output;
  }
  return doctor.output;
}

// Every option, and the enblocal.ini flags the plugin checks, read from the
// same file by the Win32 profile functions and by the portable reader.
void ExpectPortableReaderMatchesWin32(const std::string& bytes) {
  const std::string path = sim::TempFolder("reader") + "\\read.ini";
  sim::WriteFile(path, bytes);
  const IniFile ini = ParseIni(bytes);
  constexpr int32_t kAbsent = -7;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    EXPECT_EQ(FindIniInt(ini, kSettingsSection, row->key, kAbsent),
              static_cast<int32_t>(GetPrivateProfileIntA(kSettingsSection, row->key, kAbsent, path.c_str())))
        << row->key;
  }
  for (const char* key : {"ExpandSystemMemoryX64", "ReduceSystemMemoryUsage"}) {
    char win32[32] = "";
    GetPrivateProfileStringA("MEMORY", key, "", win32, sizeof win32, path.c_str());
    EXPECT_EQ(FindIniValue(ini, "MEMORY", key).value_or("").substr(0, sizeof win32 - 1), win32) << key;
  }
}

// The shipped file, conflicts, requirements and early options, and files
// players produce with ordinary editors, with what probing turned up.
struct File {
  const char* what;
  std::string ini;
  std::string enb;                     // an enblocal.ini given with it, when set
  std::vector<std::string> doctorSays;
  bool late = false;
};

std::vector<File> Files() {
  const std::string early =
      "[Patch]\nUseOSAllocators=1\nOverwriteArrayAllocator=1\nHighFrequencyOSTimer=1\nAlignHeapAllocate=1\n"
      "FixMovApsManuallyIfAlignedAllocateIsDisabled=1\nStrLen=1\n";
  return {
      {"the shipped file", sim::ReadFile(frame_test::DistIniPath()), "", {}},
      {"conflicts, requirements and the benchmark",
       "[Patch]\nStrCmp=0\nStrCmpNoTry=1\nMountNodeCrash=1\nMountNodeWarn=1\nNullLoadedNodeNotify=1\n"
       "OverwriteArrayAllocator=1\nMemoryInfoConsole=1\nCustomMemoryBlock=1\nAlignHeapAllocate=1\n"
       "FixMovApsManuallyIfAlignedAllocateIsDisabled=1\nRunAllocatorBenchmark=1\n",
       "", {}},
      {"early options in time", early, "", {}},
      {"early options late", early, "", {}, true},
      {"misspelt keys, comments and letter case", "[patch]\nStrCpm=1\nstrlen=1 ; comment\nUnk11 = 2\nRender650=true\n",
       "", {}},
      {"an empty file", "", "", {}},
      {"UTF-16 with a byte-order mark", Utf16WithMark("[Patch]\r\nStrLen=1\r\nUnk11=1\r\nRender650=1\r\n"), "",
       {"  StrLen: on\n"}},
      {"UTF-16, high byte first", std::string("\xFE\xFF\0[\0P\0a\0t\0c\0h\0]\0\n\0S\0t\0r\0L\0e\0n\0=\0\x31", 34), "",
       {"  StrLen: on\n"}},
      {"a UTF-8 mark before [Patch] on line 1", "\xEF\xBB\xBF[Patch]\nStrLen=1\nUnk11=1\n", "", {"  Unk11: on\n"}},
      {"repeated sections and keys",
       "[Patch]\nStrLen=1\nstrlen=0\nUnk11=0\nUnk11=1\n[Other]\nRender650=1\n[PATCH]\nRender650=1\nShadowNode=1\n", "",
       {"line 3: \"strlen\" again: only line 2 counts", "line 5: \"Unk11\" again: only line 4 counts",
        "line 8: another [PATCH] section: only the one at line 1 is read, so its 2 settings are ignored"}},
      {"a header without ']' and a key without '='", "[Patch\nStrLen=1\n[Patch]\nUnk11\nUnk11=1\nRender650=1\n", "",
       {"  Render650: on\n", "  StrLen: off\n", "  Unk11: off\n"}},
      {"values as the profile functions read them",
       "[ Patch ]\n\tStrLen\t=\t\"1\"\nUnk11='1'\nRender650=0b11\nShadowNode=0o17\nMissingNode=0X10\n"
       "CellNullCrash=000000000000000000000000000000001\nIndexError1=4294967297\n",
       "", {"  Render650: on\n", "  MissingNode: off\n", "  CellNullCrash: off\n"}},
      {"lone CR line ends and an end-of-file mark", "[Patch]\rStrLen=1\rUnk11=1\x1a\r", "", {"  Unk11: on\n"}},
      {"RecordCrashInfo without bit 0x01", "[Patch]\nRecordCrashInfo=2\nStrLen=1\n", "",
       {"  RecordCrashInfo: off (writes no crash report: bit 0x01 is clear)\n",
        "RecordCrashInfo=2: bit 0x01 is clear, so no crash report is ever written (set it: RecordCrashInfo=3); "
        "0x02 always to CrashLog/crash_last.txt"}},
      {"control characters", "[Patch]\nStrLen=1\x1b[2J\nUnk\x1b]0;x\x07=1\n", "",
       {"\"StrLen=1\\x1B[2J\" reads as 1", "unknown key \"Unk\\x1B]0;x\\x07\""}},
      {"a UTF-16 enblocal.ini", "[Patch]\nWarnBadENB=1\n", Utf16WithMark("[MEMORY]\r\nExpandSystemMemoryX64=true\r\n"),
       {"ExpandSystemMemoryX64 is true"}},
  };
}

TEST(DoctorMatchesPlugin, EveryFile) {
  for (const auto& file : Files()) {
    SCOPED_TRACE(file.what);
    ExpectPortableReaderMatchesWin32(file.ini);
    if (!file.enb.empty()) ExpectPortableReaderMatchesWin32(file.enb);
    const std::string output = ExpectDoctorMatchesPlugin(file.ini, file.late, file.enb);
    for (const auto& line : file.doctorSays) EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
    EXPECT_EQ(output.find('\x1b'), std::string::npos) << output;
  }
}

}  // namespace
