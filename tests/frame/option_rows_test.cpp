// The six options reach the game through the built library's option table:
// the OS timer from the entry point, the others from Load.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "diagnostics/config_check_sites.h"
#include "patch/frame_sites.h"
#include "sim/child.h"
#include "sim/host_config.h"
#include "sim/host_effect_list.h"
#include "sim/host_memory.h"
#include "sim/loader.h"

namespace {

bool InsideModule(HMODULE module, uint32_t address) {
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(reinterpret_cast<void*>(static_cast<uintptr_t>(address)), &region, sizeof region) == 0) return false;
  return region.AllocationBase == module;
}

// Exit code: a bit for each option found not in effect.
SIM_SCENARIO(LoadWithTimerAndEffectListOptions) {
  const bool late = args.at(0) == "late";
  sim::PrepareGameFolder(sim::TempFolder(std::string("rows-") + args.at(0)),
                         "[Patch]\nHighFrequencyOSTimer=1\nHighFrequencyGameTimer=1\nFixUnsafeEffectList=1\n"
                         "AutoDisableMTIni=1\nWarnQORVMemoryPatch=1\n");
  const char* dll = std::getenv("ORRISBANE_DLL");
  const auto outcome = sim::LoadPluginAsQorv({dll ? dll : "", late});
  if (!outcome.loadResult) return 64;
  int missing = 0;
  if (!InsideModule(outcome.module, sim::HostAt<uint32_t>(host::kTickCountImportSlot.site))) missing |= 1;
  if (sim::HostAt<uint8_t>(host::kTimerUpdate) != 0xE9) missing |= 2;
  if (sim::HostAt<uint8_t>(sim::kEffectListHooks[19].site) != 0xE9 ||
      sim::HostAt<uint8_t>(sim::kEffectListBytes[4].address) != sim::kEffectListBytes[4].value) {
    missing |= 4;
  }
  if (sim::HostAt<uint32_t>(host::kMultithreadingSettings[2].site) != 0) missing |= 8;
  if (sim::HostAt<uint8_t>(host::kHeapCheck3.site) != 0xE9) missing |= 16;
  return missing;
}

// A late load leaves out only the early OS timer.
TEST(OptionRows, AnEarlyLoadAppliesAllSixOptionsThroughTheLibraryALateOneAllButTheOsTimer) {
  for (auto [load, missing] : {std::pair{"early", 0u}, {"late", 1u}}) {
    auto result = sim::RunScenarioInChild("LoadWithTimerAndEffectListOptions", load);
    EXPECT_EQ(result.exitCode, missing) << load << "\n" << result.output;
  }
}

}  // namespace
