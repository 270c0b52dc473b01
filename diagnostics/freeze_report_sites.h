// The freeze watchdog's host site: the main loop, whose frames are its
// heartbeat.
#pragma once

#include "core/apply_status.h"
#include "patch/frame_sites.h"
#include "patch/host_site.h"

namespace host {

// What the option writes: the main-loop hook it shares with the other
// per-frame options.
inline constexpr auto& kFreezeReportSecondsSites = kSitesOf<kMainLoop>;

}  // namespace host

// The apply function of FreezeReportSeconds, a row of the option table.
ApplyStatus ApplyFreezeReportSeconds();
