// The session's listing is what the plugin reported doing while it loaded,
// and it agrees with the host code that changed.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "plugin/load_sequence.h"
#include "sim/host_memory.h"
#include "sim/session.h"
#include "tests/frame/frame_fixture.h"

namespace frame_test {
namespace {

using Outcomes = std::map<std::string, std::string>;

struct Listing {
  Outcomes options;
  int sites = 0;
};

Listing LoadAndList(const std::string& settings, bool late) {
  sim::ResetHostImage();
  const std::vector<uint8_t> before = sim::SnapshotHostCode();
  const LoadedCopy copy = LoadFreshCopy("[Patch]\n" + settings, late);
  EXPECT_TRUE(copy.outcome.loadResult) << copy.outcome.error;
  Listing listing;
  listing.sites = sim::CountPatchedSites(before);
  for (const auto& option : sim::ReportedOptions()) {
    EXPECT_TRUE(listing.options.emplace(option.key, option.outcome).second) << option.key << " reported twice";
  }
  return listing;
}

TEST(SessionListing, ReportsWhatTheLoadStoredAndPatched) {
  const std::string early = "UseOSAllocators=1\nOverwriteArrayAllocator=1\nCustomMemoryBlock=1\n";
  const std::string align = "AlignHeapAllocate=1\nStrLen=1\n";
  const Listing late = LoadAndList(early + align, true);
  const Listing alignOnly = LoadAndList(align, true);
  const Listing strLenOnly = LoadAndList("StrLen=1\n", true);
  // The failed early option stored 0, which freed AlignHeapAllocate; the two
  // that depend on it are simply not on, not too late.
  EXPECT_EQ(late.options, (Outcomes{{"UseOSAllocators", kRowTooLate},
                                    {"AlignHeapAllocate", kRowAppliedAtLoad},
                                    {"StrLen", kRowAppliedAtLoad}}));
  EXPECT_EQ(late.sites, alignOnly.sites);
  EXPECT_EQ(alignOnly.options, (Outcomes{{"AlignHeapAllocate", kRowAppliedAtLoad}, {"StrLen", kRowAppliedAtLoad}}));
  EXPECT_GT(alignOnly.sites, strLenOnly.sites) << "AlignHeapAllocate patched nothing";
  EXPECT_EQ(strLenOnly.options, (Outcomes{{"StrLen", kRowAppliedAtLoad}}));
  EXPECT_GT(strLenOnly.sites, 0);

  // In time, the early options apply and rule AlignHeapAllocate out.
  const Listing inTime = LoadAndList(early + align, false);
  EXPECT_EQ(inTime.options, (Outcomes{{"UseOSAllocators", kRowAppliedEarly},
                                      {"OverwriteArrayAllocator", kRowAppliedEarly},
                                      {"CustomMemoryBlock", kRowAppliedEarly},
                                      {"StrLen", kRowAppliedAtLoad}}));
  EXPECT_GT(inTime.sites, strLenOnly.sites);
}

// A value that asks for nothing is listed as such, not as applied, and
// patches nothing.
TEST(SessionListing, AnOptionWhoseValueInstallsNothingIsListedInert) {
  const Listing notInstalled = LoadAndList("RecordCrashInfo=2\nStrLen=1\n", false);
  EXPECT_EQ(notInstalled.options, (Outcomes{{"RecordCrashInfo", kRowInert}, {"StrLen", kRowAppliedAtLoad}}));
  EXPECT_EQ(notInstalled.sites, LoadAndList("StrLen=1\n", false).sites);
  EXPECT_EQ(LoadAndList("RecordCrashInfo=1\n", false).options, (Outcomes{{"RecordCrashInfo", kRowAppliedAtLoad}}));
}

}  // namespace
}  // namespace frame_test
