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

// The ENB check, each time in a fresh game folder, against what it showed.
TEST(EnbCheck, WarnsOnceAboutTheFirstBadMemoryKeyOfTheMemorySection) {
  // 4 letters, 36 spaces, then text: only the first 31 characters are read,
  // and those trim to "true".
  const std::string longTrue = "[MEMORY]\nExpandSystemMemoryX64=true" + std::string(36, ' ') + "but not really\n";
  const struct {
    const char* enbText;
    bool osAllocators;
    std::vector<std::string> warnings;
  } cases[] = {
      // ExpandSystemMemoryX64 true, in any case, warns once and alone.
      {"[MEMORY]\nExpandSystemMemoryX64=  TRUE  \n", false, {kExpandWarning}},
      {"[MEMORY]\nExpandSystemMemoryX64=1\n", true, {kExpandWarning}},
      {"[MEMORY]\nExpandSystemMemoryX64=tRuE\nReduceSystemMemoryUsage=false\n", true, {kExpandWarning}},
      // The reduce-memory warning needs the OS allocators and a key found.
      {"[MEMORY]\nExpandSystemMemoryX64=false\n", true, {kReduceWarning}},
      {"[MEMORY]\nExpandSystemMemoryX64=false\n", false, {}},
      {"[MEMORY]\nReduceSystemMemoryUsage=yes\n", true, {kReduceWarning}},
      {"[MEMORY]\nReduceSystemMemoryUsage=0\n", true, {kReduceWarning}},
      {"[MEMORY]\nReduceSystemMemoryUsage=1\n", true, {}},
      {"[MEMORY]\nExpandSystemMemoryX64=no\nReduceSystemMemoryUsage= True \n", true, {}},
      // No file or no memory section means no keys.
      {kNoEnbFile, true, {}},
      {"[OTHER]\nExpandSystemMemoryX64=true\nReduceSystemMemoryUsage=false\n", true, {}},
      {longTrue.c_str(), false, {kExpandWarning}},
  };
  for (const auto& c : cases) {
    sim::PrepareGameFolder(sim::TempFolder("enb"),
                           std::string("[Patch]\nUseOSAllocators=") + (c.osAllocators ? "1\n" : "0\n"));
    if (c.enbText != kNoEnbFile) sim::WriteFile("enblocal.ini", c.enbText);
    sim::ClearJournal();
    EXPECT_TRUE(ApplyWarnBadENB().Applied());
    std::vector<std::string> shown;
    for (const auto& box : sim::MessageBoxes()) shown.push_back(box.text);
    EXPECT_EQ(shown, c.warnings) << (c.enbText ? c.enbText : "no enblocal.ini") << "OS allocators: " << c.osAllocators;
  }
  uint8_t found = 0;
  EXPECT_EQ(ReadEnbBool("ExpandSystemMemoryX64", &found), 1) << "the last file's long value";
}

constexpr uint32_t kHeapCheckSites[] = {host::kHeapCheck1.site, host::kHeapCheck2.site, host::kHeapCheck3.site};

// Exit code: the number of host messages, plus 10 for each with the wrong
// arguments or text, plus 50 when one came before the heap existed.
SIM_SCENARIO(HeapCheckOnceTheHeapExists) {
  EXPECT_TRUE(ApplyWarnQORVMemoryPatch().Applied());
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
  const struct {
    uint32_t bytes, exitCode;
  } cases[] = {{256 * kMB + kMB / 2, 1}, {257 * kMB, 0}, {64 * kMB, 1}, {768 * kMB, 0}};
  for (const auto& c : cases) {
    auto result = sim::RunScenarioInChild("HeapCheckOnceTheHeapExists", std::to_string(c.bytes));
    EXPECT_EQ(result.exitCode, c.exitCode) << c.bytes << " bytes\n" << result.output;
  }
}

TEST(HeapSizeCheck, HooksDoWhatTheyReplacedWithEveryRegisterKept) {
  using hook_check::ExpectHook;
  using hook_check::kDistinct;
  using hook_check::R;
  using hook_check::With;
  sim::ResetHostImage();  // the heap pointer stays null: nothing is decided here
  EXPECT_TRUE(ApplyWarnQORVMemoryPatch().Applied());

  const auto stored = ExpectHook(host::kHeapCheck1.site, kDistinct, {0, 1, 2, 3, 0x44445555, 5},
                                 {host::kHeapCheck1.resume, kDistinct, 0, true});
  EXPECT_EQ(stored.Stack(4), 0xC3C35555u) << "CX stored at [ESP+0x12]";
  EXPECT_EQ(stored.Stack(5), 5u);

  // cmp eax, 0 on 0x80000000: SF and PF
  const R compared = With(kDistinct, {{&R::eax, 0x80000000}, {&R::eflags, sim::kSignFlag | 0x004}});
  sim::HostAt<uint32_t>(host::kHeapCheck2Global) = compared.eax;
  ExpectHook(host::kHeapCheck2.site, kDistinct, {}, {host::kHeapCheck2.resume, compared, 0, true});
  sim::HostAt<uint32_t>(host::kHeapCheck2Global) = 0;
  EXPECT_NE(sim::RunHost(host::kHeapCheck2.site, kDistinct).regs.eflags & sim::kZeroFlag, 0u);

  constexpr uint32_t kFirst = 0x1BD7800, kSecond = 0x1BD7900;
  sim::HostAt<uint32_t>(kFirst + 0x18) = kSecond;
  sim::HostAt<uint32_t>(kSecond + 0x1C) = 0x12345678;
  const R chained = With(kDistinct, {{&R::eax, kFirst}});
  ExpectHook(host::kHeapCheck3.site, chained, {},
             {host::kHeapCheck3.resume, With(chained, {{&R::ecx, kSecond}, {&R::eax, 0x12345678}}), 0, true});
  EXPECT_TRUE(sim::HostMessageCalls().empty());
}

TEST(AutoDisableMTIni, ZeroesTheThreeHostSettings) {
  sim::ResetHostImage();
  for (const HookSite& setting : host::kMultithreadingSettings) ASSERT_EQ(sim::HostAt<uint32_t>(setting.site), 1u);
  sim::HostAt<uint32_t>(host::kMultithreadingSettings[0].resume) = 7;  // a neighbour that must survive
  EXPECT_TRUE(ApplyAutoDisableMTIni().Applied());
  for (const HookSite& setting : host::kMultithreadingSettings) EXPECT_EQ(sim::HostAt<uint32_t>(setting.site), 0u);
  EXPECT_EQ(sim::HostAt<uint32_t>(host::kMultithreadingSettings[0].resume), 7u);
}

}  // namespace
