// Each hook's register contract: where it continues, what it loads and
// stores, the flags it hands on, and that nothing else moves. Counts sit
// where a 16-bit view would answer differently: 70,000 is 0x11170, and
// 0x1170 has the same low word.
#include <gtest/gtest.h>

#include "sim/host_string_table.h"
#include "tests/string_count/string_count_fixture.h"

namespace string_count_test {
namespace {

constexpr uint32_t kBig = 70000;
constexpr uint32_t kSameLowWord = 0x1170;

class StringCountRegisters : public StringCountTest {
 protected:
  // kIn with reg pointing at the table.
  R Table(Field reg) { return With(kIn, {{reg, AddressOf(&table)}}); }
  sim::HostStringTable table{0x7AB1E000, 0, 0x0E470000, kBig};
};

// A 32-bit compare against the count: below it, not equal.
void ExpectBelow(const sim::Landing& landing) {
  EXPECT_TRUE(Flag(landing, sim::kCarryFlag)) << landing.Describe();
  EXPECT_FALSE(Flag(landing, sim::kZeroFlag)) << landing.Describe();
}

TEST_F(StringCountRegisters, TableReaderStoresLoadsAndComparesTheWholeCount) {
  uint32_t streamTable = 0x0EDC0001;
  R in = With(Table(&R::esi), {{&R::eax, kBig + 1}, {&R::ebx, AddressOf(&streamTable)}});
  ExpectHook(kStringTableLoadCountStore.site, in, {},
             {kStringTableLoadCountStore.resume, With(in, {{&R::edx, streamTable}})});
  EXPECT_EQ(table.count, kBig + 1);

  table.count = kBig;
  in = With(Table(&R::esi), {{&R::eax, 0x12340000}, {&R::ecx, kSameLowWord}});
  ExpectBelow(ExpectHook(kStringTableLoadCountCompare.site, in, {}, {kStringTableLoadCountCompare.resume, in}));
  EXPECT_EQ(table.entries, 0x12340000u);
  EXPECT_TRUE(Flag(sim::RunHost(kStringTableLoadCountCompare.site, With(in, {{&R::ecx, kBig}})), sim::kZeroFlag));

  in = With(kIn, {{&R::edi, kBig}, {&R::eax, 0x20000000}});
  ExpectHook(kStringTableLoadEntryIndex.site, in, {},
             {kStringTableLoadEntryIndex.resume, With(in, {{&R::edx, kBig}, {&R::ebp, 0x20000000 + kBig * 4}})});

  in = With(Table(&R::esi), {{&R::eax, 0x0E470004}});
  ExpectHook(kStringTableLoadCountFetch.site, in, {},
             {kStringTableLoadCountFetch.resume, With(in, {{&R::ecx, kBig}, {&R::edi, 0x0E470004}})});
  ExpectHook(kStringTableLoadIndexCopy.site, in, {},
             {kStringTableLoadIndexCopy.resume, With(in, {{&R::edx, 0x7AB1E000}, {&R::ecx, in.ebp}})});
  ExpectHook(kStringTableWalkIndexCopy.site, in, {},
             {kStringTableWalkIndexCopy.resume, With(in, {{&R::edx, table.entries}, {&R::ecx, in.edi}})});
  ExpectHook(
      kStringTableCountAndAddressFetch.site, in, {},
      {kStringTableCountAndAddressFetch.resume, With(in, {{&R::eax, kBig}, {&R::ecx, AddressOf(&table) + 0x0C}})});
  // The save's and the copy's count fetches load the count and push EDI.
  in = Table(&R::eax);
  ExpectHook(kStringTableSaveCountFetch.site, in, {},
             {kStringTableSaveCountFetch.resume, With(in, {{&R::ecx, kBig}}), -4});
  const sim::Landing copyFetch = ExpectHook(kStringTableCopyCountFetch.site, in, {0x61},
                                         {kStringTableCopyCountFetch.resume, With(in, {{&R::edx, kBig}}), -4});
  EXPECT_EQ(copyFetch.Stack(0), in.edi);
  EXPECT_EQ(copyFetch.Stack(1), 0x61u);
}

TEST_F(StringCountRegisters, LoopsRunPastTheSixteenBitCount) {
  // The next-index hooks step EDI, the walk's first compare starts it at 0, the index store keeps EBP.
  for (const HookSite& at : {kStringTableLoadNextIndex, kStringTableWalkNextIndex}) {
    const R in = With(Table(&R::esi), {{&R::edi, kSameLowWord - 1}});
    ExpectBelow(ExpectHook(at.site, in, {}, {at.resume, With(in, {{&R::edi, kSameLowWord}})}));
    EXPECT_TRUE(Flag(sim::RunHost(at.site, With(in, {{&R::edi, kBig - 1}})), sim::kZeroFlag));
  }
  R in = With(Table(&R::esi), {{&R::eax, kSameLowWord}});
  ExpectBelow(ExpectHook(kStringTableWalkFirstCompare.site, in, {},
                         {kStringTableWalkFirstCompare.resume, With(in, {{&R::edi, 0}})}));

  in = With(Table(&R::esi), {{&R::ebp, kSameLowWord}});
  const sim::Landing indexStore = ExpectHook(kStringTableLoadIndexStore.site, in, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
                                         {kStringTableLoadIndexStore.resume, in});
  ExpectBelow(indexStore);
  EXPECT_EQ(indexStore.Stack(9), kSameLowWord);
  EXPECT_EQ(indexStore.Stack(10), 10u);

  in = With(Table(&R::esi), {{&R::ecx, kBig + 7}});
  ExpectHook(kStringTableWalkCountStore.site, in, {0x0A11CE00, 0x62},
             {kStringTableWalkCountStore.resume, With(in, {{&R::esi, 0x0A11CE00}}), 4});
  EXPECT_EQ(table.count, kBig + 7);
}

TEST_F(StringCountRegisters, CountReadCheckRecordsTheReadOutcomeAndSkipsAnEmptyTable) {
  for (uint32_t count : {kBig, 0u}) {
    for (bool zeroFlag : {true, false}) {
      SCOPED_TRACE(testing::Message() << "count " << count << " ZF " << zeroFlag);
      table.count = count;
      const R in = With(Table(&R::esi), {{&R::eflags, zeroFlag ? sim::kZeroFlag : 0}});
      const std::initializer_list<uint32_t> stack = {0x10, 0x11, 0x55555555, 0x13, 0x14, 0x15, 0x0A550C00};
      const R filled = With(in, {{&R::eax, count}, {&R::ecx, 0x0A550C00}, {&R::edx, sim::kStringTableHeapObject}});
      const R empty = With(in, {{&R::eax, 0}, {&R::ecx, (in.ecx & ~0xFFu) | zeroFlag}});
      const Want want = count == 0 ? Want{kEmptyTableRead, empty} : Want{kStringTableLoadCountTest.resume, filled};
      EXPECT_EQ(ExpectHook(kStringTableLoadCountTest.site, in, stack, want).Stack(2),
                zeroFlag ? 0x55550155u : 0x55550055u);
    }
  }
}

TEST_F(StringCountRegisters, StackSlotLoadsAndThirtyTwoBitCopies) {
  const std::initializer_list<uint32_t> words = {0x51000000, 0x51000001, 0x51000002, 0x51000003, 0x51000004,
                                                 0x51000005, 0x51000006, 0x51000007, 0x51000008, 0x51000009};
  // [ESP+0x24], [ESP+0x24], [ESP+0x0C] and [ESP+8].
  ExpectHook(kStringTableLoadIndexFetch.site, kIn, words,
             {kStringTableLoadIndexFetch.resume, With(kIn, {{&R::ecx, 0x51000009}})});
  ExpectHook(kStringTableLoadIndexReload.site, kIn, words,
             {kStringTableLoadIndexReload.resume, With(kIn, {{&R::eax, 0x51000009}})});
  ExpectHook(kStringTableIndexFetch.site, kIn, words,
             {kStringTableIndexFetch.resume, With(kIn, {{&R::eax, 0x51000003}})});
  ExpectHook(kStringTableIndexWriteFetch.site, kIn, words,
             {kStringTableIndexWriteFetch.resume, With(kIn, {{&R::edx, 0x51000002}})});

  uint32_t source[2] = {kBig + 1, kBig + 2};
  uint32_t target[2] = {0x81, 0x82};
  R in = With(kIn, {{&R::edx, AddressOf(source)}});
  ExpectHook(kStringTableCopyToSlot.site, in, {0, 0, 0, 0, 0, AddressOf(target)},
             {kStringTableCopyToSlot.resume, With(in, {{&R::eax, kBig + 2}, {&R::ecx, AddressOf(target)}})});
  EXPECT_EQ(target[0], kBig + 2);

  in.esi = AddressOf(target);
  ExpectHook(kStringTableCopyToField.site, in, {}, {kStringTableCopyToField.resume, With(in, {{&R::eax, kBig + 1}})});
  EXPECT_EQ(target[1], kBig + 1);

  in.ecx = AddressOf(&source[1]);
  ExpectHook(kStringTableCopyToFieldFromSlot.site, in, words,
             {kStringTableCopyToFieldFromSlot.resume, With(in, {{&R::edx, kBig + 2}, {&R::eax, 0x51000003}})});
  EXPECT_EQ(target[1], kBig + 2);

  in = With(kIn, {{&R::eax, AddressOf(target)}, {&R::edx, AddressOf(source)}});
  const R want = With(in, {{&R::ecx, kBig + 1}, {&R::esi, 0x0A11CE01}, {&R::edi, 0x0A11CE02}});
  ExpectHook(kStringTableCopyToFieldAndPop.site, in, {0x0A11CE01, 0x0A11CE02},
             {kStringTableCopyToFieldAndPop.resume, want, 8});
  EXPECT_EQ(target[0], kBig + 2);
  EXPECT_EQ(target[1], kBig + 1);
}

TEST_F(StringCountRegisters, IndexCheckIsUnsignedAgainstTheWholeCount) {
  const R in = Table(&R::edi);
  for (uint32_t index : {0u, kSameLowWord, kBig - 1}) {
    ExpectHook(kStringTableIndexRangeCheck.site, in, {0, 1, 2, 3, index},
               {kStringTableIndexRangeCheck.resume, With(in, {{&R::eax, index}, {&R::esi, index}})});
  }
  for (uint32_t index : {kBig, kBig + 1, 0x80000000u, 0xFFFFFFFFu}) {
    ExpectHook(kStringTableIndexRangeCheck.site, in, {0, 1, 2, 3, index},
               {kIndexOutOfRange, With(in, {{&R::eax, index}})});
  }
}

}  // namespace
}  // namespace string_count_test
