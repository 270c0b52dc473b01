// The configuration doctor, run as players run it: a program given their
// files, judged by its output and exit code.
#include <gtest/gtest.h>

#include <string>

#include "tests/portable/doctor_fixture.h"

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
  EXPECT_TRUE(run.Says("TimesAllocatorBenchmark is 0")) << run.output;
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

}  // namespace
