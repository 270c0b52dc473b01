// Every option's apply function, each declared in its area's sites header
// beside the spans it writes: one include for the option table and tests.
#pragma once

#include "diagnostics/config_check_sites.h"
#include "diagnostics/crash_recorder_sites.h"
#include "diagnostics/debug_stream_sites.h"
#include "diagnostics/freeze_report_sites.h"
#include "diagnostics/texture_warning_sites.h"
#include "diagnostics/timer_sites.h"
#include "diagnostics/warning_sites.h"
#include "fixes/actor_guard_sites.h"
#include "fixes/effect_list_sites.h"
#include "fixes/lookup_guard_sites.h"
#include "fixes/scene_node_guard_sites.h"
#include "fixes/string_count_sites.h"
#include "fixes/string_sites.h"
#include "memory/array_allocator_sites.h"
#include "memory/heap_sites.h"
#include "memory/movaps_sites.h"
#include "memory/usage_report_sites.h"
