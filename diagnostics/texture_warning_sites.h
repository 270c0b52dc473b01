// Host sites where a texture fails to load.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

// add esp, 0x18; ret 0x30 (both sites)
constexpr HookSite kTextureReturn{0xC9170E, 0xC91714};
constexpr HookSite kTextureOtherReturn{0xC91724, 0xC9172A};

// What each option writes.
inline constexpr auto& kWarnTextureFailureSites = kSitesOf<kTextureReturn, kTextureOtherReturn>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyWarnTextureFailure();
