#include "fixes/effect_list.h"

#include <windows.h>

#include <new>
#include <unordered_map>

#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"
#include "plugin/host.h"

namespace {
constexpr uint32_t kEffectListOwnerVtable = 0x10CFC20;
constexpr uint32_t kKeyOffsetBefore = 0x48;
constexpr uint32_t kSleepZeroRetries = 10000;

constexpr uint32_t kAEntrySite = 0x664476, kAEntryResume = 0x66447C;
constexpr uint32_t kAExitSite = 0x664620, kAExitResume = 0x664625;
constexpr uint32_t kBEntrySite = 0x663410, kBEntryResume = 0x663415;
constexpr uint32_t kBExitSite = 0x66344E, kBExitResume = 0x663453;
constexpr uint32_t kBFrameByte = 0x663434;
constexpr uint32_t kCEntrySite = 0x663953, kCEntryResume = 0x663958;
constexpr uint32_t kCExitSite = 0x663A19, kCExitResume = 0x663A1E;
constexpr uint32_t kDEntrySite = 0x66435B, kDEntryResume = 0x664361;
constexpr uint32_t kDExit1Site = 0x664442, kDExit1Resume = 0x664447;
constexpr uint32_t kDExit2Site = 0x664458, kDExit2Resume = 0x66445D;
constexpr uint32_t kEEntrySite = 0x6673FA, kEEntryResume = 0x6673FF;
constexpr uint32_t kEExit1Site = 0x667564, kEExit1Resume = 0x66756A;
constexpr uint32_t kEExit2Site = 0x667590, kEExit2Resume = 0x667596;
constexpr uint32_t kFEntrySite = 0x663FE0, kFEntryResume = 0x663FE5;
constexpr uint32_t kFExitSite = 0x664056, kFExitResume = 0x66405B;
constexpr uint32_t kFFrameByte1 = 0x663FF2, kFFrameByte2 = 0x664030;
constexpr uint32_t kGEntrySite = 0x662E80, kGEntryResume = 0x662E85;
constexpr uint32_t kGExitSite = 0x662EBE, kGExitResume = 0x662EC5;
constexpr uint32_t kGFrameByte = 0x662E95;
constexpr uint32_t kHEntrySite = 0x663260, kHEntryResume = 0x663265;
constexpr uint32_t kHExitSite = 0x66329D, kHExitResume = 0x6632A2;
constexpr uint32_t kHFrameByte = 0x663272;
constexpr uint32_t kIEntrySite = 0x667381, kIEntryResume = 0x667386;
constexpr uint32_t kIExitSite = 0x6673D0, kIExitResume = 0x6673D5;
constexpr uint32_t kIExitTarget = 0x66FE30;

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
  if (object == 0 || host::At<uint32_t>(object) != kEffectListOwnerVtable) return 0;
  return host::At<uint32_t>(object - kKeyOffsetBefore);
}

}  // namespace

SpinSleepFunction SetSpinSleep(SpinSleepFunction sleep) { return g_spinSleep.exchange(sleep); }

void LockSpin(RecursiveSpinLock* lock) {
  const uint32_t self = GetCurrentThreadId();
  if (lock->owner.load() == self) {
    ++lock->count;
    return;
  }
  uint32_t retries = 0;
  for (uint32_t expected = 0; !lock->owner.compare_exchange_strong(expected, self); expected = 0) {
    ++retries;
    g_spinSleep.load()(retries <= kSleepZeroRetries ? 0 : 1);
  }
  lock->count = 1;
}

void UnlockSpin(RecursiveSpinLock* lock) {
  if (--lock->count != 0) return;
  uint32_t current = lock->owner.load();
  lock->owner.compare_exchange_strong(current, 0);
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

HOOK_BODY(FixUnsafeEffectList_Hook1,
          "mov eax, [ebp]\n mov edx, [eax+0x1C]\n" LOCK_OBJECT_IN("ebp") CONTINUE_AT(kAEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kAEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook2,
          UNLOCK_OBJECT_IN("ebp") "pop edi\n pop ebp\n add esp, 0x0C\n" CONTINUE_AT(kAExitResume),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kAExitResume))
HOOK_BODY(FixUnsafeEffectList_Hook3, PUSH_OBJECT_AND_LOCK CONTINUE_AT(kBEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kBEntryResume))
// Hooks 4 and 18 end routines B and H, which leave alike.
HOOK_BODY(FixUnsafeEffectList_Hook4And18,
          "pop esi\n pop ecx\n" UNLOCK_OBJECT_IN("ecx") "ret 4\n",
          PLUGIN_FUNCTION(UnlockEffectList))
HOOK_BODY(FixUnsafeEffectList_Hook5,
          "mov ebp, ecx\n mov eax, [ebp]\n" LOCK_OBJECT_IN("ebp") CONTINUE_AT(kCEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kCEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook6,
          UNLOCK_OBJECT_IN("ebp") "pop edi\n pop esi\n pop ebp\n mov al, bl\n" CONTINUE_AT(kCExitResume),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kCExitResume))
HOOK_BODY(FixUnsafeEffectList_Hook7,
          "mov edx, [ebp]\n mov eax, [edx+0x1C]\n" LOCK_OBJECT_IN("ebp") CONTINUE_AT(kDEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kDEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook8,
          UNLOCK_OBJECT_IN("ebx") "mov al, 1\n pop edi\n pop esi\n pop ebp\n" CONTINUE_AT(kDExit1Resume),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kDExit1Resume))
HOOK_BODY(FixUnsafeEffectList_Hook9,
          UNLOCK_OBJECT_IN("ebx") "add esp, 4\n pop edi\n pop esi\n" CONTINUE_AT(kDExit2Resume),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kDExit2Resume))
HOOK_BODY(FixUnsafeEffectList_Hook10,
          "mov eax, [ecx]\n mov edx, [eax+0x1C]\n" LOCK_OBJECT_IN("ecx") CONTINUE_AT(kEEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kEEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook11, E_EXIT_UNLOCK_AND_POP CONTINUE_AT(kEExit1Resume),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kEExit1Resume))
HOOK_BODY(FixUnsafeEffectList_Hook12, E_EXIT_UNLOCK_AND_POP CONTINUE_AT(kEExit2Resume),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kEExit2Resume))
HOOK_BODY(FixUnsafeEffectList_Hook13, PUSH_OBJECT_AND_LOCK CONTINUE_AT(kFEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kFEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook14,
          "pop edi\n pop ecx\n" UNLOCK_OBJECT_IN("ecx") "ret 8\n",
          PLUGIN_FUNCTION(UnlockEffectList))
HOOK_BODY(FixUnsafeEffectList_Hook15, PUSH_OBJECT_AND_LOCK CONTINUE_AT(kGEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kGEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook16,
          "pop esi\n mov al, bl\n pop ebx\n pop ecx\n" UNLOCK_OBJECT_IN("ecx") "ret 4\n",
          PLUGIN_FUNCTION(UnlockEffectList))
HOOK_BODY(FixUnsafeEffectList_Hook17, PUSH_OBJECT_AND_LOCK CONTINUE_AT(kHEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kHEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook19,
          "mov edi, ecx\n mov ecx, [edi+0x38]\n" LOCK_OBJECT_IN("ecx") CONTINUE_AT(kIEntryResume),
          PLUGIN_FUNCTION(LockEffectList), HOST_ADDRESS(kIEntryResume))
HOOK_BODY(FixUnsafeEffectList_Hook20,
          "mov ecx, [edi+0x38]\n" UNLOCK_OBJECT_IN("ecx")
          "mov ecx, edi\n pop edi\n mov eax, [%c[kIExitTarget]]\n" CONTINUE_AT(kIExitTarget),
          PLUGIN_FUNCTION(UnlockEffectList), HOST_ADDRESS(kIExitTarget))

namespace {

// One patch of the option: a hook (body set) or a single byte (body null).
struct EffectListPatch {
  uint32_t site;
  uint32_t resume;
  void (*body)();
  uint8_t byte;
};

// In the order of installation.
const EffectListPatch kEffectListPatches[] = {
    {kAEntrySite, kAEntryResume, &FixUnsafeEffectList_Hook1, 0},
    {kAExitSite, kAExitResume, &FixUnsafeEffectList_Hook2, 0},
    {kBEntrySite, kBEntryResume, &FixUnsafeEffectList_Hook3, 0},
    {kBExitSite, kBExitResume, &FixUnsafeEffectList_Hook4And18, 0},
    {kBFrameByte, 0, nullptr, 0x10},
    {kCEntrySite, kCEntryResume, &FixUnsafeEffectList_Hook5, 0},
    {kCExitSite, kCExitResume, &FixUnsafeEffectList_Hook6, 0},
    {kDEntrySite, kDEntryResume, &FixUnsafeEffectList_Hook7, 0},
    {kDExit1Site, kDExit1Resume, &FixUnsafeEffectList_Hook8, 0},
    {kDExit2Site, kDExit2Resume, &FixUnsafeEffectList_Hook9, 0},
    {kEEntrySite, kEEntryResume, &FixUnsafeEffectList_Hook10, 0},
    {kEExit1Site, kEExit1Resume, &FixUnsafeEffectList_Hook11, 0},
    {kEExit2Site, kEExit2Resume, &FixUnsafeEffectList_Hook12, 0},
    {kFEntrySite, kFEntryResume, &FixUnsafeEffectList_Hook13, 0},
    {kFExitSite, kFExitResume, &FixUnsafeEffectList_Hook14, 0},
    {kFFrameByte1, 0, nullptr, 0x14},
    {kFFrameByte2, 0, nullptr, 0x18},
    {kGEntrySite, kGEntryResume, &FixUnsafeEffectList_Hook15, 0},
    {kGExitSite, kGExitResume, &FixUnsafeEffectList_Hook16, 0},
    {kGFrameByte, 0, nullptr, 0x14},
    {kHEntrySite, kHEntryResume, &FixUnsafeEffectList_Hook17, 0},
    {kHExitSite, kHExitResume, &FixUnsafeEffectList_Hook4And18, 0},
    {kHFrameByte, 0, nullptr, 0x10},
    {kIEntrySite, kIEntryResume, &FixUnsafeEffectList_Hook19, 0},
    {kIExitSite, kIExitResume, &FixUnsafeEffectList_Hook20, 0},
};

}  // namespace

void ApplyFixUnsafeEffectList() {
  for (const EffectListPatch& patch : kEffectListPatches) {
    if (patch.body != nullptr) {
      WriteJump(patch.site, patch.resume, reinterpret_cast<const void*>(patch.body));
    } else {
      WriteBytes(patch.site, &patch.byte, 1);
    }
  }
}
