// Apply functions of the options, one per row of the option table. Each
// reads its own further settings and installs its hooks.
#pragma once

// String fixes
void ApplyStrCmp();
void ApplyStrCmpNoTry();
void ApplyStrLen();
void ApplySkipStrLenCrash();
void ApplyStringRefSetNull();
// String count 32
void ApplyStringCount32();
// Null and bad-reference guards
void ApplyUnkUniqueId();
void ApplyRender650();
void ApplyUnkObjRef4D4EB0();
void ApplyNullSeenData();
void ApplyBhvGraphUpdateLoad();
void ApplyUnk11();
void ApplyShadowNode();
void ApplyIndexError1();
void ApplyMovementPlannerAgentWarp();
void ApplyCellNullCrash();
void ApplyGetMainMagicEffect();
void ApplyMountNodeCrash();
void ApplyRenderSave();
void ApplyMoveControllerCast();
void ApplySaveRenderCrash();
void ApplyNullLoadedNodeIgnore();
void ApplyNullActorBaseForm();
void ApplyAVSetCrash();
void ApplyNullPlayerNode();
void ApplyNullBaseFormMove();
void ApplyNullRefNode();
void ApplyNullOutfitEntry();
void ApplyActorDeleteNullBase();
void ApplyNullParentNode();
void ApplySarnothSpecific();
// Unsafe effect list
void ApplyFixUnsafeEffectList();
// Diagnostics
void ApplyRecordCrashInfo();
void ApplyDebugStream();
void ApplyMissingNode();
void ApplyMountNodeWarn();
void ApplyIKCrashWarn();
void ApplyNullLoadedNodeNotify();
void ApplyWarnNullCombatStyle();
void ApplyWarnBadENB();
void ApplyWarnQORVMemoryPatch();
void ApplyAutoDisableMTIni();
void ApplyHighFrequencyOSTimer();
void ApplyHighFrequencyGameTimer();
// Memory
void ApplyUseOSAllocators();
void ApplyAlignHeapAllocate();
void ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled();
void ApplyUnallocatedMovaps();
void ApplyCustomMemoryBlock();
void ApplyOverwriteArrayAllocator();
void ApplyMemoryInfoConsole();
void ApplyRunAllocatorBenchmark();
void ApplyWarnTextureFailure();
