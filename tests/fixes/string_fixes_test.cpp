// The comparison handlers and the four string hooks, entered at their sites.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "fixes/string_fixes.h"
#include "fixes/string_sites.h"
#include "plugin/apply.h"
#include "plugin/load_sequence.h"
#include "sim/host_fixes_first.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "sim/runner.h"

namespace {

using sim::AddressOf;

// Where the jump written at a site leads.
uint32_t JumpTarget(uint32_t site) {
  EXPECT_EQ(sim::HostAt<uint8_t>(site), 0xE9) << std::hex << site;
  return site + 5 + sim::HostAt<uint32_t>(site + 1);
}

// A string whose last bytes sit against memory that cannot be read: the
// walk runs off the end of a committed page unless the other side differs.
const char* StringAgainstUnreadable(const char* text) {
  const size_t length = std::strlen(text);
  char* start = reinterpret_cast<char*>(sim::UnreadablePage()) - length;
  std::memcpy(start, text, length);  // no terminator: the next byte is unreadable
  return start;
}

using Comparison = int32_t (*)(const char*, const char*);

class BothComparisons : public testing::TestWithParam<Comparison> {};

TEST_P(BothComparisons, AnswerMinusOneZeroOrOneOnUnsignedBytes) {
  const Comparison compare = GetParam();
  const std::string longText(63, 'q');
  struct Case {
    const char* a;
    const char* b;
    int32_t expected;
  } cases[] = {
      {nullptr, "a", 1}, {"a", nullptr, 1}, {nullptr, nullptr, 1},
      {"", "", 0}, {"", "a", -1}, {"a", "", 1},
      {"abc", "abd", -1}, {"abd", "abc", 1}, {"abc", "abc", 0}, {"ab", "abc", -1}, {"abc", "ab", 1},
      {"\xE9", "z", 1}, {"z", "\xE9", -1}, {"a\x80", "a\x7F", 1}, {"\xFF\xFF", "\xFF\xFE", 1},
      {"Weapon_Sword_01", "Weapon_Sword_02", -1}, {"Weapon_Sword_1", "Weapon_Sword_0", 1},
      {longText.c_str(), longText.c_str(), 0}, {"bcdef", "acdef", 1}, {"abcdeF", "abcdef", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compare(c.a, c.b), c.expected) << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
  }
}

INSTANTIATE_TEST_SUITE_P(StringFixes, BothComparisons, testing::Values(&SafeStrCmp, &SafeStrCmpNoTry));

TEST(SafeStrCmp, UnreadableMemoryAnswersOneAndTheThreadCarriesOn) {
  const auto unreadable = reinterpret_cast<const char*>(static_cast<uintptr_t>(sim::UnreadablePage()));
  EXPECT_EQ(SafeStrCmp(unreadable, "x"), 1);
  EXPECT_EQ(SafeStrCmp("x", unreadable), 1);
  // Faults on both reads of the walk, at an even and at an odd position.
  EXPECT_EQ(SafeStrCmp(StringAgainstUnreadable("abcd"), "abcde"), 1);
  EXPECT_EQ(SafeStrCmp("abcde", StringAgainstUnreadable("abcd")), 1);
  EXPECT_EQ(SafeStrCmp(StringAgainstUnreadable("abc"), "abcd"), 1);
  // A difference before the unreadable end is still a plain answer.
  EXPECT_EQ(SafeStrCmp(StringAgainstUnreadable("abc"), "abd"), -1);
  EXPECT_EQ(SafeStrCmp("same", "same"), 0);
}

class StringHook : public testing::Test {
 protected:
  void SetUp() override { sim::ResetHostImage(); }
};

TEST_F(StringHook, ComparisonHookPassesEcxFirstAndReturnsToTheCaller) {
  ApplyStrCmp();
  const sim::Registers in{.eax = 0xEEEE, .ebx = 0xB, .ecx = AddressOf("a"), .edx = AddressOf("b"), .esi = 0x51,
                          .edi = 0xD1, .ebp = 0xBB};
  auto out = sim::RunHost(host::kStrCmp.site, in, {sim::kReturnProbe, 0xA1, 0xA2});
  ASSERT_EQ(out.address, sim::kReturnProbe) << out.Describe();
  EXPECT_EQ(out.regs.eax, 0xFFFFFFFFu);
  EXPECT_EQ(out.regs.esp, out.entryEsp + 4);  // the return address only, no arguments
  EXPECT_EQ(out.Stack(0), 0xA1u);
  EXPECT_EQ(sim::RegistersChangedBesides(in, out, "eax ecx edx esp"), "");

  auto swapped = sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf("b"), .edx = AddressOf("a")}, {sim::kReturnProbe});
  EXPECT_EQ(swapped.regs.eax, 1u);
  auto unreadable = sim::RunHost(host::kStrCmp.site, {.ecx = sim::UnreadablePage(), .edx = AddressOf("a")},
                                 {sim::kReturnProbe});
  EXPECT_EQ(unreadable.address, sim::kReturnProbe) << unreadable.Describe();
  EXPECT_EQ(unreadable.regs.eax, 1u);
}

TEST_F(StringHook, UnguardedComparisonHookAnswersNullAsUnequal) {
  ApplyStrCmpNoTry();
  auto out = sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf("a"), .edx = AddressOf("b")}, {sim::kReturnProbe});
  ASSERT_EQ(out.address, sim::kReturnProbe) << out.Describe();
  EXPECT_EQ(out.regs.eax, 0xFFFFFFFFu);
  auto null = sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf("a"), .edx = 0}, {sim::kReturnProbe});
  EXPECT_EQ(null.regs.eax, 1u);
  EXPECT_EQ(null.regs.esp, null.entryEsp + 4);
}

TEST_F(StringHook, WithBothComparisonOptionsOnOnlyTheGuardedOneIsAtTheSite) {
  const std::string folder = sim::TempFolder("strcmp-conflict");
  sim::PrepareGameFolder(folder, "[Patch]\nStrCmp=1\nStrCmpNoTry=1\n");
  ASSERT_TRUE(ApplyNormalOptions());
  EXPECT_EQ(JumpTarget(host::kStrCmp.site), AddressOf(reinterpret_cast<const void*>(&StrCmp_Body)));

  sim::ResetHostImage();
  sim::PrepareGameFolder(sim::TempFolder("strcmp-alone"), "[Patch]\nStrCmp=0\nStrCmpNoTry=1\n");
  ASSERT_TRUE(ApplyNormalOptions());
  EXPECT_EQ(JumpTarget(host::kStrCmp.site), AddressOf(reinterpret_cast<const void*>(&StrCmpNoTry_Body)));
}

TEST_F(StringHook, StrLenLoadsEdiFromTheFrameAndSkipsTheLengthCode) {
  ApplyStrLen();
  const sim::Registers in{.eax = 1, .ebx = 2, .ecx = 3, .edx = 4, .esi = 5, .edi = 6, .ebp = 7};
  auto out = sim::RunHost(host::kStrLen.site, in, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x51AB});
  ASSERT_EQ(out.address, 0x46EE08u) << out.Describe();
  EXPECT_EQ(out.regs.edi, 0x51ABu);
  EXPECT_EQ(sim::RegistersChangedBesides(in, out, "edi"), "");
}

TEST_F(StringHook, SkipStrLenCrashCallsARealCalleeAndSkipsANullOne) {
  ApplySkipStrLenCrash();
  // Two arguments, then the frame: [ESP+0x5C] after the callee removed them
  // is stack word 2 + 0x17.
  std::initializer_list<uint32_t> stack = {0xA1, 0xA2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x5C5C};
  const sim::Registers call{.eax = 0xAA, .ebx = 0xBB, .ecx = 0xCC, .edx = sim::kLengthCallee, .esi = 5, .edi = 6,
                            .ebp = 7};
  auto called = sim::RunHost(host::kSkipStrLenCrash.site, call, stack);
  ASSERT_EQ(called.address, host::kSkipStrLenCrash.resume) << called.Describe();
  EXPECT_EQ(sim::LengthCalleeRuns(), 1u);
  EXPECT_EQ(sim::LastLengthCalleeCall().first, 0xA1u);
  EXPECT_EQ(sim::LastLengthCalleeCall().second, 0xA2u);
  EXPECT_EQ(called.regs.eax, sim::kLengthCalleeResult);
  EXPECT_EQ(called.regs.ebx, 0x5C5Cu);
  EXPECT_EQ(called.regs.esp, called.entryEsp + 8);
  EXPECT_EQ(called.regs.esi, 5u);
  EXPECT_EQ(called.regs.edi, 6u);
  EXPECT_EQ(called.regs.ebp, 7u);

  const sim::Registers skip{.eax = 0xAA, .ebx = 0xBB, .ecx = 0xCC, .edx = 0, .esi = 5, .edi = 6, .ebp = 7};
  auto skipped = sim::RunHost(host::kSkipStrLenCrash.site, skip, stack);
  ASSERT_EQ(skipped.address, host::kSkipStrLenCrash.resume) << skipped.Describe();
  EXPECT_EQ(sim::LengthCalleeRuns(), 1u);
  EXPECT_EQ(skipped.regs.ebx, 0u);
  EXPECT_EQ(skipped.regs.esp, skipped.entryEsp + 8);
  EXPECT_EQ(sim::RegistersChangedBesides(skip, skipped, "ebx esp"), "");
}

TEST_F(StringHook, StringRefSetNullReturnsForANullSourceAndOtherwiseRunsThePrologue) {
  ApplyStringRefSetNull();
  const sim::Registers null{.eax = 0, .ebx = 2, .ecx = 0x0B1EC1, .edx = 4, .esi = 5, .edi = 6, .ebp = 7};
  auto returned = sim::RunHost(host::kStringRefSetNull.site, null, {sim::kReturnProbe, 0xA1, 0xA2});
  ASSERT_EQ(returned.address, sim::kReturnProbe) << returned.Describe();
  EXPECT_EQ(returned.regs.eax, 0x0B1EC1u);
  EXPECT_EQ(returned.regs.esp, returned.entryEsp + 8);
  EXPECT_EQ(returned.Stack(0), 0xA2u);
  EXPECT_EQ(sim::RegistersChangedBesides(null, returned, "eax esp"), "");

  uint32_t source = 0x5E7;
  const sim::Registers set{.eax = AddressOf(&source), .ebx = 2, .ecx = 0x0B1EC1, .edx = 4, .esi = 5, .edi = 6,
                           .ebp = 7};
  auto continued = sim::RunHost(host::kStringRefSetNull.site, set, {sim::kReturnProbe, 0xA1});
  ASSERT_EQ(continued.address, 0xA5128Au) << continued.Describe();
  EXPECT_EQ(continued.regs.esi, 0x5E7u);
  EXPECT_EQ(continued.regs.edi, 0x0B1EC1u);
  EXPECT_EQ(continued.regs.esp, continued.entryEsp - 8);
  EXPECT_EQ(continued.Stack(0), 6u);  // EDI pushed last
  EXPECT_EQ(continued.Stack(1), 5u);
  EXPECT_EQ(continued.Stack(2), sim::kReturnProbe);
  EXPECT_EQ(sim::RegistersChangedBesides(set, continued, "esi edi esp"), "");
}

}  // namespace
