// Each effect-list hook on one thread: what it loads, pops and returns, which
// objects it locks, and how the recursive spin lock counts and waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/fixes/effect_list_fixture.h"
#include "tests/hook_check.h"

namespace {

using effect_list_test::ExpectFree;
using effect_list_test::ExpectHeldHere;
using effect_list_test::ResumeOf;
using effect_list_test::RunHook;
using hook_check::ExpectLanded;
using hook_check::kDistinct;
using hook_check::With;
using R = sim::Registers;
using Field = uint32_t R::*;
using EffectListHooks = effect_list_test::Fixture;

// A routine's own object for routines E and I, which keep the effect-list
// owner at offset 0x38 of it.
constexpr uint32_t kFrameObject = 0x1BD7A00;

// base with the routine's object in reg, or with the routine's own object
// there and the effect-list object kept in it.
R Holding(R base, Field reg, bool inFrame, uint32_t object) {
  if (reg == nullptr) return base;
  if (inFrame) sim::HostAt<uint32_t>(kFrameObject + 0x38) = object;
  return With(base, {{reg, inFrame ? kFrameObject : object}});
}

// An entry: where it finds the object, whether it keeps it on the stack, and
// what it loads in place of the instructions it replaced.
struct EntryCase {
  int hook;
  Field objectRegister;
  bool inFrame;
  bool pushesObject;
  void (*loads)(R& want, uint32_t object);
};

void LoadsTableThenMethod(R& w, uint32_t) { w.eax = host::kEffectListOwnerTable, w.edx = sim::kEffectListMethod1C; }

// A and D hand the object in EBP, the others in ECX; C moves it to EBP; B, F,
// G and H keep it on the stack; I finds it in its own object.
const EntryCase kEntries[] = {
    {1, &R::ebp, false, false, LoadsTableThenMethod},
    {3, &R::ecx, false, true, LoadsTableThenMethod},
    {5, &R::ecx, false, false, [](R& w, uint32_t object) { w.ebp = object, w.eax = host::kEffectListOwnerTable; }},
    {7, &R::ebp, false, false,
     [](R& w, uint32_t) { w.edx = host::kEffectListOwnerTable, w.eax = sim::kEffectListMethod1C; }},
    {10, &R::ecx, false, false, LoadsTableThenMethod},
    {13, &R::ecx, false, true, LoadsTableThenMethod},
    {15, &R::ecx, false, true, LoadsTableThenMethod},
    {17, &R::ecx, false, true, LoadsTableThenMethod},
    {19, &R::ecx, true, false, [](R& w, uint32_t object) { w.edi = kFrameObject, w.ecx = object; }},
};

void ExpectEntry(const EntryCase& e, uint32_t object) {
  const R in = Holding(kDistinct, e.objectRegister, e.inFrame, object);
  R want = in;
  e.loads(want, object);
  const sim::Landing out = RunHook(e.hook, in);
  ExpectLanded(out, ResumeOf(e.hook), want, e.pushesObject ? -4 : 0);
  if (e.pushesObject) {
    EXPECT_EQ(out.Stack(0), object);
  }
}

// An exit of routines A to H and I: where it finds the object (no register:
// pushed at entry, kObjectWord in the stack), the six stack words it meets,
// where it lands (kResume: its resume), how far ESP moves, and the registers
// it sets.
constexpr uint32_t kObjectWord = 0x0B1EC700;
constexpr uint32_t kResume = 0;

struct ExitCase {
  int hook;
  Field objectRegister;
  bool inFrame;
  uint32_t stack[6];
  uint32_t landing;
  int32_t espDelta;
  bool flagsKept;  // false: the exit adjusts ESP with add
  void (*setsRegisters)(R& want, uint32_t object);
};

const ExitCase kExits[] = {
    {2, &R::ebp, false, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15}, kResume, 20, false,
     [](R& w, uint32_t) { w.edi = 0x10, w.ebp = 0x11; }},
    {4, nullptr, false, {0x20, kObjectWord, sim::kReturnProbe, 0x21, 0x22, 0x23}, sim::kReturnProbe, 16, true,
     [](R& w, uint32_t object) { w.esi = 0x20, w.ecx = object; }},
    {6, &R::ebp, false, {0x30, 0x31, 0x32, 0x33, 0x34, 0x35}, kResume, 12, true,
     [](R& w, uint32_t) { w.edi = 0x30, w.esi = 0x31, w.ebp = 0x32, w.eax = 0xA1A1A15A; }},
    {8, &R::ebx, false, {0x40, 0x41, 0x42, 0x43, 0x44, 0x45}, kResume, 12, true,
     [](R& w, uint32_t) { w.eax = 0xA1A1A101, w.edi = 0x40, w.esi = 0x41, w.ebp = 0x42; }},
    {9, &R::ebx, false, {0x50, 0x51, 0x52, 0x53, 0x54, 0x55}, kResume, 12, false,
     [](R& w, uint32_t) { w.edi = 0x51, w.esi = 0x52; }},
    {14, nullptr, false, {0x60, kObjectWord, sim::kReturnProbe, 0x61, 0x62, 0x63}, sim::kReturnProbe, 20, true,
     [](R& w, uint32_t object) { w.edi = 0x60, w.ecx = object; }},
    {16, nullptr, false, {0x70, 0x71, kObjectWord, sim::kReturnProbe, 0x72, 0x73}, sim::kReturnProbe, 20, true,
     [](R& w, uint32_t object) { w.esi = 0x70, w.eax = 0xA1A1A15A, w.ebx = 0x71, w.ecx = object; }},
    {18, nullptr, false, {0x80, kObjectWord, sim::kReturnProbe, 0x81, 0x82, 0x83}, sim::kReturnProbe, 16, true,
     [](R& w, uint32_t object) { w.esi = 0x80, w.ecx = object; }},
    // I's exit enters kEffectListIExitTarget as a this-call on the routine's
    // object with EDI popped.
    {20, &R::edi, true, {0x7777, 0x8888, 0x22, 0x23, 0x24, 0x25}, host::kEffectListIExitTarget, 4, true,
     [](R& w, uint32_t) { w.ecx = kFrameObject, w.edi = 0x7777, w.eax = host::kEffectListIExitTarget; }},
};

void ExpectExit(const ExitCase& e, uint32_t object) {
  const R in = Holding(With(kDistinct, {{&R::ebx, 0xB2B2B25A}}), e.objectRegister, e.inFrame, object);  // AL = BL shows
  uint32_t s[6];
  for (int i = 0; i < 6; ++i) s[i] = e.stack[i] == kObjectWord ? object : e.stack[i];
  R want = in;
  e.setsRegisters(want, object);
  const sim::Landing out = RunHook(e.hook, in, {s[0], s[1], s[2], s[3], s[4], s[5]});
  ExpectLanded(out, e.landing == kResume ? ResumeOf(e.hook) : e.landing, want, e.espDelta, e.flagsKept);
  EXPECT_EQ(out.Stack(0), s[e.espDelta / 4]) << "the word after those the exit removed";
}

// Any entry takes the key's lock.
void TakeLock(uint32_t object) { RunHook(10, With(kDistinct, {{&R::ecx, object}})); }

TEST_F(EffectListHooks, ApplyWritesTheFiveBytes) {
  for (const auto& byte : sim::kEffectListBytes) EXPECT_EQ(sim::HostAt<uint8_t>(byte.address), byte.value);
}

// Only I's entry runs here: the other entries load from the object as the
// host did, which a null object would fault.
TEST_F(EffectListHooks, ObjectsThatDoNotQualifyTakeNoLockAndMakeNoEntry) {
  for (uint32_t object : {0u, sim::MakeOtherObject(501), sim::MakeEffectListOwner(0)}) {
    SCOPED_TRACE(object);
    for (const EntryCase& e : kEntries) {
      if (e.inFrame) ExpectEntry(e, object);
    }
    for (const ExitCase& e : kExits) ExpectExit(e, object);
  }
  EXPECT_EQ(FindEffectListLock(501), nullptr);
  EXPECT_EQ(FindEffectListLock(0), nullptr);
}

TEST_F(EffectListHooks, EntriesLoadWhatTheyReplacedAndTakeTheLock) {
  uint32_t key = 600;
  for (const EntryCase& e : kEntries) {
    SCOPED_TRACE(e.hook);
    ExpectEntry(e, sim::MakeEffectListOwner(++key));
    ExpectHeldHere(key, 1);
  }
}

TEST_F(EffectListHooks, ExitsPopReturnAndGiveTheLockBack) {
  uint32_t key = 700;
  for (const ExitCase& e : kExits) {
    SCOPED_TRACE(e.hook);
    const uint32_t object = sim::MakeEffectListOwner(++key);
    TakeLock(object);
    ExpectHeldHere(key, 1);
    ExpectExit(e, object);
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
    TakeLock(object);
    const R in = Holding(kDistinct, &R::ebp, true, object);
    const sim::Landing out = RunHook(hook, in, {0x80, 0x81, unwoundTop, 0x83});
    const R want = With(in, {{&R::edi, 0x80}, {&R::esi, 0x81}, {&R::ebp, unwoundTop}, {&R::ebx, 0x83}});
    ExpectLanded(out, ResumeOf(hook), want, static_cast<int32_t>(unwoundTop - out.entryEsp));
    ExpectFree(key);
  }
}

TEST_F(EffectListHooks, NestedRoutinesOfOneKeyCountTheirDepth) {
  const uint32_t outer = sim::MakeEffectListOwner(801);
  const uint32_t inner = sim::MakeEffectListOwner(801);  // another object of the same list
  RunHook(3, With(kDistinct, {{&R::ecx, outer}}));
  RunHook(13, With(kDistinct, {{&R::ecx, inner}}));
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
  EXPECT_EQ(std::count(g_sleeps.begin(), g_sleeps.end() - 1, 0u), 10000) << "retries 1 to 10,000";
  EXPECT_EQ(g_sleeps.back(), 1u) << "retry 10,001";
  EXPECT_EQ(lock.owner.load(), GetCurrentThreadId());
  EXPECT_EQ(lock.count, 1);
  UnlockSpin(&lock);
  EXPECT_EQ(lock.owner.load(), 0u);
}

}  // namespace
