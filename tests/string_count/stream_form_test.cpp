// The stream form through the hooks that write it (13, 23) and read it
// (2, 18, 21), with the stream calls each hook makes and the registers it
// hands back.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "patch/hook_asm.h"
#include "sim/host_string_table.h"
#include "tests/string_count/string_count_fixture.h"

namespace {
constexpr uint32_t kIndexReadSite = host::kStringTableIndexRead.site;
constexpr uint32_t kSecondIndexReadSite = host::kStringTableOtherIndexRead.site;
}  // namespace

// What the host does right before the two index reads: push the two-byte read's
// arguments (count 2, the slot's address) with the read function in EDX.
// Entered with the slot at [ESP+0x0C] (kStringTableIndexRead) or [ESP+4] (kStringTableOtherIndexRead), which
// is where the hook finds it once the read has removed its arguments.
#define HOST_PUSHES_INDEX_READ(slot, site) \
  "lea ecx, [esp+" slot "]\n push ecx\n push 2\n mov edx, [esi]\n mov edx, [edx+0x10]\n" CONTINUE_AT(site)
HOOK_BODY(HostPushesIndexRead, HOST_PUSHES_INDEX_READ("0x0C", kIndexReadSite), HOST_ADDRESS(kIndexReadSite))
HOOK_BODY(HostPushesOtherIndexRead, HOST_PUSHES_INDEX_READ("4", kSecondIndexReadSite),
          HOST_ADDRESS(kSecondIndexReadSite))

namespace string_count_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Extended(uint32_t v) { return {0xFF, 0xFF, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// One hook run with a stream in one of its registers; only this run's
// stream calls are on record afterwards.
struct StreamRun {
  R in;  // with the stream's address
  sim::Landing landing;
  Bytes written;
  uint32_t value;  // what a writer wrote from, or what a reader stored
  size_t unread;   // bytes the stream still holds
};

// The value is the stack word valueWord where the run lands.
StreamRun RunWithStream(uint32_t entry, Field streamRegister, Bytes input, R in,
                        std::initializer_list<uint32_t> stack, int valueWord) {
  sim::HostStream stream;
  stream.Feed(std::move(input));
  in.*streamRegister = stream.Address();
  sim::ClearStreamCalls();
  const sim::Landing landing = sim::RunHost(entry, in, stack);
  return {in, landing, stream.written, landing.Stack(valueWord), stream.Unread()};
}

// The host about to write the count at [ESP+0x10] to the stream in EDI.
StreamRun WriteThroughSaveCountWrite(uint32_t value) {
  return RunWithStream(kStringTableSaveCountWrite.site, &R::edi, {}, kIn, {0x10, 0x11, 0x12, 0x13, value, 0x15}, 4);
}
// The host about to write the value at [ESP+4] to the stream in ECX.
StreamRun WriteThroughIndexWrite(uint32_t value) {
  return RunWithStream(kStringTableIndexWrite.site, &R::ecx, {}, kIn, {sim::kReturnProbe, value, 0x22}, 1);
}

// The host has read the first two bytes into [ESP+0x0C], whose high word
// holds stale bits; the stream in EBX holds the rest. The value is the
// count the count read stores in the table, which held `stale`.
StreamRun ReadThroughLoadCountRead(const Bytes& bytes, uint32_t stale) {
  sim::HostStringTable table;
  table.count = stale;
  const uint32_t lowWord = bytes.size() < 2 ? 0 : bytes[0] | bytes[1] << 8;
  const auto rest = bytes.begin() + std::min<size_t>(bytes.size(), 2);
  const R in = With(kIn, {{&R::esi, AddressOf(&table)}});
  StreamRun run = RunWithStream(kStringTableLoadCountRead.site, &R::ebx, {rest, bytes.end()}, in,
                                {0x30, 0x31, 0x32323232, 0xABCD0000 | lowWord, 0x34}, 3);
  run.value = table.count;
  return run;
}
// The host has pushed its two-byte read of the stream in ESI into a slot
// holding `stale`; the value is that slot after the hook.
StreamRun ReadThroughIndexRead(const Bytes& bytes, uint32_t stale) {
  return RunWithStream(AddressOf(reinterpret_cast<const void*>(&HostPushesIndexRead)), &R::esi, bytes, kIn,
                       {0x40, 0x41, 0x42, stale, 0x44}, 3);
}
StreamRun ReadThroughOtherIndexRead(const Bytes& bytes, uint32_t stale) {
  return RunWithStream(AddressOf(reinterpret_cast<const void*>(&HostPushesOtherIndexRead)), &R::esi, bytes, kIn,
                       {0x50, stale, 0x52}, 1);
}

class StreamForm : public StringCountTest {};

TEST_F(StreamForm, WritersKeepTheHostsTwoBytesUpTo0xFFF0AndExtendAboveAndReadersTakeBothBack) {
  const struct {
    uint32_t value;
    Bytes bytes;
    bool written = true;  // false: only read; a writer extends this value
    size_t unread = 0;
  } forms[] = {
      {0, {0x00, 0x00}},
      {1, {0x01, 0x00}},
      {0x1234, {0x34, 0x12}},
      {0xFFF0, {0xF0, 0xFF}},
      {0xFFFE, {0xFE, 0xFF}, false},  // any word but the marker
      {0xFFF1, {0xFF, 0xFF, 0xF1, 0xFF, 0x00, 0x00}},
      {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
      {70000, {0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
      {70000, {0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 0xAA}, false, 1},
      {0x7FFFFFFF, Extended(0x7FFFFFFF)},
      // Values with the top bit set are not cut to their low word, and
      // 0xFFFFFFFF is not written as a bare marker.
      {0x80000000, Extended(0x80000000)},
      {0xFFFFFFFF, Extended(0xFFFFFFFF)},
  };
  for (const auto& f : forms) {
    SCOPED_TRACE(testing::Message() << std::hex << f.value << ", " << f.bytes.size() << " bytes");
    if (f.written) {
      EXPECT_EQ(WriteThroughSaveCountWrite(f.value).written, f.bytes);
      EXPECT_EQ(WriteThroughIndexWrite(f.value).written, f.bytes);
    }
    for (auto read : {&ReadThroughLoadCountRead, &ReadThroughIndexRead, &ReadThroughOtherIndexRead}) {
      const StreamRun back = read(f.bytes, 0xDEADBEEF);
      EXPECT_EQ(back.value, f.value);
      EXPECT_EQ(back.unread, f.unread) << "the reader took more or fewer bytes than the form has";
    }
  }
}

// Every write goes to the stream's slot 5 with ECX = the stream; the count
// itself is written from its own slot, which stays, and the host sees the
// last write's result in EAX.
TEST_F(StreamForm, WritersCallSlotFiveAndLeaveTheHostsRegistersAndStack) {
  struct Writer {
    StreamRun (*write)(uint32_t);
    uint32_t resume;
    int slotWord;
    Field stream;
  };
  for (const Writer& w : {Writer{&WriteThroughSaveCountWrite, kStringTableSaveCountWrite.resume, 4, &R::edi},
                          Writer{&WriteThroughIndexWrite, kStringTableIndexWrite.resume, 1, &R::ecx}}) {
    for (uint32_t value : {0x1234u, 70000u}) {
      SCOPED_TRACE(testing::Message() << std::hex << w.resume << " " << value);
      const StreamRun out = w.write(value);
      const sim::Landing& l = out.landing;
      const bool extended = value > 0xFFF0;
      const R want = With(out.in, {{&R::eax, extended ? 4u : 2u}, {&R::ecx, l.regs.ecx}, {&R::edx, l.regs.edx}});
      ExpectLanded(l, w.resume, want, 0, false);
      EXPECT_EQ(out.value, value);
      const auto& calls = sim::StreamCalls();
      ASSERT_FALSE(calls.empty());
      const uint32_t stream = out.in.*w.stream;
      const uint32_t slot = l.entryEsp + 4 * w.slotWord;
      std::vector<sim::StreamCall> expected{{stream, 5, 2, slot}};
      if (extended) expected = {{stream, 5, 2, calls[0].buffer}, {stream, 5, 4, slot}};
      EXPECT_EQ(calls, expected);
    }
  }
}

TEST_F(StreamForm, CountReadStoresTheCountAndReadsFourMoreOnlyAfterTheMarker) {
  const StreamRun plain = ReadThroughLoadCountRead({0x34, 0x12}, 0xC0C0C0C0);
  ExpectLanded(plain.landing, kStringTableLoadCountRead.resume, With(plain.in, {{&R::ecx, 0x1234}}), 0, false);
  EXPECT_TRUE(sim::StreamCalls().empty());

  const StreamRun extended = ReadThroughLoadCountRead(Extended(70000), 0xC0C0C0C0);
  const sim::Landing& l = extended.landing;
  ExpectLanded(l, kStringTableLoadCountRead.resume,
               With(extended.in, {{&R::eax, 0}, {&R::ecx, l.regs.ecx}, {&R::edx, l.regs.edx}}), 0, false);
  EXPECT_EQ(l.Stack(3), 70000u);
  EXPECT_EQ(sim::StreamCalls(), (std::vector<sim::StreamCall>{{extended.in.ebx, 4, 4, l.entryEsp + 0x0C}}));
}

TEST_F(StreamForm, AFailedFourByteCountReadTakesTheHostsFailurePath) {
  // Alone, the count read ends at the host's test with the zero flag clear and the
  // table's count untouched; the read call may leave anything in EAX, ECX
  // and EDX.
  sim::FillTraps(kStringTableLoadCountTest.site, kStringTableLoadCountTest.site + 5);
  const StreamRun alone = ReadThroughLoadCountRead({0xFF, 0xFF, 0x01, 0x02}, 0x3333);
  const sim::Landing& l = alone.landing;
  ExpectLanded(l, kStringTableLoadCountTest.site,
               With(alone.in, {{&R::eax, l.regs.eax}, {&R::ecx, l.regs.ecx}, {&R::edx, l.regs.edx}}), 0, false);
  EXPECT_FALSE(Flag(l, sim::kZeroFlag));
  EXPECT_EQ(alone.value, 0x3333u);

  // With the count test in place, the failure lands in byte [ESP+9] and the test goes
  // on as for any count.
  ASSERT_TRUE(ApplyStringCount32().Applied());
  for (uint32_t count : {0x3333u, 0u}) {
    SCOPED_TRACE(count);
    const StreamRun chained = ReadThroughLoadCountRead({0xFF, 0xFF}, count);
    const sim::Landing& c = chained.landing;
    const uint32_t landing = count == 0 ? kEmptyTableRead : kStringTableLoadCountTest.resume;
    const uint32_t edx = count == 0 ? c.regs.edx : sim::kStringTableHeapObject;
    ExpectLanded(c, landing, With(chained.in, {{&R::eax, count}, {&R::ecx, c.regs.ecx}, {&R::edx, edx}}), 0, false);
    EXPECT_EQ(c.Stack(2), 0x32320032u) << "byte [ESP+9] cleared, the rest kept";
  }
}

// The slot is cleared before the two-byte read; the four-byte read after the
// marker fills the same slot, and the host's own test of EAX sees whether
// the last read failed.
TEST_F(StreamForm, IndexReadsClearTheSlotAndHandOnTheLastReadsResult) {
  struct Reader {
    StreamRun (*read)(const Bytes&, uint32_t);
    uint32_t resume;
    int slotWord;
    bool zeroesEbx;
  };
  const struct {
    Bytes bytes;
    uint32_t stale;
    uint32_t value;
    bool succeeds;
    size_t reads;
  } cases[] = {
      {{0x34, 0x12}, 0xDEADBEEF, 0x1234, true, 1},
      {Extended(0x7FFFFFFF), 0, 0x7FFFFFFF, true, 2},
      {{0xFF, 0xFF, 0x01}, 0, 0xFFFF, false, 2},  // the four bytes are missing
  };
  for (const Reader& r : {Reader{&ReadThroughIndexRead, kStringTableIndexRead.resume, 3, true},
                          Reader{&ReadThroughOtherIndexRead, kStringTableOtherIndexRead.resume, 1, false}}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << std::hex << r.resume << " " << c.value);
      const StreamRun out = r.read(c.bytes, c.stale);
      const sim::Landing& l = out.landing;
      const R want = With(out.in, {{&R::eax, c.succeeds ? 0 : l.regs.eax},
                                   {&R::ebx, r.zeroesEbx ? 0 : out.in.ebx},
                                   {&R::ecx, l.regs.ecx},
                                   {&R::edx, l.regs.edx}});
      ExpectLanded(l, r.resume, want, 0, false);
      if (!c.succeeds) {
        EXPECT_NE(l.regs.eax, 0u);
      }
      EXPECT_EQ(Flag(l, sim::kZeroFlag), c.succeeds);
      EXPECT_EQ(out.value, c.value);
      const uint32_t slot = l.entryEsp + 4 * r.slotWord;
      std::vector<sim::StreamCall> reads{{out.in.esi, 4, 2, slot}, {out.in.esi, 4, 4, slot}};
      reads.resize(c.reads);
      EXPECT_EQ(sim::StreamCalls(), reads);
    }
  }
}

}  // namespace
}  // namespace string_count_test
