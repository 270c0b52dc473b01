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
#include "sim/host_memory.h"
#include "sim/host_string_fixes.h"
#include "sim/loader.h"
#include "tests/hook_check.h"

namespace {

using namespace hook_check;
using sim::AddressOf;

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

using StringHook = HookTest;

TEST_F(StringHook, ComparisonHookPassesEcxFirstAndReturnsToTheCaller) {
  EXPECT_TRUE(ApplyStrCmp().Applied());
  const R in = With(kDistinct, {{&R::ecx, AddressOf("a")}, {&R::edx, AddressOf("b")}});
  // The return address only is removed: the routine takes no stack arguments.
  auto out = ExpectHook(host::kStrCmp.site, in, {sim::kReturnProbe, 0xA1, 0xA2},
                        {sim::kReturnProbe, With(in, {{&R::eax, 0xFFFFFFFF}}), 4, false, true});
  EXPECT_EQ(out.Stack(0), 0xA1u);

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
  for (ApplyStatus (*apply)() : {&ApplyStrCmp, &ApplyStrCmpNoTry}) {
    sim::ResetHostImage();
    EXPECT_TRUE(apply().Applied());
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
  EXPECT_TRUE(ApplyStrCmpNoTry().Applied());
  auto out = sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf("a"), .edx = AddressOf("b")}, {sim::kReturnProbe});
  ASSERT_EQ(out.address, sim::kReturnProbe) << out.Describe();
  EXPECT_EQ(out.regs.eax, 0xFFFFFFFFu);
  auto null = sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf("a"), .edx = 0}, {sim::kReturnProbe});
  EXPECT_EQ(null.regs.eax, 1u);
  EXPECT_EQ(null.regs.esp, null.entryEsp + 4);
}

// Only the guarded comparison survives unreadable memory, so a run through
// the site tells which of the two the load put there.
TEST_F(StringHook, WithBothComparisonOptionsOnOnlyTheGuardedOneIsAtTheSite) {
  auto compareUnreadable = [] {
    return sim::RunHost(host::kStrCmp.site, {.ecx = sim::UnreadablePage(), .edx = AddressOf("a")}, {sim::kReturnProbe});
  };
  sim::PrepareGameFolder(sim::TempFolder("strcmp-conflict"), "[Patch]\nStrCmp=1\nStrCmpNoTry=1\n");
  ASSERT_TRUE(ApplyNormalOptions());
  auto guarded = compareUnreadable();
  EXPECT_EQ(guarded.address, sim::kReturnProbe) << guarded.Describe();
  EXPECT_EQ(guarded.regs.eax, 1u);

  sim::ResetHostImage();
  sim::PrepareGameFolder(sim::TempFolder("strcmp-alone"), "[Patch]\nStrCmp=0\nStrCmpNoTry=1\n");
  ASSERT_TRUE(ApplyNormalOptions());
  EXPECT_TRUE(sim::IsReadFault(compareUnreadable().exception)) << "the unguarded walk reads the page";
}

TEST_F(StringHook, StrLenLoadsEdiFromTheFrameAndSkipsTheLengthCode) {
  EXPECT_TRUE(ApplyStrLen().Applied());
  ExpectHook(host::kStrLen.site, kDistinct, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x51AB},
             {host::kStrLen.resume, With(kDistinct, {{&R::edi, 0x51AB}})});
}

TEST_F(StringHook, SkipStrLenCrashCallsARealCalleeAndSkipsANullOne) {
  EXPECT_TRUE(ApplySkipStrLenCrash().Applied());
  // Two arguments, then the frame: [ESP+0x5C] after the callee removed them
  // is stack word 2 + 0x17.
  std::initializer_list<uint32_t> stack = {0xA1, 0xA2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x5C5C};
  const R call = With(kDistinct, {{&R::edx, sim::kLengthCallee}});
  ExpectHook(host::kSkipStrLenCrash.site, call, stack,
             {host::kSkipStrLenCrash.resume, With(call, {{&R::eax, sim::kLengthCalleeResult}, {&R::ebx, 0x5C5C}}), 8,
              false, true});
  EXPECT_EQ(sim::LengthCalleeRuns(), 1u);
  EXPECT_EQ(sim::LastLengthCalleeCall().first, 0xA1u);
  EXPECT_EQ(sim::LastLengthCalleeCall().second, 0xA2u);

  const R skip = With(kDistinct, {{&R::edx, 0}});
  ExpectHook(host::kSkipStrLenCrash.site, skip, stack, {host::kSkipStrLenCrash.resume, With(skip, {{&R::ebx, 0}}), 8});
  EXPECT_EQ(sim::LengthCalleeRuns(), 1u);
}

TEST_F(StringHook, StringRefSetNullReturnsForANullSourceAndOtherwiseRunsThePrologue) {
  EXPECT_TRUE(ApplyStringRefSetNull().Applied());
  const R null = With(kDistinct, {{&R::eax, 0}});
  auto returned = ExpectHook(host::kStringRefSetNull.site, null, {sim::kReturnProbe, 0xA1, 0xA2},
                             {sim::kReturnProbe, With(null, {{&R::eax, null.ecx}}), 8});
  EXPECT_EQ(returned.Stack(0), 0xA2u);

  uint32_t source = 0x5E7;
  const R set = With(kDistinct, {{&R::eax, AddressOf(&source)}});
  auto continued = ExpectHook(host::kStringRefSetNull.site, set, {sim::kReturnProbe, 0xA1},
                              {host::kStringRefSetNull.resume, With(set, {{&R::esi, 0x5E7}, {&R::edi, set.ecx}}), -8});
  EXPECT_EQ(continued.Stack(0), set.edi);  // EDI pushed last
  EXPECT_EQ(continued.Stack(1), set.esi);
  EXPECT_EQ(continued.Stack(2), sim::kReturnProbe);
}

}  // namespace
