// Host sites of the second set of null and bad-reference guards.
#pragma once
#include <cstdint>

#include "patch/host_site.h"

namespace host {

constexpr HookSite kRenderSave{0xCB0516, 0xCB0520};
constexpr uint32_t kRenderSaveSkip = 0xCB055B;
constexpr HookSite kMoveControllerCast{0x76636B, 0x766374};
constexpr HookSite kSaveRenderCrash{0xCAF9F7, 0xCAFA01};
constexpr HookSite kNullLoadedNodeIgnore{0x4C119E, 0x4C11A5};
constexpr uint32_t kNullLoadedNodeIgnoreSkip = 0x4C11B5;
constexpr HookSite kNullActorBaseForm{0x690A69, 0x690A6F};
constexpr uint32_t kNullActorBaseFormSkip = 0x690A80;
constexpr HookSite kAVSetCrash1{0x6DE86A, 0x6DE870};
constexpr HookSite kAVSetCrash2{0x6DE873, 0x6DE879};
constexpr HookSite kAVSetCrash3{0x6DE87C, 0x6DE882};
constexpr HookSite kAVSetCrash4{0x6DE885, 0x6DE88B};
constexpr HookSite kAVSetCrash5{0x6F231E, 0x6F2323};
constexpr HookSite kNullPlayerNode{0x69B84B, 0x69B856};
constexpr uint32_t kNullPlayerNodeSkip = 0x69B874;
constexpr HookSite kNullBaseFormMove{0x4D9D06, 0x4D9D0D};
constexpr HookSite kNullRefNode{0x46CA00, 0x46CA06};
constexpr uint32_t kNullRefNodeSkip = 0x46CA53;
constexpr HookSite kNullOutfitEntry{0x561FF6, 0x561FFB};
constexpr uint32_t kNullOutfitEntrySkip = 0x562067;
constexpr HookSite kActorDeleteNullBase{0x6BAC9A, 0x6BACA1};
constexpr uint32_t kActorDeleteNullBaseSkip = 0x6BACAF;
constexpr HookSite kNullParentNode{0x5A8805, 0x5A880A};
constexpr uint32_t kNullParentNodeSkip = 0x5A885E;
constexpr HookSite kSarnothSpecific1{0xEBC0A6, 0xEBC0AC};
constexpr HookSite kSarnothSpecific2{0xECD92E, 0xECD934};

// What each option writes.
inline constexpr auto& kRenderSaveSites = kSitesOf<kRenderSave>;
inline constexpr auto& kMoveControllerCastSites = kSitesOf<kMoveControllerCast>;
inline constexpr auto& kSaveRenderCrashSites = kSitesOf<kSaveRenderCrash>;
inline constexpr auto& kNullLoadedNodeIgnoreSites = kSitesOf<kNullLoadedNodeIgnore>;
inline constexpr auto& kNullActorBaseFormSites = kSitesOf<kNullActorBaseForm>;
inline constexpr auto& kNullPlayerNodeSites = kSitesOf<kNullPlayerNode>;
inline constexpr auto& kNullBaseFormMoveSites = kSitesOf<kNullBaseFormMove>;
inline constexpr auto& kNullRefNodeSites = kSitesOf<kNullRefNode>;
inline constexpr auto& kNullOutfitEntrySites = kSitesOf<kNullOutfitEntry>;
inline constexpr auto& kActorDeleteNullBaseSites = kSitesOf<kActorDeleteNullBase>;
inline constexpr auto& kNullParentNodeSites = kSitesOf<kNullParentNode>;
inline constexpr auto& kAVSetCrashSites = kSitesOf<kAVSetCrash1, kAVSetCrash2, kAVSetCrash3, kAVSetCrash4, kAVSetCrash5>;
inline constexpr auto& kSarnothSpecificSites = kSitesOf<kSarnothSpecific1, kSarnothSpecific2>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
bool ApplyRenderSave();
bool ApplyMoveControllerCast();
bool ApplySaveRenderCrash();
bool ApplyNullLoadedNodeIgnore();
bool ApplyNullActorBaseForm();
bool ApplyAVSetCrash();
bool ApplyNullPlayerNode();
bool ApplyNullBaseFormMove();
bool ApplyNullRefNode();
bool ApplyNullOutfitEntry();
bool ApplyActorDeleteNullBase();
bool ApplyNullParentNode();
bool ApplySarnothSpecific();
