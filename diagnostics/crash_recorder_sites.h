// Host addresses the crash recorder patches or knows.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

constexpr HookSite kSetFilterImportSlot{0x106B0A4, 0x106B0A8};
constexpr uint32_t kIgnoredFaultAddress = 0x55E05F;  // a fault the host survives on its own

// What each option writes.
inline constexpr auto& kRecordCrashInfoSites = kSitesOf<kSetFilterImportSlot>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyRecordCrashInfo();
