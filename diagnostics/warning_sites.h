// Host sites of the warnings.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "fixes/scene_node_guard_sites.h"
#include "patch/host_site.h"

namespace host {

// mov ebp, [esi+0xB4]
constexpr HookSite kMissingNode{0x46ECF5, 0x46ECFB};
constexpr uint32_t kMissingNodeSkip = 0x46EE9A;  // past the host's work on the node
// mov ecx, [eax+0x78]; mov edx, [esi+0x3C]; add eax, 0x78; mov eax, [eax+4]
constexpr HookSite kMountNode = kMountNodeCrash;  // the warning stands in for the fix there
// cwde; movzx eax, word ptr [edx+eax*2]
constexpr HookSite kFootIK{0xBFECC0, 0xBFECC5};
// mov edx, [eax]; mov ecx, eax; mov eax, [edx+0x14]
constexpr HookSite kLoadedNode = kNullLoadedNodeIgnore;  // the warning stands in for the fix there
// call kGetCombatStyle
constexpr HookSite kCombatStyle{0x8368AA, 0x8368AF};
constexpr uint32_t kGetCombatStyle = 0x6E1500;

// What each option writes.
inline constexpr auto& kMissingNodeSites = kSitesOf<kMissingNode>;
inline constexpr auto& kMountNodeWarnSites = kSitesOf<kMountNode>;
inline constexpr auto& kIKCrashWarnSites = kSitesOf<kFootIK>;
inline constexpr auto& kNullLoadedNodeNotifySites = kSitesOf<kLoadedNode>;
inline constexpr auto& kWarnNullCombatStyleSites = kSitesOf<kCombatStyle>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyMissingNode();
ApplyStatus ApplyMountNodeWarn();
ApplyStatus ApplyIKCrashWarn();
ApplyStatus ApplyNullLoadedNodeNotify();
ApplyStatus ApplyWarnNullCombatStyle();
