// Which host bytes each option changes, loaded through a fresh copy of the
// built DLL and compared byte for byte with the untouched host image; what is
// left when an option's set cannot be written; and the host addresses pinned
// in two lists that scripts/refresh-pinned.sh writes, so that a moved address
// shows in review as a change to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "diagnostics/config_check_sites.h"
#include "diagnostics/crash_recorder_sites.h"
#include "diagnostics/debug_stream_sites.h"
#include "diagnostics/timer_sites.h"
#include "diagnostics/warning_sites.h"
#include "fixes/actor_guard_sites.h"
#include "fixes/effect_list_sites.h"
#include "fixes/lookup_guard_sites.h"
#include "fixes/scene_node_guard_sites.h"
#include "fixes/string_count_sites.h"
#include "fixes/string_sites.h"
#include "memory/array_allocator_sites.h"
#include "memory/heap_sites.h"
#include "memory/movaps_sites.h"
#include "diagnostics/texture_warning_sites.h"
#include "memory/usage_report_sites.h"
#include "patch/frame_sites.h"
#include "patch/messages.h"
#include "plugin/option_table.h"
#include "sim/host_memory.h"
#include "sim/import_redirect.h"
#include "sim/loader.h"
#include "sim/session.h"
#include "tests/frame/frame_fixture.h"

namespace {

using Range = sim::HostRange;
using Ranges = std::vector<Range>;

Ranges RangesAfterLoading(const std::string& ini, sim::AfterMapping afterMapping = {}) {
  sim::ResetHostImage();
  const std::vector<uint8_t> before(reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(sim::kHostBegin)),
                                    reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(sim::kHostEnd)));
  const auto copy = frame_test::LoadFreshCopy(ini, false, std::move(afterMapping));
  EXPECT_TRUE(copy.outcome.loadResult) << copy.outcome.error;
  return sim::PatchedRanges(before.data(), sim::kHostBegin, static_cast<uint32_t>(before.size()));
}

const Range kLoadMarker{host::kLoadMarker, host::kLoadMarker + 1};

void AddSpans(const OptionEntry& row, Ranges& to) {
  for (const HookSite& span : row.sites) to.push_back({span.site, span.resume});
}

// A written value may match some of the host's bytes it replaces, so a span
// need not change whole: every changed byte lies in a span (bytes inside a
// merged run may be kept ones), and every span has a changed byte.
void ExpectWrittenJustWithin(const Ranges& changed, const Ranges& spans, const std::string& what) {
  auto inSpan = [&](uint32_t at) {
    return std::any_of(spans.begin(), spans.end(), [&](const Range& s) { return at >= s.begin && at < s.end; });
  };
  for (const Range& c : changed) {
    for (uint32_t at : {c.begin, c.end - 1}) {
      if (!inSpan(at)) ADD_FAILURE() << what << ": 0x" << std::hex << at << " written outside every span";
    }
  }
  for (const Range& s : spans) {
    const bool touched =
        std::any_of(changed.begin(), changed.end(), [&](const Range& c) { return c.begin < s.end && s.begin < c.end; });
    EXPECT_TRUE(touched) << what << ": nothing written in {0x" << std::hex << s.begin << ", 0x" << s.end << "}";
  }
}

std::string Describe(const Ranges& ranges) {
  std::string text;
  char item[40];
  for (const Range& r : ranges) {
    std::snprintf(item, sizeof item, "{0x%X, 0x%X}, ", r.begin, r.end);
    text += item;
  }
  return text;
}

// The spans the rows name, pinned to the game build's addresses.
constexpr const char* kRefresh = "\nAfter adding or moving a host address, run scripts/refresh-pinned.sh";
const Ranges kRowSpans = {
#include "tests/frame/pinned_spans.inc"
};

TEST(PatchedRanges, TheRowsNameThePinnedSpans) {
  Ranges named;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) AddSpans(*row, named);
  std::sort(named.begin(), named.end());
  named.erase(std::unique(named.begin(), named.end()), named.end());
  EXPECT_EQ(named, kRowSpans) << Describe(named) << kRefresh;
}

TEST(PatchedRanges, EveryOtherNamedHostAddressIsPinned) {
  const std::pair<uint32_t, uint32_t> pinned[] = {
#include "tests/frame/pinned_addresses.inc"
  };
  for (auto [named, address] : pinned) EXPECT_EQ(named, address) << std::hex << address << kRefresh;
}

TEST(PatchedRanges, EveryOptionOnWritesJustTheSpansOfItsEligibleRows) {
  std::string ini = "[Patch]\n";
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (std::string(row->key) != "RunAllocatorBenchmark") ini += std::string(row->key) + "=1\n";
  }
  const Ranges patched = RangesAfterLoading(ini);
  Ranges expected = {kLoadMarker};
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (IsOptionEligible(*row)) AddSpans(*row, expected);
  }
  ExpectWrittenJustWithin(patched, expected, "every option on");
}

// Each option alone (with the options it needs) writes its row's spans.
TEST(PatchedRanges, EachOptionWritesJustItsRowSpans) {
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    std::string ini = "[Patch]\n";
    Ranges expected = {kLoadMarker};
    for (const OptionEntry* needed = row; needed != nullptr; needed = FindOptionByKey(needed->required)) {
      ini += std::string(needed->key) + "=1\n";
      AddSpans(*needed, expected);
    }
    ExpectWrittenJustWithin(RangesAfterLoading(ini), expected, row->key);
  }
}

// Stands in for VirtualProtect in a loaded copy's import table: refuses the
// nth call on one host address (the first makes its span writable, the
// second gives the span its protection back) and passes the rest on.
struct Refusal {
  uint32_t address;
  int nth;
  int calls = 0;
  decltype(&VirtualProtect) real = nullptr;
};
Refusal g_refusal{0, 0};

BOOL WINAPI RefusingVirtualProtect(void* at, SIZE_T size, DWORD protection, DWORD* old) {
  if (reinterpret_cast<uintptr_t>(at) == g_refusal.address && ++g_refusal.calls == g_refusal.nth) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return g_refusal.real(at, size, protection, old);
}

// Half an entry/exit pair takes a lock that is never given back: a refused
// span leaves the whole effect-list set unwritten, or written and put back,
// while the other options are still applied and the log says where and why.
TEST(PatchedRanges, AnOptionWhoseSetCannotBeWrittenLeavesItsBytesAndIsLogged) {
  struct Case {
    const char* refused;
    HookSite span;
    int nth;
    uint32_t logged;
    const char* reason;
  };
  const Case cases[] = {
      {"write access", host::kEffectListCExit, 1, host::kEffectListCExit.site, "cannot be made writable"},
      {"the old protection", host::kEffectListEEntry, 2, host::kFixUnsafeEffectListSites[0].site,
       "could not be protected again, so the set was put back"},
  };
  Ranges strLen = {kLoadMarker};
  AddSpans(*FindOptionByKey("StrLen"), strLen);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("refused ") + c.refused);
    g_refusal = {c.span.site, c.nth};
    HMODULE copy = nullptr;
    const Ranges patched =
        RangesAfterLoading("[Patch]\nLogMessageToFile=1\nFixUnsafeEffectList=1\nStrLen=1\n", [&](HMODULE module) {
          copy = module;
          const void* real = sim::RedirectImport(module, "kernel32.dll", "VirtualProtect",
                                                 reinterpret_cast<const void*>(&RefusingVirtualProtect));
          g_refusal.real = reinterpret_cast<decltype(&VirtualProtect)>(const_cast<void*>(real));
        });
    ASSERT_NE(g_refusal.real, nullptr) << "the copy imports no VirtualProtect";
    sim::RedirectImport(copy, "kernel32.dll", "VirtualProtect", reinterpret_cast<const void*>(g_refusal.real));
    ExpectWrittenJustWithin(patched, strLen, "StrLen beside the refused set");
    char line[200];
    std::snprintf(line, sizeof line, "\"FixUnsafeEffectList\" was not applied: host code at 0x%X %s.", c.logged,
                  c.reason);
    // The plugin logs relative to the game folder, still the current one.
    const std::string log = sim::ReadFile(kLogFile);
    EXPECT_NE(log.find(line), std::string::npos) << log;
  }
}

}  // namespace
