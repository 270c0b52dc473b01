// The scene-node guards, each entered at its site on both sides of its test,
// and their two handlers.
#include <algorithm>
#include <cstring>

#include "fixes/scene_node_guard_sites.h"
#include "fixes/scene_node_guards.h"
#include "plugin/load_sequence.h"
#include "plugin/option_table.h"
#include "sim/host_memory.h"
#include "sim/host_scene_node_guards.h"
#include "sim/journal.h"
#include "sim/loader.h"
#include "tests/hook_check.h"

namespace {

using namespace hook_check;
using sim::AddressOf;
using SceneNodeGuard = HookTest;

void* Unreadable(uint32_t offset = 0) { return reinterpret_cast<void*>(sim::UnreadablePage() + offset); }

TEST(SceneNodeHandlers, ObjectProbeAnswersNullForNullAndFreedMemory) {
  FakeObject live;
  EXPECT_EQ(ReadableObjectOrNull(live.bytes), live.bytes);
  EXPECT_EQ(ReadableObjectOrNull(nullptr), nullptr);
  EXPECT_EQ(ReadableObjectOrNull(Unreadable()), nullptr);
  // Only the first word is probed: an object ending at the freed page is fine.
  EXPECT_EQ(ReadableObjectOrNull(Unreadable(-4)), Unreadable(-4));
}

TEST_F(SceneNodeGuard, Render650TreatsANullObjectAsFlagged) {
  EXPECT_TRUE(ApplyRender650().Applied());
  const R null = With(kDistinct, {{&R::eax, 0}});
  ExpectHook(host::kRender650.site, null, {}, {host::kRender650.resume, null});
  uint8_t object[0x44] = {};
  const R in = With(kDistinct, {{&R::eax, AddressOf(object)}});
  ExpectHook(host::kRender650.site, in, {}, {host::kRender650Use, in});
  object[0x40] = 1;
  ExpectHook(host::kRender650.site, in, {}, {host::kRender650.resume, in});
}

TEST_F(SceneNodeGuard, ShadowNodeTakesTheSlotResultOrClearsBothBytesOnAFault) {
  EXPECT_TRUE(ApplyShadowNode().Applied());
  uint8_t shadow[0x110];
  std::fill(std::begin(shadow), std::end(shadow), 0x77);
  auto answering = sim::MakeAnsweringSlot7Node(0);  // a result of 0 is not a fault
  R in = With(kDistinct, {{&R::esi, AddressOf(shadow)}, {&R::edi, AddressOf(&answering)}});
  ExpectHook(host::kShadowNode.site, in, {}, {host::kShadowNode.resume, With(in, {{&R::eax, 0}}), 0, true});
  EXPECT_EQ(shadow[0x108], 0x77);
  EXPECT_EQ(shadow[0x10C], 0x77);

  // A node whose slot faults, and one that cannot even be read.
  auto faulting = sim::MakeFaultingSlot7Node();
  for (uint32_t node : {AddressOf(&faulting), sim::UnreadablePage()}) {
    shadow[0x108] = shadow[0x10C] = 0x77;
    in.edi = node;
    ExpectHook(host::kShadowNode.site, in, {}, {host::kShadowNodeSkip, in, 0, true});
    EXPECT_EQ(shadow[0x108], 0);
    EXPECT_EQ(shadow[0x10C], 0);
    EXPECT_EQ(shadow[0x109], 0x77);
    EXPECT_EQ(shadow[0x10B], 0x77);
  }
}

TEST_F(SceneNodeGuard, MountNodeCrashFallsBackToTheObjectInEdi) {
  uint32_t own[0x20] = {}, fallback[0x20] = {}, rider[0x10] = {};
  own[0x78 / 4] = 0x0178;
  own[0x7C / 4] = 0x017C;
  fallback[0x78 / 4] = 0x0F78;
  fallback[0x7C / 4] = 0x0F7C;
  rider[0x3C / 4] = 0x0E3C;
  const R in = With(kDistinct, {{&R::eax, AddressOf(own)}, {&R::esi, AddressOf(rider)}, {&R::edi, AddressOf(fallback)}});
  auto kept = ExpectSameAsHost(host::kMountNodeCrash.site, &ApplyMountNodeCrash, in, {});
  EXPECT_EQ(kept.regs.eax, 0x017Cu);
  const R null = With(in, {{&R::eax, 0}});
  ExpectHook(host::kMountNodeCrash.site, null, {},
             {host::kMountNodeCrash.resume, With(null, {{&R::eax, 0x0F7C}, {&R::ecx, 0x0F78}, {&R::edx, 0x0E3C}})});
}

// The render-save site's x87 push: a live object's float is on the x87 stack
// where the host continues; a null one leaves it empty.
TEST_F(SceneNodeGuard, RenderSavePushesTheObjectsFloatOrSkipsWithNothingPushed) {
  EXPECT_TRUE(ApplyRenderSave().Applied());
  const std::initializer_list<uint32_t> stack = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x5AFE, 14};
  FakeObject object;
  const float value = 2.75f, before = -1.0f;
  std::memcpy(object.bytes + 0x8C, &value, 4);
  std::memcpy(object.bytes + 0x88, &before, 4);
  const R in = With(kDistinct, {{&R::eax, object.Address()}});
  auto out = sim::RunHostWithEmptyX87(host::kRenderSave.site, in, stack);
  ExpectLanded(out, host::kRenderSave.resume + sim::kX87ProbeLength, With(in, {{&R::ecx, 0x5AFE}}), 0, false);
  EXPECT_EQ(sim::X87AtLastProbe().depth, 1);
  EXPECT_EQ(sim::X87AtLastProbe().top, 2.75);

  const R null = With(kDistinct, {{&R::eax, 0}});
  out = sim::RunHostWithEmptyX87(host::kRenderSave.site, null, stack);
  ExpectLanded(out, host::kRenderSaveSkip + sim::kX87ProbeLength, null, 0, false);
  EXPECT_EQ(sim::X87AtLastProbe().depth, 0);
}

TEST_F(SceneNodeGuard, SaveRenderCrashCallsSlot19OfALiveObjectAndSkipsANullOrFreedOne) {
  EXPECT_TRUE(ApplySaveRenderCrash().Applied());
  const R in = With(kDistinct, {{&R::esi, sim::SlotObject()}});
  auto out = ExpectHook(host::kSaveRenderCrash.site, in, {0x11, 0x22},
                        {host::kSaveRenderCrash.resume, With(in, {{&R::eax, sim::kSlot19Result}}), 0, false, true});
  EXPECT_EQ(out.Stack(0), 0x11u);
  EXPECT_EQ(sim::LastSlot19Call().calls, 1u);
  EXPECT_EQ(sim::LastSlot19Call().self, sim::SlotObject());
  EXPECT_EQ(sim::LastSlot19Call().argument, in.edi);

  for (uint32_t object : {0u, sim::UnreadablePage()}) {
    const R bad = With(kDistinct, {{&R::esi, object}});
    ExpectHook(host::kSaveRenderCrash.site, bad, {0x11, 0x22},
               {host::kSaveRenderCrash.resume, With(bad, {{&R::esi, 0}, {&R::eax, 0}})});
    EXPECT_EQ(sim::LastSlot19Call().calls, 1u) << "no call for " << object;
  }
}

TEST_F(SceneNodeGuard, NullLoadedNodeIgnoreRunsTheHostsLoadOrSkipsANullNode) {
  const R in = With(kDistinct, {{&R::eax, sim::SlotObject()}});
  // The guard's null test leaves its flags, where the host's loads kept the old ones.
  auto out = ExpectSameAsHost(host::kNullLoadedNodeIgnore.site, &ApplyNullLoadedNodeIgnore, in, {},
                              HostCallClobbers::kFlags);
  EXPECT_EQ(out.regs.eax, sim::SlotObjectSlot5());
  const R null = With(kDistinct, {{&R::eax, 0}});
  ExpectHook(host::kNullLoadedNodeIgnore.site, null, {}, {host::kNullLoadedNodeIgnoreSkip, null});
}

// A fix and its warning share a site. With both on, the table rules the
// warning out: a null node takes the fix's path and no message is shown.
TEST_F(SceneNodeGuard, TheFixWinsASharedSiteOverItsWarning) {
  sim::PrepareGameFolder(sim::TempFolder("shared-sites"),
                         "[Patch]\nMountNodeCrash=1\nMountNodeWarn=1\nNullLoadedNodeIgnore=1\nNullLoadedNodeNotify=1\n");
  sim::ClearJournal();
  EXPECT_FALSE(IsOptionEligible(*FindOptionByKey("NullLoadedNodeNotify")));
  EXPECT_TRUE(IsOptionEligible(*FindOptionByKey("NullLoadedNodeIgnore")));
  EXPECT_FALSE(IsOptionEligible(*FindOptionByKey("MountNodeWarn")));
  ASSERT_TRUE(ApplyNormalOptions());

  const R null = With(kDistinct, {{&R::eax, 0}});
  ExpectHook(host::kNullLoadedNodeIgnore.site, null, {}, {host::kNullLoadedNodeIgnoreSkip, null});
  uint32_t fallback[0x20] = {}, rider[0x10] = {};
  fallback[0x7C / 4] = 0x0F7C;
  const R mount = With(null, {{&R::esi, AddressOf(rider)}, {&R::edi, AddressOf(fallback)}});
  ExpectHook(host::kMountNodeCrash.site, mount, {},
             {host::kMountNodeCrash.resume, With(mount, {{&R::eax, 0x0F7C}, {&R::ecx, 0}, {&R::edx, 0}})});
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

// A player without a node: the replaced store of CL runs on both paths.
TEST_F(SceneNodeGuard, NullPlayerNodeStoresClOnBothPathsAndTestsTheNodeFlag) {
  struct Case {
    bool node;
    uint8_t flag;
    uint32_t landing;
    bool zero;
  };
  FakeObject node;
  EXPECT_TRUE(ApplyNullPlayerNode().Applied());
  for (const Case& c : {Case{true, 1, host::kNullPlayerNode.resume, false},
                        Case{true, 0xFE, host::kNullPlayerNode.resume, true},
                        Case{false, 0, host::kNullPlayerNodeSkip, false}}) {
    node.bytes[0x98] = c.flag;
    const R in = With(kDistinct, {{&R::eax, c.node ? node.Address() : 0}, {&R::ecx, 0x1234565A}});
    auto out = ExpectHook(host::kNullPlayerNode.site, in, {0, 1, 2, 3, 4, 5, 6, 7, 0xAABBCCDD, 9}, {c.landing, in});
    EXPECT_EQ(out.Stack(8), 0xAABBCC5Au) << "only byte [ESP+0x20] takes CL";
    EXPECT_EQ(out.Stack(7), 7u);
    if (c.node) {
      EXPECT_EQ(Flag(out, sim::kZeroFlag), c.zero) << int(c.flag);
    }
  }
}

TEST_F(SceneNodeGuard, NullRefNodeClearsEcxAndEbpAndCopiesEaxToEbxOnBothPaths) {
  EXPECT_TRUE(ApplyNullRefNode().Applied());
  for (uint32_t node : {0x0BADF00Du, 0u}) {
    const R in = With(kDistinct, {{&R::eax, node}});
    ExpectHook(host::kNullRefNode.site, in, {},
               {node ? host::kNullRefNode.resume : host::kNullRefNodeSkip,
                With(in, {{&R::ebx, node}, {&R::ecx, 0}, {&R::ebp, 0}})});
  }
}

TEST_F(SceneNodeGuard, NullParentNodeLoadsTheParentsTableOrSkipsWithoutOne) {
  EXPECT_TRUE(ApplyNullParentNode().Applied());
  FakeObject child, parent;
  parent.Word(0, 0x7AB1E);
  child.Word(0x18, parent.Address());
  const R in = With(kDistinct, {{&R::esi, child.Address()}});
  ExpectHook(host::kNullParentNode.site, in, {},
             {host::kNullParentNode.resume, With(in, {{&R::ecx, parent.Address()}, {&R::edx, 0x7AB1E}})});
  child.Word(0x18, 0);
  ExpectHook(host::kNullParentNode.site, in, {}, {host::kNullParentNodeSkip, With(in, {{&R::ecx, 0}})});
}

}  // namespace
