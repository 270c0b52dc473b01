// Host timer globals and the sites the timer options patch.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/frame_sites.h"
#include "patch/host_site.h"

namespace host {

constexpr HookSite kTickCountImportSlot{0x106B144, 0x106B148};
constexpr HookSite kGameTimerUpdate{kTimerUpdate, 0x691626};  // the start of the routine the main loop calls
constexpr uint32_t kTicksPerMs = 0x1B4ADC8;
constexpr uint32_t kMaxFrameMs = 0x1B4ADCC;
constexpr uint32_t kTimeMultiplier = 0x12C2410;

// What each option writes.
inline constexpr auto& kHighFrequencyOSTimerSites = kSitesOf<kTickCountImportSlot>;
inline constexpr auto& kHighFrequencyGameTimerSites = kSitesOf<kGameTimerUpdate>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyHighFrequencyOSTimer();
ApplyStatus ApplyHighFrequencyGameTimer();
