// Each effect-list hook on one thread: what it loads, pops and returns, which
// objects it locks, and how the recursive spin lock counts and waits.
#include <gtest/gtest.h>

#include <vector>

#include "fixes/effect_list_sites.h"
#include "plugin/apply.h"
#include "sim/host_memory.h"
#include "tests/fixes/effect_list_fixture.h"
#include "tests/hook_check.h"

namespace {

using effect_list_test::ExpectFree;
using effect_list_test::ExpectHeldHere;
using effect_list_test::ResumeOf;
using effect_list_test::RunHook;
using hook_check::ExpectLanded;
using hook_check::kDistinct;

// A routine's own object for routines E and I, which keep the effect-list
// owner at offset 0x38 of it.
constexpr uint32_t kFrameObject = 0x1BD7A00;

class EffectListHooks : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    ApplyFixUnsafeEffectList();
  }
};

TEST_F(EffectListHooks, ApplyWritesTheFiveBytes) {
  for (const auto& byte : sim::kEffectListBytes) EXPECT_EQ(sim::HostAt<uint8_t>(byte.address), byte.value);
}

TEST_F(EffectListHooks, ObjectsThatDoNotQualifyTakeNoLockAndMakeNoEntry) {
  const uint32_t otherVtable = sim::MakeOtherObject(501);
  const uint32_t zeroKey = sim::MakeEffectListOwner(0);
  for (uint32_t object : {0u, otherVtable, zeroKey}) {
    sim::HostAt<uint32_t>(kFrameObject + 0x38) = object;
    sim::Registers in = kDistinct;
    in.ecx = kFrameObject;
    auto entered = RunHook(19, in);
    EXPECT_EQ(entered.address, ResumeOf(19)) << entered.Describe();
    in.edi = kFrameObject;
    auto left = RunHook(20, in, {0x1111});
    EXPECT_EQ(left.address, host::kEffectListIExitTarget) << left.Describe();
    in.ebx = object;
    EXPECT_EQ(RunHook(8, in, {1, 2, 3}).address, ResumeOf(8));
  }
  EXPECT_EQ(FindEffectListLock(501), nullptr);
  EXPECT_EQ(FindEffectListLock(0), nullptr);
}

TEST_F(EffectListHooks, EntriesLoadWhatTheyReplacedAndTakeTheLock) {
  struct Entry {
    int hook;
    uint32_t key;
  };
  // B, F, G, H and E hand the object in ECX; A and D in EBP; C moves ECX to EBP.
  for (const Entry& e : {Entry{1, 601}, Entry{3, 603}, Entry{5, 605}, Entry{7, 607}, Entry{10, 610},
                         Entry{13, 613}, Entry{15, 615}, Entry{17, 617}}) {
    SCOPED_TRACE(e.hook);
    const uint32_t object = sim::MakeEffectListOwner(e.key);
    sim::Registers in = kDistinct;
    sim::Registers want = kDistinct;
    int32_t espDelta = 0;
    if (e.hook == 1 || e.hook == 7) {
      in.ebp = want.ebp = object;
    } else {
      in.ecx = want.ecx = object;
    }
    if (e.hook == 7) {
      want.edx = host::kEffectListOwnerTable;
      want.eax = sim::kEffectListMethod1C;
    } else if (e.hook == 5) {
      want.ebp = object;
      want.eax = host::kEffectListOwnerTable;
    } else {
      want.eax = host::kEffectListOwnerTable;
      want.edx = sim::kEffectListMethod1C;
    }
    const bool pushesObject = e.hook == 3 || e.hook == 13 || e.hook == 15 || e.hook == 17;
    if (pushesObject) espDelta = -4;
    auto out = RunHook(e.hook, in);
    ExpectLanded(out, ResumeOf(e.hook), want, espDelta);
    if (pushesObject) {
      EXPECT_EQ(out.Stack(0), object);
    }
    ExpectHeldHere(e.key, 1);
  }
}

TEST_F(EffectListHooks, RoutineIEntryLocksTheOwnerKeptInItsObject) {
  const uint32_t object = sim::MakeEffectListOwner(619);
  sim::HostAt<uint32_t>(kFrameObject + 0x38) = object;
  sim::Registers in = kDistinct;
  in.ecx = kFrameObject;
  sim::Registers want = in;
  want.edi = kFrameObject;
  want.ecx = object;
  ExpectLanded(RunHook(19, in), ResumeOf(19), want, 0);
  ExpectHeldHere(619, 1);

  // Hook 20 unlocks the same owner, then enters kEffectListIExitTarget as a this-call on
  // the routine's object with EDI popped.
  in = kDistinct;
  in.edi = kFrameObject;
  want = in;
  want.ecx = kFrameObject;
  want.edi = 0x7777;
  want.eax = host::kEffectListIExitTarget;
  auto out = RunHook(20, in, {0x7777, 0x8888});
  ExpectLanded(out, host::kEffectListIExitTarget, want, 4);
  EXPECT_EQ(out.Stack(0), 0x8888u);
  ExpectFree(619);
}

// An exit of routines A to H: where it finds the object, the six stack words
// it meets (kObjectWord stands for the object), where it lands, how far ESP
// moves, and the registers it sets.
constexpr uint32_t kObjectWord = 0x0B1EC700;

struct ExitCase {
  int hook;
  uint32_t sim::Registers::*objectRegister;  // null: the object was pushed at entry
  uint32_t stack[6];
  bool returns;                              // to the caller, not to a resume
  int32_t espDelta;
  bool flagsKept;                            // false: the exit adjusts ESP with add
  void (*setsRegisters)(sim::Registers& want, uint32_t object);
};

const ExitCase kExits[] = {
    {2, &sim::Registers::ebp, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15}, false, 20, false,
     [](sim::Registers& w, uint32_t) { w.edi = 0x10, w.ebp = 0x11; }},
    {4, nullptr, {0x20, kObjectWord, sim::kReturnProbe, 0x21, 0x22, 0x23}, true, 16, true,
     [](sim::Registers& w, uint32_t object) { w.esi = 0x20, w.ecx = object; }},
    {6, &sim::Registers::ebp, {0x30, 0x31, 0x32, 0x33, 0x34, 0x35}, false, 12, true,
     [](sim::Registers& w, uint32_t) { w.edi = 0x30, w.esi = 0x31, w.ebp = 0x32, w.eax = 0xA1A1A15A; }},
    {8, &sim::Registers::ebx, {0x40, 0x41, 0x42, 0x43, 0x44, 0x45}, false, 12, true,
     [](sim::Registers& w, uint32_t) { w.eax = 0xA1A1A101, w.edi = 0x40, w.esi = 0x41, w.ebp = 0x42; }},
    {9, &sim::Registers::ebx, {0x50, 0x51, 0x52, 0x53, 0x54, 0x55}, false, 12, false,
     [](sim::Registers& w, uint32_t) { w.edi = 0x51, w.esi = 0x52; }},
    {14, nullptr, {0x60, kObjectWord, sim::kReturnProbe, 0x61, 0x62, 0x63}, true, 20, true,
     [](sim::Registers& w, uint32_t object) { w.edi = 0x60, w.ecx = object; }},
    {16, nullptr, {0x70, 0x71, kObjectWord, sim::kReturnProbe, 0x72, 0x73}, true, 20, true,
     [](sim::Registers& w, uint32_t object) { w.esi = 0x70, w.eax = 0xA1A1A15A, w.ebx = 0x71, w.ecx = object; }},
    {18, nullptr, {0x80, kObjectWord, sim::kReturnProbe, 0x81, 0x82, 0x83}, true, 16, true,
     [](sim::Registers& w, uint32_t object) { w.esi = 0x80, w.ecx = object; }},
};

TEST_F(EffectListHooks, ExitsPopReturnAndGiveTheLockBack) {
  uint32_t key = 700;
  for (const ExitCase& e : kExits) {
    SCOPED_TRACE(e.hook);
    const uint32_t object = sim::MakeEffectListOwner(++key);
    sim::Registers entry = kDistinct;
    entry.ecx = object;
    RunHook(10, entry);  // any entry takes the key's lock
    ExpectHeldHere(key, 1);

    sim::Registers in = kDistinct;
    in.ebx = 0xB2B2B25A;  // a BL that AL = BL shows
    if (e.objectRegister != nullptr) in.*e.objectRegister = object;
    uint32_t s[6];
    for (int i = 0; i < 6; ++i) s[i] = e.stack[i] == kObjectWord ? object : e.stack[i];
    sim::Registers want = in;
    e.setsRegisters(want, object);
    auto out = RunHook(e.hook, in, {s[0], s[1], s[2], s[3], s[4], s[5]});
    ExpectLanded(out, e.returns ? sim::kReturnProbe : ResumeOf(e.hook), want, e.espDelta, e.flagsKept);
    EXPECT_EQ(out.Stack(0), s[e.espDelta / 4]) << "the word after those the exit removed";
    ExpectFree(key);
  }
}

TEST_F(EffectListHooks, RoutineEExitsUnlockTheOwnerOfTheFrameAndUnwindIt) {
  // The exit leaves ESP at the popped EBP, so that must be usable stack: a
  // stretch of this thread's own, with room below for the trap's dispatch.
  uint32_t unwoundStack[4096];
  const uint32_t unwoundTop = reinterpret_cast<uintptr_t>(&unwoundStack[4000]);
  for (int hook : {11, 12}) {
    SCOPED_TRACE(hook);
    const uint32_t key = 711 + hook;
    const uint32_t object = sim::MakeEffectListOwner(key);
    sim::Registers entry = kDistinct;
    entry.ecx = object;
    RunHook(10, entry);
    sim::HostAt<uint32_t>(kFrameObject + 0x38) = object;
    sim::Registers in = kDistinct;
    in.ebp = kFrameObject;
    auto out = RunHook(hook, in, {0x80, 0x81, unwoundTop, 0x83});
    sim::Registers want = in;
    want.edi = 0x80;
    want.esi = 0x81;
    want.ebp = unwoundTop;
    want.ebx = 0x83;
    ExpectLanded(out, ResumeOf(hook), want, static_cast<int32_t>(unwoundTop - out.entryEsp));
    ExpectFree(key);
  }
}

TEST_F(EffectListHooks, NestedRoutinesOfOneKeyCountTheirDepth) {
  const uint32_t outer = sim::MakeEffectListOwner(801);
  const uint32_t inner = sim::MakeEffectListOwner(801);  // another object of the same list
  sim::Registers in = kDistinct;
  in.ecx = outer;
  RunHook(3, in);
  in.ecx = inner;
  RunHook(13, in);
  ExpectHeldHere(801, 2);
  RunHook(14, kDistinct, {0, inner, sim::kReturnProbe, 0, 0});
  ExpectHeldHere(801, 1);
  RunHook(4, kDistinct, {0, outer, sim::kReturnProbe, 0});
  ExpectFree(801);
}

// Sleeps recorded instead of taken; the lock's other owner lets go once the
// waiter has retried enough.
std::vector<uint32_t> g_sleeps;
RecursiveSpinLock* g_heldElsewhere = nullptr;
constexpr size_t kRetriesBeforeRelease = 10001;

void RecordSleep(uint32_t milliseconds) {
  g_sleeps.push_back(milliseconds);
  if (g_sleeps.size() == kRetriesBeforeRelease) g_heldElsewhere->owner.store(0);
}

TEST(RecursiveSpinLock, WaitsWithSleepZeroForTenThousandRetriesThenSleepOne) {
  RecursiveSpinLock lock;
  lock.owner.store(GetCurrentThreadId() + 1);  // some other thread
  lock.count = 1;
  g_heldElsewhere = &lock;
  g_sleeps.clear();
  g_sleeps.reserve(kRetriesBeforeRelease);
  const SpinSleepFunction previous = SetSpinSleep(&RecordSleep);
  LockSpin(&lock);
  SetSpinSleep(previous);

  ASSERT_EQ(g_sleeps.size(), kRetriesBeforeRelease);
  EXPECT_EQ(g_sleeps[0], 0u);
  EXPECT_EQ(g_sleeps[9999], 0u) << "retry 10,000";
  EXPECT_EQ(g_sleeps[10000], 1u) << "retry 10,001";
  size_t zeros = 0;
  for (uint32_t s : g_sleeps) zeros += s == 0;
  EXPECT_EQ(zeros, 10000u);
  EXPECT_EQ(lock.owner.load(), GetCurrentThreadId());
  EXPECT_EQ(lock.count, 1);
  UnlockSpin(&lock);
  EXPECT_EQ(lock.owner.load(), 0u);
}

}  // namespace
