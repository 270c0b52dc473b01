// The first set of null and bad-reference guards, each entered at its site
// on both sides of its test, and the three handlers behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fixes/null_guards_first.h"
#include "fixes/null_guards_first_sites.h"
#include "plugin/apply.h"
#include "plugin/load_sequence.h"
#include "sim/host_fixes_first.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "sim/runner.h"

namespace {

using sim::AddressOf;

// Distinct values in every register, so a stray change shows; the fields
// chosen in r win, and the register named by zero is 0.
sim::Registers Marked(sim::Registers r = {}, uint32_t sim::Registers::*zero = nullptr) {
  const sim::Registers marks{.eax = 0xA0A0, .ebx = 0xB0B0, .ecx = 0xC0C0, .edx = 0xD0D0, .esi = 0x5050,
                             .edi = 0xD1D1, .ebp = 0xBEBE};
  auto pick = [](uint32_t chosen, uint32_t mark) { return chosen != 0 ? chosen : mark; };
  sim::Registers out{.eax = pick(r.eax, marks.eax), .ebx = pick(r.ebx, marks.ebx), .ecx = pick(r.ecx, marks.ecx),
                     .edx = pick(r.edx, marks.edx), .esi = pick(r.esi, marks.esi), .edi = pick(r.edi, marks.edi),
                     .ebp = pick(r.ebp, marks.ebp), .eflags = r.eflags};
  if (zero != nullptr) out.*zero = 0;
  return out;
}
constexpr auto kEax = &sim::Registers::eax;

// Enters the site and expects the landing, with only `named` registers
// changed.
sim::Landing Expect(uint32_t site, const sim::Registers& in, uint32_t landing, const std::string& named,
                    std::initializer_list<uint32_t> stack = {}) {
  auto out = sim::RunHost(site, in, stack);
  EXPECT_EQ(out.address, landing) << std::hex << "site 0x" << site << ": " << out.Describe();
  EXPECT_EQ(sim::RegistersChangedBesides(in, out, named), "") << std::hex << "site 0x" << site;
  return out;
}

class NullGuard : public testing::Test {
 protected:
  void SetUp() override { sim::ResetHostImage(); }
};

TEST_F(NullGuard, UnkUniqueIdSkipsOnANullFrameOrANullFirstWord) {
  ApplyUnkUniqueId();
  Expect(host::kUnkUniqueId.site, Marked({}, &sim::Registers::ebp), host::kUnkUniqueIdSkip, "");
  uint32_t empty = 0, filled = 0x1D;
  Expect(host::kUnkUniqueId.site, Marked({.ebp = AddressOf(&empty)}), host::kUnkUniqueIdSkip, "eax");
  auto out = Expect(host::kUnkUniqueId.site, Marked({.ebp = AddressOf(&filled)}), host::kUnkUniqueId.resume, "eax");
  EXPECT_EQ(out.regs.eax, 0x1Du);
}

TEST_F(NullGuard, Render650TreatsANullObjectAsFlagged) {
  ApplyRender650();
  const sim::Registers null = Marked({}, kEax);
  Expect(host::kRender650.site, null, host::kRender650.resume, "");
  uint8_t object[0x44] = {};
  Expect(host::kRender650.site, Marked({.eax = AddressOf(object)}), host::kRender650Use, "");
  object[0x40] = 1;
  Expect(host::kRender650.site, Marked({.eax = AddressOf(object)}), host::kRender650.resume, "");
}

TEST_F(NullGuard, UnkObjRef4D4EB0JumpsThroughTheObjectOrResumes) {
  ApplyUnkObjRef4D4EB0();
  const sim::Registers null = Marked({}, kEax);
  Expect(host::kUnkObjRef4D4EB0.site, null, host::kUnkObjRef4D4EB0.resume, "");
  uint32_t object[0x20] = {};
  object[0x74 / 4] = 0x4D5123;
  auto out = Expect(host::kUnkObjRef4D4EB0.site, Marked({.eax = AddressOf(object)}), 0x4D5123, "edx", {0x11, 0x22});
  EXPECT_EQ(out.regs.edx, 0x4D5123u);
  EXPECT_EQ(out.Stack(0), 0x11u);
}

TEST_F(NullGuard, Unk11ReadsTheWordOrSkipsWithEsiZero) {
  ApplyUnk11();
  uint32_t holder[4] = {};
  auto skipped = Expect(host::kUnk11.site, Marked({.esi = AddressOf(holder)}), host::kUnk11Skip, "esi");
  EXPECT_EQ(skipped.regs.esi, 0u);
  const uint16_t words[4] = {0x1111, 0x2222, 0x3333, 0xFFFE};
  holder[3] = AddressOf(words);
  auto read = Expect(host::kUnk11.site, Marked({.edx = 3, .esi = AddressOf(holder)}), host::kUnk11.resume, "esi");
  EXPECT_EQ(read.regs.esi, 0xFFFEu);  // zero-extended
}

TEST_F(NullGuard, CellNullCrashEndsTheSearchOnANullEntry) {
  ApplyCellNullCrash();
  const sim::Registers null = Marked({}, kEax);
  Expect(host::kCellNullCrash.site, null, host::kCellNullCrashNotFound, "");
  uint32_t entry[3] = {0xD1D1, 0, 0xE0E0};  // key equals the marked EDI
  Expect(host::kCellNullCrash.site, Marked({.eax = AddressOf(entry)}), host::kCellNullCrashFound, "");
  entry[0] = 0x4E4E;
  auto next = Expect(host::kCellNullCrash.site, Marked({.eax = AddressOf(entry)}), host::kCellNullCrash.resume, "eax");
  EXPECT_EQ(next.regs.eax, 0xE0E0u);
}

TEST_F(NullGuard, MountNodeCrashFallsBackToTheObjectInEdi) {
  ApplyMountNodeCrash();
  uint32_t own[0x20] = {}, fallback[0x20] = {}, rider[0x10] = {};
  own[0x78 / 4] = 0x0178;
  own[0x7C / 4] = 0x017C;
  fallback[0x78 / 4] = 0x0F78;
  fallback[0x7C / 4] = 0x0F7C;
  rider[0x3C / 4] = 0x0E3C;
  const sim::Registers null = Marked({.esi = AddressOf(rider), .edi = AddressOf(fallback)}, kEax);
  auto fell = Expect(host::kMountNodeCrash.site, null, host::kMountNodeCrash.resume, "eax ecx edx");
  EXPECT_EQ(fell.regs.eax, 0x0F7Cu);
  EXPECT_EQ(fell.regs.ecx, 0x0F78u);
  EXPECT_EQ(fell.regs.edx, 0x0E3Cu);
  auto kept = Expect(host::kMountNodeCrash.site, Marked({.eax = AddressOf(own), .esi = AddressOf(rider), .edi = AddressOf(fallback)}),
                     host::kMountNodeCrash.resume, "eax ecx edx");
  EXPECT_EQ(kept.regs.eax, 0x017Cu);
  EXPECT_EQ(kept.regs.ecx, 0x0178u);
}

TEST_F(NullGuard, WithBothMountNodeOptionsOnOnlyTheFixIsAtTheSite) {
  sim::PrepareGameFolder(sim::TempFolder("mount-conflict"), "[Patch]\nMountNodeCrash=1\nMountNodeWarn=1\n");
  ASSERT_TRUE(ApplyNormalOptions());
  ASSERT_EQ(sim::HostAt<uint8_t>(host::kMountNodeCrash.site), 0xE9);
  EXPECT_EQ(host::kMountNodeCrash.site + 5 + sim::HostAt<uint32_t>(0x6E7F86), AddressOf(reinterpret_cast<const void*>(&MountNodeCrash_Body)));
}

TEST_F(NullGuard, MovementPlannerAgentWarpStoresOnlyTypedObjects) {
  ApplyMovementPlannerAgentWarp();
  uint32_t planner[0x20] = {};
  uint8_t agent[0x14] = {};
  agent[0x12] = 0x3E;
  Expect(host::kMovementPlannerAgentWarp.site, Marked({.eax = AddressOf(agent), .esi = AddressOf(planner)}), host::kMovementPlannerAgentWarp.resume, "");
  EXPECT_EQ(planner[0x50 / 4], AddressOf(agent));
  agent[0x12] = 0x3D;
  Expect(host::kMovementPlannerAgentWarp.site, Marked({.eax = AddressOf(agent), .esi = AddressOf(planner)}), host::kMovementPlannerAgentWarp.resume, "");
  EXPECT_EQ(planner[0x50 / 4], 0u);
  planner[0x50 / 4] = 0xFFFFFFFF;
  const sim::Registers null = Marked({.esi = AddressOf(planner)}, kEax);
  Expect(host::kMovementPlannerAgentWarp.site, null, host::kMovementPlannerAgentWarp.resume, "");
  EXPECT_EQ(planner[0x50 / 4], 0u);
}

TEST_F(NullGuard, IndexError1ReturnsEarlyFrom0x55) {
  ApplyIndexError1();
  sim::HostAt<uint32_t>(host::kIndexError1Data) = 0xDA7A;
  sim::HostAt<uint32_t>(host::kIndexError1Index) = 0x54;
  auto below = Expect(host::kIndexError1.site, Marked(), host::kIndexError1.resume, "eax esi");
  EXPECT_EQ(below.regs.eax, 0x54u);
  EXPECT_EQ(below.regs.esi, 0xDA7Au);
  sim::HostAt<uint32_t>(host::kIndexError1Index) = 0x55;
  auto at = Expect(host::kIndexError1.site, Marked(), sim::kReturnProbe, "eax esi esp", {0x5A5E, sim::kReturnProbe, 0xA1});
  EXPECT_EQ(at.regs.eax, 0x55u);
  EXPECT_EQ(at.regs.esi, 0x5A5Eu);  // the routine's pushed ESI
  EXPECT_EQ(at.regs.esp, at.entryEsp + 8);
  sim::HostAt<uint32_t>(host::kIndexError1Index) = 0x80000000;  // unsigned: large values return too
  Expect(host::kIndexError1.site, Marked(), sim::kReturnProbe, "eax esi esp", {0x5A5E, sim::kReturnProbe});
}

TEST_F(NullGuard, GetMainMagicEffectInstallsFiveGuards) {
  ApplyGetMainMagicEffect();
  uint32_t effect[0x24] = {};
  effect[0x50 / 4] = 0xE050;
  effect[0x80 / 4] = 0xE080;
  const sim::Registers null = Marked({}, kEax);

  // 1: EDI from the effect, or skip.
  Expect(host::kMainMagicEffect1.site, null, host::kMainMagicEffect1Skip, "");
  EXPECT_EQ(Expect(host::kMainMagicEffect1.site, Marked({.eax = AddressOf(effect)}), host::kMainMagicEffect1.resume, "edi").regs.edi, 0xE080u);

  // 2: both paths meet at kMainMagicEffect2Continue; only a real effect is called on.
  auto skipped = Expect(host::kMainMagicEffect2.site, null, host::kMainMagicEffect2Continue, "edi");
  EXPECT_EQ(skipped.regs.edi, 0u);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect2Call).runs, 0u);
  auto called = Expect(host::kMainMagicEffect2.site, Marked({.eax = AddressOf(effect)}), host::kMainMagicEffect2Continue, "eax ecx edx edi");
  EXPECT_EQ(called.regs.edi, AddressOf(effect));
  EXPECT_EQ(called.regs.eax, sim::kEffectRoutine4D4500Result);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect2Call).runs, 1u);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect2Call).ecx, AddressOf(effect));

  // 3: the lookup's answer decides EDI; both continue past the resume.
  auto none = Expect(host::kMainMagicEffect3.site, Marked(), host::kMainMagicEffect3Continue, "eax ecx edx edi");
  EXPECT_EQ(none.regs.edi, 0u);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect3Call).ecx, 0xC0C0u);
  sim::SetEffectRoutine406C70Result(AddressOf(effect));
  auto found = Expect(host::kMainMagicEffect3.site, Marked(), host::kMainMagicEffect3Continue, "eax ecx edx edi");
  EXPECT_EQ(found.regs.edi, 0xE050u);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect3Call).runs, 2u);

  // 4: a null object drops the pushed argument as the call would have.
  auto dropped = Expect(host::kMainMagicEffect4.site, Marked({}, &sim::Registers::ecx), host::kMainMagicEffect4.resume, "eax esp", {0xA4, 0x11});
  EXPECT_EQ(dropped.regs.eax, 0u);
  EXPECT_EQ(dropped.regs.esp, dropped.entryEsp + 4);
  EXPECT_EQ(dropped.Stack(0), 0x11u);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect4Call).runs, 0u);
  auto member = Expect(host::kMainMagicEffect4.site, Marked({.ecx = AddressOf(effect)}), host::kMainMagicEffect4.resume, "eax ecx edx esp", {0xA4, 0x11});
  EXPECT_EQ(member.regs.eax, sim::kEffectRoutine403F10Result);
  EXPECT_EQ(member.regs.esp, member.entryEsp + 4);
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect4Call).ecx, AddressOf(effect));
  EXPECT_EQ(sim::EffectRoutineRecord(host::kMainMagicEffect4Call).argument, 0xA4u);

  // 5: ECX from the effect, or 0.
  EXPECT_EQ(Expect(host::kMainMagicEffect5.site, null, host::kMainMagicEffect5.resume, "ecx").regs.ecx, 0u);
  EXPECT_EQ(Expect(host::kMainMagicEffect5.site, Marked({.eax = AddressOf(effect)}), host::kMainMagicEffect5.resume, "ecx").regs.ecx, 0xE080u);
}

TEST_F(NullGuard, NullSeenDataHandsOnTheObjectOrOneSharedConstructedDummy) {
  ApplyNullSeenData();
  const uint32_t table[2] = {0x7AB0, 0x7AB1};
  const uint32_t object = AddressOf(table);
  auto kept = Expect(host::kNullSeenData.site, Marked({.eax = AddressOf(&object)}), host::kNullSeenData.resume, "eax ecx edx");
  EXPECT_EQ(kept.regs.ecx, AddressOf(&object));
  EXPECT_EQ(kept.regs.edx, AddressOf(table));
  EXPECT_EQ(kept.regs.eax, 0x7AB1u);
  EXPECT_EQ(sim::SeenDataConstructions(), 0u) << "nothing is built for a real object (first use in this process)";

  const sim::Registers null = Marked({}, kEax);
  auto first = Expect(host::kNullSeenData.site, null, host::kNullSeenData.resume, "eax ecx edx");
  auto second = Expect(host::kNullSeenData.site, null, host::kNullSeenData.resume, "eax ecx edx");
  EXPECT_EQ(sim::SeenDataConstructions(), 1u);
  EXPECT_EQ(first.regs.ecx, second.regs.ecx);
  EXPECT_EQ(first.regs.ecx, sim::LastSeenDataConstruction().object);
  EXPECT_EQ(sim::LastSeenDataConstruction().first, 0u);
  EXPECT_EQ(sim::LastSeenDataConstruction().second, 0u);
  EXPECT_EQ(first.regs.edx, sim::SeenDataTable());
  EXPECT_EQ(first.regs.eax, sim::kSeenDataSlot1);
}

TEST_F(NullGuard, BhvGraphUpdateLoadShowsAnUnreadableStringAsEmpty) {
  ApplyBhvGraphUpdateLoad();
  const char* text = "idle";
  auto readable = Expect(host::kBhvGraphUpdateLoad.site, Marked(), host::kBhvGraphUpdateLoad.resume, "eax ecx edx", {0, 0, 0, 0, AddressOf(text)});
  EXPECT_EQ(readable.regs.edx, AddressOf(text));
  EXPECT_EQ(readable.regs.eax, AddressOf(text));
  EXPECT_EQ(readable.regs.eflags & sim::kZeroFlag, 0u);

  for (uint32_t bad : {0u, sim::UnreadablePage()}) {
    auto zero = Expect(host::kBhvGraphUpdateLoad.site, Marked(), host::kBhvGraphUpdateLoad.resume, "eax ecx edx", {0, 0, 0, 0, bad});
    EXPECT_EQ(zero.regs.edx, AddressOf(ReadableOrZero(nullptr)));
    EXPECT_EQ(zero.regs.eax, zero.regs.edx);
    EXPECT_NE(zero.regs.eflags & sim::kZeroFlag, 0u);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(static_cast<uintptr_t>(zero.regs.edx)), 0u);
  }
}

TEST_F(NullGuard, ShadowNodeTakesTheSlotResultOrClearsBothBytesOnAFault) {
  ApplyShadowNode();
  uint8_t shadow[0x110];
  auto answering = sim::MakeAnsweringSlot7Node(0);  // a result of 0 is not a fault
  std::fill(std::begin(shadow), std::end(shadow), 0x77);
  auto ok = Expect(host::kShadowNode.site, Marked({.esi = AddressOf(shadow), .edi = AddressOf(&answering)}), host::kShadowNode.resume, "eax");
  EXPECT_EQ(ok.regs.eax, 0u);
  EXPECT_EQ(shadow[0x108], 0x77);
  EXPECT_EQ(shadow[0x10C], 0x77);

  auto faulting = sim::MakeFaultingSlot7Node();
  Expect(host::kShadowNode.site, Marked({.esi = AddressOf(shadow), .edi = AddressOf(&faulting)}), host::kShadowNodeSkip, "");
  EXPECT_EQ(shadow[0x108], 0);
  EXPECT_EQ(shadow[0x10C], 0);
  EXPECT_EQ(shadow[0x109], 0x77);
  EXPECT_EQ(shadow[0x10B], 0x77);

  // A node that cannot even be read faults the same way.
  shadow[0x108] = shadow[0x10C] = 0x77;
  Expect(host::kShadowNode.site, Marked({.esi = AddressOf(shadow), .edi = sim::UnreadablePage()}), host::kShadowNodeSkip, "");
  EXPECT_EQ(shadow[0x10C], 0);
}

}  // namespace
