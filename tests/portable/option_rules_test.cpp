// The option table's rules, natively: the same table and eligibility code as
// the plugin, over the portable profile reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/ini_file.h"
#include "core/settings.h"
#include "fixes/effect_list_sites.h"
#include "fixes/scene_node_guard_sites.h"
#include "fixes/string_sites.h"
#include "patch/frame_sites.h"
#include "plugin/option_table.h"

namespace {

namespace fs = std::filesystem;

class OptionRules : public testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = fs::temp_directory_path() / ("orrisbane-rules-" + std::to_string(std::time(nullptr)) + "-" + std::to_string(++counter));
    fs::create_directories(dir_ / "Data/QORV/Plugins");
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir_);
  }
  void WriteIni(const std::string& body) {
    std::ofstream(dir_ / "Data/QORV/Plugins/Orrisbane.ini") << "[Patch]\n" << body;
  }
  static bool Eligible(const char* key) {
    const OptionEntry* row = FindOptionByKey(key);
    if (row == nullptr) throw std::runtime_error(std::string("no row ") + key);
    return IsOptionEligible(*row);
  }
  fs::path dir_;
};

// What the crash report's reader needs: a host address names the option
// whose patch covers it, bytes patches included, and nothing outside.
TEST(OptionTable, AHostAddressNamesTheOptionThatWritesIt) {
  EXPECT_STREQ(FindOptionGuarding(host::kNullRefNode.site)->key, "NullRefNode");
  EXPECT_STREQ(FindOptionGuarding(host::kNullRefNode.resume - 1)->key, "NullRefNode");
  EXPECT_STREQ(FindOptionGuarding(host::kEffectListBFrameByte.site)->key, "FixUnsafeEffectList");
  EXPECT_EQ(FindOptionGuarding(host::kNullRefNode.resume), nullptr);
  EXPECT_EQ(FindOptionGuarding(host::kImageBegin), nullptr);
  const OptionEntry* shared = FindOptionGuarding(host::kStrCmp.site);
  EXPECT_STREQ(shared->key, "StrCmp");
  EXPECT_STREQ(FindOptionGuarding(host::kStrCmp.site, shared)->key, "StrCmpNoTry");
  EXPECT_EQ(FindOptionGuarding(host::kStrCmp.site, FindOptionGuarding(host::kStrCmp.site, shared)), nullptr);
}

// Unique keys, known references, the plain setting first and the early
// rows' order are static_asserts beside the table; the lookups, whatever
// the row count, are these.
TEST_F(OptionRules, EveryRowIsFoundByIndexAndByKeyAndNothingOutside) {
  int count = 0;
  for (const OptionEntry* row; (row = FindOption(count)) != nullptr; ++count) {
    EXPECT_EQ(FindOptionByKey(row->key), row) << row->key;
  }
  EXPECT_GT(count, 0);
  for (int outside : {-1, count, count + 1000}) EXPECT_EQ(FindOption(outside), nullptr) << outside;
  EXPECT_STREQ(FindOption(0)->key, "LogMessageToFile");
  EXPECT_EQ(FindOptionByKey("runallocatorbenchmark"), nullptr) << "the table's own spelling";
  EXPECT_EQ(FindOptionByKey(nullptr), nullptr);
}

// On means greater than zero and a missing key is off; a conflict rules out
// the later option; the benchmark rules out the allocators but not the array
// allocator; a requirement looks at the setting only.
TEST_F(OptionRules, EligibilityFollowsTheSettingsConflictsAndRequirements) {
  struct File {
    const char* ini;
    std::vector<const char*> on, off;
  };
  const File files[] = {
      {"StrLen=2\nUnk11=0\nRender650=-3\nShadowNode=junk\n",
       {"StrLen"},
       {"Unk11", "Render650", "ShadowNode", "NullRefNode"}},
      {"StrCmp=1\nStrCmpNoTry=1\nMountNodeCrash=1\nMountNodeWarn=1\nNullLoadedNodeIgnore=1\n"
       "NullLoadedNodeNotify=1\nAlignHeapAllocate=1\nFixMovApsManuallyIfAlignedAllocateIsDisabled=1\n",
       {"StrCmp", "MountNodeCrash", "NullLoadedNodeIgnore", "AlignHeapAllocate"},
       {"StrCmpNoTry", "MountNodeWarn", "NullLoadedNodeNotify", "FixMovApsManuallyIfAlignedAllocateIsDisabled"}},
      {"RunAllocatorBenchmark=1\nAlignHeapAllocate=1\nUseOSAllocators=1\nCustomMemoryBlock=1\n"
       "OverwriteArrayAllocator=1\n",
       {"OverwriteArrayAllocator"},
       {"AlignHeapAllocate", "UseOSAllocators", "CustomMemoryBlock"}},
      // CustomMemoryBlock needs UseOSAllocators; MemoryInfoConsole needs only
      // CustomMemoryBlock's setting.
      {"OverwriteArrayAllocator=1\nUseOSAllocators=0\nMemoryInfoConsole=1\nCustomMemoryBlock=1\n",
       {"MemoryInfoConsole"},
       {"OverwriteArrayAllocator", "CustomMemoryBlock"}},
  };
  for (const File& file : files) {
    SCOPED_TRACE(file.ini);
    WriteIni(file.ini);
    for (const char* key : file.on) EXPECT_TRUE(Eligible(key)) << key;
    for (const char* key : file.off) EXPECT_FALSE(Eligible(key)) << key;
  }
}

TEST_F(OptionRules, OverridesBeatTheFileCaseSensitivelyAndAMissingKeyGivesTheFallback) {
  WriteIni("NativeOverrideProbe=1\n");
  EXPECT_EQ(GetSetting("NullRefNode", -1), -1);
  EXPECT_EQ(GetSetting("UseOSAllocators", 0), 0);
  EXPECT_EQ(GetSetting("NativeOverrideProbe", -1), 1);
  StoreSettingOverride("NativeOverrideProbe", 0);
  EXPECT_EQ(GetSetting("NativeOverrideProbe", -1), 0);
  EXPECT_EQ(GetSetting("NativeOverrideProbe", 7), 0);
  EXPECT_EQ(GetSetting("nativeoverrideprobe", -1), 1);  // the file's keys ignore case
  EXPECT_EQ(GetSetting("", 5), 5);
  EXPECT_EQ(GetSetting(nullptr, 5), 5);
}

TEST(ProfileText, ConvertsLikeTheWin32Reader) {
  for (auto [text, value] : {std::pair{"12", 12}, {"  -4", -4}, {"0x10", 16}, {"3 ; three", 3}, {"true", 0}}) {
    EXPECT_EQ(ProfileTextToInt(text), value) << text;
  }
  auto entries = ParseIni("[patch]\r\n Key = 5 \r\n;Other=1\n[Other]\nKey=9\n");
  EXPECT_EQ(FindIniValue(entries, "Patch", "key").value_or("?"), "5");
  EXPECT_FALSE(FindIniValue(entries, "Patch", "Other").has_value());
}

}  // namespace
