// Host things the configuration checks and the timers meet: the heap object
// whose size tells whether the loader enlarged it, the host's own message
// function, three multithreading settings, the tick-count import, and the
// timer object's globals.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "diagnostics/config_check_sites.h"
#include "diagnostics/timer_sites.h"

namespace sim {

// kHeapCheck2Global: read by the second heap-check site
// kTicksPerMs and kTimeMultiplier hold floats, kMaxFrameMs an int32.

// Creates the host's heap object with this size and publishes its pointer;
// until then the pointer is null.
void SetHostHeapSize(uint32_t bytes);

struct HostMessageCall {
  uint32_t first, second, third;
  uint32_t textPointerAddress;  // the fourth argument as passed
  std::string text;             // what it led to
};
std::vector<HostMessageCall> HostMessageCalls();

// What the host's tick-count import pointed at before any patch.
uint32_t HostTickCountFunction();
uint32_t HostTickCountCalls();

// Values the host's start-up gives its timer globals in the simulator.
constexpr int32_t kDefaultMaxFrameMs = 1000;
float DefaultTicksPerMs();  // the machine's counter frequency per millisecond

}  // namespace sim
