// The second set of bad-reference guards, entered at their host sites with
// chosen registers: where each lands and the full register state there.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <thread>
#include <utility>
#include <vector>

#include "fixes/null_guards_second.h"
#include "fixes/null_guards_second_sites.h"
#include "plugin/apply.h"
#include "plugin/option_table.h"
#include "sim/host_fixes_second.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"
#include "sim/runner.h"
#include "tests/hook_check.h"

extern "C" void NullLoadedNodeIgnore_Body();

namespace {

using namespace hook_check;

using sim::AddressOf;

constexpr R kHostRegisters{.eax = 0xA0A0A0A0, .ebx = 0xB0B0B0B0, .ecx = 0xC0C0C0C0, .edx = 0xD0D0D0D0,
                           .esi = 0x51515151, .edi = 0xD1D1D1D1, .ebp = 0xBEBEBEBE};

void ExpectLanding(const sim::Landing& out, uint32_t address, int espDelta = 0) {
  EXPECT_EQ(out.exception, sim::kBreakpoint) << out.Describe();
  EXPECT_EQ(out.address, address) << out.Describe();
  EXPECT_EQ(out.regs.esp, out.entryEsp + espDelta) << out.Describe();
}

bool Flag(const sim::Landing& out, uint32_t flag) { return (out.regs.eflags & flag) != 0; }

// Plain memory standing in for a host object; fields are set by offset.
struct FakeObject {
  alignas(16) uint8_t bytes[0x200] = {};
  uint32_t Address() const { return sim::AddressOf(bytes); }
  void Word(uint32_t offset, uint32_t value) { std::memcpy(bytes + offset, &value, 4); }
  void Float(uint32_t offset, float value) { std::memcpy(bytes + offset, &value, 4); }
};

// ----- handlers -----

TEST(BadReferenceHandlers, ObjectProbeAnswersNullForNullAndFreedMemory) {
  FakeObject live;
  EXPECT_EQ(ReadableObjectOrNull(live.bytes), live.bytes);
  EXPECT_EQ(ReadableObjectOrNull(nullptr), nullptr);
  auto* freed = reinterpret_cast<void*>(sim::UnreadablePage());
  EXPECT_EQ(ReadableObjectOrNull(freed), nullptr);
  // Only the first word is probed: an object ending at the freed page is fine.
  auto* lastWord = reinterpret_cast<void*>(sim::UnreadablePage() - 4);
  EXPECT_EQ(ReadableObjectOrNull(lastWord), lastWord);
}

TEST(BadReferenceHandlers, VectorProbeNeedsAllTwelveBytes) {
  FakeObject live;
  EXPECT_EQ(ReadableVectorOrNull(live.bytes), live.bytes);
  EXPECT_EQ(ReadableVectorOrNull(nullptr), nullptr);
  EXPECT_EQ(ReadableVectorOrNull(reinterpret_cast<void*>(sim::UnreadablePage())), nullptr);
  for (uint32_t before : {4u, 8u}) {
    EXPECT_EQ(ReadableVectorOrNull(reinterpret_cast<void*>(sim::UnreadablePage() - before)), nullptr) << before;
  }
  auto* fits = reinterpret_cast<void*>(sim::UnreadablePage() - 12);
  EXPECT_EQ(ReadableVectorOrNull(fits), fits);
}

// The handlers keep no state: threads probing live and freed memory at once
// each get their own answer.
TEST(BadReferenceHandlers, ThreadsProbingAtOnceGetTheirOwnAnswers) {
  FakeObject live;
  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      const bool alive = t % 2 == 1;
      void* vector = alive ? live.bytes : reinterpret_cast<void*>(sim::UnreadablePage() - 4 * (t % 3));
      void* object = alive ? live.bytes + 4 * t : reinterpret_cast<void*>(sim::UnreadablePage() + 4 * t);
      for (int i = 0; i < 2000; ++i) {
        if (ReadableVectorOrNull(vector) != (alive ? vector : nullptr)) ++wrong[t];
        if (ReadableObjectOrNull(object) != (alive ? object : nullptr)) ++wrong[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

// ----- the render-save site and its x87 push -----

constexpr std::initializer_list<uint32_t> kRenderSaveStack = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x5AFE, 14};

TEST(RenderSave, PushesTheObjectsFloatAndLoadsTheStackWord) {
  sim::ResetHostImage();
  ApplyRenderSave();
  FakeObject object;
  object.Float(0x8C, 2.75f);
  object.Float(0x88, -1.0f);
  auto in = With(kHostRegisters, {{&R::eax, object.Address()}});
  auto out = sim::RunHostWithEmptyX87(host::kRenderSave.site, in, kRenderSaveStack);
  ExpectLanded(out, host::kRenderSave.resume + sim::kX87ProbeLength, With(in, {{&R::ecx, 0x5AFE}}), 0, false);
  const auto x87 = sim::X87AtLastProbe();
  EXPECT_EQ(x87.depth, 1);
  EXPECT_EQ(x87.top, 2.75);
}

TEST(RenderSave, ANullObjectSkipsWithNothingOnTheX87Stack) {
  sim::ResetHostImage();
  ApplyRenderSave();
  auto in = With(kHostRegisters, {{&R::eax, 0}});
  auto out = sim::RunHostWithEmptyX87(host::kRenderSave.site, in, kRenderSaveStack);
  ExpectLanded(out, host::kRenderSaveSkip + sim::kX87ProbeLength, in, 0, false);
  EXPECT_EQ(sim::X87AtLastProbe().depth, 0);
}

// ----- the movement controller's call through its function table -----

TEST(MoveControllerCast, WithoutATableAnswersZeroAsBelowAndNotEqual) {
  sim::ResetHostImage();
  ApplyMoveControllerCast();
  auto in = With(kHostRegisters, {{&R::edx, 0}, {&R::eflags, sim::kZeroFlag}});  // the opposite of the answer
  auto out = ExpectHook(host::kMoveControllerCast.site, in, {1, 2, 3, 4, 5, 6, 7, 0},
                        {host::kMoveControllerCast.resume, With(in, {{&R::eax, 0}})});
  EXPECT_FALSE(Flag(out, sim::kZeroFlag));
  EXPECT_TRUE(Flag(out, sim::kCarryFlag));
  EXPECT_EQ(sim::LastControllerCall().calls, 0u);
}

TEST(MoveControllerCast, CallsEntryFourAndComparesItsAnswerWithTheStackWord) {
  struct Case {
    uint32_t answer;
    bool zero, carry;
  };
  constexpr uint32_t kStackWord = 0x1000;  // [ESP+0x1C] at the site
  for (const Case& c : {Case{0x1000, true, false}, Case{0x0FFF, false, true}, Case{0x1001, false, false}}) {
    sim::ResetHostImage();
    ApplyMoveControllerCast();
    sim::SetControllerCallResult(c.answer);
    auto in = With(kHostRegisters, {{&R::edx, sim::ControllerFunctionTable()}});
    auto out = ExpectHook(host::kMoveControllerCast.site, in, {0xF1257, 2, 3, 4, 5, 6, 7, kStackWord, 9},
                          {host::kMoveControllerCast.resume, With(in, {{&R::eax, c.answer}})});
    EXPECT_EQ(Flag(out, sim::kZeroFlag), c.zero) << std::hex << c.answer;
    EXPECT_EQ(Flag(out, sim::kCarryFlag), c.carry) << std::hex << c.answer;
    const auto call = sim::LastControllerCall();
    EXPECT_EQ(call.calls, 1u);
    EXPECT_EQ(call.ecx, in.ecx);
    EXPECT_EQ(call.firstStackWord, 0xF1257u) << "the callee sees the site's stack";
  }
}

// ----- the save-render object and its slot 19 -----

TEST(SaveRenderCrash, ALiveObjectGetsItsSlot19CallWithEdi) {
  sim::ResetHostImage();
  ApplySaveRenderCrash();
  auto in = With(kHostRegisters, {{&R::esi, sim::SlotObject()}});
  auto out = sim::RunHost(host::kSaveRenderCrash.site, in, {0x11, 0x22});
  ExpectLanding(out, host::kSaveRenderCrash.resume);
  // ECX and EDX are the callee's to change.
  EXPECT_EQ(out.regs.eax, sim::kSlot19Result);
  EXPECT_EQ(out.regs.esi, sim::SlotObject());
  EXPECT_EQ(out.regs.ebx, in.ebx);
  EXPECT_EQ(out.regs.edi, in.edi);
  EXPECT_EQ(out.regs.ebp, in.ebp);
  EXPECT_EQ(out.Stack(0), 0x11u);
  const auto call = sim::LastSlot19Call();
  EXPECT_EQ(call.calls, 1u);
  EXPECT_EQ(call.self, sim::SlotObject());
  EXPECT_EQ(call.argument, in.edi);
}

TEST(SaveRenderCrash, ANullOrFreedObjectIsSkippedWithZeroResults) {
  for (uint32_t object : {0u, sim::UnreadablePage()}) {
    sim::ResetHostImage();
    ApplySaveRenderCrash();
    auto in = With(kHostRegisters, {{&R::esi, object}});
    ExpectHook(host::kSaveRenderCrash.site, in, {0x11, 0x22}, {host::kSaveRenderCrash.resume, With(in, {{&R::esi, 0}, {&R::eax, 0}})});
    EXPECT_EQ(sim::LastSlot19Call().calls, 0u);
  }
}

// ----- plain guards with a skip address -----

TEST(NullLoadedNodeIgnore, LoadsSlot5OfALiveNodeAndSkipsANullOne) {
  sim::ResetHostImage();
  ApplyNullLoadedNodeIgnore();
  auto in = With(kHostRegisters, {{&R::eax, sim::SlotObject()}});
  ExpectHook(host::kNullLoadedNodeIgnore.site, in, {},
             {host::kNullLoadedNodeIgnore.resume, With(in, {{&R::eax, sim::SlotObjectSlot5()},
                                  {&R::ecx, sim::SlotObject()},
                                  {&R::edx, sim::HostAt<uint32_t>(sim::SlotObject())}})});  // its virtual table
  in.eax = 0;
  ExpectHook(host::kNullLoadedNodeIgnore.site, in, {}, {host::kNullLoadedNodeIgnoreSkip, in});
}

const OptionEntry& Row(const char* key) {
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (std::strcmp(row->key, key) == 0) return *row;
  }
  ADD_FAILURE() << key << " is not in the option table";
  return *FindOption(0);
}

// With the warning variant on as well, the table rules the warning out and
// the load pass leaves exactly this guard's jump at the shared site.
TEST(NullLoadedNodeIgnore, WinsTheSharedSiteOverTheWarning) {
  sim::PrepareGameFolder(sim::TempFolder("null-loaded-node"), "[Patch]\nNullLoadedNodeIgnore=1\nNullLoadedNodeNotify=1\n");
  sim::ResetHostImage();
  sim::ClearJournal();
  EXPECT_FALSE(IsOptionEligible(Row("NullLoadedNodeNotify")));
  EXPECT_TRUE(IsOptionEligible(Row("NullLoadedNodeIgnore")));
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (row->apply != nullptr && IsOptionEligible(*row)) row->apply();
  }
  const uint32_t jumpEnd = host::kNullLoadedNodeIgnore.site + 5;
  EXPECT_EQ(sim::HostAt<uint8_t>(host::kNullLoadedNodeIgnore.site), 0xE9);
  EXPECT_EQ(sim::HostAt<uint32_t>(host::kNullLoadedNodeIgnore.site + 1),
            AddressOf(reinterpret_cast<const void*>(&NullLoadedNodeIgnore_Body)) - jumpEnd);
  EXPECT_EQ(sim::HostAt<uint16_t>(jumpEnd), 0x9090);

  auto in = With(kHostRegisters, {{&R::eax, 0}});
  ExpectHook(host::kNullLoadedNodeIgnore.site, in, {}, {host::kNullLoadedNodeIgnoreSkip, in});
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(NullActorBaseForm, StepsToTheBaseFormOfALiveActorAndSkipsANullOne) {
  sim::ResetHostImage();
  ApplyNullActorBaseForm();
  FakeObject actor;
  actor.Word(0x24, 0xBA5EF0);
  auto in = With(kHostRegisters, {{&R::eax, actor.Address()}});
  ExpectHook(host::kNullActorBaseForm.site, in, {}, {host::kNullActorBaseForm.resume, With(in, {{&R::eax, actor.Address() + 0x20}, {&R::ecx, 0xBA5EF0}})});
  in.eax = 0;
  ExpectHook(host::kNullActorBaseForm.site, in, {}, {host::kNullActorBaseFormSkip, in});
}

// ----- the five member-vector guards -----

struct MemberHook {
  uint32_t site, resume, offset;
};
constexpr MemberHook kMemberHooks[] = {
    {host::kAVSetCrash1.site, host::kAVSetCrash1.resume, 0x150}, {host::kAVSetCrash2.site, host::kAVSetCrash2.resume, 0x15C}, {host::kAVSetCrash3.site, host::kAVSetCrash3.resume, 0x168}, {host::kAVSetCrash4.site, host::kAVSetCrash4.resume, 0x174}};

// ECX and EDX carry nothing after the handler call; everything else stays.
void ExpectKeptAcrossHandler(const sim::Landing& out, const R& in) {
  EXPECT_EQ(out.regs.ebx, in.ebx) << out.Describe();
  EXPECT_EQ(out.regs.esi, in.esi) << out.Describe();
  EXPECT_EQ(out.regs.edi, in.edi) << out.Describe();
  EXPECT_EQ(out.regs.ebp, in.ebp) << out.Describe();
}

TEST(AVSetCrash, EachMemberHookAnswersItsOwnMemberOrNull) {
  sim::ResetHostImage();
  ApplyAVSetCrash();
  FakeObject object;
  // A live member; one whose last value lies in the freed page; one at 0.
  for (const MemberHook& hook : kMemberHooks) {
    SCOPED_TRACE(hook.site);
    for (auto [ecx, eax] : {std::pair{object.Address(), object.Address() + hook.offset},
                            std::pair{sim::UnreadablePage() - 8 - hook.offset, 0u}, std::pair{0u - hook.offset, 0u}}) {
      auto in = With(kHostRegisters, {{&R::ecx, ecx}});
      auto out = sim::RunHost(hook.site, in, {0x77});
      ExpectLanding(out, hook.resume);
      EXPECT_EQ(out.regs.eax, eax);
      ExpectKeptAcrossHandler(out, in);
      EXPECT_EQ(out.Stack(0), 0x77u);
    }
  }
}

TEST(AVSetCrash, TheReturnHookPopsEdiEsiEbxAndChecksTheOldEsi) {
  sim::ResetHostImage();
  ApplyAVSetCrash();
  FakeObject vector;
  for (uint32_t esi : {vector.Address(), 0u, sim::UnreadablePage()}) {
    auto in = With(kHostRegisters, {{&R::esi, esi}});
    auto out = sim::RunHost(host::kAVSetCrash5.site, in, {0xED1, 0x551, 0xEB1, 0x4E7});
    ExpectLanding(out, host::kAVSetCrash5.resume, 12);
    EXPECT_EQ(out.regs.eax, esi == vector.Address() ? esi : 0u) << std::hex << esi;
    ExpectKeptAcrossHandler(out, With(in, {{&R::edi, 0xED1}, {&R::esi, 0x551}, {&R::ebx, 0xEB1}}));
    EXPECT_EQ(out.Stack(0), 0x4E7u);
  }
}

// ----- guards that load through a reference -----

TEST(NullPlayerNode, StoresClOnBothPathsAndTestsTheNodeFlag) {
  struct Case {
    bool node;
    uint8_t flag;
    uint32_t landing;
    bool zero;
  };
  FakeObject node;
  for (const Case& c : {Case{true, 1, host::kNullPlayerNode.resume, false}, Case{true, 0xFE, host::kNullPlayerNode.resume, true}, Case{false, 0, host::kNullPlayerNodeSkip, false}}) {
    sim::ResetHostImage();
    ApplyNullPlayerNode();
    node.bytes[0x98] = c.flag;
    auto in = With(kHostRegisters, {{&R::eax, c.node ? node.Address() : 0}, {&R::ecx, 0x1234565A}});
    auto out = ExpectHook(host::kNullPlayerNode.site, in, {0, 1, 2, 3, 4, 5, 6, 7, 0xAABBCCDD, 9}, {c.landing, in});
    EXPECT_EQ(out.Stack(8), 0xAABBCC5Au) << "only byte [ESP+0x20] takes CL";
    EXPECT_EQ(out.Stack(7), 7u);
    if (c.node) {
      EXPECT_EQ(Flag(out, sim::kZeroFlag), c.zero) << int(c.flag);
    }
  }
}

TEST(NullBaseFormMove, AnswersTheUnsignedFormTypeOrType26) {
  sim::ResetHostImage();
  ApplyNullBaseFormMove();
  FakeObject reference, base;
  base.bytes[0x12] = 0x9A;
  reference.Word(0x24, base.Address());
  auto in = With(kHostRegisters, {{&R::esi, reference.Address()}});
  ExpectHook(host::kNullBaseFormMove.site, in, {}, {host::kNullBaseFormMove.resume, With(in, {{&R::ecx, base.Address()}, {&R::eax, 0x9A}})});
  reference.Word(0x24, 0);
  ExpectHook(host::kNullBaseFormMove.site, in, {}, {host::kNullBaseFormMove.resume, With(in, {{&R::ecx, 0}, {&R::eax, 0x26}})});
}

TEST(NullRefNode, ClearsEcxAndEbpAndCopiesEaxToEbxOnBothPaths) {
  sim::ResetHostImage();
  ApplyNullRefNode();
  for (uint32_t node : {0x0BADF00Du, 0u}) {
    auto in = With(kHostRegisters, {{&R::eax, node}});
    ExpectHook(host::kNullRefNode.site, in, {},
               {node ? host::kNullRefNode.resume : host::kNullRefNodeSkip, With(in, {{&R::ebx, node}, {&R::ecx, 0}, {&R::ebp, 0}})});
  }
}

TEST(NullOutfitEntry, PushesEsiOnBothPaths) {
  sim::ResetHostImage();
  ApplyNullOutfitEntry();
  FakeObject entry;
  entry.bytes[0x12] = 0xC3;
  auto in = With(kHostRegisters, {{&R::ecx, entry.Address()}});
  auto out = ExpectHook(host::kNullOutfitEntry.site, in, {0x99}, {host::kNullOutfitEntry.resume, With(in, {{&R::esi, 0xC3}}), -4});
  EXPECT_EQ(out.Stack(0), in.esi);
  EXPECT_EQ(out.Stack(1), 0x99u);

  in = With(in, {{&R::ecx, 0}, {&R::eax, 0x123456FF}});
  out = ExpectHook(host::kNullOutfitEntry.site, in, {0x99}, {host::kNullOutfitEntrySkip, With(in, {{&R::eax, 0x12345600}}), -4});
  EXPECT_EQ(out.Stack(0), in.esi);
}

TEST(ActorDeleteNullBase, PushesEdiAndShiftsTheBaseLogically) {
  sim::ResetHostImage();
  ApplyActorDeleteNullBase();
  FakeObject actor;
  for (auto [base, shifted] : {std::pair{0x40u, 2u}, std::pair{0x80000040u, 0x04000002u}}) {
    actor.Word(0x24, base);
    auto in = With(kHostRegisters, {{&R::eax, actor.Address()}});
    auto out = ExpectHook(host::kActorDeleteNullBase.site, in, {0x99}, {host::kActorDeleteNullBase.resume, With(in, {{&R::ecx, shifted}}), -4});
    EXPECT_EQ(out.Stack(0), in.edi);
  }
  auto in = With(kHostRegisters, {{&R::eax, 0}});
  auto out = ExpectHook(host::kActorDeleteNullBase.site, in, {0x99}, {host::kActorDeleteNullBaseSkip, in, -4});
  EXPECT_EQ(out.Stack(0), in.edi);
}

TEST(NullParentNode, LoadsTheParentsTableOrSkipsWithoutOne) {
  sim::ResetHostImage();
  ApplyNullParentNode();
  FakeObject child, parent;
  parent.Word(0, 0x7AB1E);
  child.Word(0x18, parent.Address());
  auto in = With(kHostRegisters, {{&R::esi, child.Address()}});
  ExpectHook(host::kNullParentNode.site, in, {}, {host::kNullParentNode.resume, With(in, {{&R::ecx, parent.Address()}, {&R::edx, 0x7AB1E}})});
  child.Word(0x18, 0);
  ExpectHook(host::kNullParentNode.site, in, {}, {host::kNullParentNodeSkip, With(in, {{&R::ecx, 0}})});
}

// ----- the early returns -----

TEST(SarnothSpecific, BothRoutinesReturnAtTheSiteRemovingSixteenBytes) {
  sim::ResetHostImage();
  ApplySarnothSpecific();
  for (uint32_t site : {host::kSarnothSpecific1.site, host::kSarnothSpecific2.site}) {
    SCOPED_TRACE(site);
    auto out = ExpectHook(sim::EarlyReturnRoutineEntry(site), kHostRegisters,
                          {sim::kReturnProbe, 1, 2, 3, 4, 0xCA11E4}, {sim::kReturnProbe, kHostRegisters, 20});
    EXPECT_EQ(out.Stack(0), 0xCA11E4u);
  }
}

}  // namespace
