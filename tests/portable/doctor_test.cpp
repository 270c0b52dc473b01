// The configuration doctor, run as players run it: a program given their
// files, judged by its output and exit code.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/portable/doctor_fixture.h"
#include "tests/portable/utf16_text.h"

namespace {

using Doctor = DoctorFolder;

std::string ManyUnknownKeys(int count) {
  std::string text = "[Patch]\n";
  for (int i = 0; i < count; ++i) text += "UnknownSetting" + std::to_string(i) + "=1\n";
  return text;
}

std::string ShippedFile() {
  std::ifstream file(ORRISBANE_SHIPPED_INI, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

const std::string kMissing = "missing";
const std::string kFolder = "folder";
const std::string kEnbChecked = "[Patch]\nWarnBadENB=1\nUseOSAllocators=1\n";

// A settings file and perhaps an enblocal.ini, and what the doctor must say.
struct File {
  const char* what;
  std::optional<std::string> ini;  // nothing: a folder in the file's place; kMissing: a path with no file
  std::optional<std::string> enb;  // nothing: none named; kMissing: a path with no file; kFolder: a folder
  int exitCode;
  std::vector<std::string> says;
  std::vector<std::string> saysNot;
};

// Files players write, files produced with ordinary editors, and what probing
// turned up; the frame tests hold the same reading to the plugin's under Wine.
TEST_F(Doctor, ReadsFilesAsThePluginDoes) {
  const std::vector<File> files = {
      {"the shipped file", ShippedFile(), std::nullopt, 0,
       {"  StrCmp: on\n", "  UseOSAllocators: off\n", "All good."}, {}},
      {"conflicts and requirements",
       "[Patch]\nStrCmp=1\nStrCmpNoTry=1\nCustomMemoryBlock=1\nUseOSAllocators=0\nMountNodeCrash=1\n"
       "MountNodeWarn=2\n",
       std::nullopt, 1,
       {"  StrCmpNoTry: ruled out (ruled out by StrCmp)\n",
        "  MountNodeWarn: ruled out (ruled out by MountNodeCrash)\n",
        "  CustomMemoryBlock: ruled out (needs UseOSAllocators)\n",
        "Findings:\n  ! StrCmpNoTry=1 has no effect while StrCmp is on\n"
        "  ! MountNodeWarn=2 has no effect while MountNodeCrash is on\n"
        "  ! CustomMemoryBlock=1 has no effect without UseOSAllocators\n"},
       {}},
      {"a ruled-out option the player did not set is no finding", "[Patch]\nStrCmp=1\nStrCmpNoTry=0\n",
       std::nullopt, 0, {"  StrCmpNoTry: off\n", "Findings:\n  none\n", "All good."}, {"has no effect"}},
      {"a value another option reads", "[Patch]\nUseOSAllocators=1\nAlignHeapAllocate=1\nCustomMemoryBlock=1\n"
       "CustomMemoryBlockTotalSizeMb=256\n", std::nullopt, 0,
       {"  - AlignHeapAllocate=1 with UseOSAllocators on: its own hooks are not installed; its value makes the "
        "system heap hand out 16-byte aligned blocks\n",
        "  - AlignHeapAllocate=1 is read by CustomMemoryBlock: the pools lay out their slots 16-byte aligned\n",
        "  AlignHeapAllocate: ruled out (ruled out by UseOSAllocators, which reads its value)\n", "All good."},
       {"!"}},
      {"the benchmark and its settings",
       "[Patch]\nRunAllocatorBenchmark=1\nUseOSAllocators=1\nAlignHeapAllocate=1\nCountAllocatorBenchmark=1000\n"
       "TimesAllocatorBenchmark=0\n",
       std::nullopt, 1,
       {"  UseOSAllocators: ruled out (ruled out by RunAllocatorBenchmark)\n",
        "  AlignHeapAllocate: ruled out (ruled out by RunAllocatorBenchmark)\n",
        "! AlignHeapAllocate=1 has no effect while RunAllocatorBenchmark is on\n",
        "TimesAllocatorBenchmark is 0: the benchmark measures nothing and reports averages of 0",
        "ThreadsAllocatorBenchmark is missing"},
       {"CountAllocatorBenchmark is"}},
      {"early options too late: switched off, freeing what they ruled out",
       "[Patch]\nUseOSAllocators=1\nHighFrequencyOSTimer=1\nAlignHeapAllocate=1\nOverwriteArrayAllocator=1\nStrLen=1\n",
       std::nullopt, 0,
       {"  UseOSAllocators: on [early: needs the early loader Fennick]\n",
        "  switched off: UseOSAllocators OverwriteArrayAllocator HighFrequencyOSTimer\n",
        "  no longer ruled out: AlignHeapAllocate\n"},
       {}},
      {"misspelt keys", "[Patch]\nStrCpm=1\nnullrefnode=1\n", std::nullopt, 1,
       {"line 2: unknown key \"StrCpm\", so nothing reads it; did you mean \"StrCmp\"?",
        "\"nullrefnode\" is read as \"NullRefNode\"", "  NullRefNode: on\n"},
       {}},
      {"values read as the plugin reads them",
       "[patch]\nStrLen = 1 ; fixes a crash\nUnk11=true\nCustomMemoryBlockTotalSizeMb=2000\n", std::nullopt, 1,
       {"  StrLen: on\n", "\"StrLen=1 ; fixes a crash\" reads as 1", "! line 3: \"Unk11=true\" reads as 0",
        "  Unk11: off\n", "CustomMemoryBlockTotalSizeMb=2000 is capped at 1024"},
       {}},
      {"an empty file", "", std::nullopt, 1, {"no [Patch] section"}, {}},
      {"a missing file", kMissing, std::nullopt, 2, {"cannot read"}, {}},
      {"ExpandSystemMemoryX64 on", kEnbChecked, "[MEMORY]\nExpandSystemMemoryX64 =  TRUE \n", 1,
       {"ExpandSystemMemoryX64 is true"}, {}},
      {"ReduceSystemMemoryUsage off", kEnbChecked, "[MEMORY]\nExpandSystemMemoryX64=false\n", 1,
       {"ReduceSystemMemoryUsage is not true"}, {}},
      {"a fine enblocal.ini", kEnbChecked, "[MEMORY]\nExpandSystemMemoryX64=false\nReduceSystemMemoryUsage=1\n", 0, {},
       {"enblocal.ini:"}},
      {"no enblocal.ini", kEnbChecked, kMissing, 0, {"  - no enblocal.ini: no ENB checks\n", "All good."},
       {"ExpandSystemMemoryX64", "ReduceSystemMemoryUsage"}},
      {"an enblocal.ini that is a folder", kEnbChecked, kFolder, 2, {"enblocal.ini not read: cannot read"}, {}},
      {"ENB booleans that are neither", kEnbChecked,
       "[MEMORY]\nExpandSystemMemoryX64=ture\nReduceSystemMemoryUsage= yes \n", 1,
       {"! enblocal.ini: ExpandSystemMemoryX64=ture is read as false (only true, false, 1 and 0 are understood)\n",
        "! enblocal.ini: ReduceSystemMemoryUsage=yes is read as false",
        "ReduceSystemMemoryUsage is not true while UseOSAllocators is on"},
       {"ExpandSystemMemoryX64 is true"}},
      {"ENB booleans in any letter case, cut as the plugin cuts them", kEnbChecked,
       "[MEMORY]\nExpandSystemMemoryX64=FALSE\nReduceSystemMemoryUsage=True" + std::string(40, ' ') + "x\n", 0,
       {"All good."}, {"read as false"}},
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
      {"a missing enblocal.ini", "[Patch]\nWarnBadENB=1\n", kMissing, 0, {"no enblocal.ini: no ENB checks"}, {}},
      {"the ReadMe's command for a player without an ENB", ShippedFile(), kMissing, 0,
       {"no enblocal.ini: no ENB checks", "All good."}, {}},
      {"values that options read are known keys",
       "[Patch]\nFreezeReportSeconds=30\nCountAllocatorBenchmark=5\nCustomMemoryBlockTotalSizeMb=64\n", std::nullopt, 0,
       {"All good."}, {"unknown key"}},
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
       {"\"StrLen=1\\x1B[2J\" reads as 1", "Something needs attention: see the findings marked !", "unknown key \"Unk\\x1B]0;x\\x07\"", "unknown key \"\\x9B6n\""},
       {"\x1b", "\x07", "\xC2\x9B"}},
      {"a file far larger than settings", ManyUnknownKeys(60000), std::nullopt, 2,
       {"bytes, far more than a settings file (the limit is 1 MB)"}, {"Options:"}},
      {"many findings", ManyUnknownKeys(200), std::nullopt, 1,
       {"line 51: unknown key \"UnknownSetting49\"", "\n  and 150 more\n"}, {"line 52:"}},
  };
  const std::string absent = (dir_ / "absent.ini").string();
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    std::string ini = (dir_ / "Orrisbane.ini").string();
    fs::remove_all(ini);
    if (!file.ini) {
      fs::create_directory(ini);
    } else {
      ini = *file.ini == kMissing ? absent : Write("Orrisbane.ini", *file.ini);
    }
    std::string enb = (dir_ / "enblocal.ini").string();
    fs::remove_all(enb);
    if (file.enb == kFolder) {
      fs::create_directory(enb);
    } else if (file.enb) {
      enb = *file.enb == kMissing ? absent : Write("enblocal.ini", *file.enb);
    }
    const DoctorRun run = !file.enb ? RunDoctor({ini}) : RunDoctor({ini, enb});
    ExpectAnswer(run, file.exitCode, file.says, file.saysNot);
    // Every exit 1 says why, under its heading, before the list of options.
    if (file.exitCode == 1) {
      EXPECT_LT(run.output.find("\n  ! "), run.output.find("\nOptions:\n")) << run.output;
      EXPECT_EQ(run.output.rfind("Findings:\n", 0), 0u) << run.output;
    }
  }
}

TEST_F(Doctor, HelpAndUsage) {
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
  } cases[] = {{{"--help"}, 0}, {{"-h"}, 0}, {{}, 2}, {{"--crash"}, 2}, {{"--bogus"}, 2}, {{"a", "b", "c"}, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.front());
    const DoctorRun run = c.arguments.empty()          ? RunDoctor({})
                          : c.arguments.size() == 1 ? RunDoctor({c.arguments[0]})
                                                    : RunDoctor({c.arguments[0], c.arguments[1], c.arguments[2]});
    ExpectAnswer(run, c.exitCode, {"usage: orrisbane-doctor Orrisbane.ini [enblocal.ini]\n",
                                   "orrisbane-doctor --crash <crash report or CrashLog folder> [Orrisbane.ini]"},
                 {"Findings:"});
  }
}

}  // namespace
