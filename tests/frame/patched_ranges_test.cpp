// Which host bytes each option changes, loaded through a fresh copy of the
// built DLL and compared byte for byte with the untouched host image; and the
// one place outside the sites headers where host addresses are typed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
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
#include "plugin/option_table.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "sim/session.h"
#include "tests/frame/frame_fixture.h"

namespace {

using Range = sim::HostRange;
using Ranges = std::vector<Range>;

Ranges RangesAfterLoading(const std::string& ini) {
  sim::ResetHostImage();
  const uint32_t size = sim::kHostEnd - sim::kHostBegin;
  auto before = std::make_unique<uint8_t[]>(size);
  std::memcpy(before.get(), reinterpret_cast<const void*>(static_cast<uintptr_t>(sim::kHostBegin)), size);
  const std::string folder = sim::TempFolder("ranges");
  sim::PrepareGameFolder(folder, ini);
  auto outcome = sim::LoadPluginAsQorv({frame_test::FreshDllCopy(folder), false});
  EXPECT_TRUE(outcome.loadResult) << outcome.error;
  return sim::PatchedRanges(before.get(), sim::kHostBegin, size);
}

const Range kLoadMarker{host::kLoadMarker, host::kLoadMarker + 1};

void AddSpans(const OptionEntry& row, Ranges& to) {
  for (const HookSite& span : row.sites) to.push_back({span.site, span.resume});
}

const OptionEntry* FindOptionByKey(const char* key) {
  for (int i = 0; key != nullptr && FindOption(i) != nullptr; ++i) {
    if (std::string(FindOption(i)->key) == key) return FindOption(i);
  }
  return nullptr;
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

// The spans the rows name, pinned to the game build's addresses: the one
// place outside the sites headers where host addresses are typed.
const Ranges kRowSpans = {
#include "tests/frame/pinned_spans.inc"
};

TEST(PatchedRanges, TheRowsNameThePinnedSpans) {
  Ranges named;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) AddSpans(*row, named);
  std::sort(named.begin(), named.end());
  named.erase(std::unique(named.begin(), named.end()), named.end());
  EXPECT_EQ(named, kRowSpans) << Describe(named);
}

TEST(PatchedRanges, EveryOtherNamedHostAddressIsPinned) {
  const std::pair<uint32_t, uint32_t> pinned[] = {
#include "tests/frame/pinned_addresses.inc"
  };
  for (auto [named, address] : pinned) EXPECT_EQ(named, address) << std::hex << address;
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

}  // namespace
