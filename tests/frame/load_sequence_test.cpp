// The load sequence through real copies of the built DLL, mapped and called
// as the loader does.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/settings.h"
#include "diagnostics/crash_details.h"
#include "diagnostics/timer_sites.h"
#include "patch/frame_sites.h"
#include "plugin/load_sequence.h"
#include "plugin/option_table.h"
#include "sim/child.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"
#include "tests/frame/frame_fixture.h"

namespace frame_test {
namespace {

constexpr const char* kTooLateText =
    "Error: \"UseOSAllocators\" option could not be applied because the game has already initialized! Either "
    "disable that option or follow these steps:\r\n1. Download and install \"" ORRISBANE_EARLY_LOADER_URL
    "\" - Fennick.\r\n2. Make sure you installed it correctly to Vellmoor root directory and not Data.";

// Prints the options the crash details would name after both passes.
SIM_SCENARIO(options_in_effect) {
  sim::ResetHostImage();
  std::string ini = "[Patch]\n";
  for (const std::string& line : args) ini += line + "\n";
  sim::PrepareGameFolder(sim::TempFolder("in-effect"), ini);
  ApplyEarlyOptions();
  if (!ApplyNormalOptions()) return 1;
  for (const char* key : OptionsInEffect()) std::printf("%s ", key);
  std::fflush(stdout);
  return 0;
}

// The details name what took effect, early ones first: not an inert value, not
// an option ruled out, and a plain setting by being on.
TEST(LoadSequence, TheCrashDetailsLearnTheOptionsThatTookEffect) {
  const auto child = sim::RunScenarioInChild(
      "options_in_effect",
      "LogMessageToFile=1 RecordCrashInfo=2 StrCmp=1 StrCmpNoTry=1 StrLen=1 HighFrequencyOSTimer=1");
  EXPECT_EQ(child.output, "HighFrequencyOSTimer LogMessageToFile StrCmp StrLen ");
  EXPECT_EQ(child.exitCode, 0u);
}

TEST(LoadSequence, AllOptionsOffStillQueriesAndLoadsAndTheSamePathAgainIsThatCopy) {
  auto copy = LoadFreshCopy("[Patch]\nStrCmp=0\nStrLen=-1\n", false);
  ASSERT_EQ(copy.outcome.error, "");
  EXPECT_TRUE(copy.outcome.queryAccepted);
  EXPECT_TRUE(copy.outcome.loadResult);
  EXPECT_STREQ(copy.outcome.info.name, "Orrisbane");
  EXPECT_EQ(copy.outcome.info.infoVersion, 1u);
  EXPECT_EQ(copy.outcome.info.version, 1u);
  EXPECT_EQ(sim::HostAt<uint8_t>(host::kLoadMarker), 1) << "the first copy sets the load marker";

  char path[MAX_PATH];
  GetModuleFileNameA(copy.outcome.module, path, sizeof path);
  auto again = sim::LoadPluginAsQorv({path, false});
  EXPECT_EQ(again.module, copy.outcome.module);
  EXPECT_TRUE(again.loadResult);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(LoadSequence, QueryRefusesOtherBuildsAndTheEditorButFillsTheInfo) {
  const std::string folder = sim::TempFolder("query");
  sim::PrepareGameFolder(folder, "[Patch]\n");
  for (auto [runtime, editor] : {std::pair{0x09200001u, 0u}, {0x08200000u, 0u}, {0x09200000u, 1u}}) {
    sim::ResetHostImage();
    auto outcome = sim::LoadPluginAsQorv({FreshDllCopy(folder), false, runtime, editor});
    ASSERT_EQ(outcome.error, "");
    EXPECT_FALSE(outcome.queryAccepted) << std::hex << runtime << " editor " << editor;
    EXPECT_STREQ(outcome.info.name, "Orrisbane");
    EXPECT_EQ(outcome.info.infoVersion, 1u);
  }
}

DWORD WINAPI NoWork(void*) { return 0; }

TEST(LoadSequence, ASecondCopyShowsTheDoubleLoadMessageOnceAndAppliesNothing) {
  auto first = LoadFreshCopy("[Patch]\n", false);
  ASSERT_TRUE(first.outcome.loadResult);
  auto second = sim::LoadPluginAsQorv({FreshDllCopy(first.folder), false});
  EXPECT_TRUE(second.queryAccepted);
  EXPECT_FALSE(second.loadResult);
  ExpectPluginMessages(sim::MessageBoxes(),
                       {"Trying to load Orrisbane.dll more than once! Is this file in multiple locations?"});
  // Thread attach events re-run only the guard's first step: no new message.
  HANDLE thread = CreateThread(nullptr, 0, NoWork, nullptr, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(sim::MessageBoxes().size(), 1u);
}

// The OS timer option writes the host's tick-count import slot: the entry
// point does it, and the load call must not do it again.
TEST(LoadSequence, AnEarlyOptionIsAppliedFromTheEntryPointOnly) {
  sim::ResetHostImage();
  const uint32_t beforeLoad = sim::HostAt<uint32_t>(host::kTickCountImportSlot.site);
  uint32_t afterEntry = beforeLoad;
  auto copy = LoadFreshCopy("[Patch]\nHighFrequencyOSTimer=1\n", false, [&](HMODULE) {
    afterEntry = sim::HostAt<uint32_t>(host::kTickCountImportSlot.site);
    sim::HostAt<uint32_t>(host::kTickCountImportSlot.site) = beforeLoad;
  });
  EXPECT_TRUE(copy.outcome.loadResult);
  EXPECT_NE(afterEntry, beforeLoad) << "the entry point applies the early option";
  EXPECT_EQ(sim::HostAt<uint32_t>(host::kTickCountImportSlot.site), beforeLoad) << "the load call applied it again";
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(LoadSequence, LateEarlyOptionsShowOneMessageAndStoreOverrides) {
  auto result = sim::RunScenarioInChild("late_early_options");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  ExpectPluginMessages(MessageBoxesOf(result), {kTooLateText});
  // Overrides of 0 for the eligible early rows only; the rows that depended
  // on them follow the overrides.
  for (const char* row : {"UseOSAllocators=0 eligible=0\n", "HighFrequencyOSTimer=0 eligible=0\n",
                          "OverwriteArrayAllocator=1 eligible=0\n", "CustomMemoryBlock=1 eligible=0\n",
                          "AlignHeapAllocate=1 eligible=1\n", "MemoryInfoConsole=1 eligible=1\n"}) {
    EXPECT_NE(result.output.find(row), std::string::npos) << row << result.output;
  }
}

// A settings file another program holds open without sharing reads as every
// option off; the player hears of it once, by name and reason, in a message
// and the log. A missing file is a choice, and says nothing.
TEST(LoadSequence, ASettingsFileThatCannotBeReadIsNamedOnceAndAMissingOneIsSilent) {
  for (bool locked : {true, false}) {
    SCOPED_TRACE(locked ? "held open without sharing" : "missing");
    sim::ResetHostImage();
    sim::ClearJournal();
    const std::string folder = sim::TempFolder(locked ? "ini-locked" : "ini-missing");
    sim::PrepareGameFolder(folder, "[Patch]\nLogMessageToFile=1\nStrCmp=1\n");
    const std::string ini = folder + "\\Data\\QORV\\Plugins\\Orrisbane.ini";
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (locked) {
      holder = CreateFileA(ini.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    } else {
      ASSERT_TRUE(DeleteFileA(ini.c_str()));
    }
    const auto outcome = sim::LoadPluginAsQorv({FreshDllCopy(folder), false});
    if (locked) CloseHandle(holder);
    EXPECT_TRUE(outcome.loadResult);
    if (!locked) {
      EXPECT_TRUE(sim::MessageBoxes().empty());
      EXPECT_FALSE(sim::FileExists(LogFileIn(folder)));
      continue;
    }
    const std::string text = "Orrisbane could not read its settings file \"" + ini +
                             "\": Sharing violation. Every option is off for this game. Close any program that has "
                             "the file open, make sure the file may be read, and start the game again.";
    ExpectPluginMessages(sim::MessageBoxes(), {text});
    const std::string log = sim::ReadFile(LogFileIn(folder));
    const size_t at = log.find(text);
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find(text, at + text.size()), std::string::npos) << "logged twice:\n" << log;
  }
}

}  // namespace
}  // namespace frame_test

// Runs the entry point's pass in-process, late, with both early options that
// have no requirement on, then reports the settings the later load would see.
SIM_SCENARIO(late_early_options) {
  sim::PrepareGameFolder(sim::TempFolder("late"),
                         "[Patch]\nUseOSAllocators=1\nHighFrequencyOSTimer=1\nOverwriteArrayAllocator=1\n"
                         "CustomMemoryBlock=1\nAlignHeapAllocate=1\nMemoryInfoConsole=1\n");
  sim::HostAt<uint8_t>(host::kHostHeap) = 1;
  ApplyEarlyOptions();
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    std::printf("%s=%d eligible=%d\n", row->key, GetSetting(row->key, 5), IsOptionEligible(*row));
  }
  std::fflush(stdout);
  return 0;
}
