// The comparison handlers and the four string hooks, entered at their sites.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// The walk the handlers must answer exactly as: byte by byte, unsigned.
int32_t ByteWise(const char* a, const char* b) {
  auto* left = reinterpret_cast<const unsigned char*>(a);
  auto* right = reinterpret_cast<const unsigned char*>(b);
  while (*left == *right && *left != 0) ++left, ++right;
  return (*left > *right) - (*left < *right);
}

TEST_P(BothComparisons, AnswerAsTheByteWalkAtEveryAlignmentLengthAndDifference) {
  const Comparison compare = GetParam();
  std::mt19937 random(17);
  auto anyByte = [&] { return static_cast<char>(1 + random() % 255); };  // above 0x7F as often as below
  // How b departs from a at position `at`: another byte there (one more
  // byte past a's end), or its end there (equal strings at a's end).
  const std::function<void(std::string&, size_t)> departures[] = {
      [&](std::string& b, size_t at) {
        if (at < b.size()) b[at] = static_cast<char>(b[at] ^ anyByte());
        else b += anyByte();
      },
      [](std::string& b, size_t at) { b.resize(at); },
  };
  alignas(16) char left[112], right[112];
  int wrong = 0;
  for (size_t length = 0; length <= 80; ++length) {
    std::string a(length, ' ');
    for (char& c : a) c = anyByte();
    for (size_t at = 0; at <= length; ++at) {
      for (const auto& depart : departures) {
        std::string b = a;
        depart(b, at);
        const int32_t expected = ByteWise(a.c_str(), b.c_str());
        for (int ia = 0; ia < 16; ++ia) {
          std::memcpy(left + ia, a.c_str(), a.size() + 1);
          for (int ib = 0; ib < 16; ++ib) {
            std::memcpy(right + ib, b.c_str(), b.size() + 1);
            const int32_t got = compare(left + ia, right + ib);
            if (got != expected && wrong++ < 5) {
              ADD_FAILURE() << "length " << length << ", b departs at " << at << ", alignments " << ia << "/" << ib
                            << ": " << got << " not " << expected;
            }
          }
        }
      }
    }
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
  // Faults before the word walk, while a is still walked to its alignment.
  alignas(4) const char misaligned[] = " abc";
  EXPECT_EQ(SafeStrCmp(unreadable + 1, misaligned + 1), 1);
  EXPECT_EQ(SafeStrCmp(misaligned + 1, unreadable + 1), 1);
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

// A string whose terminator is the last readable byte, at every alignment
// (its length sets it), against one at every alignment, through the site:
// neither handler may touch the unreadable page after it. Only orders the
// byte walk answers with 0 or -1, so that a fault the guard turns into 1
// cannot pass.
TEST_F(StringHook, StringsEndingOnTheLastReadableByteCompareAsTheByteWalk) {
  char* const pageEnd = reinterpret_cast<char*>(static_cast<uintptr_t>(sim::UnreadablePage()));
  alignas(16) char buffer[64];
  for (bool (*apply)() : {&ApplyStrCmp, &ApplyStrCmpNoTry}) {
    sim::ResetHostImage();
    apply();
    for (int length = 0; length < 32; ++length) {
      char* const text = pageEnd - length - 1;
      for (int i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
      text[length] = 0;
      // Against the same text, one byte longer, one shorter, or with its last byte one above or below.
      const std::string same = text;
      std::vector<std::string> others = {same, same + "z"};
      if (length > 0) {
        const std::string head = same.substr(0, length - 1);
        const char last = same.back();
        others.insert(others.end(), {head, head + static_cast<char>(last + 1), head + static_cast<char>(last - 1)});
      }
      for (const std::string& other : others) {
        for (int offset = 0; offset < 16; ++offset) {
          const char* placed = static_cast<char*>(std::memcpy(buffer + offset, other.c_str(), other.size() + 1));
          for (auto [a, b] : {std::pair<const char*, const char*>(text, placed), {placed, text}}) {
            const int32_t expected = ByteWise(a, b);
            if (expected > 0) continue;
            auto out = sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf(a), .edx = AddressOf(b)}, {sim::kReturnProbe});
            ASSERT_EQ(out.address, sim::kReturnProbe) << a << " vs " << b << ": " << out.Describe();
            ASSERT_EQ(out.regs.eax, static_cast<uint32_t>(expected)) << a << " vs " << b << " at " << offset;
          }
        }
      }
    }
  }
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
  ASSERT_EQ(out.address, host::kStrLen.resume) << out.Describe();
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
  ASSERT_EQ(continued.address, host::kStringRefSetNull.resume) << continued.Describe();
  EXPECT_EQ(continued.regs.esi, 0x5E7u);
  EXPECT_EQ(continued.regs.edi, 0x0B1EC1u);
  EXPECT_EQ(continued.regs.esp, continued.entryEsp - 8);
  EXPECT_EQ(continued.Stack(0), 6u);  // EDI pushed last
  EXPECT_EQ(continued.Stack(1), 5u);
  EXPECT_EQ(continued.Stack(2), sim::kReturnProbe);
  EXPECT_EQ(sim::RegistersChangedBesides(set, continued, "esi edi esp"), "");
}

}  // namespace
