// The stream form through the hooks that write it (13, 23) and read it
// (2, 18, 21), with the stream calls each hook makes and the registers it
// hands back.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/apply.h"
#include "sim/host_memory.h"
#include "sim/host_string_table.h"
#include "sim/runner.h"
#include "tests/string_count/string_count_fixture.h"

namespace string_count_test {
namespace {

using R = sim::Registers;
using Bytes = std::vector<uint8_t>;

Bytes FourBytes(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
Bytes Extended(uint32_t v) {
  Bytes bytes{0xFF, 0xFF};
  const Bytes value = FourBytes(v);
  bytes.insert(bytes.end(), value.begin(), value.end());
  return bytes;
}

class StreamForm : public StringCountTest {};

TEST_F(StreamForm, BothWritersKeepTheHostsTwoBytesUpTo0xFFF0AndExtendAbove) {
  const struct {
    uint32_t value;
    Bytes bytes;
  } cases[] = {
      {0, {0x00, 0x00}},
      {1, {0x01, 0x00}},
      {0x1234, {0x34, 0x12}},
      {0xFFF0, {0xF0, 0xFF}},
      {0xFFF1, {0xFF, 0xFF, 0xF1, 0xFF, 0x00, 0x00}},
      {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
      {0x7FFFFFFF, Extended(0x7FFFFFFF)},
      // Values with the top bit set are not cut to their low word, and
      // 0xFFFFFFFF is not written as a bare marker.
      {0x80000000, Extended(0x80000000)},
      {0xFFFFFFFF, Extended(0xFFFFFFFF)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.value);
    EXPECT_EQ(WriteThroughHook13(c.value).bytes, c.bytes);
    EXPECT_EQ(WriteThroughHook23(c.value).bytes, c.bytes);
  }
}

// Every write goes to the stream's slot 5 with ECX = the stream; the count
// itself is written from its own slot, and the host sees the last result.
TEST_F(StreamForm, WritersCallSlotFiveAndLeaveTheHostsRegistersAndStack) {
  struct Writer {
    Written (*write)(uint32_t);
    uint32_t resume;
    int slotWord;
    Field stream;
  };
  for (const Writer& w : {Writer{&WriteThroughHook13, kCountWriteResume, 4, &R::edi},
                          Writer{&WriteThroughHook23, kIndexWriteResume, 1, &R::ecx}}) {
    SCOPED_TRACE(w.resume);
    for (uint32_t value : {0x1234u, 70000u}) {
      sim::ClearStreamCalls();
      const Written out = w.write(value);
      const sim::Landing& l = out.landing;
      const bool extended = value > 0xFFF0;
      EXPECT_EQ(l.address, w.resume);
      EXPECT_EQ(EspDelta(l), 0);
      EXPECT_EQ(l.Stack(w.slotWord), value);
      EXPECT_EQ(l.regs.eax, extended ? 4u : 2u) << "the last write's result";
      const auto& calls = sim::StreamCalls();
      ASSERT_FALSE(calls.empty());
      R in = Seeded();
      in.*w.stream = calls[0].stream;
      ExpectUnchangedBut(l, in, {&R::eax, &R::ecx, &R::edx});
      const uint32_t slot = l.entryEsp + 4 * w.slotWord;
      std::vector<sim::StreamCall> expected{{in.*w.stream, 5, 2, slot}};
      if (extended) expected = {{in.*w.stream, 5, 2, calls[0].buffer}, {in.*w.stream, 5, 4, slot}};
      EXPECT_EQ(calls, expected);
    }
  }
}

TEST_F(StreamForm, ReadersTakeAnyWordButTheMarkerAsTheValue) {
  for (auto read : {&ReadThroughHook2, &ReadThroughHook18, &ReadThroughHook21}) {
    EXPECT_EQ(read({0xFE, 0xFF}, 0xDEADBEEF).value, 0xFFFEu);
    EXPECT_EQ(read({0x34, 0x12}, 0xDEADBEEF).value, 0x1234u);
    EXPECT_EQ(read({0x00, 0x00}, 0xDEADBEEF).value, 0u);
    const Read extended = read({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 0xAA}, 0xDEADBEEF);
    EXPECT_EQ(extended.value, 70000u);
    EXPECT_EQ(extended.unread, 1u) << "the reader took more or less than six bytes";
  }
}

TEST_F(StreamForm, CountReadStoresTheCountAndReadsFourMoreOnlyAfterTheMarker) {
  const Read plain = ReadThroughHook2({0x34, 0x12});
  EXPECT_EQ(plain.landing.address, kCountReadResume);
  EXPECT_TRUE(sim::StreamCalls().empty());
  R in = Seeded();
  in.ebx = plain.landing.regs.ebx;
  in.esi = plain.landing.regs.esi;
  ExpectUnchangedBut(plain.landing, in, {&R::ecx});
  EXPECT_EQ(plain.landing.regs.ecx, 0x1234u);

  const Read extended = ReadThroughHook2(Extended(70000));
  EXPECT_EQ(extended.landing.address, kCountReadResume);
  EXPECT_EQ(extended.landing.regs.eax, 0u);
  EXPECT_EQ(extended.landing.Stack(3), 70000u);
  EXPECT_EQ(EspDelta(extended.landing), 0);
  in.ebx = extended.landing.regs.ebx;
  in.esi = extended.landing.regs.esi;
  ExpectUnchangedBut(extended.landing, in, {&R::eax, &R::ecx, &R::edx});
  EXPECT_EQ(sim::StreamCalls(), (std::vector<sim::StreamCall>{{in.ebx, 4, 4, extended.landing.entryEsp + 0x0C}}));
}

TEST_F(StreamForm, AFailedFourByteCountReadTakesTheHostsFailurePath) {
  // Alone, hook 2 ends at the host's test with the zero flag clear and the
  // table's count untouched.
  sim::FillTraps(kCountReadCheck, kCountReadCheck + 5);
  const Read alone = ReadThroughHook2({0xFF, 0xFF, 0x01, 0x02}, 0x3333);
  EXPECT_EQ(alone.landing.address, kCountReadCheck);
  EXPECT_FALSE(Flag(alone.landing, sim::kZeroFlag));
  EXPECT_EQ(alone.value, 0x3333u);
  EXPECT_EQ(EspDelta(alone.landing), 0);

  // With hook 3 in place, the failure lands in byte [ESP+9].
  ApplyStringCount32();
  const Read chained = ReadThroughHook2({0xFF, 0xFF}, 0x3333);
  EXPECT_EQ(chained.landing.address, kTableFillResume);
  EXPECT_EQ(chained.landing.Stack(2) & 0xFF00, 0u);
  EXPECT_EQ(chained.landing.Stack(2) & ~0xFF00u, 0x32323232u & ~0xFF00u);
  const Read empty = ReadThroughHook2({0xFF, 0xFF}, 0);
  EXPECT_EQ(empty.landing.address, kEmptyTableRead);
  EXPECT_EQ(empty.landing.Stack(2) & 0xFF00, 0u);
}

TEST_F(StreamForm, IndexReadsClearTheSlotAndHandOnTheLastReadsResult) {
  struct Reader {
    Read (*read)(const Bytes&, uint32_t);
    uint32_t resume;
    int slotWord;
    bool zeroesEbx;
  };
  for (const Reader& r : {Reader{&ReadThroughHook18, kIndexReadResume, 3, true},
                          Reader{&ReadThroughHook21, kSecondIndexReadResume, 1, false}}) {
    SCOPED_TRACE(r.resume);
    sim::ClearStreamCalls();
    const Read plain = r.read({0x34, 0x12}, 0xDEADBEEF);
    EXPECT_EQ(plain.landing.address, r.resume);
    EXPECT_EQ(plain.value, 0x00001234u);
    EXPECT_EQ(plain.landing.regs.eax, 0u);
    EXPECT_TRUE(Flag(plain.landing, sim::kZeroFlag));
    EXPECT_EQ(EspDelta(plain.landing), 0);
    EXPECT_EQ(plain.landing.regs.ebx, r.zeroesEbx ? 0u : Seeded().ebx);
    EXPECT_EQ(plain.landing.regs.esi, sim::StreamCalls().at(0).stream);
    EXPECT_EQ(plain.landing.regs.edi, Seeded().edi);
    EXPECT_EQ(plain.landing.regs.ebp, Seeded().ebp);
    ASSERT_EQ(sim::StreamCalls().size(), 1u);

    sim::ClearStreamCalls();
    const Read extended = r.read(Extended(0x7FFFFFFF), 0);
    EXPECT_EQ(extended.value, 0x7FFFFFFFu);
    EXPECT_TRUE(Flag(extended.landing, sim::kZeroFlag));
    ASSERT_EQ(sim::StreamCalls().size(), 2u);
    const sim::StreamCall second = sim::StreamCalls()[1];
    EXPECT_EQ(second.slot, 4);
    EXPECT_EQ(second.count, 4u);
    EXPECT_EQ(second.stream, extended.landing.regs.esi);
    EXPECT_EQ(second.buffer, extended.landing.entryEsp + 4 * r.slotWord);
    EXPECT_EQ(second.buffer, sim::StreamCalls()[0].buffer) << "both reads fill the same slot";

    // The four bytes are missing: the host's own test of EAX sees the failure.
    const Read failed = r.read({0xFF, 0xFF, 0x01}, 0);
    EXPECT_EQ(failed.landing.address, r.resume);
    EXPECT_NE(failed.landing.regs.eax, 0u);
    EXPECT_FALSE(Flag(failed.landing, sim::kZeroFlag));
    EXPECT_EQ(failed.value, 0x0000FFFFu);
  }
}

TEST_F(StreamForm, ValuesSurviveAWriteAndARead) {
  for (uint32_t value : {0u, 1u, 0xFFF0u, 0xFFF1u, 70000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    for (auto write : {&WriteThroughHook13, &WriteThroughHook23}) {
      const Bytes bytes = write(value).bytes;
      for (auto read : {&ReadThroughHook2, &ReadThroughHook18, &ReadThroughHook21}) {
        SCOPED_TRACE(testing::Message() << std::hex << value);
        const Read back = read(bytes, 0xDEADBEEF);
        EXPECT_EQ(back.value, value);
        EXPECT_EQ(back.unread, 0u);
      }
    }
  }
}

}  // namespace
}  // namespace string_count_test
