// The configuration doctor, run as players run it: a program given their
// files, judged by its output and exit code.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/portable/doctor_fixture.h"
#include "tests/portable/utf16_text.h"

namespace {

class Doctor : public DoctorFolder {
 protected:
  DoctorRun Diagnose(const std::string& ini, const std::string& enb = "") {
    return enb.empty() ? RunDoctor({ini}) : RunDoctor({ini, enb});
  }
};

TEST_F(Doctor, TheShippedFileNeedsNoAttention) {
  auto run = Diagnose(ORRISBANE_SHIPPED_INI);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(run.Says("  StrCmp: on\n"));
  EXPECT_TRUE(run.Says("  UseOSAllocators: off\n"));
  EXPECT_TRUE(run.Says("All good."));
}

TEST_F(Doctor, ConflictsAndRequirementsAreExplained) {
  auto run = Diagnose(Write("a.ini", "[Patch]\nStrCmp=1\nStrCmpNoTry=1\nCustomMemoryBlock=1\nUseOSAllocators=0\n"
                                     "MountNodeCrash=1\nMountNodeWarn=2\n"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.Says("  StrCmpNoTry: ruled out (ruled out by StrCmp)\n")) << run.output;
  EXPECT_TRUE(run.Says("  MountNodeWarn: ruled out (ruled out by MountNodeCrash)\n")) << run.output;
  EXPECT_TRUE(run.Says("  CustomMemoryBlock: ruled out (needs UseOSAllocators)\n")) << run.output;
}

TEST_F(Doctor, TheBenchmarkRulesOutTheAllocatorsAndItsSettingsAreChecked) {
  auto run = Diagnose(Write("b.ini", "[Patch]\nRunAllocatorBenchmark=1\nUseOSAllocators=1\nAlignHeapAllocate=1\n"
                                     "CountAllocatorBenchmark=1000\nTimesAllocatorBenchmark=0\n"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.Says("  UseOSAllocators: ruled out (ruled out by RunAllocatorBenchmark)\n")) << run.output;
  EXPECT_TRUE(run.Says("  AlignHeapAllocate: ruled out (ruled out by UseOSAllocators)\n")) << run.output;
  EXPECT_TRUE(run.Says("TimesAllocatorBenchmark is 0: the benchmark measures nothing and reports averages of 0"))
      << run.output;
  EXPECT_TRUE(run.Says("ThreadsAllocatorBenchmark is missing")) << run.output;
  EXPECT_FALSE(run.Says("CountAllocatorBenchmark is")) << run.output;
}

TEST_F(Doctor, TheLateCaseSwitchesTheEarlyOptionsOffAndFreesWhatTheyRuledOut) {
  auto run = Diagnose(Write("c.ini", "[Patch]\nUseOSAllocators=1\nHighFrequencyOSTimer=1\nAlignHeapAllocate=1\n"
                                     "OverwriteArrayAllocator=1\nStrLen=1\n"));
  EXPECT_TRUE(run.Says("  UseOSAllocators: on [early: needs the early loader Fennick]\n")) << run.output;
  EXPECT_TRUE(run.Says("  switched off: UseOSAllocators OverwriteArrayAllocator HighFrequencyOSTimer\n"))
      << run.output;
  EXPECT_TRUE(run.Says("  no longer ruled out: AlignHeapAllocate\n")) << run.output;
}

TEST_F(Doctor, MisspeltKeysGetTheNearestKnownKey) {
  auto run = Diagnose(Write("d.ini", "[Patch]\nStrCpm=1\nnullrefnode=1\n"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.Says("line 2: unknown key \"StrCpm\", so nothing reads it; did you mean \"StrCmp\"?"))
      << run.output;
  EXPECT_TRUE(run.Says("\"nullrefnode\" is read as \"NullRefNode\"")) << run.output;
  EXPECT_TRUE(run.Says("  NullRefNode: on\n")) << run.output;
}

TEST_F(Doctor, ValuesAreReadAsThePluginReadsThem) {
  auto run = Diagnose(Write("e.ini", "[patch]\nStrLen = 1 ; fixes a crash\nUnk11=true\n"
                                     "CustomMemoryBlockTotalSizeMb=2000\n"));
  EXPECT_TRUE(run.Says("  StrLen: on\n")) << run.output;
  EXPECT_TRUE(run.Says("\"StrLen=1 ; fixes a crash\" reads as 1")) << run.output;
  EXPECT_TRUE(run.Says("! line 3: \"Unk11=true\" reads as 0")) << run.output;
  EXPECT_TRUE(run.Says("  Unk11: off\n")) << run.output;
  EXPECT_TRUE(run.Says("CustomMemoryBlockTotalSizeMb=2000 is capped at 1024")) << run.output;
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(Doctor, EmptyAndMissingFiles) {
  auto empty = Diagnose(Write("f.ini", ""));
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_TRUE(empty.Says("no [Patch] section")) << empty.output;
  auto missing = Diagnose((dir_ / "absent.ini").string());
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_TRUE(missing.Says("cannot read")) << missing.output;
}

TEST_F(Doctor, ShowsTheEnbWarningsThePluginWouldShow) {
  const auto ini = Write("g.ini", "[Patch]\nWarnBadENB=1\nUseOSAllocators=1\n");
  auto expand = Diagnose(ini, Write("enb1.ini", "[MEMORY]\nExpandSystemMemoryX64 =  TRUE \n"));
  EXPECT_TRUE(expand.Says("ExpandSystemMemoryX64 is true")) << expand.output;
  EXPECT_EQ(expand.exitCode, 1);
  auto reduce = Diagnose(ini, Write("enb2.ini", "[MEMORY]\nExpandSystemMemoryX64=false\n"));
  EXPECT_TRUE(reduce.Says("ReduceSystemMemoryUsage is not true")) << reduce.output;
  auto fine = Diagnose(ini, Write("enb3.ini", "[MEMORY]\nExpandSystemMemoryX64=false\nReduceSystemMemoryUsage=1\n"));
  EXPECT_FALSE(fine.Says("enblocal.ini:")) << fine.output;
  auto none = Diagnose(ini, (dir_ / "no-enb.ini").string());
  EXPECT_FALSE(none.Says("enblocal.ini:")) << none.output;
}

std::string ManyUnknownKeys(int count) {
  std::string text = "[Patch]\n";
  for (int i = 0; i < count; ++i) text += "UnknownSetting" + std::to_string(i) + "=1\n";
  return text;
}

// Files players produce with ordinary editors, and what probing turned up;
// the frame tests hold the same reading to the plugin's under Wine.
struct MalformedFile {
  const char* what;
  std::optional<std::string> ini;  // nothing: a folder in the file's place
  std::optional<std::string> enb;  // nothing: none named; "missing": a path with no file
  int exitCode;
  std::vector<std::string> says;
  std::vector<std::string> saysNot;
};

TEST_F(Doctor, ReadsMalformedFilesAsThePluginDoes) {
  const std::vector<MalformedFile> files = {
      {"a folder as the settings file", std::nullopt, std::nullopt, 2, {"cannot read"}, {"Options:"}},
      {"UTF-16 with a byte-order mark", Utf16WithMark("[Patch]\r\nStrLen=1\r\nUnk11=1\r\n"), std::nullopt, 0,
       {"  StrLen: on\n", "  Unk11: on\n"}, {"no [Patch] section"}},
      {"a UTF-8 mark before [Patch] on line 1", "\xEF\xBB\xBF[Patch]\nStrLen=1\n", std::nullopt, 0,
       {"  StrLen: on\n"}, {"no [Patch] section"}},
      {"repeated sections and keys", "[Patch]\nStrLen=1\nstrlen=0\n[PATCH]\nRender650=1\n", std::nullopt, 1,
       {"  StrLen: on\n", "  Render650: off\n", "line 3: \"strlen\" again: only line 2 counts",
        "line 4: another [PATCH] section: only the one at line 1 is read, so its 1 settings are ignored"},
       {}},
      {"a UTF-16 enblocal.ini", "[Patch]\nWarnBadENB=1\n",
       Utf16WithMark("[MEMORY]\r\nExpandSystemMemoryX64=true\r\n"), 1, {"ExpandSystemMemoryX64 is true"}, {}},
      {"a missing enblocal.ini", "[Patch]\nWarnBadENB=1\n", "missing", 2,
       {"enblocal.ini not read: cannot read"}, {"All good."}},
      {"RecordCrashInfo without bit 0x01", "[Patch]\nRecordCrashInfo=2\n", std::nullopt, 1,
       {"  RecordCrashInfo: off (writes no crash report: bit 0x01 is clear)\n",
        "RecordCrashInfo=2: bit 0x01 is clear, so no crash report is ever written"},
       {"All good."}},
      {"every bit of RecordCrashInfo", "[Patch]\nRecordCrashInfo=255\n", std::nullopt, 0,
       {"0x01 a report is written for each crash; 0x02 ", "; 0x04 ", "; 0x08 ", "; 0x10 ",
        "; 0x20 the report has a details section; 0x40 a minidump is written beside the report; "
        "0x80 means nothing and is ignored\n"},
       {}},
      {"control characters", "[Patch]\nStrLen=1\x1b[2J\nUnk\x1b]0;x\x07=1\n\xC2\x9B" "6n=1\n", std::nullopt, 1,
       {"\"StrLen=1\\x1B[2J\" reads as 1", "unknown key \"Unk\\x1B]0;x\\x07\"", "unknown key \"\\x9B6n\""},
       {"\x1b", "\x07", "\xC2\x9B"}},
      {"a file far larger than settings", ManyUnknownKeys(60000), std::nullopt, 2,
       {"bytes, far more than a settings file (the limit is 1 MB)"}, {"Options:"}},
      {"many findings", ManyUnknownKeys(200), std::nullopt, 1,
       {"line 51: unknown key \"UnknownSetting49\"", "\n  and 150 more\n"}, {"line 52:"}},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    const std::string ini = (dir_ / "malformed.ini").string();
    fs::remove_all(ini);
    if (file.ini) Write("malformed.ini", *file.ini); else fs::create_directory(ini);
    const std::string enb = !file.enb ? "" : *file.enb == "missing" ? (dir_ / "absent.ini").string()
                                                                     : Write("enblocal.ini", *file.enb);
    const auto run = Diagnose(ini, enb);
    EXPECT_EQ(run.exitCode, file.exitCode) << run.output;
    for (const auto& text : file.says) EXPECT_TRUE(run.Says(text)) << text << "\n" << run.output;
    for (const auto& text : file.saysNot) EXPECT_FALSE(run.Says(text)) << text << "\n" << run.output;
  }
}

}  // namespace
