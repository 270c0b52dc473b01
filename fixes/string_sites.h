// Host sites of the string fixes.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr HookSite kStrCmp{0xD573A8, 0xD573AE};  // first instruction of the comparison routine
constexpr HookSite kStrLen{0x46EDF0, 0x46EE08};
constexpr HookSite kSkipStrLenCrash{0x46EE1D, 0x46EE23};  // call edx, two arguments pushed
constexpr HookSite kStringRefSetNull{0xA51284, 0xA5128A};  // first instruction of the setter

// What each option writes.
inline constexpr auto& kStrCmpSites = kSitesOf<kStrCmp>;
inline constexpr auto& kStrLenSites = kSitesOf<kStrLen>;
inline constexpr auto& kSkipStrLenCrashSites = kSitesOf<kSkipStrLenCrash>;
inline constexpr auto& kStringRefSetNullSites = kSitesOf<kStringRefSetNull>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyStrCmp();
ApplyStatus ApplyStrCmpNoTry();
ApplyStatus ApplyStrLen();
ApplyStatus ApplySkipStrLenCrash();
ApplyStatus ApplyStringRefSetNull();
