// Host sites of the guards in the renderer and the scene graph: nodes that
// are missing, not loaded, or already freed when the game reaches them.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr HookSite kRender650{0xCEC5EC, 0xCEC5F2};
constexpr uint32_t kRender650Use = 0xCEC5F8;
constexpr HookSite kShadowNode{0xC7A3CD, 0xC7A3D6};
constexpr uint32_t kShadowNodeSkip = 0xC7A404;
constexpr HookSite kMountNodeCrash{0x6E7F85, 0x6E7F91};
constexpr HookSite kRenderSave{0xCB0516, 0xCB0520};
constexpr uint32_t kRenderSaveSkip = 0xCB055B;
constexpr HookSite kSaveRenderCrash{0xCAF9F7, 0xCAFA01};
constexpr HookSite kNullLoadedNodeIgnore{0x4C119E, 0x4C11A5};
constexpr uint32_t kNullLoadedNodeIgnoreSkip = 0x4C11B5;
constexpr HookSite kNullPlayerNode{0x69B84B, 0x69B856};
constexpr uint32_t kNullPlayerNodeSkip = 0x69B874;
constexpr HookSite kNullRefNode{0x46CA00, 0x46CA06};
constexpr uint32_t kNullRefNodeSkip = 0x46CA53;
constexpr HookSite kNullParentNode{0x5A8805, 0x5A880A};
constexpr uint32_t kNullParentNodeSkip = 0x5A885E;

// What each option writes.
inline constexpr auto& kRender650Sites = kSitesOf<kRender650>;
inline constexpr auto& kShadowNodeSites = kSitesOf<kShadowNode>;
inline constexpr auto& kMountNodeCrashSites = kSitesOf<kMountNodeCrash>;
inline constexpr auto& kRenderSaveSites = kSitesOf<kRenderSave>;
inline constexpr auto& kSaveRenderCrashSites = kSitesOf<kSaveRenderCrash>;
inline constexpr auto& kNullLoadedNodeIgnoreSites = kSitesOf<kNullLoadedNodeIgnore>;
inline constexpr auto& kNullPlayerNodeSites = kSitesOf<kNullPlayerNode>;
inline constexpr auto& kNullRefNodeSites = kSitesOf<kNullRefNode>;
inline constexpr auto& kNullParentNodeSites = kSitesOf<kNullParentNode>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyRender650();
ApplyStatus ApplyShadowNode();
ApplyStatus ApplyMountNodeCrash();
ApplyStatus ApplyRenderSave();
ApplyStatus ApplySaveRenderCrash();
ApplyStatus ApplyNullLoadedNodeIgnore();
ApplyStatus ApplyNullPlayerNode();
ApplyStatus ApplyNullRefNode();
ApplyStatus ApplyNullParentNode();
