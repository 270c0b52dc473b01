// Host sites where the string table keeps 16-bit counts and indices, by group.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

// Group 1: reading the table from a stream.
constexpr HookSite kStringTableLoadCountStore{0xC3FF10, 0xC3FF16};
constexpr HookSite kStringTableLoadCountRead{0xC3FF28, 0xC3FF31};
constexpr HookSite kStringTableLoadCountTest{0xC3FF48, 0xC3FF69};  // where the host tests the count read's result
constexpr uint32_t kEmptyTableRead = 0xC40146;
constexpr HookSite kStringTableLoadCountCompare{0xC3FF7A, 0xC3FF81};
constexpr HookSite kStringTableLoadEntryIndex{0xC3FF86, 0xC3FF8C};
constexpr HookSite kStringTableLoadNextIndex{0xC3FFC8, 0xC3FFCD};
constexpr HookSite kStringTableLoadCountFetch{0xC40004, 0xC4000A};
constexpr HookSite kStringTableLoadIndexFetch{0xC400D8, 0xC400DD};
constexpr HookSite kStringTableLoadIndexCopy{0xC400F6, 0xC400FB};
constexpr HookSite kStringTableLoadIndexStore{0xC4010E, 0xC40116};
constexpr HookSite kStringTableLoadIndexReload{0xC4012A, 0xC4012F};
constexpr uint32_t kStringTableHeap = 0x110D124;  // host global handed on in EDX
// Group 2: writing the table to a stream.
constexpr HookSite kStringTableSaveCountFetch{0xC403B9, 0xC403BE};
constexpr HookSite kStringTableSaveCountWrite{0xC403E3, 0xC403F3};
// Group 3: a walk over the table.
constexpr HookSite kStringTableWalkFirstCompare{0xC3FC10, 0xC3FC16};
constexpr HookSite kStringTableWalkIndexCopy{0xC3FC20, 0xC3FC26};
constexpr HookSite kStringTableWalkNextIndex{0xC3FC2E, 0xC3FC33};
constexpr HookSite kStringTableWalkCountStore{0xC3FC5E, 0xC3FC63};
// Group 4: reading an index.
constexpr HookSite kStringTableIndexRead{0xC40168, 0xC40170};
constexpr HookSite kStringTableIndexFetch{0xC40172, 0xC40177};
constexpr HookSite kStringTableIndexRangeCheck{0xC40192, 0xC401A0};
constexpr uint32_t kIndexOutOfRange = 0xC401E3;
// Group 5: another index read.
constexpr HookSite kStringTableOtherIndexRead{0xC402A4, 0xC402AA};
// Group 6: writing an index.
constexpr HookSite kStringTableIndexWriteFetch{0xC40758, 0xC4075D};
constexpr HookSite kStringTableIndexWrite{0xC4077E, 0xC4078C};
// Group 7: copies of 32-bit values and loads of the count.
constexpr HookSite kStringTableCopyToSlot{0xC41A56, 0xC41A61};
constexpr HookSite kStringTableCopyCountFetch{0xC40983, 0xC40988};
constexpr HookSite kStringTableCopyToField{0xC41B8B, 0xC41B92};
constexpr HookSite kStringTableCopyToFieldAndPop{0xC41C0C, 0xC41C15};
constexpr HookSite kStringTableCopyToFieldFromSlot{0xC41AD9, 0xC41AE4};
constexpr HookSite kStringTableCountAndAddressFetch{0xC40ED5, 0xC40EDC};

// What each option writes.
inline constexpr auto& kStringCount32Sites = kSitesOf<
    kStringTableLoadCountStore, kStringTableLoadCountRead, kStringTableLoadCountTest, kStringTableLoadCountCompare,
    kStringTableLoadEntryIndex, kStringTableLoadNextIndex, kStringTableLoadCountFetch, kStringTableLoadIndexFetch,
    kStringTableLoadIndexCopy, kStringTableLoadIndexStore, kStringTableLoadIndexReload, kStringTableSaveCountFetch,
    kStringTableSaveCountWrite, kStringTableWalkFirstCompare, kStringTableWalkIndexCopy, kStringTableWalkNextIndex,
    kStringTableWalkCountStore, kStringTableIndexRead, kStringTableIndexFetch, kStringTableIndexRangeCheck,
    kStringTableOtherIndexRead, kStringTableIndexWriteFetch, kStringTableIndexWrite, kStringTableCopyToSlot,
    kStringTableCopyCountFetch, kStringTableCopyToField, kStringTableCopyToFieldAndPop,
    kStringTableCopyToFieldFromSlot, kStringTableCountAndAddressFetch>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyStringCount32();
