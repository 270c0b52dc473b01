#include "plugin/option_table.h"

#include <array>

#include "plugin/apply.h"
#include "plugin/settings.h"

#ifdef _WIN32
#define APPLY(function) &function
#else
// Native builds only judge eligibility; a row's apply function is a marker.
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
      {nullptr, "WarnBadENB", nullptr, nullptr, nullptr, kLate},
      {nullptr, "RecordCrashInfo", nullptr, nullptr, nullptr, kLate},
      {nullptr, "StrCmp", nullptr, nullptr, nullptr, kLate},
      {nullptr, "StrCmpNoTry", "StrCmp", nullptr, nullptr, kLate},
      {nullptr, "StrLen", nullptr, nullptr, nullptr, kLate},
      {nullptr, "UnkUniqueId", nullptr, nullptr, nullptr, kLate},
      {nullptr, "Render650", nullptr, nullptr, nullptr, kLate},
      {nullptr, "UnkObjRef4D4EB0", nullptr, nullptr, nullptr, kLate},
      {nullptr, "NullSeenData", nullptr, nullptr, nullptr, kLate},
      {nullptr, "StringRefSetNull", nullptr, nullptr, nullptr, kLate},
      {nullptr, "SkipStrLenCrash", nullptr, nullptr, nullptr, kLate},
      {nullptr, "bhvGraphUpdateLoad", nullptr, nullptr, nullptr, kLate},
      {nullptr, "Unk11", nullptr, nullptr, nullptr, kLate},
      {nullptr, "MissingNode", nullptr, nullptr, nullptr, kLate},
      {nullptr, "AlignHeapAllocate", "UseOSAllocators", "RunAllocatorBenchmark", nullptr, kLate},
      {nullptr, "AutoDisableMTIni", nullptr, nullptr, nullptr, kLate},
      {nullptr, "ShadowNode", nullptr, nullptr, nullptr, kLate},
      {nullptr, "IndexError1", nullptr, nullptr, nullptr, kLate},
      {nullptr, "MovementPlannerAgentWarp", nullptr, nullptr, nullptr, kLate},
      {nullptr, "UnallocatedMovaps", nullptr, nullptr, nullptr, kLate},
      {nullptr, "CellNullCrash", nullptr, nullptr, nullptr, kLate},
      {nullptr, "GetMainMagicEffect", nullptr, nullptr, nullptr, kLate},
      {nullptr, "MountNodeCrash", nullptr, nullptr, nullptr, kLate},
      {nullptr, "MountNodeWarn", "MountNodeCrash", nullptr, nullptr, kLate},
      {nullptr, "IKCrashWarn", nullptr, nullptr, nullptr, kLate},
      {nullptr, "RenderSave", nullptr, nullptr, nullptr, kLate},
      {nullptr, "MoveControllerCast", nullptr, nullptr, nullptr, kLate},
      {nullptr, "SaveRenderCrash", nullptr, nullptr, nullptr, kLate},
      {nullptr, "NullLoadedNodeIgnore", nullptr, nullptr, nullptr, kLate},
      {nullptr, "NullLoadedNodeNotify", "NullLoadedNodeIgnore", nullptr, nullptr, kLate},
      {nullptr, "NullActorBaseForm", nullptr, nullptr, nullptr, kLate},
      {nullptr, "AVSetCrash", nullptr, nullptr, nullptr, kLate},
      {nullptr, "StringCount32", nullptr, nullptr, nullptr, kLate},
      {nullptr, "WarnQORVMemoryPatch", nullptr, nullptr, nullptr, kLate},
      {nullptr, "UseOSAllocators", "RunAllocatorBenchmark", nullptr, nullptr, kEarly},
      {nullptr, "FixMovApsManuallyIfAlignedAllocateIsDisabled", "AlignHeapAllocate", nullptr, nullptr, kLate},
      {nullptr, "OverwriteArrayAllocator", nullptr, nullptr, "UseOSAllocators", kEarly},
      {nullptr, "NullPlayerNode", nullptr, nullptr, nullptr, kLate},
      {nullptr, "NullBaseFormMove", nullptr, nullptr, nullptr, kLate},
      {nullptr, "DebugStream", nullptr, nullptr, nullptr, kLate},
      {nullptr, "NullRefNode", nullptr, nullptr, nullptr, kLate},
      {nullptr, "NullOutfitEntry", nullptr, nullptr, nullptr, kLate},
      {nullptr, "ActorDeleteNullBase", nullptr, nullptr, nullptr, kLate},
      {nullptr, "WarnTextureFailure", nullptr, nullptr, nullptr, kLate},
      {nullptr, "NullParentNode", nullptr, nullptr, nullptr, kLate},
      {nullptr, "CustomMemoryBlock", "RunAllocatorBenchmark", nullptr, "UseOSAllocators", kEarly},
      {nullptr, "MemoryInfoConsole", nullptr, nullptr, "CustomMemoryBlock", kLate},
      {nullptr, "SarnothSpecific", nullptr, nullptr, nullptr, kLate},
      {nullptr, "FixUnsafeEffectList", nullptr, nullptr, nullptr, kLate},
      {nullptr, "HighFrequencyOSTimer", nullptr, nullptr, nullptr, kEarly},
      {nullptr, "HighFrequencyGameTimer", nullptr, nullptr, nullptr, kLate},
      {nullptr, "WarnNullCombatStyle", nullptr, nullptr, nullptr, kLate},
      {nullptr, "RunAllocatorBenchmark", nullptr, nullptr, nullptr, kLate},
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
