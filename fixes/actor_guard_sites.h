// Host sites of the guards on actors: their base forms, outfits, actor
// values, movement, behaviour graphs, detection data and magic effects.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr HookSite kNullSeenData{0x4C6031, 0x4C6038};
constexpr uint32_t kSeenDataConstruct = 0x6A02A0;  // thiscall (0, 0), callee cleans
constexpr HookSite kBhvGraphUpdateLoad{0xC27A8B, 0xC27A92};
constexpr HookSite kMovementPlannerAgentWarp{0x76E358, 0x76E365};
constexpr HookSite kMoveControllerCast{0x76636B, 0x766374};
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
constexpr HookSite kNullActorBaseForm{0x690A69, 0x690A6F};
constexpr uint32_t kNullActorBaseFormSkip = 0x690A80;
constexpr HookSite kAVSetCrash1{0x6DE86A, 0x6DE870};
constexpr HookSite kAVSetCrash2{0x6DE873, 0x6DE879};
constexpr HookSite kAVSetCrash3{0x6DE87C, 0x6DE882};
constexpr HookSite kAVSetCrash4{0x6DE885, 0x6DE88B};
constexpr HookSite kAVSetCrash5{0x6F231E, 0x6F2323};
constexpr HookSite kNullBaseFormMove{0x4D9D06, 0x4D9D0D};
constexpr HookSite kNullOutfitEntry{0x561FF6, 0x561FFB};
constexpr uint32_t kNullOutfitEntrySkip = 0x562067;
constexpr HookSite kActorDeleteNullBase{0x6BAC9A, 0x6BACA1};
constexpr uint32_t kActorDeleteNullBaseSkip = 0x6BACAF;

// What each option writes.
inline constexpr auto& kNullSeenDataSites = kSitesOf<kNullSeenData>;
inline constexpr auto& kBhvGraphUpdateLoadSites = kSitesOf<kBhvGraphUpdateLoad>;
inline constexpr auto& kMovementPlannerAgentWarpSites = kSitesOf<kMovementPlannerAgentWarp>;
inline constexpr auto& kMoveControllerCastSites = kSitesOf<kMoveControllerCast>;
inline constexpr auto& kGetMainMagicEffectSites =
    kSitesOf<kMainMagicEffect1, kMainMagicEffect2, kMainMagicEffect3, kMainMagicEffect4, kMainMagicEffect5>;
inline constexpr auto& kNullActorBaseFormSites = kSitesOf<kNullActorBaseForm>;
inline constexpr auto& kAVSetCrashSites = kSitesOf<kAVSetCrash1, kAVSetCrash2, kAVSetCrash3, kAVSetCrash4, kAVSetCrash5>;
inline constexpr auto& kNullBaseFormMoveSites = kSitesOf<kNullBaseFormMove>;
inline constexpr auto& kNullOutfitEntrySites = kSitesOf<kNullOutfitEntry>;
inline constexpr auto& kActorDeleteNullBaseSites = kSitesOf<kActorDeleteNullBase>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyNullSeenData();
ApplyStatus ApplyBhvGraphUpdateLoad();
ApplyStatus ApplyMovementPlannerAgentWarp();
ApplyStatus ApplyMoveControllerCast();
ApplyStatus ApplyGetMainMagicEffect();
ApplyStatus ApplyNullActorBaseForm();
ApplyStatus ApplyAVSetCrash();
ApplyStatus ApplyNullBaseFormMove();
ApplyStatus ApplyNullOutfitEntry();
ApplyStatus ApplyActorDeleteNullBase();
