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

// Pages of the test's own: four readable ones, then one that faults.
constexpr size_t kPage = 0x1000;
char* const kArena = [] {
  auto* pages = static_cast<char*>(VirtualAlloc(nullptr, 5 * kPage, MEM_RESERVE, PAGE_NOACCESS));
  VirtualAlloc(pages, 4 * kPage, MEM_COMMIT, PAGE_READWRITE);
  return pages;
}();

struct StringPair {
  std::string a, b;
  int32_t expected;
};

// Strings of 0 to 80 bytes, and b departing from a at every position: by
// another byte there (one more byte past a's end), or by its end there
// (equal strings at a's end).
const std::vector<StringPair>& DepartingPairs() {
  static const std::vector<StringPair> pairs = [] {
    std::mt19937 random(17);
    auto anyByte = [&] { return static_cast<char>(1 + random() % 255); };  // above 0x7F as often as below
    const std::function<void(std::string&, size_t)> departures[] = {
        [&](std::string& b, size_t at) {
          if (at < b.size()) b[at] = static_cast<char>(b[at] ^ anyByte());
          else b += anyByte();
        },
        [](std::string& b, size_t at) { b.resize(at); },
    };
    std::vector<StringPair> all;
    for (size_t length = 0; length <= 80; ++length) {
      std::string a(length, ' ');
      for (char& c : a) c = anyByte();
      for (size_t at = 0; at <= length; ++at) {
        for (const auto& depart : departures) {
          std::string b = a;
          depart(b, at);
          all.push_back({a, b, ByteWise(a.c_str(), b.c_str())});
        }
      }
    }
    return all;
  }();
  return pairs;
}

// Every departing pair with a at each of aBase + first ... aBase + last and
// b at each of the same offsets from bBase.
void ExpectTheByteWalksAnswers(Comparison compare, char* aBase, char* bBase, int first, int last) {
  int wrong = 0;
  for (const StringPair& pair : DepartingPairs()) {
    for (char* a = aBase + first; a <= aBase + last; ++a) {
      std::memcpy(a, pair.a.c_str(), pair.a.size() + 1);
      for (char* b = bBase + first; b <= bBase + last; ++b) {
        std::memcpy(b, pair.b.c_str(), pair.b.size() + 1);
        const int32_t got = compare(a, b);
        if (got != pair.expected && wrong++ < 5) {
          ADD_FAILURE() << "lengths " << pair.a.size() << "/" << pair.b.size() << ", page offsets "
                        << AddressOf(a) % kPage << "/" << AddressOf(b) % kPage << ": " << got << " not "
                        << pair.expected;
        }
      }
    }
  }
}

TEST_P(BothComparisons, AnswerAsTheByteWalkAtEveryAlignmentLengthAndDifference) {
  ExpectTheByteWalksAnswers(GetParam(), kArena + 0x100, kArena + 0x200, 0, 31);
}

// Both strings start 1 to 48 bytes before a page ends, so that each of a
// and b reaches the next page in its first block or a later one, and the
// bytes that go one at a time hold the difference, or do not.
TEST_P(BothComparisons, AnswerAsTheByteWalkAcrossAPageBoundary) {
  ExpectTheByteWalksAnswers(GetParam(), kArena + kPage, kArena + 3 * kPage, -48, -1);
}

INSTANTIATE_TEST_SUITE_P(StringFixes, BothComparisons, testing::Values(&SafeStrCmp, &SafeStrCmpNoTry));

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
// (its length sets it), against one at every alignment or one that ends on
// the last readable byte of another page, through the site: neither handler
// may touch the unreadable page after either. The guarded one only in the
// orders the byte walk answers with 0 or -1, so that a fault the guard
// turns into 1 cannot pass; the unguarded one would stop at the fault.
TEST_F(StringHook, StringsEndingOnTheLastReadableByteCompareAsTheByteWalk) {
  char* const pageEnd = reinterpret_cast<char*>(static_cast<uintptr_t>(sim::UnreadablePage()));
  char* const otherPageEnd = kArena + 4 * kPage;
  auto endingAt = [](char* end, const std::string& text) {
    return static_cast<char*>(std::memcpy(end - text.size() - 1, text.c_str(), text.size() + 1));
  };
  for (bool guarded : {true, false}) {
    sim::ResetHostImage();
    EXPECT_TRUE((guarded ? ApplyStrCmp : ApplyStrCmpNoTry)().Applied());
    for (int length = 0; length <= 80; ++length) {
      std::string same;
      for (int i = 0; i < length; ++i) same += static_cast<char>('a' + i % 26);
      const char* const text = endingAt(pageEnd, same);
      // Against the same text, one byte longer, one shorter, or with its last byte one above or below.
      std::vector<std::string> others = {same, same + "z"};
      if (length > 0) {
        const std::string head = same.substr(0, length - 1);
        const char last = same.back();
        others.insert(others.end(), {head, head + static_cast<char>(last + 1), head + static_cast<char>(last - 1)});
      }
      for (const std::string& other : others) {
        std::vector<const char*> places = {endingAt(otherPageEnd, other)};
        for (int offset = 0; offset < 32; ++offset) {
          places.push_back(static_cast<char*>(std::memcpy(kArena + 0x100 + offset, other.c_str(), other.size() + 1)));
          for (const char* placed : places) {
            for (auto [a, b] : {std::pair<const char*, const char*>(text, placed), {placed, text}}) {
              const int32_t expected = ByteWise(a, b);
              if (guarded && expected > 0) continue;
              auto out =
                  sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf(a), .edx = AddressOf(b)}, {sim::kReturnProbe});
              ASSERT_EQ(out.address, sim::kReturnProbe) << a << " vs " << b << ": " << out.Describe();
              ASSERT_EQ(out.regs.eax, static_cast<uint32_t>(expected))
                  << a << " vs " << b << " at " << AddressOf(placed) % kPage;
            }
          }
          places.pop_back();
        }
      }
    }
  }
}

// Reads that fault in each part of the walk: a string's first block, its
// bytes before a page end or across one (a's aligned blocks never cross),
// and a later block of each string. The guarded handler answers 1, through
// the site with every other register and ESP as the host routine leaves
// them; the unguarded one shows that each case reaches the unreadable page.
TEST_F(StringHook, AFaultingReadInEachPartOfTheWalkAnswersOne) {
  const auto unreadable = reinterpret_cast<const char*>(static_cast<uintptr_t>(sim::UnreadablePage()));
  const std::string text(40, 'm');
  const char* const readable = static_cast<char*>(std::memcpy(kArena + 0x100, text.c_str(), text.size() + 1));
  auto against = [&](size_t length) { return StringAgainstUnreadable(text.substr(0, length).c_str()); };
  const std::pair<const char*, const char*> cases[] = {
      {unreadable, readable},          {readable, unreadable},           // first blocks
      {unreadable + 0xFF8, readable},  {readable, unreadable + 0xFF8},   // bytes before a page end
      {readable + 3, against(9)},      {readable, against(24)},          // b's bytes across one
      {against(20), readable},         {readable, against(32)},          // later blocks
  };
  for (const auto& [a, b] : cases) {
    EXPECT_EQ(SafeStrCmp(a, b), 1);
    sim::ResetHostImage();
    ASSERT_TRUE(ApplyStrCmp().Applied());
    const R in = With(kDistinct, {{&R::ecx, AddressOf(a)}, {&R::edx, AddressOf(b)}});
    ExpectHook(host::kStrCmp.site, in, {sim::kReturnProbe, 0xA1},
               {sim::kReturnProbe, With(in, {{&R::eax, 1}}), 4, false, true});
    sim::ResetHostImage();
    ASSERT_TRUE(ApplyStrCmpNoTry().Applied());
    auto unguarded = sim::RunHost(host::kStrCmp.site, in, {sim::kReturnProbe});
    EXPECT_TRUE(sim::IsReadFault(unguarded.exception))
        << std::hex << in.ecx << " vs " << in.edx << ": " << unguarded.Describe();
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
