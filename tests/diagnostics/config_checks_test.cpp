// The ENB settings check, the heap-size warning and its three hooks, and the
// multithreading settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/config_check_sites.h"
#include "diagnostics/config_checks.h"
#include "plugin/apply.h"
#include "sim/child.h"
#include "sim/host_config.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"
#include "sim/runner.h"
#include "tests/hook_check.h"

namespace {

const std::string kExpandWarning =
    "WARNING: ExpandSystemMemoryX64 must be set false in enblocal.ini or you may experience additional crashes!";
const std::string kReduceWarning =
    "WARNING: UseOSAllocators recommends to set ReduceSystemMemoryUsage=true in enblocal.ini. You can disable "
    "this warning by setting WarnBadENB to 0 in Orrisbane.ini";
const std::string kHeapWarning =
    "Warning: QORV memory fix is not active on your game! Make sure \"Data/QORV/QORV.ini\" has "
    "DefaultHeapInitialAllocMB=768 or higher under [Memory]. If using Mod Organizer try adding "
    "-forcesteamloader to QORV startup options. You can diable this warning from "
    "\"Data/QORV/Plugins/Orrisbane.ini\" by setting \"WarnQORVMemoryPatch\" to 0.";
constexpr const char* kNoEnbFile = nullptr;

// Applies the ENB check in a fresh game folder and answers what it showed.
std::vector<std::string> EnbWarnings(const char* enbText, bool osAllocators) {
  static int folderNumber = 0;
  const std::string folder = sim::TempFolder("enb" + std::to_string(++folderNumber));
  sim::PrepareGameFolder(folder, std::string("[Patch]\nUseOSAllocators=") + (osAllocators ? "1" : "0") + "\n");
  if (enbText != kNoEnbFile) sim::WriteFile("enblocal.ini", enbText);
  sim::ClearJournal();
  ApplyWarnBadENB();
  std::vector<std::string> texts;
  for (const auto& box : sim::MessageBoxes()) texts.push_back(box.text);
  return texts;
}

using Texts = std::vector<std::string>;

TEST(EnbCheck, ExpandSystemMemoryTrueInAnyCaseWarnsOnceAndAlone) {
  EXPECT_EQ(EnbWarnings("[MEMORY]\nExpandSystemMemoryX64=  TRUE  \n", false), Texts{kExpandWarning});
  EXPECT_EQ(EnbWarnings("[MEMORY]\nExpandSystemMemoryX64=1\n", true), Texts{kExpandWarning});
  EXPECT_EQ(EnbWarnings("[MEMORY]\nExpandSystemMemoryX64=tRuE\nReduceSystemMemoryUsage=false\n", true),
            Texts{kExpandWarning});
}

TEST(EnbCheck, ReduceMemoryWarningNeedsOsAllocatorsAndAKeyFound) {
  EXPECT_EQ(EnbWarnings("[MEMORY]\nExpandSystemMemoryX64=false\n", true), Texts{kReduceWarning});
  EXPECT_EQ(EnbWarnings("[MEMORY]\nExpandSystemMemoryX64=false\n", false), Texts{});
  EXPECT_EQ(EnbWarnings("[MEMORY]\nReduceSystemMemoryUsage=yes\n", true), Texts{kReduceWarning});
  EXPECT_EQ(EnbWarnings("[MEMORY]\nReduceSystemMemoryUsage=0\n", true), Texts{kReduceWarning});
  EXPECT_EQ(EnbWarnings("[MEMORY]\nReduceSystemMemoryUsage=1\n", true), Texts{});
  EXPECT_EQ(EnbWarnings("[MEMORY]\nExpandSystemMemoryX64=no\nReduceSystemMemoryUsage= True \n", true), Texts{});
}

TEST(EnbCheck, NoFileOrNoMemorySectionMeansNoKeysAndNoWarning) {
  EXPECT_EQ(EnbWarnings(kNoEnbFile, true), Texts{});
  EXPECT_EQ(EnbWarnings("[OTHER]\nExpandSystemMemoryX64=true\nReduceSystemMemoryUsage=false\n", true), Texts{});
}

TEST(EnbCheck, AValueLongerThanTheBufferIsCutBeforeItIsCompared) {
  // 4 letters, 36 spaces, then text: only the first 31 characters are read,
  // and those trim to "true".
  const std::string longTrue = "true" + std::string(36, ' ') + "but not really";
  EXPECT_EQ(EnbWarnings(("[MEMORY]\nExpandSystemMemoryX64=" + longTrue + "\n").c_str(), false),
            Texts{kExpandWarning});
  uint8_t found = 0;
  EXPECT_EQ(ReadEnbBool("ExpandSystemMemoryX64", &found), 1);
}

constexpr uint32_t kHeapCheckSites[] = {host::kHeapCheck1.site, host::kHeapCheck2.site, host::kHeapCheck3.site};

// Exit code: the number of host messages, plus 10 for each with the wrong
// arguments or text, plus 50 when one came before the heap existed.
SIM_SCENARIO(HeapCheckOnceTheHeapExists) {
  ApplyWarnQORVMemoryPatch();
  sim::Registers in;
  in.eax = 0x1BD7800;  // hook 3 loads through it
  for (uint32_t site : kHeapCheckSites) sim::RunHost(site, in);
  if (!sim::HostMessageCalls().empty()) return 50;
  sim::SetHostHeapSize(static_cast<uint32_t>(std::stoul(args.at(0))));
  for (int i = 0; i < 2; ++i) {
    for (uint32_t site : kHeapCheckSites) sim::RunHost(site, in);
  }
  int code = 0;
  for (const auto& call : sim::HostMessageCalls()) {
    const bool right = call.first == 0 && call.second == 0 && call.third == 0 && call.text == kHeapWarning;
    code += right ? 1 : 11;
  }
  return code;
}

TEST(HeapSizeCheck, WarnsExactlyOnceWhenTheHeapIsAtMost256WholeMegabytes) {
  constexpr uint32_t kMB = 1u << 20;
  struct Case {
    uint32_t bytes;
    uint32_t exitCode;
  };
  for (const Case& c : {Case{256 * kMB + kMB / 2, 1}, Case{257 * kMB, 0}, Case{64 * kMB, 1}, Case{768 * kMB, 0}}) {
    auto result = sim::RunScenarioInChild("HeapCheckOnceTheHeapExists", std::to_string(c.bytes));
    EXPECT_EQ(result.exitCode, c.exitCode) << c.bytes << " bytes\n" << result.output;
  }
}

TEST(HeapSizeCheck, HooksDoWhatTheyReplacedWithEveryRegisterKept) {
  using hook_check::ExpectLanded;
  using hook_check::kDistinct;
  sim::ResetHostImage();  // the heap pointer stays null: nothing is decided here
  ApplyWarnQORVMemoryPatch();

  auto stored = sim::RunHost(host::kHeapCheck1.site, kDistinct, {0, 1, 2, 3, 0x44445555, 5});
  ExpectLanded(stored, host::kHeapCheck1.resume, kDistinct, 0);
  EXPECT_EQ(stored.Stack(4), 0xC3C35555u) << "CX stored at [ESP+0x12]";
  EXPECT_EQ(stored.Stack(5), 5u);

  sim::Registers compared = kDistinct;
  compared.eax = 0x80000000;
  compared.eflags = sim::kSignFlag | 0x004;  // cmp eax, 0 on 0x80000000: SF and PF
  sim::HostAt<uint32_t>(host::kHeapCheck2Global) = compared.eax;
  ExpectLanded(sim::RunHost(host::kHeapCheck2.site, kDistinct), host::kHeapCheck2.resume, compared, 0);
  sim::HostAt<uint32_t>(host::kHeapCheck2Global) = 0;
  EXPECT_NE(sim::RunHost(host::kHeapCheck2.site, kDistinct).regs.eflags & sim::kZeroFlag, 0u);

  constexpr uint32_t kFirst = 0x1BD7800, kSecond = 0x1BD7900;
  sim::HostAt<uint32_t>(kFirst + 0x18) = kSecond;
  sim::HostAt<uint32_t>(kSecond + 0x1C) = 0x12345678;
  sim::Registers chained = kDistinct;
  chained.eax = kFirst;
  sim::Registers loaded = chained;
  loaded.ecx = kSecond;
  loaded.eax = 0x12345678;
  ExpectLanded(sim::RunHost(host::kHeapCheck3.site, chained), host::kHeapCheck3.resume, loaded, 0);
  EXPECT_TRUE(sim::HostMessageCalls().empty());
}

TEST(AutoDisableMTIni, ZeroesTheThreeHostSettings) {
  sim::ResetHostImage();
  for (const HookSite& setting : host::kMultithreadingSettings) ASSERT_EQ(sim::HostAt<uint32_t>(setting.site), 1u);
  sim::HostAt<uint32_t>(host::kMultithreadingSettings[0].resume) = 7;  // a neighbour that must survive
  ApplyAutoDisableMTIni();
  for (const HookSite& setting : host::kMultithreadingSettings) EXPECT_EQ(sim::HostAt<uint32_t>(setting.site), 0u);
  EXPECT_EQ(sim::HostAt<uint32_t>(host::kMultithreadingSettings[0].resume), 7u);
}

}  // namespace
