// The load sequence through real copies of the built DLL, mapped and called
// as the loader does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "diagnostics/timer_sites.h"
#include "patch/frame_sites.h"
#include "plugin/load_sequence.h"
#include "plugin/option_table.h"
#include "plugin/settings.h"
#include "sim/child.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"
#include "tests/frame/frame_fixture.h"

namespace frame_test {

std::string DistIniPath() {
  const char* ini = std::getenv("ORRISBANE_INI");
  return ini ? ini : "";
}

std::string FreshDllCopy(const std::string& folder) {
  static int copies = 0;
  const char* built = std::getenv("ORRISBANE_DLL");
  EXPECT_NE(built, nullptr) << "ORRISBANE_DLL names the built library";
  const std::string copy = folder + "\\Orrisbane-copy" + std::to_string(++copies) + ".dll";
  EXPECT_TRUE(CopyFileA(built ? built : "", copy.c_str(), FALSE)) << copy;
  return copy;
}

LoadedCopy LoadFreshCopy(const std::string& ini, bool late, sim::AfterMapping afterMapping) {
  sim::ResetHostImage();
  sim::ClearJournal();
  LoadedCopy copy;
  copy.folder = sim::TempFolder("load");
  sim::PrepareGameFolder(copy.folder, ini);
  copy.outcome = sim::LoadPluginAsQorv({FreshDllCopy(copy.folder), late, 0x09200000, 0, std::move(afterMapping)});
  return copy;
}

namespace {

constexpr const char* kTooLateText =
    "Error: \"UseOSAllocators\" option could not be applied because the game has already initialized! Either "
    "disable that option or follow these steps:\r\n1. Download and install \"" ORRISBANE_EARLY_LOADER_URL
    "\" - Fennick.\r\n2. Make sure you installed it correctly to Vellmoor root directory and not Data.";

TEST(LoadSequence, AllOptionsOffStillQueriesAndLoads) {
  auto copy = LoadFreshCopy("[Patch]\nStrCmp=0\nStrLen=-1\n", false);
  ASSERT_EQ(copy.outcome.error, "");
  EXPECT_TRUE(copy.outcome.queryAccepted);
  EXPECT_TRUE(copy.outcome.loadResult);
  EXPECT_STREQ(copy.outcome.info.name, "Orrisbane");
  EXPECT_EQ(copy.outcome.info.infoVersion, 1u);
  EXPECT_EQ(copy.outcome.info.version, 1u);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_EQ(sim::HostAt<uint8_t>(host::kLoadMarker), 1) << "the first copy sets the load marker";
}

TEST(LoadSequence, QueryRefusesOtherBuildsAndTheEditorButFillsTheInfo) {
  sim::ResetHostImage();
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
  auto boxes = sim::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Trying to load Orrisbane.dll more than once! Is this file in multiple locations?");
  EXPECT_EQ(boxes[0].caption, "Message from Orrisbane");
  EXPECT_EQ(boxes[0].style, 0x12010u);
  // Thread attach events re-run only the guard's first step: no new message.
  HANDLE thread = CreateThread(nullptr, 0, NoWork, nullptr, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(sim::MessageBoxes().size(), 1u);
}

TEST(LoadSequence, TheSamePathTwiceIsOneCopy) {
  auto first = LoadFreshCopy("[Patch]\n", false);
  char path[MAX_PATH];
  GetModuleFileNameA(first.outcome.module, path, sizeof path);
  auto again = sim::LoadPluginAsQorv({path, false});
  EXPECT_EQ(again.module, first.outcome.module);
  EXPECT_TRUE(again.loadResult);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

// The OS timer option writes the host's tick-count import slot: the entry
// point does it, and the load call must not do it again.
uint32_t g_slotBeforeLoad = 0;
uint32_t g_slotAfterEntry = 0;

void UndoEntryPointPatch(HMODULE) {
  g_slotAfterEntry = sim::HostAt<uint32_t>(host::kTickCountImportSlot.site);
  sim::HostAt<uint32_t>(host::kTickCountImportSlot.site) = g_slotBeforeLoad;
}

TEST(LoadSequence, AnEarlyOptionIsAppliedFromTheEntryPointOnly) {
  sim::ResetHostImage();
  sim::ClearJournal();
  const std::string folder = sim::TempFolder("early");
  sim::PrepareGameFolder(folder, "[Patch]\nHighFrequencyOSTimer=1\n");
  g_slotBeforeLoad = sim::HostAt<uint32_t>(host::kTickCountImportSlot.site);
  sim::LoadRequest request{FreshDllCopy(folder), false};
  request.afterMapping = UndoEntryPointPatch;
  auto outcome = sim::LoadPluginAsQorv(request);
  EXPECT_TRUE(outcome.loadResult);
  EXPECT_NE(g_slotAfterEntry, g_slotBeforeLoad) << "the entry point applies the early option";
  EXPECT_EQ(sim::HostAt<uint32_t>(host::kTickCountImportSlot.site), g_slotBeforeLoad) << "the load call applied it again";
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(LoadSequence, LateEarlyOptionsShowOneMessageAndStoreOverrides) {
  auto result = sim::RunScenarioInChild("late_early_options");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  std::vector<sim::JournalEntry> boxes;
  for (auto& e : result.journal) {
    if (e.kind == sim::JournalEntry::kMessageBox) boxes.push_back(e);
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kTooLateText);
  EXPECT_EQ(boxes[0].caption, "Message from Orrisbane");
  // Overrides of 0 for the eligible early rows only; the rows that depended
  // on them follow the overrides.
  EXPECT_NE(result.output.find("UseOSAllocators=0\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("HighFrequencyOSTimer=0\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("OverwriteArrayAllocator=1 eligible=0\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("CustomMemoryBlock=1 eligible=0\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("AlignHeapAllocate eligible=1\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("MemoryInfoConsole eligible=1\n"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace frame_test

// Runs the entry point's pass in-process, late, with both early options that
// have no requirement on, then reports the settings the later load would see.
SIM_SCENARIO(late_early_options) {
  const std::string folder = sim::TempFolder("late");
  sim::PrepareGameFolder(folder,
                         "[Patch]\nUseOSAllocators=1\nHighFrequencyOSTimer=1\nOverwriteArrayAllocator=1\n"
                         "CustomMemoryBlock=1\nAlignHeapAllocate=1\nMemoryInfoConsole=1\n");
  sim::HostAt<uint8_t>(host::kHostHeap) = 1;
  ApplyEarlyOptions();
  auto eligible = [](const char* key) {
    for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
      if (std::strcmp(row->key, key) == 0) return IsOptionEligible(*row);
    }
    return false;
  };
  std::printf("UseOSAllocators=%d\n", GetSetting("UseOSAllocators", 5));
  std::printf("HighFrequencyOSTimer=%d\n", GetSetting("HighFrequencyOSTimer", 5));
  std::printf("OverwriteArrayAllocator=%d eligible=%d\n", GetSetting("OverwriteArrayAllocator", 5),
              eligible("OverwriteArrayAllocator"));
  std::printf("CustomMemoryBlock=%d eligible=%d\n", GetSetting("CustomMemoryBlock", 5),
              eligible("CustomMemoryBlock"));
  std::printf("AlignHeapAllocate eligible=%d\n", eligible("AlignHeapAllocate"));
  std::printf("MemoryInfoConsole eligible=%d\n", eligible("MemoryInfoConsole"));
  std::fflush(stdout);
  return 0;
}
