#include "plugin/option_table.h"

#include <cstring>
#include <iterator>
#include <string_view>

#include "core/settings.h"
#include "plugin/apply.h"

#if defined(_WIN32) && !defined(ORRISBANE_RULES_ONLY)
#define APPLY(function) &function
#else
// Builds that only judge eligibility (the native build, the configuration
// doctor) carry a marker in place of each apply function.
ApplyStatus ApplyNothingNatively() { return kApplied; }
#define APPLY(function) &ApplyNothingNatively
#endif

namespace {

using namespace host;

// Row order is behaviour: it is the order apply functions run in, and it
// decides which key the too-late message names.
constexpr OptionEntry kOptions[] = {
    {.key = "LogMessageToFile"},
    {.key = "WarnBadENB", .apply = APPLY(ApplyWarnBadENB)},
    {.key = "RecordCrashInfo", .apply = APPLY(ApplyRecordCrashInfo), .sites = kRecordCrashInfoSites},
    {.key = "StrCmp", .apply = APPLY(ApplyStrCmp), .sites = kStrCmpSites},
    {.key = "StrCmpNoTry", .apply = APPLY(ApplyStrCmpNoTry), .sites = kStrCmpSites, .ruledOutBy = {"StrCmp"}},
    {.key = "StrLen", .apply = APPLY(ApplyStrLen), .sites = kStrLenSites},
    {.key = "UnkUniqueId", .apply = APPLY(ApplyUnkUniqueId), .sites = kUnkUniqueIdSites},
    {.key = "Render650", .apply = APPLY(ApplyRender650), .sites = kRender650Sites},
    {.key = "UnkObjRef4D4EB0", .apply = APPLY(ApplyUnkObjRef4D4EB0), .sites = kUnkObjRef4D4EB0Sites},
    {.key = "NullSeenData", .apply = APPLY(ApplyNullSeenData), .sites = kNullSeenDataSites},
    {.key = "StringRefSetNull", .apply = APPLY(ApplyStringRefSetNull), .sites = kStringRefSetNullSites},
    {.key = "SkipStrLenCrash", .apply = APPLY(ApplySkipStrLenCrash), .sites = kSkipStrLenCrashSites},
    {.key = "bhvGraphUpdateLoad", .apply = APPLY(ApplyBhvGraphUpdateLoad), .sites = kBhvGraphUpdateLoadSites},
    {.key = "Unk11", .apply = APPLY(ApplyUnk11), .sites = kUnk11Sites},
    {.key = "MissingNode", .apply = APPLY(ApplyMissingNode), .sites = kMissingNodeSites},
    {.key = "AlignHeapAllocate",
      .apply = APPLY(ApplyAlignHeapAllocate), .sites = kAlignHeapAllocateSites,
      .ruledOutBy = {"UseOSAllocators", "RunAllocatorBenchmark"}},
    {.key = "AutoDisableMTIni", .apply = APPLY(ApplyAutoDisableMTIni), .sites = kAutoDisableMTIniSites},
    {.key = "ShadowNode", .apply = APPLY(ApplyShadowNode), .sites = kShadowNodeSites},
    {.key = "IndexError1", .apply = APPLY(ApplyIndexError1), .sites = kIndexError1Sites},
    {.key = "MovementPlannerAgentWarp",
      .apply = APPLY(ApplyMovementPlannerAgentWarp), .sites = kMovementPlannerAgentWarpSites},
    {.key = "UnallocatedMovaps", .apply = APPLY(ApplyUnallocatedMovaps), .sites = kUnallocatedMovapsSites},
    {.key = "CellNullCrash", .apply = APPLY(ApplyCellNullCrash), .sites = kCellNullCrashSites},
    {.key = "GetMainMagicEffect", .apply = APPLY(ApplyGetMainMagicEffect), .sites = kGetMainMagicEffectSites},
    {.key = "MountNodeCrash", .apply = APPLY(ApplyMountNodeCrash), .sites = kMountNodeCrashSites},
    {.key = "MountNodeWarn",
      .apply = APPLY(ApplyMountNodeWarn), .sites = kMountNodeWarnSites, .ruledOutBy = {"MountNodeCrash"}},
    {.key = "IKCrashWarn", .apply = APPLY(ApplyIKCrashWarn), .sites = kIKCrashWarnSites},
    {.key = "RenderSave", .apply = APPLY(ApplyRenderSave), .sites = kRenderSaveSites},
    {.key = "MoveControllerCast", .apply = APPLY(ApplyMoveControllerCast), .sites = kMoveControllerCastSites},
    {.key = "SaveRenderCrash", .apply = APPLY(ApplySaveRenderCrash), .sites = kSaveRenderCrashSites},
    {.key = "NullLoadedNodeIgnore", .apply = APPLY(ApplyNullLoadedNodeIgnore), .sites = kNullLoadedNodeIgnoreSites},
    {.key = "NullLoadedNodeNotify",
      .apply = APPLY(ApplyNullLoadedNodeNotify), .sites = kNullLoadedNodeNotifySites,
      .ruledOutBy = {"NullLoadedNodeIgnore"}},
    {.key = "NullActorBaseForm", .apply = APPLY(ApplyNullActorBaseForm), .sites = kNullActorBaseFormSites},
    {.key = "AVSetCrash", .apply = APPLY(ApplyAVSetCrash), .sites = kAVSetCrashSites},
    {.key = "StringCount32", .apply = APPLY(ApplyStringCount32), .sites = kStringCount32Sites},
    {.key = "WarnQORVMemoryPatch", .apply = APPLY(ApplyWarnQORVMemoryPatch), .sites = kWarnQORVMemoryPatchSites},
    {.key = "UseOSAllocators",
      .apply = APPLY(ApplyUseOSAllocators), .sites = kUseOSAllocatorsSites, .ruledOutBy = {"RunAllocatorBenchmark"},
      .early = true},
    {.key = "FixMovApsManuallyIfAlignedAllocateIsDisabled",
      .apply = APPLY(ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled),
      .sites = kFixMovApsManuallyIfAlignedAllocateIsDisabledSites, .ruledOutBy = {"AlignHeapAllocate"}},
    {.key = "OverwriteArrayAllocator",
      .apply = APPLY(ApplyOverwriteArrayAllocator), .sites = kOverwriteArrayAllocatorSites,
      .required = "UseOSAllocators", .early = true},
    {.key = "NullPlayerNode", .apply = APPLY(ApplyNullPlayerNode), .sites = kNullPlayerNodeSites},
    {.key = "NullBaseFormMove", .apply = APPLY(ApplyNullBaseFormMove), .sites = kNullBaseFormMoveSites},
    {.key = "DebugStream", .apply = APPLY(ApplyDebugStream), .sites = kDebugStreamSites},
    {.key = "NullRefNode", .apply = APPLY(ApplyNullRefNode), .sites = kNullRefNodeSites},
    {.key = "NullOutfitEntry", .apply = APPLY(ApplyNullOutfitEntry), .sites = kNullOutfitEntrySites},
    {.key = "ActorDeleteNullBase", .apply = APPLY(ApplyActorDeleteNullBase), .sites = kActorDeleteNullBaseSites},
    {.key = "WarnTextureFailure", .apply = APPLY(ApplyWarnTextureFailure), .sites = kWarnTextureFailureSites},
    {.key = "NullParentNode", .apply = APPLY(ApplyNullParentNode), .sites = kNullParentNodeSites},
    {.key = "CustomMemoryBlock",
      .apply = APPLY(ApplyCustomMemoryBlock), .ruledOutBy = {"RunAllocatorBenchmark"}, .required = "UseOSAllocators",
      .early = true},
    {.key = "MemoryInfoConsole",
      .apply = APPLY(ApplyMemoryInfoConsole), .sites = kMemoryInfoConsoleSites, .required = "CustomMemoryBlock"},
    {.key = "SarnothSpecific", .apply = APPLY(ApplySarnothSpecific), .sites = kSarnothSpecificSites},
    {.key = "FixUnsafeEffectList", .apply = APPLY(ApplyFixUnsafeEffectList), .sites = kFixUnsafeEffectListSites},
    {.key = "HighFrequencyOSTimer",
      .apply = APPLY(ApplyHighFrequencyOSTimer), .sites = kHighFrequencyOSTimerSites, .early = true},
    {.key = "HighFrequencyGameTimer",
      .apply = APPLY(ApplyHighFrequencyGameTimer), .sites = kHighFrequencyGameTimerSites},
    {.key = "FreezeReportSeconds",
      .apply = APPLY(ApplyFreezeReportSeconds), .sites = kFreezeReportSecondsSites},
    {.key = "WarnNullCombatStyle", .apply = APPLY(ApplyWarnNullCombatStyle), .sites = kWarnNullCombatStyleSites},
    {.key = "RunAllocatorBenchmark",
      .apply = APPLY(ApplyRunAllocatorBenchmark), .sites = kRunAllocatorBenchmarkSites},
};

// What must stay true as rows are added, checked when the table is built.
constexpr bool IsRowKey(std::string_view key) {
  for (const OptionEntry& row : kOptions) {
    if (key == row.key) return true;
  }
  return false;
}

constexpr bool KeysAreUniqueAndEveryNamedKeyIsARow() {
  for (const OptionEntry* row = std::begin(kOptions); row != std::end(kOptions); ++row) {
    for (const OptionEntry* later = row + 1; later != std::end(kOptions); ++later) {
      if (std::string_view(row->key) == later->key) return false;
    }
    for (const char* other : row->ruledOutBy) {
      if (other != nullptr && !IsRowKey(other)) return false;
    }
    if (row->required != nullptr && !IsRowKey(row->required)) return false;
  }
  return true;
}
static_assert(KeysAreUniqueAndEveryNamedKeyIsARow());

// Only the first row is a plain setting; every other row installs something.
constexpr bool OnlyTheFirstRowIsASetting() {
  for (const OptionEntry& row : kOptions) {
    if ((row.apply == nullptr) != (&row == std::begin(kOptions))) return false;
  }
  return true;
}
static_assert(std::string_view(kOptions[0].key) == "LogMessageToFile" && OnlyTheFirstRowIsASetting());

// The early rows in table order: the first one on is the one the too-late
// message names.
constexpr std::string_view kEarlyOrder[] = {"UseOSAllocators", "OverwriteArrayAllocator", "CustomMemoryBlock",
                                            "HighFrequencyOSTimer"};
constexpr bool EarlyRowsAreInOrder() {
  size_t next = 0;
  for (const OptionEntry& row : kOptions) {
    if (!row.early) continue;
    if (next == std::size(kEarlyOrder) || row.key != kEarlyOrder[next]) return false;
    ++next;
  }
  return next == std::size(kEarlyOrder);
}
static_assert(EarlyRowsAreInOrder());

bool IsOn(const char* key) { return GetSetting(key, -1) > 0; }

}  // namespace

const OptionEntry* FindOption(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kOptions))) return nullptr;
  return &kOptions[index];
}

const OptionEntry* FindOptionByKey(const char* key) {
  for (const OptionEntry& row : kOptions) {
    if (key != nullptr && std::strcmp(row.key, key) == 0) return &row;
  }
  return nullptr;
}

const OptionEntry* FindOptionGuarding(uint32_t address, const OptionEntry* after) {
  for (const OptionEntry* row = after != nullptr ? after + 1 : std::begin(kOptions); row != std::end(kOptions); ++row) {
    for (const HookSite& span : row->sites) {
      if (Covers(span, address)) return row;
    }
  }
  return nullptr;
}

bool IsOptionEligible(const OptionEntry& row) {
  if (!IsOn(row.key)) return false;
  for (const char* other : row.ruledOutBy) {
    if (other != nullptr && IsOn(other)) return false;
  }
  if (row.required != nullptr && !IsOn(row.required)) return false;
  return true;
}
