// Apply functions of the options, one per row of the option table. Each
// reads its own further settings, installs its patches and answers whether
// it took effect.
#pragma once

// String fixes
bool ApplyStrCmp();
bool ApplyStrCmpNoTry();
bool ApplyStrLen();
bool ApplySkipStrLenCrash();
bool ApplyStringRefSetNull();
// String count 32
bool ApplyStringCount32();
// Null and bad-reference guards
bool ApplyUnkUniqueId();
bool ApplyRender650();
bool ApplyUnkObjRef4D4EB0();
bool ApplyNullSeenData();
bool ApplyBhvGraphUpdateLoad();
bool ApplyUnk11();
bool ApplyShadowNode();
bool ApplyIndexError1();
bool ApplyMovementPlannerAgentWarp();
bool ApplyCellNullCrash();
bool ApplyGetMainMagicEffect();
bool ApplyMountNodeCrash();
bool ApplyRenderSave();
bool ApplyMoveControllerCast();
bool ApplySaveRenderCrash();
bool ApplyNullLoadedNodeIgnore();
bool ApplyNullActorBaseForm();
bool ApplyAVSetCrash();
bool ApplyNullPlayerNode();
bool ApplyNullBaseFormMove();
bool ApplyNullRefNode();
bool ApplyNullOutfitEntry();
bool ApplyActorDeleteNullBase();
bool ApplyNullParentNode();
bool ApplySarnothSpecific();
// Unsafe effect list
bool ApplyFixUnsafeEffectList();
// Diagnostics
bool ApplyRecordCrashInfo();
bool ApplyDebugStream();
bool ApplyMissingNode();
bool ApplyMountNodeWarn();
bool ApplyIKCrashWarn();
bool ApplyNullLoadedNodeNotify();
bool ApplyWarnNullCombatStyle();
bool ApplyWarnBadENB();
bool ApplyWarnQORVMemoryPatch();
bool ApplyAutoDisableMTIni();
bool ApplyHighFrequencyOSTimer();
bool ApplyHighFrequencyGameTimer();
// Memory
bool ApplyUseOSAllocators();
bool ApplyAlignHeapAllocate();
bool ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled();
bool ApplyUnallocatedMovaps();
bool ApplyCustomMemoryBlock();
bool ApplyOverwriteArrayAllocator();
bool ApplyMemoryInfoConsole();
bool ApplyRunAllocatorBenchmark();
bool ApplyWarnTextureFailure();
