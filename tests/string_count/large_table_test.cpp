// A table past 65,535 entries written to a stream and read back along the
// table reader's hooks, driven hook by hook as far as the simulator can: the
// count must come through whole at every step, and the reader's loops must
// run past the point where a 16-bit count would have ended them.
#include <gtest/gtest.h>

#include <vector>

#include "sim/host_string_table.h"
#include "tests/string_count/string_count_fixture.h"

namespace string_count_test {
namespace {

constexpr uint32_t kEntries = 70000;

class LargeTable : public StringCountTest {};

TEST_F(LargeTable, KeepsItsCountThroughAWriteAndTheReadersPath) {
  sim::StringTableWithEntries source(kEntries);
  sim::HostStream stream;

  // Writing: the save's count fetch loads the count, its count write writes it from its slot; the
  // stream calls may change ECX and EDX, and the last write answers 4.
  R in = With(kIn, {{&R::eax, source.Address()}});
  const sim::Landing load = ExpectHook(kStringTableSaveCountFetch.site, in, {},
                                       {kStringTableSaveCountFetch.resume, With(in, {{&R::ecx, kEntries}}), -4});
  in = With(kIn, {{&R::edi, stream.Address()}});
  const sim::Landing write = sim::RunHost(kStringTableSaveCountWrite.site, in, {0, 0, 0, 0, load.regs.ecx});
  ExpectLanded(write, kStringTableSaveCountWrite.resume,
               With(in, {{&R::eax, 4}, {&R::ecx, write.regs.ecx}, {&R::edx, write.regs.edx}}), 0, false);
  ASSERT_EQ(stream.written.size(), 6u);

  // Reading into a fresh table: the host has taken the first two bytes.
  sim::HostStringTable target;
  const uint32_t firstWord = stream.written[0] | stream.written[1] << 8;
  stream.Feed(std::vector<uint8_t>(stream.written.begin() + 2, stream.written.end()));
  in = With(kIn, {{&R::ebx, stream.Address()}, {&R::esi, AddressOf(&target)}});
  const sim::Landing count = sim::RunHost(kStringTableLoadCountRead.site, in, {0, 0, 0, firstWord});
  ExpectLanded(count, kStringTableLoadCountRead.resume,
               With(in, {{&R::eax, 0}, {&R::ecx, count.regs.ecx}, {&R::edx, count.regs.edx}}), 0, false);
  EXPECT_EQ(target.count, kEntries);

  // The host's test of the read succeeded: the count test goes on to fill the table.
  in.eflags = sim::kZeroFlag;
  const R filling = With(in, {{&R::eax, kEntries}, {&R::ecx, 0x0C0C0C0C}, {&R::edx, sim::kStringTableHeapObject}});
  const sim::Landing check = ExpectHook(kStringTableLoadCountTest.site, in, {0, 0, 0, 0, 0, 0, 0x0C0C0C0C},
                                        {kStringTableLoadCountTest.resume, filling});
  EXPECT_EQ(check.Stack(2) >> 8 & 0xFF, 1u);

  std::vector<uint32_t> entries(kEntries);
  in = With(in, {{&R::eax, AddressOf(entries.data())}, {&R::ecx, 0}});
  EXPECT_TRUE(Flag(ExpectHook(kStringTableLoadCountCompare.site, in, {}, {kStringTableLoadCountCompare.resume, in}),
                   sim::kCarryFlag));
  EXPECT_EQ(target.entries, AddressOf(entries.data()));

  // The fill loop (entry index, next index) around the 16-bit boundary and at its end.
  for (uint32_t index : {0u, 0xFFFEu, 0xFFFFu, 0x10000u, kEntries - 1}) {
    SCOPED_TRACE(index);
    in.edi = index;
    ExpectHook(
        kStringTableLoadEntryIndex.site, in, {},
        {kStringTableLoadEntryIndex.resume, With(in, {{&R::edx, index}, {&R::ebp, AddressOf(&entries[index])}})});
    const sim::Landing next = ExpectHook(kStringTableLoadNextIndex.site, in, {},
                                         {kStringTableLoadNextIndex.resume, With(in, {{&R::edi, index + 1}})});
    const bool last = index == kEntries - 1;
    EXPECT_EQ(Flag(next, sim::kZeroFlag), last);
    EXPECT_EQ(Flag(next, sim::kCarryFlag), !last);
    EXPECT_EQ(target.count, kEntries);
  }

  // The second pass (count fetch to index reload) counts EBP up to the same count.
  in.eax = 0x0E470000;
  ExpectHook(kStringTableLoadCountFetch.site, in, {},
             {kStringTableLoadCountFetch.resume, With(in, {{&R::ecx, kEntries}, {&R::edi, in.eax}})});
  for (uint32_t index : {0x10000u, kEntries}) {
    in.ebp = index;
    const sim::Landing pass = ExpectHook(kStringTableLoadIndexStore.site, in, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                         {kStringTableLoadIndexStore.resume, in});
    EXPECT_EQ(pass.Stack(9), index);
    EXPECT_EQ(Flag(pass, sim::kZeroFlag), index == kEntries);
    ExpectHook(kStringTableLoadIndexReload.site, in, {0, 0, 0, 0, 0, 0, 0, 0, 0, index},
               {kStringTableLoadIndexReload.resume, With(in, {{&R::eax, index}})});
  }
  EXPECT_EQ(target.count, kEntries);
  EXPECT_EQ(target.entries, AddressOf(entries.data()));
}

}  // namespace
}  // namespace string_count_test
