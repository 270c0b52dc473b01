#include "plugin/option_table.h"

#include <array>

#include "plugin/apply.h"
#include "plugin/settings.h"

#if defined(_WIN32) && !defined(ORRISBANE_RULES_ONLY)
#define APPLY(function) &function
#else
// Builds that only judge eligibility (the native build, the configuration
// doctor) carry a marker in place of each apply function.
void ApplyNothingNatively() {}
#define APPLY(function) &ApplyNothingNatively
#endif

namespace {

constexpr bool kEarly = true;
constexpr bool kLate = false;

using Table = std::array<OptionEntry, kOptionCount + 1>;

// Row order is behaviour: it is the order apply functions run in, and it
// decides which key the too-late message names.
Table BuildOptionTable() {
  return Table{{
      {nullptr, "LogMessageToFile", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyWarnBadENB), "WarnBadENB", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyRecordCrashInfo), "RecordCrashInfo", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyStrCmp), "StrCmp", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyStrCmpNoTry), "StrCmpNoTry", "StrCmp", nullptr, nullptr, kLate},
      {APPLY(ApplyStrLen), "StrLen", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyUnkUniqueId), "UnkUniqueId", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyRender650), "Render650", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyUnkObjRef4D4EB0), "UnkObjRef4D4EB0", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyNullSeenData), "NullSeenData", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyStringRefSetNull), "StringRefSetNull", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplySkipStrLenCrash), "SkipStrLenCrash", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyBhvGraphUpdateLoad), "bhvGraphUpdateLoad", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyUnk11), "Unk11", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyMissingNode), "MissingNode", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyAlignHeapAllocate), "AlignHeapAllocate", "UseOSAllocators", "RunAllocatorBenchmark", nullptr, kLate},
      {APPLY(ApplyAutoDisableMTIni), "AutoDisableMTIni", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyShadowNode), "ShadowNode", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyIndexError1), "IndexError1", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyMovementPlannerAgentWarp), "MovementPlannerAgentWarp", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyUnallocatedMovaps), "UnallocatedMovaps", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyCellNullCrash), "CellNullCrash", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyGetMainMagicEffect), "GetMainMagicEffect", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyMountNodeCrash), "MountNodeCrash", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyMountNodeWarn), "MountNodeWarn", "MountNodeCrash", nullptr, nullptr, kLate},
      {APPLY(ApplyIKCrashWarn), "IKCrashWarn", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyRenderSave), "RenderSave", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyMoveControllerCast), "MoveControllerCast", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplySaveRenderCrash), "SaveRenderCrash", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyNullLoadedNodeIgnore), "NullLoadedNodeIgnore", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyNullLoadedNodeNotify), "NullLoadedNodeNotify", "NullLoadedNodeIgnore", nullptr, nullptr, kLate},
      {APPLY(ApplyNullActorBaseForm), "NullActorBaseForm", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyAVSetCrash), "AVSetCrash", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyStringCount32), "StringCount32", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyWarnQORVMemoryPatch), "WarnQORVMemoryPatch", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyUseOSAllocators), "UseOSAllocators", "RunAllocatorBenchmark", nullptr, nullptr, kEarly},
      {APPLY(ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled), "FixMovApsManuallyIfAlignedAllocateIsDisabled", "AlignHeapAllocate", nullptr, nullptr, kLate},
      {APPLY(ApplyOverwriteArrayAllocator), "OverwriteArrayAllocator", nullptr, nullptr, "UseOSAllocators", kEarly},
      {APPLY(ApplyNullPlayerNode), "NullPlayerNode", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyNullBaseFormMove), "NullBaseFormMove", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyDebugStream), "DebugStream", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyNullRefNode), "NullRefNode", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyNullOutfitEntry), "NullOutfitEntry", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyActorDeleteNullBase), "ActorDeleteNullBase", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyWarnTextureFailure), "WarnTextureFailure", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyNullParentNode), "NullParentNode", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyCustomMemoryBlock), "CustomMemoryBlock", "RunAllocatorBenchmark", nullptr, "UseOSAllocators", kEarly},
      {APPLY(ApplyMemoryInfoConsole), "MemoryInfoConsole", nullptr, nullptr, "CustomMemoryBlock", kLate},
      {APPLY(ApplySarnothSpecific), "SarnothSpecific", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyFixUnsafeEffectList), "FixUnsafeEffectList", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyHighFrequencyOSTimer), "HighFrequencyOSTimer", nullptr, nullptr, nullptr, kEarly},
      {APPLY(ApplyHighFrequencyGameTimer), "HighFrequencyGameTimer", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyWarnNullCombatStyle), "WarnNullCombatStyle", nullptr, nullptr, nullptr, kLate},
      {APPLY(ApplyRunAllocatorBenchmark), "RunAllocatorBenchmark", nullptr, nullptr, nullptr, kLate},
      {nullptr, nullptr, nullptr, nullptr, nullptr, false},
  }};
}

bool IsOn(const char* key) { return GetSetting(key, -1) > 0; }

}  // namespace

const OptionEntry* FindOption(int index) {
  if (index < 0) return nullptr;
  static const Table table = BuildOptionTable();  // built once, thread-safe
  if (table[0].key == nullptr) return nullptr;
  for (int i = 1; i <= index; ++i) {
    if (i > kOptionCount || table[i].key == nullptr) return nullptr;
  }
  return &table[index];
}

bool IsOptionEligible(const OptionEntry& row) {
  if (!IsOn(row.key)) return false;
  if (row.conflictA != nullptr && IsOn(row.conflictA)) return false;
  if (row.conflictB != nullptr && IsOn(row.conflictB)) return false;
  if (row.required != nullptr && !IsOn(row.required)) return false;
  return true;
}
