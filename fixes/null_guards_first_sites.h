// Host sites of the first set of null and bad-reference guards.
#pragma once
#include <cstdint>

#include "patch/host_site.h"

namespace host {

constexpr HookSite kUnkUniqueId{0x8B4371, 0x8B437C};
constexpr uint32_t kUnkUniqueIdSkip = 0x8B441C;
constexpr HookSite kRender650{0xCEC5EC, 0xCEC5F2};
constexpr uint32_t kRender650Use = 0xCEC5F8;
constexpr HookSite kUnkObjRef4D4EB0{0x4D4EB9, 0x4D4EBE};
constexpr HookSite kNullSeenData{0x4C6031, 0x4C6038};
constexpr uint32_t kSeenDataConstruct = 0x6A02A0;  // thiscall (0, 0), callee cleans
constexpr HookSite kBhvGraphUpdateLoad{0xC27A8B, 0xC27A92};
constexpr HookSite kUnk11{0xD822D5, 0xD822DC};
constexpr uint32_t kUnk11Skip = 0xD822FB;
constexpr HookSite kShadowNode{0xC7A3CD, 0xC7A3D6};
constexpr uint32_t kShadowNodeSkip = 0xC7A404;
constexpr HookSite kIndexError1{0x6F3A11, 0x6F3A17};
constexpr uint32_t kIndexError1Index = 0x1B39128;  // host global, valid below 0x55
constexpr uint32_t kIndexError1Data = 0x106B150;  // host global
constexpr HookSite kMovementPlannerAgentWarp{0x76E358, 0x76E365};
constexpr HookSite kCellNullCrash{0x437604, 0x43760B};
constexpr uint32_t kCellNullCrashNotFound = 0x437610;
constexpr uint32_t kCellNullCrashFound = 0x437618;
constexpr HookSite kMainMagicEffect1{0x7E39EC, 0x7E39F2};
constexpr uint32_t kMainMagicEffect1Skip = 0x7E391E;
constexpr HookSite kMainMagicEffect2{0x657673, 0x65767C};
constexpr uint32_t kMainMagicEffect2Continue = 0x657706;
constexpr uint32_t kMainMagicEffect2Call = 0x4D4500;  // thiscall, no arguments
constexpr HookSite kMainMagicEffect3{0x6577D0, 0x6577D8};
constexpr uint32_t kMainMagicEffect3Continue = 0x6577DC;
constexpr uint32_t kMainMagicEffect3Call = 0x406C70;  // on the registers and stack of the site
constexpr HookSite kMainMagicEffect4{0x65FEEC, 0x65FEF1};
constexpr uint32_t kMainMagicEffect4Call = 0x403F10;  // thiscall, one argument, callee cleans
constexpr HookSite kMainMagicEffect5{0x8127CF, 0x8127D5};
constexpr HookSite kMountNodeCrash{0x6E7F85, 0x6E7F91};

// What each option writes.
inline constexpr auto& kUnkUniqueIdSites = kSitesOf<kUnkUniqueId>;
inline constexpr auto& kRender650Sites = kSitesOf<kRender650>;
inline constexpr auto& kUnkObjRef4D4EB0Sites = kSitesOf<kUnkObjRef4D4EB0>;
inline constexpr auto& kNullSeenDataSites = kSitesOf<kNullSeenData>;
inline constexpr auto& kBhvGraphUpdateLoadSites = kSitesOf<kBhvGraphUpdateLoad>;
inline constexpr auto& kUnk11Sites = kSitesOf<kUnk11>;
inline constexpr auto& kShadowNodeSites = kSitesOf<kShadowNode>;
inline constexpr auto& kIndexError1Sites = kSitesOf<kIndexError1>;
inline constexpr auto& kMovementPlannerAgentWarpSites = kSitesOf<kMovementPlannerAgentWarp>;
inline constexpr auto& kCellNullCrashSites = kSitesOf<kCellNullCrash>;
inline constexpr auto& kMountNodeCrashSites = kSitesOf<kMountNodeCrash>;
inline constexpr auto& kGetMainMagicEffectSites =
    kSitesOf<kMainMagicEffect1, kMainMagicEffect2, kMainMagicEffect3, kMainMagicEffect4, kMainMagicEffect5>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
bool ApplyUnkUniqueId();
bool ApplyRender650();
bool ApplyUnkObjRef4D4EB0();
bool ApplyNullSeenData();
bool ApplyBhvGraphUpdateLoad();
bool ApplyUnk11();
bool ApplyShadowNode();
bool ApplyIndexError1();
bool ApplyMovementPlannerAgentWarp();
bool ApplyCellNullCrash();
bool ApplyGetMainMagicEffect();
bool ApplyMountNodeCrash();
