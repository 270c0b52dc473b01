// Host sites and globals of the configuration checks.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr uint32_t kHostHeapPointer = 0x1B418C8;
constexpr uint32_t kHostMessage = 0x8EE530;
// The host's multithreading settings, each a 32-bit switch.
constexpr HookSite kMultithreadingSettings[] = {{0x12772AC, 0x12772B0}, {0x1240DDC, 0x1240DE0}, {0x12CA46C, 0x12CA470}};
// mov [esp+0x12], cx
constexpr HookSite kHeapCheck1{0x8773FB, 0x877400};
// mov eax, [kHeapCheck2Global]; cmp eax, 0
constexpr HookSite kHeapCheck2{0x876BF0, 0x876BF7};
constexpr uint32_t kHeapCheck2Global = 0x1B3FC98;
// mov ecx, [eax+0x18]; mov eax, [ecx+0x1C]
constexpr HookSite kHeapCheck3{0x87707B, 0x877081};

// What each option writes.
inline constexpr auto& kWarnQORVMemoryPatchSites = kSitesOf<kHeapCheck1, kHeapCheck2, kHeapCheck3>;
inline constexpr auto& kAutoDisableMTIniSites = kMultithreadingSettings;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyWarnBadENB();
ApplyStatus ApplyWarnQORVMemoryPatch();
ApplyStatus ApplyAutoDisableMTIni();
