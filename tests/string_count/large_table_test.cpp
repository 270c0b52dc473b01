// A table past 65,535 entries written to a stream and read back along the
// table reader's hooks, driven hook by hook as far as the simulator can: the
// count must come through whole at every step, and the reader's loops must
// run past the point where a 16-bit count would have ended them.
#include <gtest/gtest.h>

#include <vector>

#include "fixes/string_count_sites.h"
#include "sim/host_string_table.h"
#include "sim/runner.h"
#include "tests/string_count/string_count_fixture.h"

namespace string_count_test {
namespace {

using R = sim::Registers;
constexpr uint32_t kEntries = 70000;

class LargeTable : public StringCountTest {};

TEST_F(LargeTable, KeepsItsCountThroughAWriteAndTheReadersPath) {
  sim::StringTableWithEntries source(kEntries);
  sim::HostStream stream;

  // Writing: hook 12 loads the count, hook 13 writes it from its slot.
  R in = Seeded();
  in.eax = source.Address();
  const sim::Landing load = sim::RunHost(host::kStringCount12.site, in);
  ASSERT_EQ(load.regs.ecx, kEntries);
  in = Seeded();
  in.edi = stream.Address();
  ASSERT_EQ(sim::RunHost(host::kStringCount13.site, in, {0, 0, 0, 0, load.regs.ecx}).address, kCountWriteResume);
  ASSERT_EQ(stream.written.size(), 6u);

  // Reading into a fresh table: the host has taken the first two bytes.
  sim::HostStringTable target;
  const uint32_t firstWord = stream.written[0] | stream.written[1] << 8;
  stream.Feed(std::vector<uint8_t>(stream.written.begin() + 2, stream.written.end()));
  in = Seeded();
  in.ebx = stream.Address();
  in.esi = AddressOf(&target);
  const sim::Landing count = sim::RunHost(host::kStringCount2.site, in, {0, 0, 0, firstWord});
  ASSERT_EQ(count.address, kCountReadResume);
  EXPECT_EQ(target.count, kEntries);

  // The host's test of the read succeeded: hook 3 goes on to fill the table.
  in.eflags = sim::kZeroFlag;
  const sim::Landing check = sim::RunHost(host::kStringCount3.site, in, {0, 0, 0, 0, 0, 0, 0x0C0C0C0C});
  EXPECT_EQ(check.address, kTableFillResume);
  EXPECT_EQ(check.regs.eax, kEntries);
  EXPECT_EQ(check.Stack(2) >> 8 & 0xFF, 1u);

  std::vector<uint32_t> entries(kEntries);
  in.eax = AddressOf(entries.data());
  in.ecx = 0;
  const sim::Landing array = sim::RunHost(host::kStringCount4.site, in);
  EXPECT_EQ(target.entries, AddressOf(entries.data()));
  EXPECT_TRUE(Flag(array, sim::kCarryFlag));

  // The fill loop (hooks 5 and 6) around the 16-bit boundary and at its end.
  for (uint32_t index : {0u, 0xFFFEu, 0xFFFFu, 0x10000u, kEntries - 1}) {
    SCOPED_TRACE(index);
    in.edi = index;
    const sim::Landing slot = sim::RunHost(host::kStringCount5.site, in);
    EXPECT_EQ(slot.regs.ebp, AddressOf(&entries[index]));
    const sim::Landing next = sim::RunHost(host::kStringCount6.site, in);
    const bool last = index == kEntries - 1;
    EXPECT_EQ(Flag(next, sim::kZeroFlag), last);
    EXPECT_EQ(Flag(next, sim::kCarryFlag), !last);
    EXPECT_EQ(target.count, kEntries);
  }

  // The second pass (hooks 7 to 11) counts EBP up to the same count.
  in.eax = 0x0E470000;
  EXPECT_EQ(sim::RunHost(host::kStringCount7.site, in).regs.ecx, kEntries);
  for (uint32_t index : {0x10000u, kEntries}) {
    in.ebp = index;
    const sim::Landing pass = sim::RunHost(host::kStringCount10.site, in, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(pass.Stack(9), index);
    EXPECT_EQ(Flag(pass, sim::kZeroFlag), index == kEntries);
    EXPECT_EQ(sim::RunHost(host::kStringCount11.site, in, {0, 0, 0, 0, 0, 0, 0, 0, 0, index}).regs.eax, index);
  }
  EXPECT_EQ(target.count, kEntries);
  EXPECT_EQ(target.entries, AddressOf(entries.data()));
}

}  // namespace
}  // namespace string_count_test
