// Host sites of the effect-list locking: entry and exit of each routine that walks a list.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr uint32_t kEffectListOwnerTable = 0x10CFC20;
constexpr HookSite kEffectListAEntry{0x664476, 0x66447C};
constexpr HookSite kEffectListAExit{0x664620, 0x664625};
constexpr HookSite kEffectListBEntry{0x663410, 0x663415};
constexpr HookSite kEffectListBExit{0x66344E, 0x663453};
constexpr HookSite kEffectListBFrameByte{0x663434, 0x663435};
constexpr HookSite kEffectListCEntry{0x663953, 0x663958};
constexpr HookSite kEffectListCExit{0x663A19, 0x663A1E};
constexpr HookSite kEffectListDEntry{0x66435B, 0x664361};
constexpr HookSite kEffectListDExit1{0x664442, 0x664447};
constexpr HookSite kEffectListDExit2{0x664458, 0x66445D};
constexpr HookSite kEffectListEEntry{0x6673FA, 0x6673FF};
constexpr HookSite kEffectListEExit1{0x667564, 0x66756A};
constexpr HookSite kEffectListEExit2{0x667590, 0x667596};
constexpr HookSite kEffectListFEntry{0x663FE0, 0x663FE5};
constexpr HookSite kEffectListFExit{0x664056, 0x66405B};
constexpr HookSite kEffectListFFrameByte1{0x663FF2, 0x663FF3};
constexpr HookSite kEffectListFFrameByte2{0x664030, 0x664031};
constexpr HookSite kEffectListGEntry{0x662E80, 0x662E85};
constexpr HookSite kEffectListGExit{0x662EBE, 0x662EC5};
constexpr HookSite kEffectListGFrameByte{0x662E95, 0x662E96};
constexpr HookSite kEffectListHEntry{0x663260, 0x663265};
constexpr HookSite kEffectListHExit{0x66329D, 0x6632A2};
constexpr HookSite kEffectListHFrameByte{0x663272, 0x663273};
constexpr HookSite kEffectListIEntry{0x667381, 0x667386};
constexpr HookSite kEffectListIExit{0x6673D0, 0x6673D5};
constexpr uint32_t kEffectListIExitTarget = 0x66FE30;

// What each option writes.
// In the order of installation: every entry with its exits and frame bytes.
inline constexpr auto& kFixUnsafeEffectListSites = kSitesOf<
    kEffectListAEntry, kEffectListAExit, kEffectListBEntry, kEffectListBExit, kEffectListBFrameByte,
    kEffectListCEntry, kEffectListCExit, kEffectListDEntry, kEffectListDExit1, kEffectListDExit2,
    kEffectListEEntry, kEffectListEExit1, kEffectListEExit2, kEffectListFEntry, kEffectListFExit,
    kEffectListFFrameByte1, kEffectListFFrameByte2, kEffectListGEntry, kEffectListGExit, kEffectListGFrameByte,
    kEffectListHEntry, kEffectListHExit, kEffectListHFrameByte, kEffectListIEntry, kEffectListIExit>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyFixUnsafeEffectList();
