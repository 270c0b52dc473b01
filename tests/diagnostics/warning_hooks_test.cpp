#include <gtest/gtest.h>

#include <string>

#include "core/known_crash.h"
#include "plugin/apply.h"
#include "sim/host_diagnostics.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

constexpr const char* kMissingNodeText =
    "Vellmoor has crashed due to a missing NiNode. This could indicate an incompatible skeleton, make sure "
    "you:\r\n1. Have KELDA skeleton installed.\r\n2. Don't have another skeleton overwrite KELDA in your mod "
    "manager.\r\n3. Have run Tarrow.\r\n If this happened while you removed a clothing item it's definitely "
    "incompatible skeleton.";
constexpr const char* kMountNodeText =
    "Vellmoor has crashed because a non-humanoid NPC or an NPC with invalid skeleton tried to mount a horse. "
    "This is not supported and you most\r\nlikely have a mod that caused this to happen. It is recommended "
    "that you track it down and disable or fix the mod.";
constexpr const char* kFootIKText =
    "Vellmoor has crashed while setting up FootIK. Some things you can try to fix this problem:\r\n1. Reduce "
    "the amount of installed animations.\r\n2. Try reload the save until it works.";
constexpr const char* kTextureText =
    "Vellmoor has failed to allocate texture in memory! This could indicate running out of VRAM. Try using lower "
    "resolution textures.";

std::string LoadedNodeText(const char* values) {
  return std::string("Vellmoor has crashed because an object reference with ") + values +
         " failed to produce loaded node most likely due to corrupted mesh or other reasons.";
}

// A host form: ID at 0x0C, type at 0x12, base form at 0x24.
struct Form {
  uint8_t bytes[0x28] = {};
  Form(uint32_t id, uint8_t type, const Form* base = nullptr) {
    *reinterpret_cast<uint32_t*>(bytes + 0x0C) = id;
    bytes[0x12] = type;
    *reinterpret_cast<uint32_t*>(bytes + 0x24) = base ? AddressOf(base) : 0;
  }
};

void UseSettings(const std::string& ini) { sim::PrepareGameFolder(sim::TempFolder("warnings"), ini); }

TEST(MissingNode, PresentNodeLoadsAsTheHostWouldInEitherMode) {
  uint32_t node[0x30] = {};
  node[0xB4 / 4] = 0x40DE;
  const R in{.eax = 1, .ebx = 2, .ecx = 3, .edx = 4, .esi = AddressOf(node), .edi = 6};
  for (const char* ini : {"[Patch]\nMissingNode=1\n", "[Patch]\nMissingNode=2\n"}) {
    SCOPED_TRACE(ini);
    UseSettings(ini);
    sim::ClearJournal();
    ExpectLanded(ExpectSameAsHost(host::kMissingNode.site, ApplyMissingNode, in, {9, 8}, HostCallClobbers::kFlags),
                 host::kMissingNode.resume, With(in, {{&R::ebp, 0x40DE}}), 0, false);
    EXPECT_TRUE(sim::MessageBoxes().empty());
  }
}

TEST(MissingNode, SkipModeDropsTwoWordsAndSkipsTheHostsWorkSilently) {
  UseSettings("[Patch]\nMissingNode=2\n");
  sim::ResetHostImage();
  sim::ClearJournal();
  EXPECT_TRUE(ApplyMissingNode().Applied());
  const R in{.eax = 1, .ebx = 2, .ecx = 3, .edx = 4, .esi = 0, .edi = 6, .ebp = 7};
  const auto landing = ExpectHook(host::kMissingNode.site, in, {0xA, 0xB, 0xC}, {host::kMissingNodeSkip, in, 8});
  EXPECT_EQ(landing.Stack(0), 0xCu);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_EQ(KnownCrashReason, 0);
}

// The host's instructions on good data, through the hooked site; the
// wanted registers are the host's own results.
TEST(WarningHooks, GoodDataRunsTheHostsInstructions) {
  uint32_t object[0x20] = {};
  object[0x78 / 4] = 0x78;
  object[0x7C / 4] = 0x7C;
  uint32_t actor[0x10] = {};
  actor[0x3C / 4] = 0x3C;
  const R mount{.eax = AddressOf(object), .ebx = 2, .ecx = 3, .edx = 4, .esi = AddressOf(actor), .ebp = 7};
  ExpectLanded(ExpectSameAsHost(host::kMountNodeCrash.site, ApplyMountNodeWarn, mount, {}, HostCallClobbers::kFlags),
               host::kMountNodeCrash.resume, With(mount, {{&R::eax, 0x7C}, {&R::ecx, 0x78}, {&R::edx, 0x3C}}), 0,
               false);

  // The zero-extended word at the sign-extended index.
  const uint16_t words[4] = {0x8001, 0x2222, 0x3333, 0xFFFF};
  for (uint32_t index : {0xABCD0001u, 0x0000FFFFu}) {
    const R footIK{.eax = index, .ebx = 2, .ecx = 3, .edx = AddressOf(words + 1), .ebp = 7};
    ExpectLanded(ExpectSameAsHost(host::kFootIK.site, ApplyIKCrashWarn, footIK, {}, HostCallClobbers::kFlags),
                 host::kFootIK.resume, With(footIK, {{&R::eax, index == 0xFFFFu ? 0x8001u : 0x3333u}}), 0, false);
  }

  // A loaded node makes the host's virtual table read.
  uint32_t table[8] = {};
  table[5] = 0x7AB1E;
  const uint32_t node[2] = {AddressOf(table), 0};
  const R loaded{.eax = AddressOf(node), .ebx = 2, .ecx = 3, .edx = 4, .ebp = 7};
  ExpectLanded(ExpectSameAsHost(host::kNullLoadedNodeIgnore.site, ApplyNullLoadedNodeNotify, loaded, {0, 0},
                                HostCallClobbers::kFlags),
               host::kNullLoadedNodeIgnore.resume,
               With(loaded, {{&R::eax, 0x7AB1E}, {&R::ecx, AddressOf(node)}, {&R::edx, AddressOf(table)}}), 0, false);

  // A created texture leaves through either return sequence as the host's
  // own: locals released, RET 0x30.
  for (uint32_t site : sim::kTextureReturnSites) {
    const R texture{.eax = 0x7E57, .ebx = 2, .ecx = 3};
    const auto landing = ExpectSameAsHost(site, ApplyWarnTextureFailure, texture,
                                          {1, 2, 3, 4, 5, 6, sim::kReturnProbe, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                                           12, 0x5AFE});
    ExpectLanded(landing, sim::kReturnProbe, texture, 0x18 + 4 + 0x30, false);
    EXPECT_EQ(landing.Stack(0), 0x5AFEu);
  }
}

TEST(WarnNullCombatStyle, FoundStyleGoesOnUntouched) {
  sim::ClearJournal();
  sim::SetCombatStyleResult(0xC0B);
  const R in{.ebx = 2, .esi = 5, .edi = 6, .ebp = 7};
  const auto landing = ExpectSameAsHost(host::kCombatStyle.site, ApplyWarnNullCombatStyle, in, {});
  ExpectLanded(landing, host::kCombatStyle.resume, AfterCCall(With(in, {{&R::eax, 0xC0B}}), landing), 0, false);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(WarnNullCombatStyle, EveryMissingStyleIsToldAndTheGameGoesOnWithNull) {
  sim::ClearJournal();
  sim::ResetHostImage();
  sim::SetCombatStyleResult(0);
  EXPECT_TRUE(ApplyWarnNullCombatStyle().Applied());
  const Form base(0x7, 0x2B);
  const Form actor(0x14, 0x3E, &base);
  const uint32_t callsBefore = sim::CombatStyleCalls();
  for (uint32_t esi : {AddressOf(&actor), 0u}) {
    const R in{.eax = 0xEEEE, .ebx = 2, .ecx = 3, .edx = 4, .esi = esi, .edi = 6, .ebp = 7};
    const auto landing = sim::RunHost(host::kCombatStyle.site, in);
    ExpectLanded(landing, host::kCombatStyle.resume, AfterCCall(With(in, {{&R::eax, 0}}), landing), 0, false);
    EXPECT_NE(landing.regs.eflags & sim::kZeroFlag, 0u) << "the host sees the test of a null result";
  }
  EXPECT_EQ(sim::CombatStyleCalls(), callsBefore + 2);
  const auto boxes = sim::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Game has crashed due to actor missing HRDCombatStyle form. The actor reference ID was "
                           "0x14 and base ID was 0x7.");
  EXPECT_EQ(boxes[1].text, "Game has crashed due to actor missing HRDCombatStyle form. The actor reference ID was "
                           "0x0 and base ID was 0x0.");
  EXPECT_EQ(KnownCrashReason, kCrashNullCombatStyle);
  KnownCrashReason = 0;
}

const Form kBase(0xABC, 0x80);
const Form kReference(0x1234, 0x3E, &kBase);
const Form kReferenceWithoutBase(0x1234, 0x3E);

// A bad value at a warning site, the text it shows and the reason the game
// then ends with.
struct BadValue {
  const char* name;
  std::string text;
  int32_t reason;
  ApplyStatus (*apply)();
  uint32_t site;
  R regs;
  uint32_t stack[2];
};
const BadValue kBadValues[] = {
    {"missing-node", kMissingNodeText, kCrashMissingNode, ApplyMissingNode, host::kMissingNode.site, {}, {1, 2}},
    {"mount-node", kMountNodeText, kCrashMountNode, ApplyMountNodeWarn, host::kMountNodeCrash.site, {}, {}},
    {"footik-low", kFootIKText, kCrashIKSetup, ApplyIKCrashWarn, host::kFootIK.site, {.eax = 0x7FFF}, {}},
    {"footik-wrap", kFootIKText, kCrashIKSetup, ApplyIKCrashWarn, host::kFootIK.site,
     {.eax = 0xFFFF, .edx = 0x10000}, {}},
    {"texture-0", kTextureText, kCrashTextureAllocation, ApplyWarnTextureFailure, sim::kTextureReturnSites[0], {}, {}},
    {"texture-1", kTextureText, kCrashTextureAllocation, ApplyWarnTextureFailure, sim::kTextureReturnSites[1], {}, {}},
    // The reference, its base and its type are named.
    {"loaded-node-null", LoadedNodeText("form ID: 0x0, base form ID: 0x0 and type: 0x0"), kCrashNullLoadedNode,
     ApplyNullLoadedNodeNotify, host::kNullLoadedNodeIgnore.site, {}, {sim::kReturnProbe, 0}},
    {"loaded-node-base", LoadedNodeText("form ID: 0x1234, base form ID: 0xABC and type: 0xFFFFFF80"),
     kCrashNullLoadedNode, ApplyNullLoadedNodeNotify, host::kNullLoadedNodeIgnore.site, {},
     {sim::kReturnProbe, AddressOf(&kReference)}},
    {"loaded-node-no-base", LoadedNodeText("form ID: 0x1234, base form ID: 0x0 and type: 0x3E"), kCrashNullLoadedNode,
     ApplyNullLoadedNodeNotify, host::kNullLoadedNodeIgnore.site, {},
     {sim::kReturnProbe, AddressOf(&kReferenceWithoutBase)}},
};

// Each bad value in its own child: the text, the end after the box, the
// reason, and no crash report although the recorder is on.
TEST(Warnings, BadValuesShowTheirTextThenEndTheGameWithTheirReason) {
  for (const BadValue& bad : kBadValues) {
    SCOPED_TRACE(bad.name);
    EXPECT_EQ(ExpectKnownCrash("warning", bad.name, bad.reason), std::vector<std::string>{bad.text});
  }
}

}  // namespace

SIM_SCENARIO(warning) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nRecordCrashInfo=1\nMissingNode=1\n");
  EXPECT_TRUE(ApplyRecordCrashInfo().Applied());
  PrintKnownCrashReasonAtEnd();
  for (const BadValue& bad : kBadValues) {
    if (args.at(1) != bad.name) continue;
    EXPECT_TRUE(bad.apply().Applied());
    sim::RunHost(bad.site, bad.regs, {bad.stack[0], bad.stack[1], 0, 0, 0, 0});
  }
  return 1;  // the warning should have ended the process
}
