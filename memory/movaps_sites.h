// The second opcode byte of each host movaps that may meet an unaligned heap
// object; the options turn each into a movups.
#pragma once
#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

// 0F 29 ..  movaps store: its second byte becomes 11 (movups store)
constexpr HookSite kManualStoreOpcode{0x4BD833, 0x4BD834};  // movaps store at 0x4BD832
// Stores and loads of the stretch routine.
// 0F 29 ..  movaps stores, then 0F 28 ..  movaps loads: second bytes become 11 and 10 (movups)
constexpr HookSite kStretchStore1{0xDDB0B3, 0xDDB0B4};
constexpr HookSite kStretchStore2{0xDDB0BD, 0xDDB0BE};
constexpr HookSite kStretchStore3{0xDDB108, 0xDDB109};
constexpr HookSite kStretchStore4{0xDDB111, 0xDDB112};
constexpr HookSite kStretchStore5{0xDDB11C, 0xDDB11D};
constexpr HookSite kStretchLoad1{0xDDB0BA, 0xDDB0BB};
constexpr HookSite kStretchLoad2{0xDDB0C4, 0xDDB0C5};
constexpr HookSite kStretchLoad3{0xDDB0CF, 0xDDB0D0};
constexpr HookSite kStretchLoad4{0xDDB0D7, 0xDDB0D8};
constexpr HookSite kStretchLoad5{0xDDB0F8, 0xDDB0F9};
constexpr HookSite kStretchLoad6{0xDDB0FF, 0xDDB100};
constexpr HookSite kStretchLoad7{0xDDB115, 0xDDB116};
inline constexpr auto& kStretchStoreOpcodes =
    kSitesOf<kStretchStore1, kStretchStore2, kStretchStore3, kStretchStore4, kStretchStore5>;
inline constexpr auto& kStretchLoadOpcodes = kSitesOf<kStretchLoad1, kStretchLoad2, kStretchLoad3, kStretchLoad4,
                                               kStretchLoad5, kStretchLoad6, kStretchLoad7>;

// What each option writes.
inline constexpr auto& kFixMovApsManuallyIfAlignedAllocateIsDisabledSites = kSitesOf<kManualStoreOpcode>;
inline constexpr auto& kUnallocatedMovapsSites =
    kSitesOf<kStretchStore1, kStretchStore2, kStretchStore3, kStretchStore4, kStretchStore5, kStretchLoad1,
             kStretchLoad2, kStretchLoad3, kStretchLoad4, kStretchLoad5, kStretchLoad6, kStretchLoad7>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled();
ApplyStatus ApplyUnallocatedMovaps();
