// Host sites of the guards on lookups in the game's own tables and lists
// (unique ids, cell searches, indexed globals), and on two routines that one
// content pack's data sends astray.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr HookSite kUnkUniqueId{0x8B4371, 0x8B437C};
constexpr uint32_t kUnkUniqueIdSkip = 0x8B441C;
constexpr HookSite kUnkObjRef4D4EB0{0x4D4EB9, 0x4D4EBE};
constexpr HookSite kUnk11{0xD822D5, 0xD822DC};
constexpr uint32_t kUnk11Skip = 0xD822FB;
constexpr HookSite kIndexError1{0x6F3A11, 0x6F3A17};
constexpr uint32_t kIndexError1Index = 0x1B39128;  // host global, valid below 0x55
constexpr uint32_t kIndexError1Data = 0x106B150;  // host global
constexpr HookSite kCellNullCrash{0x437604, 0x43760B};
constexpr uint32_t kCellNullCrashNotFound = 0x437610;
constexpr uint32_t kCellNullCrashFound = 0x437618;
constexpr HookSite kSarnothSpecific1{0xEBC0A6, 0xEBC0AC};
constexpr HookSite kSarnothSpecific2{0xECD92E, 0xECD934};

// What each option writes.
inline constexpr auto& kUnkUniqueIdSites = kSitesOf<kUnkUniqueId>;
inline constexpr auto& kUnkObjRef4D4EB0Sites = kSitesOf<kUnkObjRef4D4EB0>;
inline constexpr auto& kUnk11Sites = kSitesOf<kUnk11>;
inline constexpr auto& kIndexError1Sites = kSitesOf<kIndexError1>;
inline constexpr auto& kCellNullCrashSites = kSitesOf<kCellNullCrash>;
inline constexpr auto& kSarnothSpecificSites = kSitesOf<kSarnothSpecific1, kSarnothSpecific2>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyUnkUniqueId();
ApplyStatus ApplyUnkObjRef4D4EB0();
ApplyStatus ApplyUnk11();
ApplyStatus ApplyIndexError1();
ApplyStatus ApplyCellNullCrash();
ApplyStatus ApplySarnothSpecific();
