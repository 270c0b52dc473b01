// Host sites where files are opened and read.
#pragma once
#include <cstdint>

#include "core/apply_status.h"
#include "patch/host_site.h"

namespace host {

// call kOpenFile
constexpr HookSite kDebugStreamOpenFile{0xA58898, 0xA5889D};
constexpr uint32_t kOpenFile = 0xA58490;
// call kStreamRead
constexpr HookSite kDebugStreamStreamRead{0xAF52B1, 0xAF52B6};
constexpr uint32_t kStreamRead = 0xAFDF40;  // thiscall (stream, two words); callee cleans
// mov eax, [edi+4]; add edi, 4
constexpr HookSite kDebugStreamStringSet{0xA50A3D, 0xA50A43};

// What each option writes.
inline constexpr auto& kDebugStreamSites = kSitesOf<kDebugStreamOpenFile, kDebugStreamStreamRead, kDebugStreamStringSet>;

}  // namespace host

// The apply functions of the options above, rows of the option table.
ApplyStatus ApplyDebugStream();
