// Each hook's register contract: where it continues, what it loads and
// stores, the flags it hands on, and that nothing else moves. Counts sit
// where a 16-bit view would answer differently: 70,000 is 0x11170, and
// 0x1170 has the same low word.
#include <gtest/gtest.h>

#include "fixes/string_count_sites.h"
#include "sim/host_string_table.h"
#include "sim/runner.h"
#include "tests/string_count/string_count_fixture.h"

namespace string_count_test {
namespace {

using R = sim::Registers;
constexpr uint32_t kBig = 70000;
constexpr uint32_t kSameLowWord = 0x1170;

class StringCountRegisters : public StringCountTest {
 protected:
  void SetUp() override {
    StringCountTest::SetUp();
    table = {0x7AB1E000, 0, 0x0E470000, kBig};
  }
  R With(Field reg, uint32_t value, R in = Seeded()) {
    in.*reg = value;
    return in;
  }
  R Table(Field reg) { return With(reg, AddressOf(&table)); }
  sim::HostStringTable table;
};

// A 32-bit compare against the count: below it, not equal.
void ExpectBelow(const sim::Landing& landing) {
  EXPECT_TRUE(Flag(landing, sim::kCarryFlag)) << landing.Describe();
  EXPECT_FALSE(Flag(landing, sim::kZeroFlag)) << landing.Describe();
}

TEST_F(StringCountRegisters, TableReaderStoresLoadsAndComparesTheWholeCount) {
  uint32_t streamTable = 0x0EDC0001;
  R in = With(&R::ebx, AddressOf(&streamTable), With(&R::eax, kBig + 1, Table(&R::esi)));
  ExpectHook(host::kStringCount1.site, host::kStringCount1.resume, in, {}, {{&R::edx, streamTable}});
  EXPECT_EQ(table.count, kBig + 1);

  table.count = kBig;
  in = With(&R::ecx, kSameLowWord, With(&R::eax, 0x12340000, Table(&R::esi)));
  ExpectBelow(ExpectHook(host::kStringCount4.site, host::kStringCount4.resume, in, {}, {}));
  EXPECT_EQ(table.entries, 0x12340000u);
  EXPECT_TRUE(Flag(sim::RunHost(host::kStringCount4.site, With(&R::ecx, kBig, in)), sim::kZeroFlag));

  in = With(&R::edi, kBig, With(&R::eax, 0x20000000));
  ExpectHook(host::kStringCount5.site, host::kStringCount5.resume, in, {}, {{&R::edx, kBig}, {&R::ebp, 0x20000000 + kBig * 4}});

  in = With(&R::eax, 0x0E470004, Table(&R::esi));
  ExpectHook(host::kStringCount7.site, host::kStringCount7.resume, in, {}, {{&R::ecx, kBig}, {&R::edi, 0x0E470004}});
  ExpectHook(host::kStringCount9.site, host::kStringCount9.resume, in, {}, {{&R::edx, 0x7AB1E000}, {&R::ecx, in.ebp}});
  ExpectHook(host::kStringCount15.site, host::kStringCount15.resume, in, {}, {{&R::edx, table.entries}, {&R::ecx, in.edi}});
  ExpectHook(host::kStringCount29.site, host::kStringCount29.resume, in, {}, {{&R::eax, kBig}, {&R::ecx, AddressOf(&table) + 0x0C}});
  ExpectHook(host::kStringCount12.site, host::kStringCount12.resume, Table(&R::eax), {}, {{&R::ecx, kBig}}, -4);  // and pushes EDI
  const sim::Landing hook25 = ExpectHook(host::kStringCount25.site, host::kStringCount25.resume, Table(&R::eax), {0x61}, {{&R::edx, kBig}}, -4);
  EXPECT_EQ(hook25.Stack(0), Seeded().edi);
  EXPECT_EQ(hook25.Stack(1), 0x61u);
}

TEST_F(StringCountRegisters, LoopsRunPastTheSixteenBitCount) {
  // Hooks 6 and 16 step EDI, hook 14 starts it at 0, hook 10 keeps EBP.
  for (uint32_t site : {host::kStringCount6.site, host::kStringCount16.site}) {
    const R in = With(&R::edi, kSameLowWord - 1, Table(&R::esi));
    ExpectBelow(ExpectHook(site, site + 5, in, {}, {{&R::edi, kSameLowWord}}));
    EXPECT_TRUE(Flag(sim::RunHost(site, With(&R::edi, kBig - 1, in)), sim::kZeroFlag));
  }
  ExpectBelow(ExpectHook(host::kStringCount14.site, host::kStringCount14.resume, With(&R::eax, kSameLowWord, Table(&R::esi)), {}, {{&R::edi, 0}}));

  const sim::Landing hook10 =
      ExpectHook(host::kStringCount10.site, host::kStringCount10.resume, With(&R::ebp, kSameLowWord, Table(&R::esi)), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {});
  ExpectBelow(hook10);
  EXPECT_EQ(hook10.Stack(9), kSameLowWord);
  EXPECT_EQ(hook10.Stack(10), 10u);

  ExpectHook(host::kStringCount17.site, host::kStringCount17.resume, With(&R::ecx, kBig + 7, Table(&R::esi)), {0x0A11CE00, 0x62},
             {{&R::esi, 0x0A11CE00}}, 4);
  EXPECT_EQ(table.count, kBig + 7);
}

TEST_F(StringCountRegisters, CountReadCheckRecordsTheReadOutcomeAndSkipsAnEmptyTable) {
  for (uint32_t count : {kBig, 0u}) {
    for (bool zeroFlag : {true, false}) {
      SCOPED_TRACE(testing::Message() << "count " << count << " ZF " << zeroFlag);
      table.count = count;
      const R in = With(&R::eflags, zeroFlag ? sim::kZeroFlag : 0, Table(&R::esi));
      const std::initializer_list<uint32_t> stack = {0x10, 0x11, 0x55555555, 0x13, 0x14, 0x15, 0x0A550C00};
      const sim::Landing hook3 =
          count == 0 ? ExpectHook(host::kStringCount3.site, host::kEmptyTableRead, in, stack, {{&R::eax, 0}, {&R::ecx, (in.ecx & ~0xFFu) | zeroFlag}})
                     : ExpectHook(host::kStringCount3.site, host::kStringCount3.resume, in, stack,
                                  {{&R::eax, count}, {&R::ecx, 0x0A550C00}, {&R::edx, sim::kStringTableHeapObject}});
      EXPECT_EQ(hook3.Stack(2), zeroFlag ? 0x55550155u : 0x55550055u);
    }
  }
}

TEST_F(StringCountRegisters, StackSlotLoadsAndThirtyTwoBitCopies) {
  const std::initializer_list<uint32_t> words = {0x51000000, 0x51000001, 0x51000002, 0x51000003, 0x51000004,
                                                 0x51000005, 0x51000006, 0x51000007, 0x51000008, 0x51000009};
  ExpectHook(host::kStringCount8.site, host::kStringCount8.resume, Seeded(), words, {{&R::ecx, 0x51000009}});  // [ESP+0x24]
  ExpectHook(host::kStringCount11.site, host::kStringCount11.resume, Seeded(), words, {{&R::eax, 0x51000009}});
  ExpectHook(host::kStringCount19.site, host::kStringCount19.resume, Seeded(), words, {{&R::eax, 0x51000003}});  // [ESP+0x0C]
  ExpectHook(host::kStringCount22.site, host::kStringCount22.resume, Seeded(), words, {{&R::edx, 0x51000002}});  // [ESP+8]

  uint32_t source[2] = {kBig + 1, kBig + 2};
  uint32_t target[2] = {0x81, 0x82};
  R in = With(&R::edx, AddressOf(source));
  ExpectHook(host::kStringCount24.site, host::kStringCount24.resume, in, {0, 0, 0, 0, 0, AddressOf(target)}, {{&R::eax, kBig + 2}, {&R::ecx, AddressOf(target)}});
  EXPECT_EQ(target[0], kBig + 2);

  in.esi = AddressOf(target);
  ExpectHook(host::kStringCount26.site, host::kStringCount26.resume, in, {}, {{&R::eax, kBig + 1}});
  EXPECT_EQ(target[1], kBig + 1);

  ExpectHook(host::kStringCount28.site, host::kStringCount28.resume, With(&R::ecx, AddressOf(&source[1]), in), words,
             {{&R::edx, kBig + 2}, {&R::eax, 0x51000003}});
  EXPECT_EQ(target[1], kBig + 2);

  in = With(&R::eax, AddressOf(target), With(&R::edx, AddressOf(source)));
  ExpectHook(host::kStringCount27.site, host::kStringCount27.resume, in, {0x0A11CE01, 0x0A11CE02},
             {{&R::ecx, kBig + 1}, {&R::esi, 0x0A11CE01}, {&R::edi, 0x0A11CE02}}, 8);
  EXPECT_EQ(target[0], kBig + 2);
  EXPECT_EQ(target[1], kBig + 1);
}

TEST_F(StringCountRegisters, IndexCheckIsUnsignedAgainstTheWholeCount) {
  for (uint32_t index : {0u, kSameLowWord, kBig - 1}) {
    ExpectHook(host::kStringCount20.site, host::kStringCount20.resume, Table(&R::edi), {0, 1, 2, 3, index}, {{&R::eax, index}, {&R::esi, index}});
  }
  for (uint32_t index : {kBig, kBig + 1, 0x80000000u, 0xFFFFFFFFu}) {
    ExpectHook(host::kStringCount20.site, host::kIndexOutOfRange, Table(&R::edi), {0, 1, 2, 3, index}, {{&R::eax, index}});
  }
}

}  // namespace
}  // namespace string_count_test
