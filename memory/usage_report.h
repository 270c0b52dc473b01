// How full the MemoryBlock pools are: the per-frame sampling of each pool's
// highest usage, and the console report behind the host's call at kUsageReport.
#pragma once
#include <cstdint>

struct MemoryBlock;

// Set by MemoryInfoConsole; until then the frame update samples nothing.
extern bool g_trackHighestUsage;

// The share of the pool's slots that are handed out, in percent; slots
// cached by threads count as free, so the report and the sampling first give
// back the caches of threads that ended without their exit notification. Approximate while threads run: see the
// definition for how far off it can be.
float PoolUsagePercent(const MemoryBlock& pool);

// One console line per pool, only when the host routine answered 0.
void MemoryUsageReport(uint8_t hostResult);

// Raises each pool's highest usage to its current usage; called once a frame.
void SampleHighestUsage();
