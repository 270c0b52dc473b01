// Host sites of the pool usage report.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/frame_sites.h"
#include "patch/host_site.h"

namespace host {

// call kUsageRoutine (5 bytes)
constexpr HookSite kUsageReport{0x847241, 0x847246};  // the host's call of kUsageRoutine
constexpr uint32_t kUsageRoutine = 0xA5CE90;

// What each option writes.
inline constexpr auto& kMemoryInfoConsoleSites = kSitesOf<kUsageReport, kMainLoop>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyMemoryInfoConsole();
