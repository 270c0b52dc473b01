// Host things the configuration checks and the timers meet: the heap object
// whose size tells whether the loader enlarged it, the host's own message
// function, three multithreading settings, the tick-count import, and the
// timer object's globals.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

constexpr uint32_t kHostHeapPointer = 0x1B418C8;
constexpr uint32_t kHostMessageFunction = 0x8EE530;
constexpr uint32_t kHeapCheckGlobal = 0x1B3FC98;      // read by the second heap-check site
constexpr uint32_t kMultithreadingSettings[] = {0x12772AC, 0x1240DDC, 0x12CA46C};
constexpr uint32_t kTickCountImportSlot = 0x106B144;
constexpr uint32_t kTicksPerMs = 0x1B4ADC8;            // float
constexpr uint32_t kMaxFrameMs = 0x1B4ADCC;            // int32
constexpr uint32_t kTimeMultiplier = 0x12C2410;        // float

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
