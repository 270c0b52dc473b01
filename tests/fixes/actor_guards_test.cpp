// The actor guards, each entered at its site on both sides of its test, and
// their handlers.
#include <cstring>
#include <utility>

#include "fixes/actor_guard_sites.h"
#include "fixes/actor_guards.h"
#include "sim/host_actor_guards.h"
#include "sim/host_memory.h"
#include "tests/hook_check.h"

namespace {

using namespace hook_check;
using sim::AddressOf;
using ActorGuard = HookTest;

TEST(ActorHandlers, VectorProbeNeedsAllTwelveBytes) {
  FakeObject live;
  EXPECT_EQ(ReadableVectorOrNull(live.bytes), live.bytes);
  EXPECT_EQ(ReadableVectorOrNull(nullptr), nullptr);
  for (uint32_t before : {0u, 4u, 8u}) {
    EXPECT_EQ(ReadableVectorOrNull(reinterpret_cast<void*>(sim::UnreadablePage() - before)), nullptr) << before;
  }
  auto* fits = reinterpret_cast<void*>(sim::UnreadablePage() - 12);
  EXPECT_EQ(ReadableVectorOrNull(fits), fits);
}

TEST_F(ActorGuard, NullSeenDataHandsOnTheObjectOrOneSharedConstructedDummy) {
  EXPECT_TRUE(ApplyNullSeenData().Applied());
  const uint32_t table[2] = {0x7AB0, 0x7AB1};
  const uint32_t object = AddressOf(table);
  const R in = With(kDistinct, {{&R::eax, AddressOf(&object)}});
  ExpectHook(host::kNullSeenData.site, in, {},
             {host::kNullSeenData.resume, With(in, {{&R::ecx, AddressOf(&object)}, {&R::edx, AddressOf(table)},
                                                    {&R::eax, 0x7AB1}})});
  EXPECT_EQ(sim::SeenDataConstructions(), 0u) << "nothing is built for a real object (first use in this process)";

  const R null = With(kDistinct, {{&R::eax, 0}});
  auto first = sim::RunHost(host::kNullSeenData.site, null);
  ExpectLanded(first, host::kNullSeenData.resume,
               With(null, {{&R::ecx, sim::LastSeenDataConstruction().object}, {&R::edx, sim::SeenDataTable()},
                           {&R::eax, sim::kSeenDataSlot1}}),
               0, false);
  ExpectHook(host::kNullSeenData.site, null, {}, {host::kNullSeenData.resume, first.regs});
  EXPECT_EQ(sim::SeenDataConstructions(), 1u) << "both uses get the one dummy";
  EXPECT_EQ(sim::LastSeenDataConstruction().first, 0u);
  EXPECT_EQ(sim::LastSeenDataConstruction().second, 0u);
}

TEST_F(ActorGuard, BhvGraphUpdateLoadShowsAnUnreadableStringAsEmpty) {
  EXPECT_TRUE(ApplyBhvGraphUpdateLoad().Applied());
  const char* text = "idle";
  auto readable = ExpectHook(host::kBhvGraphUpdateLoad.site, kDistinct, {0, 0, 0, 0, AddressOf(text)},
                             {host::kBhvGraphUpdateLoad.resume, With(kDistinct, {{&R::edx, AddressOf(text)},
                                                                                 {&R::eax, AddressOf(text)}}),
                              0, false, true});
  EXPECT_EQ(readable.regs.edx, AddressOf(text));
  EXPECT_FALSE(Flag(readable, sim::kZeroFlag));

  const uint32_t zero = AddressOf(ReadableOrZero(nullptr));
  EXPECT_EQ(*reinterpret_cast<const uint32_t*>(ReadableOrZero(nullptr)), 0u);
  for (uint32_t bad : {0u, sim::UnreadablePage()}) {
    auto empty = ExpectHook(host::kBhvGraphUpdateLoad.site, kDistinct, {0, 0, 0, 0, bad},
                            {host::kBhvGraphUpdateLoad.resume, With(kDistinct, {{&R::edx, zero}, {&R::eax, zero}}),
                             0, false, true});
    EXPECT_EQ(empty.regs.edx, zero) << bad;
    EXPECT_TRUE(Flag(empty, sim::kZeroFlag)) << bad;
  }
}

TEST_F(ActorGuard, MovementPlannerAgentWarpStoresOnlyTypedObjects) {
  EXPECT_TRUE(ApplyMovementPlannerAgentWarp().Applied());
  uint32_t planner[0x20] = {};
  uint8_t agent[0x14] = {};
  struct Case {
    uint32_t eax;
    uint8_t type;
    uint32_t stored;
  };
  for (const Case& c : {Case{AddressOf(agent), 0x3E, AddressOf(agent)}, Case{AddressOf(agent), 0x3D, 0},
                        Case{0, 0x3E, 0}}) {
    agent[0x12] = c.type;
    planner[0x50 / 4] = 0xFFFFFFFF;
    const R in = With(kDistinct, {{&R::eax, c.eax}, {&R::esi, AddressOf(planner)}});
    ExpectHook(host::kMovementPlannerAgentWarp.site, in, {}, {host::kMovementPlannerAgentWarp.resume, in});
    EXPECT_EQ(planner[0x50 / 4], c.stored) << std::hex << c.eax << " type " << int(c.type);
  }
}

TEST_F(ActorGuard, MoveControllerCastWithoutATableAnswersZeroAsBelowAndNotEqual) {
  EXPECT_TRUE(ApplyMoveControllerCast().Applied());
  const R in = With(kDistinct, {{&R::edx, 0}, {&R::eflags, sim::kZeroFlag}});  // the opposite of the answer
  auto out = ExpectHook(host::kMoveControllerCast.site, in, {1, 2, 3, 4, 5, 6, 7, 0},
                        {host::kMoveControllerCast.resume, With(in, {{&R::eax, 0}})});
  EXPECT_FALSE(Flag(out, sim::kZeroFlag));
  EXPECT_TRUE(Flag(out, sim::kCarryFlag));
  EXPECT_EQ(sim::LastControllerCall().calls, 0u);
}

TEST_F(ActorGuard, MoveControllerCastCallsEntryFourAndComparesItsAnswerWithTheStackWord) {
  struct Case {
    uint32_t answer;
    bool zero, carry;
  };
  constexpr uint32_t kStackWord = 0x1000;  // [ESP+0x1C] at the site
  EXPECT_TRUE(ApplyMoveControllerCast().Applied());
  const R in = With(kDistinct, {{&R::edx, sim::ControllerFunctionTable()}});
  uint32_t calls = 0;
  for (const Case& c : {Case{0x1000, true, false}, Case{0x0FFF, false, true}, Case{0x1001, false, false}}) {
    sim::SetControllerCallResult(c.answer);
    auto out = ExpectHook(host::kMoveControllerCast.site, in, {0xF1257, 2, 3, 4, 5, 6, 7, kStackWord, 9},
                          {host::kMoveControllerCast.resume, With(in, {{&R::eax, c.answer}})});
    EXPECT_EQ(Flag(out, sim::kZeroFlag), c.zero) << std::hex << c.answer;
    EXPECT_EQ(Flag(out, sim::kCarryFlag), c.carry) << std::hex << c.answer;
    const auto call = sim::LastControllerCall();
    EXPECT_EQ(call.calls, ++calls);
    EXPECT_EQ(call.ecx, in.ecx);
    EXPECT_EQ(call.firstStackWord, 0xF1257u) << "the callee sees the site's stack";
  }
}

TEST_F(ActorGuard, GetMainMagicEffectGuardsFiveReadsOfANullEffect) {
  EXPECT_TRUE(ApplyGetMainMagicEffect().Applied());
  uint32_t effect[0x24] = {};
  effect[0x50 / 4] = 0xE050;
  effect[0x80 / 4] = 0xE080;
  const R null = With(kDistinct, {{&R::eax, 0}});
  const R live = With(kDistinct, {{&R::eax, AddressOf(effect)}});

  // 1: EDI from the effect, or skip.
  ExpectHook(host::kMainMagicEffect1.site, null, {}, {host::kMainMagicEffect1Skip, null});
  ExpectHook(host::kMainMagicEffect1.site, live, {}, {host::kMainMagicEffect1.resume, With(live, {{&R::edi, 0xE080}})});

  // 2: both paths meet at the continue address; only a real effect is called on.
  ExpectHook(host::kMainMagicEffect2.site, null, {}, {host::kMainMagicEffect2Continue, With(null, {{&R::edi, 0}})});
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect2Call).runs, 0u);
  ExpectHook(host::kMainMagicEffect2.site, live, {},
             {host::kMainMagicEffect2Continue,
              With(live, {{&R::edi, AddressOf(effect)}, {&R::eax, sim::kEffectRoutine4D4500Result}}), 0, false, true});
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect2Call).runs, 1u);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect2Call).ecx, AddressOf(effect));

  // 3: the lookup's answer decides EDI; both continue past the resume.
  const Want none{host::kMainMagicEffect3Continue, With(kDistinct, {{&R::eax, 0}, {&R::edi, 0}}), 0, false, true};
  ExpectHook(host::kMainMagicEffect3.site, kDistinct, {}, none);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect3Call).ecx, kDistinct.ecx) << "called on the site's ECX";
  sim::SetEffectRoutine406C70Result(AddressOf(effect));
  ExpectHook(host::kMainMagicEffect3.site, kDistinct, {},
             {host::kMainMagicEffect3Continue, With(kDistinct, {{&R::eax, AddressOf(effect)}, {&R::edi, 0xE050}}),
              0, false, true});
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect3Call).runs, 2u);

  // 4: a null object drops the pushed argument as the call would have.
  const R noObject = With(kDistinct, {{&R::ecx, 0}});
  auto dropped = ExpectHook(host::kMainMagicEffect4.site, noObject, {0xA4, 0x11},
                            {host::kMainMagicEffect4.resume, With(noObject, {{&R::eax, 0}}), 4});
  EXPECT_EQ(dropped.Stack(0), 0x11u);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect4Call).runs, 0u);
  const R object = With(kDistinct, {{&R::ecx, AddressOf(effect)}});
  ExpectHook(host::kMainMagicEffect4.site, object, {0xA4, 0x11},
             {host::kMainMagicEffect4.resume, With(object, {{&R::eax, sim::kEffectRoutine403F10Result}}), 4, false,
              true});
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect4Call).ecx, AddressOf(effect));
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect4Call).argument, 0xA4u);

  // 5: ECX from the effect, or 0.
  ExpectHook(host::kMainMagicEffect5.site, null, {}, {host::kMainMagicEffect5.resume, With(null, {{&R::ecx, 0}})});
  ExpectHook(host::kMainMagicEffect5.site, live, {}, {host::kMainMagicEffect5.resume, With(live, {{&R::ecx, 0xE080}})});
}

TEST_F(ActorGuard, NullActorBaseFormStepsToTheBaseFormOfALiveActorAndSkipsANullOne) {
  EXPECT_TRUE(ApplyNullActorBaseForm().Applied());
  FakeObject actor;
  actor.Word(0x24, 0xBA5EF0);
  const R in = With(kDistinct, {{&R::eax, actor.Address()}});
  ExpectHook(host::kNullActorBaseForm.site, in, {},
             {host::kNullActorBaseForm.resume, With(in, {{&R::eax, actor.Address() + 0x20}, {&R::ecx, 0xBA5EF0}})});
  const R null = With(kDistinct, {{&R::eax, 0}});
  ExpectHook(host::kNullActorBaseForm.site, null, {}, {host::kNullActorBaseFormSkip, null});
}

TEST_F(ActorGuard, NullBaseFormMoveAnswersTheUnsignedFormTypeOrType26) {
  EXPECT_TRUE(ApplyNullBaseFormMove().Applied());
  FakeObject reference, base;
  base.bytes[0x12] = 0x9A;
  reference.Word(0x24, base.Address());
  const R in = With(kDistinct, {{&R::esi, reference.Address()}});
  ExpectHook(host::kNullBaseFormMove.site, in, {},
             {host::kNullBaseFormMove.resume, With(in, {{&R::ecx, base.Address()}, {&R::eax, 0x9A}})});
  reference.Word(0x24, 0);
  ExpectHook(host::kNullBaseFormMove.site, in, {},
             {host::kNullBaseFormMove.resume, With(in, {{&R::ecx, 0}, {&R::eax, 0x26}})});
}

TEST_F(ActorGuard, NullOutfitEntryPushesEsiOnBothPaths) {
  EXPECT_TRUE(ApplyNullOutfitEntry().Applied());
  FakeObject entry;
  entry.bytes[0x12] = 0xC3;
  R in = With(kDistinct, {{&R::ecx, entry.Address()}});
  auto out = ExpectHook(host::kNullOutfitEntry.site, in, {0x99},
                        {host::kNullOutfitEntry.resume, With(in, {{&R::esi, 0xC3}}), -4});
  EXPECT_EQ(out.Stack(0), in.esi);
  EXPECT_EQ(out.Stack(1), 0x99u);

  in = With(in, {{&R::ecx, 0}, {&R::eax, 0x123456FF}});
  out = ExpectHook(host::kNullOutfitEntry.site, in, {0x99},
                   {host::kNullOutfitEntrySkip, With(in, {{&R::eax, 0x12345600}}), -4});
  EXPECT_EQ(out.Stack(0), in.esi);
}

TEST_F(ActorGuard, ActorDeleteNullBasePushesEdiAndShiftsTheBaseLogically) {
  EXPECT_TRUE(ApplyActorDeleteNullBase().Applied());
  FakeObject actor;
  const R in = With(kDistinct, {{&R::eax, actor.Address()}});
  for (auto [base, shifted] : {std::pair{0x40u, 2u}, std::pair{0x80000040u, 0x04000002u}}) {
    actor.Word(0x24, base);
    auto out = ExpectHook(host::kActorDeleteNullBase.site, in, {0x99},
                          {host::kActorDeleteNullBase.resume, With(in, {{&R::ecx, shifted}}), -4});
    EXPECT_EQ(out.Stack(0), in.edi);
  }
  const R null = With(kDistinct, {{&R::eax, 0}});
  auto out = ExpectHook(host::kActorDeleteNullBase.site, null, {0x99}, {host::kActorDeleteNullBaseSkip, null, -4});
  EXPECT_EQ(out.Stack(0), null.edi);
}

// The four member hooks answer their own member's address, or null when it
// cannot be read; ECX and EDX carry nothing after the handler call.
TEST_F(ActorGuard, AVSetCrashMemberHooksAnswerTheirOwnMemberOrNull) {
  EXPECT_TRUE(ApplyAVSetCrash().Applied());
  const std::pair<HookSite, uint32_t> members[] = {
      {host::kAVSetCrash1, 0x150}, {host::kAVSetCrash2, 0x15C}, {host::kAVSetCrash3, 0x168}, {host::kAVSetCrash4, 0x174}};
  FakeObject object;
  for (const auto& [hook, offset] : members) {
    SCOPED_TRACE(hook.site);
    // A live member; one whose last value lies in the freed page; one at 0.
    for (auto [ecx, eax] : {std::pair{object.Address(), object.Address() + offset},
                            std::pair{sim::UnreadablePage() - 8 - offset, 0u}, std::pair{0u - offset, 0u}}) {
      const R in = With(kDistinct, {{&R::ecx, ecx}});
      auto out = ExpectHook(hook.site, in, {0x77}, {hook.resume, With(in, {{&R::eax, eax}}), 0, false, true});
      EXPECT_EQ(out.Stack(0), 0x77u);
    }
  }
}

TEST_F(ActorGuard, AVSetCrashReturnHookPopsEdiEsiEbxAndChecksTheOldEsi) {
  EXPECT_TRUE(ApplyAVSetCrash().Applied());
  FakeObject vector;
  for (uint32_t esi : {vector.Address(), 0u, sim::UnreadablePage()}) {
    const R in = With(kDistinct, {{&R::esi, esi}});
    const R popped = With(in, {{&R::edi, 0xED1}, {&R::esi, 0x551}, {&R::ebx, 0xEB1},
                               {&R::eax, esi == vector.Address() ? esi : 0u}});
    auto out = ExpectHook(host::kAVSetCrash5.site, in, {0xED1, 0x551, 0xEB1, 0x4E7},
                          {host::kAVSetCrash5.resume, popped, 12, false, true});
    EXPECT_EQ(out.Stack(0), 0x4E7u);
  }
}

}  // namespace
