// Host sites of the array allocator.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr HookSite kArrayAllocate{0xA49530, 0xA49535};
constexpr HookSite kArrayRelease{0xA495F0, 0xA495F6};
constexpr HookSite kArrayZeroRoutineA{0xA48890, 0xA48896};
constexpr HookSite kArrayZeroRoutineB{0xA49450, 0xA49455};
constexpr HookSite kArrayEmptyRoutine{0xA49800, 0xA49807};
constexpr HookSite kArrayEmptyRoutineWithArguments{0xA49770, 0xA49776};
constexpr HookSite kArraySkip{0xA4893C, 0xA48942};
constexpr uint32_t kArraySkipTarget = 0xA48959;
// Host bookkeeping instructions that become NOPs.
constexpr HookSite kArrayBookkeeping1{0xA49150, 0xA49153};
constexpr HookSite kArrayBookkeeping2{0xA49510, 0xA49523};
constexpr HookSite kArrayBookkeeping3{0xA48AC0, 0xA48AC5};
constexpr HookSite kArrayBookkeeping4{0xA49673, 0xA49679};
inline constexpr auto& kArrayNopFills = kSitesOf<kArrayBookkeeping1, kArrayBookkeeping2, kArrayBookkeeping3, kArrayBookkeeping4>;

// What each option writes.
inline constexpr auto& kOverwriteArrayAllocatorSites =
    kSitesOf<kArrayAllocate, kArrayRelease, kArrayBookkeeping1, kArrayBookkeeping2, kArrayBookkeeping3,
             kArrayBookkeeping4, kArrayZeroRoutineA, kArrayZeroRoutineB, kArrayEmptyRoutine,
             kArrayEmptyRoutineWithArguments, kArraySkip>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyOverwriteArrayAllocator();
