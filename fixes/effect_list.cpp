#include "fixes/effect_list.h"

#include <windows.h>

#include <new>
#include <unordered_map>

#include "fixes/effect_list_sites.h"
#include "patch/frame_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {
constexpr uint32_t kKeyOffsetBefore = 0x48;
constexpr uint32_t kSleepZeroRetries = 10000;

void SleepThroughWindows(uint32_t milliseconds) { Sleep(milliseconds); }
std::atomic<SpinSleepFunction> g_spinSleep{&SleepThroughWindows};

RecursiveSpinLock g_tableLock;
std::unordered_map<uint32_t, RecursiveSpinLock*> EffectListLockTable;

// Inserts the key with a new lock, or answers the lock another insertion
// made first. Runs under the table lock, so it must not throw.
RecursiveSpinLock* InsertEffectListLock(uint32_t key) {
  auto* fresh = new (std::nothrow) RecursiveSpinLock();
  if (fresh == nullptr) return nullptr;
  try {
    auto [entry, inserted] = EffectListLockTable.try_emplace(key, fresh);
    if (inserted) return fresh;
    delete fresh;
    return entry->second;
  } catch (...) {
    delete fresh;
    return nullptr;
  }
}

// The table lock is held only for the lookup and insertion, never while a
// key's lock is awaited, so the two kinds of lock never nest.
RecursiveSpinLock* LookUpEffectListLock(uint32_t key, bool create) {
  LockSpin(&g_tableLock);
  const auto entry = EffectListLockTable.find(key);
  RecursiveSpinLock* lock = entry != EffectListLockTable.end() ? entry->second : nullptr;
  if (lock == nullptr && create) lock = InsertEffectListLock(key);
  UnlockSpin(&g_tableLock);
  return lock;
}

// The key of an effect-list owner, or 0 for any other object.
uint32_t EffectListKey(uint32_t object) {
  if (object == 0 || host::At<uint32_t>(object) != kEffectListOwnerTable) return 0;
  return host::At<uint32_t>(object - kKeyOffsetBefore);
}

}  // namespace

SpinSleepFunction SetSpinSleep(SpinSleepFunction sleep) {
  return g_spinSleep.exchange(sleep, std::memory_order_acq_rel);
}

void LockSpin(RecursiveSpinLock* lock) {
  const uint32_t self = GetCurrentThreadId();
  // Only this thread ever stores its own id, so a relaxed load is enough to
  // tell whether it already holds the lock.
  if (lock->owner.load(std::memory_order_relaxed) == self) {
    ++lock->count;
    return;
  }
  uint32_t retries = 0;
  for (uint32_t expected = 0;
       !lock->owner.compare_exchange_strong(expected, self, std::memory_order_acquire, std::memory_order_relaxed);
       expected = 0) {
    ++retries;
    g_spinSleep.load(std::memory_order_acquire)(retries <= kSleepZeroRetries ? 0 : 1);
  }
  lock->count = 1;
}

void UnlockSpin(RecursiveSpinLock* lock) {
  if (--lock->count != 0) return;
  uint32_t current = lock->owner.load(std::memory_order_relaxed);
  lock->owner.compare_exchange_strong(current, 0, std::memory_order_release, std::memory_order_relaxed);
}

RecursiveSpinLock* FindEffectListLock(uint32_t key) { return LookUpEffectListLock(key, false); }

RecursiveSpinLock* GetEffectListLock(uint32_t key) { return LookUpEffectListLock(key, true); }

extern "C" void __cdecl LockEffectList(uint32_t object) {
  const uint32_t key = EffectListKey(object);
  if (key == 0) return;
  if (RecursiveSpinLock* lock = GetEffectListLock(key)) LockSpin(lock);
}

extern "C" void __cdecl UnlockEffectList(uint32_t object) {
  const uint32_t key = EffectListKey(object);
  if (key == 0) return;
  if (RecursiveSpinLock* lock = GetEffectListLock(key)) UnlockSpin(lock);
}

// The lock calls run with every register and the flags saved, so the host
// sees none of them change.
#define LOCK_OBJECT_IN(reg) SAVE_ALL "push " reg "\n" CALL_PLUGIN(LockEffectList) "add esp, 4\n" RESTORE_ALL
#define UNLOCK_OBJECT_IN(reg) SAVE_ALL "push " reg "\n" CALL_PLUGIN(UnlockEffectList) "add esp, 4\n" RESTORE_ALL
// Routines B, F, G and H keep their object on the stack from entry to exit.
#define PUSH_OBJECT_AND_LOCK "push ecx\n mov eax, [ecx]\n mov edx, [eax+0x1C]\n" LOCK_OBJECT_IN("ecx")
// Both exits of routine E unlock the object the routine's frame keeps at 0x38.
#define E_EXIT_UNLOCK_AND_POP                                              \
  "mov edi, [ebp+0x38]\n" UNLOCK_OBJECT_IN("edi")                          \
  "pop edi\n pop esi\n pop ebp\n pop ebx\n mov esp, ebp\n"

// Two threads walking one list at once read entries the other is freeing.
// Each entry hook runs its routine's replaced first instructions and takes the
// list's lock; each exit hook gives it back and runs the replaced epilogue.
HOOK_BODY(FixUnsafeEffectList_Hook1,
          "mov eax, [ebp]\n mov edx, [eax+0x1C]\n" LOCK_OBJECT_IN("ebp") CONTINUE_AFTER(kEffectListAEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListAEntry))
HOOK_BODY(FixUnsafeEffectList_Hook2,
          UNLOCK_OBJECT_IN("ebp") "pop edi\n pop ebp\n add esp, 0x0C\n" CONTINUE_AFTER(kEffectListAExit),
          PLUGIN_FUNCTION(UnlockEffectList), RESUME_OF(kEffectListAExit))
HOOK_BODY(FixUnsafeEffectList_Hook3, PUSH_OBJECT_AND_LOCK CONTINUE_AFTER(kEffectListBEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListBEntry))
// Hooks 4 and 18 end routines B and H, which leave alike.
HOOK_BODY(FixUnsafeEffectList_Hook4And18,
          "pop esi\n pop ecx\n" UNLOCK_OBJECT_IN("ecx") "ret 4\n",
          PLUGIN_FUNCTION(UnlockEffectList))
HOOK_BODY(FixUnsafeEffectList_Hook5,
          "mov ebp, ecx\n mov eax, [ebp]\n" LOCK_OBJECT_IN("ebp") CONTINUE_AFTER(kEffectListCEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListCEntry))
HOOK_BODY(FixUnsafeEffectList_Hook6,
          UNLOCK_OBJECT_IN("ebp") "pop edi\n pop esi\n pop ebp\n mov al, bl\n" CONTINUE_AFTER(kEffectListCExit),
          PLUGIN_FUNCTION(UnlockEffectList), RESUME_OF(kEffectListCExit))
HOOK_BODY(FixUnsafeEffectList_Hook7,
          "mov edx, [ebp]\n mov eax, [edx+0x1C]\n" LOCK_OBJECT_IN("ebp") CONTINUE_AFTER(kEffectListDEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListDEntry))
HOOK_BODY(FixUnsafeEffectList_Hook8,
          UNLOCK_OBJECT_IN("ebx") "mov al, 1\n pop edi\n pop esi\n pop ebp\n" CONTINUE_AFTER(kEffectListDExit1),
          PLUGIN_FUNCTION(UnlockEffectList), RESUME_OF(kEffectListDExit1))
HOOK_BODY(FixUnsafeEffectList_Hook9,
          UNLOCK_OBJECT_IN("ebx") "add esp, 4\n pop edi\n pop esi\n" CONTINUE_AFTER(kEffectListDExit2),
          PLUGIN_FUNCTION(UnlockEffectList), RESUME_OF(kEffectListDExit2))
HOOK_BODY(FixUnsafeEffectList_Hook10,
          "mov eax, [ecx]\n mov edx, [eax+0x1C]\n" LOCK_OBJECT_IN("ecx") CONTINUE_AFTER(kEffectListEEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListEEntry))
HOOK_BODY(FixUnsafeEffectList_Hook11, E_EXIT_UNLOCK_AND_POP CONTINUE_AFTER(kEffectListEExit1),
          PLUGIN_FUNCTION(UnlockEffectList), RESUME_OF(kEffectListEExit1))
HOOK_BODY(FixUnsafeEffectList_Hook12, E_EXIT_UNLOCK_AND_POP CONTINUE_AFTER(kEffectListEExit2),
          PLUGIN_FUNCTION(UnlockEffectList), RESUME_OF(kEffectListEExit2))
HOOK_BODY(FixUnsafeEffectList_Hook13, PUSH_OBJECT_AND_LOCK CONTINUE_AFTER(kEffectListFEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListFEntry))
HOOK_BODY(FixUnsafeEffectList_Hook14,
          "pop edi\n pop ecx\n" UNLOCK_OBJECT_IN("ecx") "ret 8\n",
          PLUGIN_FUNCTION(UnlockEffectList))
HOOK_BODY(FixUnsafeEffectList_Hook15, PUSH_OBJECT_AND_LOCK CONTINUE_AFTER(kEffectListGEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListGEntry))
HOOK_BODY(FixUnsafeEffectList_Hook16,
          "pop esi\n mov al, bl\n pop ebx\n pop ecx\n" UNLOCK_OBJECT_IN("ecx") "ret 4\n",
          PLUGIN_FUNCTION(UnlockEffectList))
HOOK_BODY(FixUnsafeEffectList_Hook17, PUSH_OBJECT_AND_LOCK CONTINUE_AFTER(kEffectListHEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListHEntry))
HOOK_BODY(FixUnsafeEffectList_Hook19,
          "mov edi, ecx\n mov ecx, [edi+0x38]\n" LOCK_OBJECT_IN("ecx") CONTINUE_AFTER(kEffectListIEntry),
          PLUGIN_FUNCTION(LockEffectList), RESUME_OF(kEffectListIEntry))
HOOK_BODY(FixUnsafeEffectList_Hook20,
          "mov ecx, [edi+0x38]\n" UNLOCK_OBJECT_IN("ecx")
          "mov ecx, edi\n pop edi\n mov eax, [%c[kEffectListIExitTarget]]\n" CONTINUE_AT(kEffectListIExitTarget),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kEffectListIExitTarget))

namespace {

// The new values of one-byte stack offsets in the routines' code.
constexpr uint8_t kFrameSize10 = 0x10, kFrameSize14 = 0x14, kFrameSize18 = 0x18;

// In the order of installation.
const Patch kEffectListPatches[] = {
    {kEffectListAEntry, &FixUnsafeEffectList_Hook1},
    {kEffectListAExit, &FixUnsafeEffectList_Hook2},
    {kEffectListBEntry, &FixUnsafeEffectList_Hook3},
    {kEffectListBExit, &FixUnsafeEffectList_Hook4And18},
    {kEffectListBFrameByte, nullptr, &kFrameSize10},
    {kEffectListCEntry, &FixUnsafeEffectList_Hook5},
    {kEffectListCExit, &FixUnsafeEffectList_Hook6},
    {kEffectListDEntry, &FixUnsafeEffectList_Hook7},
    {kEffectListDExit1, &FixUnsafeEffectList_Hook8},
    {kEffectListDExit2, &FixUnsafeEffectList_Hook9},
    {kEffectListEEntry, &FixUnsafeEffectList_Hook10},
    {kEffectListEExit1, &FixUnsafeEffectList_Hook11},
    {kEffectListEExit2, &FixUnsafeEffectList_Hook12},
    {kEffectListFEntry, &FixUnsafeEffectList_Hook13},
    {kEffectListFExit, &FixUnsafeEffectList_Hook14},
    {kEffectListFFrameByte1, nullptr, &kFrameSize14},
    {kEffectListFFrameByte2, nullptr, &kFrameSize18},
    {kEffectListGEntry, &FixUnsafeEffectList_Hook15},
    {kEffectListGExit, &FixUnsafeEffectList_Hook16},
    {kEffectListGFrameByte, nullptr, &kFrameSize14},
    {kEffectListHEntry, &FixUnsafeEffectList_Hook17},
    {kEffectListHExit, &FixUnsafeEffectList_Hook4And18},
    {kEffectListHFrameByte, nullptr, &kFrameSize10},
    {kEffectListIEntry, &FixUnsafeEffectList_Hook19},
    {kEffectListIExit, &FixUnsafeEffectList_Hook20},
};

}  // namespace

ApplyStatus ApplyFixUnsafeEffectList() { return InstallPatches(kEffectListPatches); }
