// Shared by the string-count tests: the hooks' host addresses, a fixture
// that installs the option on a fresh host image, register checks, and
// drivers that push a value through a writing hook or bytes through a
// reading hook with a simulated stream.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "fixes/string_count_sites.h"
#include "sim/host_memory.h"
#include "sim/host_string_table.h"
#include "sim/runner.h"

namespace string_count_test {

// Where the host continues after each hook, and the other host paths the
// bodies take.
constexpr uint32_t kCountReadResume = host::kStringCount2.resume;       // hook 2
constexpr uint32_t kCountReadCheck = host::kStringCount3.site;        // hook 3's site, hook 2's failure path
constexpr uint32_t kTableFillResume = host::kStringCount3.resume;       // hook 3
constexpr uint32_t kEmptyTableRead = host::kEmptyTableRead;        // hook 3, count 0
constexpr uint32_t kCountWriteResume = host::kStringCount13.resume;      // hook 13
constexpr uint32_t kIndexReadResume = host::kStringCount18.resume;       // hook 18
constexpr uint32_t kIndexCheckResume = host::kStringCount20.resume;      // hook 20
constexpr uint32_t kIndexOutOfRange = host::kIndexOutOfRange;       // hook 20
constexpr uint32_t kSecondIndexReadResume = host::kStringCount21.resume; // hook 21
constexpr uint32_t kIndexWriteResume = host::kStringCount23.resume;      // hook 23

using Field = uint32_t sim::Registers::*;

using sim::AddressOf;

// Registers that no hook would produce by accident.
sim::Registers Seeded();

// Every general register not in `named` must be as it was at the site.
void ExpectUnchangedBut(const sim::Landing& landing, const sim::Registers& in, std::initializer_list<Field> named);

// Runs a hook and checks that it continues at `resume`, the named registers
// hold the given values, every other one is unchanged, and ESP moved by
// espDelta. Returns the landing for further checks.
struct Named {
  Field reg;
  uint32_t value;
};
sim::Landing ExpectHook(uint32_t site, uint32_t resume, const sim::Registers& in,
                        std::initializer_list<uint32_t> stack, std::initializer_list<Named> named,
                        int32_t espDelta = 0);

inline int32_t EspDelta(const sim::Landing& landing) {
  return static_cast<int32_t>(landing.regs.esp - landing.entryEsp);
}
inline bool Flag(const sim::Landing& landing, uint32_t flag) { return (landing.regs.eflags & flag) != 0; }

class StringCountTest : public testing::Test {
 protected:
  void SetUp() override;
};

struct Written {
  sim::Landing landing;
  std::vector<uint8_t> bytes;
};
// The host about to write the count at [ESP+0x10] to the stream in EDI.
Written WriteThroughHook13(uint32_t value);
// The host about to write the value at [ESP+4] to the stream in ECX.
Written WriteThroughHook23(uint32_t value);

struct Read {
  sim::Landing landing;
  uint32_t value;     // the count stored, or the slot after the read
  size_t unread;      // bytes the stream still holds
};
// The host has read the first two bytes into [ESP+0x0C], whose high word
// holds stale bits; the stream in EBX holds the rest. The value is the
// count hook 2 stores in the table.
Read ReadThroughHook2(const std::vector<uint8_t>& bytes, uint32_t staleCount = 0xC0C0C0C0);
// The host has pushed its two-byte read of the stream in ESI into a slot
// holding `stale`; the value is that slot after the hook.
Read ReadThroughHook18(const std::vector<uint8_t>& bytes, uint32_t stale = 0xDEADBEEF);
Read ReadThroughHook21(const std::vector<uint8_t>& bytes, uint32_t stale = 0xDEADBEEF);

}  // namespace string_count_test
