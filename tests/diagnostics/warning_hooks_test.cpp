#include <gtest/gtest.h>

#include <map>
#include <string>

#include "plugin/apply.h"
#include "plugin/known_crash.h"
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
  for (const char* ini : {"[Patch]\nMissingNode=1\n", "[Patch]\nMissingNode=2\n"}) {
    UseSettings(ini);
    sim::ClearJournal();
    const auto landing = ExpectSameAsHost(host::kMissingNode.site, ApplyMissingNode,
                                          {.eax = 1, .ebx = 2, .ecx = 3, .edx = 4, .esi = AddressOf(node), .edi = 6},
                                          {9, 8}, HostCallClobbers::kFlags);
    EXPECT_EQ(landing.address, host::kMissingNode.resume);
    EXPECT_EQ(landing.regs.ebp, 0x40DEu);
    EXPECT_TRUE(sim::MessageBoxes().empty());
  }
}

TEST(MissingNode, SkipModeDropsTwoWordsAndSkipsTheHostsWorkSilently) {
  UseSettings("[Patch]\nMissingNode=2\n");
  sim::ResetHostImage();
  sim::ClearJournal();
  ApplyMissingNode();
  const sim::Registers in{.eax = 1, .ebx = 2, .ecx = 3, .edx = 4, .esi = 0, .edi = 6, .ebp = 7};
  const auto landing = sim::RunHost(host::kMissingNode.site, in, {0xA, 0xB, 0xC});
  EXPECT_EQ(landing.address, host::kMissingNodeSkip) << landing.Describe();
  EXPECT_EQ(landing.regs.esp, landing.entryEsp + 8);
  EXPECT_EQ(landing.Stack(0), 0xCu);
  EXPECT_EQ(landing.regs.ebp, 7u);
  EXPECT_EQ(landing.regs.eax, 1u);
  EXPECT_EQ(landing.regs.edx, 4u);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_EQ(KnownCrashReason, 0);
}

TEST(MountNodeWarn, PresentObjectRunsTheHostsFourInstructions) {
  uint32_t object[0x20] = {};
  object[0x78 / 4] = 0x78;
  object[0x7C / 4] = 0x7C;
  uint32_t actor[0x10] = {};
  actor[0x3C / 4] = 0x3C;
  const auto landing =
      ExpectSameAsHost(host::kMountNodeCrash.site, ApplyMountNodeWarn,
                       {.eax = AddressOf(object), .ebx = 2, .ecx = 3, .edx = 4, .esi = AddressOf(actor), .ebp = 7}, {},
                       HostCallClobbers::kFlags);
  EXPECT_EQ(landing.address, host::kMountNodeCrash.resume);
  EXPECT_EQ(landing.regs.eax, 0x7Cu);
  EXPECT_EQ(landing.regs.ecx, 0x78u);
  EXPECT_EQ(landing.regs.edx, 0x3Cu);
}

TEST(IKCrashWarn, GoodIndexesLoadTheZeroExtendedWordWithTheSignExtendedIndex) {
  const uint16_t table[4] = {0x8001, 0x2222, 0x3333, 0xFFFF};
  for (uint32_t index : {0xABCD0001u, 0x0000FFFFu}) {
    const auto landing = ExpectSameAsHost(host::kFootIK.site, ApplyIKCrashWarn,
                                          {.eax = index, .ebx = 2, .ecx = 3, .edx = AddressOf(table + 1), .ebp = 7},
                                          {}, HostCallClobbers::kFlags);
    EXPECT_EQ(landing.address, host::kFootIK.resume);
    EXPECT_EQ(landing.regs.eax, index == 0xFFFFu ? 0x8001u : 0x3333u);
  }
}

TEST(NullLoadedNodeNotify, LoadedNodeMakesTheHostsVirtualTableRead) {
  uint32_t table[8] = {};
  table[5] = 0x7AB1E;
  const uint32_t node[2] = {AddressOf(table), 0};
  const auto landing = ExpectSameAsHost(host::kNullLoadedNodeIgnore.site, ApplyNullLoadedNodeNotify,
                                        {.eax = AddressOf(node), .ebx = 2, .ecx = 3, .edx = 4, .ebp = 7}, {0, 0},
                                        HostCallClobbers::kFlags);
  EXPECT_EQ(landing.address, host::kNullLoadedNodeIgnore.resume);
  EXPECT_EQ(landing.regs.eax, 0x7AB1Eu);
  EXPECT_EQ(landing.regs.ecx, AddressOf(node));
  EXPECT_EQ(landing.regs.edx, AddressOf(table));
}

TEST(WarnNullCombatStyle, FoundStyleGoesOnUntouched) {
  sim::ClearJournal();
  sim::ResetHostImage();
  sim::SetCombatStyleResult(0xC0B);
  const sim::Landing host = sim::RunHost(host::kCombatStyle.site, {.ebx = 2, .esi = 5, .edi = 6, .ebp = 7});
  ApplyWarnNullCombatStyle();
  const sim::Landing hooked = sim::RunHost(host::kCombatStyle.site, {.ebx = 2, .esi = 5, .edi = 6, .ebp = 7});
  EXPECT_EQ(hooked.address, host::kCombatStyle.resume);
  EXPECT_EQ(hooked.regs.eax, 0xC0Bu);
  EXPECT_EQ(hooked.regs.esp, hooked.entryEsp);
  EXPECT_EQ(hooked.regs.ecx, host.regs.ecx);
  EXPECT_EQ(hooked.regs.edx, host.regs.edx);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(WarnNullCombatStyle, EveryMissingStyleIsToldAndTheGameGoesOnWithNull) {
  sim::ClearJournal();
  sim::ResetHostImage();
  sim::SetCombatStyleResult(0);
  ApplyWarnNullCombatStyle();
  const Form base(0x7, 0x2B);
  const Form actor(0x14, 0x3E, &base);
  const uint32_t callsBefore = sim::CombatStyleCalls();
  for (uint32_t esi : {AddressOf(&actor), 0u}) {
    const sim::Registers in{.eax = 0xEEEE, .ebx = 2, .ecx = 3, .edx = 4, .esi = esi, .edi = 6, .ebp = 7};
    const auto landing = sim::RunHost(host::kCombatStyle.site, in);
    EXPECT_EQ(landing.address, host::kCombatStyle.resume) << landing.Describe();
    EXPECT_EQ(landing.regs.eax, 0u);
    EXPECT_EQ(landing.regs.esi, esi);
    EXPECT_EQ(landing.regs.ebx, 2u);
    EXPECT_EQ(landing.regs.edi, 6u);
    EXPECT_EQ(landing.regs.ebp, 7u);
    EXPECT_EQ(landing.regs.esp, landing.entryEsp);
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

// A non-null texture leaves through either return sequence exactly as the
// host's own: locals released, RET 0x30.
TEST(WarnTextureFailure, CreatedTexturePassesThroughBothReturns) {
  for (uint32_t site : sim::kTextureReturnSites) {
    const auto landing = ExpectSameAsHost(site, ApplyWarnTextureFailure, {.eax = 0x7E57, .ebx = 2, .ecx = 3},
                                          {1, 2, 3, 4, 5, 6, sim::kReturnProbe, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                                           12, 0x5AFE});
    EXPECT_EQ(landing.address, sim::kReturnProbe);
    EXPECT_EQ(landing.regs.eax, 0x7E57u);
    EXPECT_EQ(landing.regs.esp, landing.entryEsp + 0x18 + 4 + 0x30);
    EXPECT_EQ(landing.Stack(0), 0x5AFEu);
  }
}

// Each bad case in its own child: the text, the end after the box, the
// reason, and no crash report although the recorder is on.
void ExpectWarningEndsTheGame(const char* scenarioCase, const std::string& text, int32_t reason) {
  const std::string folder = sim::TempFolder("warning");
  const auto child = sim::RunScenarioInChild("warning", Quoted(folder) + " " + scenarioCase);
  EXPECT_EQ(child.exitCode, kKnownCrashExit) << scenarioCase << child.output;
  EXPECT_EQ(MessageTexts(child), std::vector<std::string>{text}) << scenarioCase;
  EXPECT_NE(child.output.find("known crash " + std::to_string(reason) + "\n"), std::string::npos)
      << scenarioCase << child.output;
  EXPECT_TRUE(FilesIn(folder + kCrashFolder).empty()) << scenarioCase;
}

TEST(Warnings, BadValuesShowTheirTextThenEndTheGameWithTheirReason) {
  ExpectWarningEndsTheGame("missing-node", kMissingNodeText, kCrashMissingNode);
  ExpectWarningEndsTheGame("mount-node", kMountNodeText, kCrashMountNode);
  ExpectWarningEndsTheGame("footik-low", kFootIKText, kCrashIKSetup);
  ExpectWarningEndsTheGame("footik-wrap", kFootIKText, kCrashIKSetup);
  ExpectWarningEndsTheGame("texture-0", kTextureText, kCrashTextureAllocation);
  ExpectWarningEndsTheGame("texture-1", kTextureText, kCrashTextureAllocation);
}

TEST(Warnings, NullLoadedNodeNamesTheReferenceItsBaseAndType) {
  ExpectWarningEndsTheGame("loaded-node-null", LoadedNodeText("form ID: 0x0, base form ID: 0x0 and type: 0x0"),
                           kCrashNullLoadedNode);
  ExpectWarningEndsTheGame("loaded-node-base",
                           LoadedNodeText("form ID: 0x1234, base form ID: 0xABC and type: 0xFFFFFF80"),
                           kCrashNullLoadedNode);
  ExpectWarningEndsTheGame("loaded-node-no-base", LoadedNodeText("form ID: 0x1234, base form ID: 0x0 and type: 0x3E"),
                           kCrashNullLoadedNode);
}

const Form kBase(0xABC, 0x80);
const Form kReference(0x1234, 0x3E, &kBase);
const Form kReferenceWithoutBase(0x1234, 0x3E);

void RunAtSite(bool (*apply)(), uint32_t site, const sim::Registers& registers,
               std::initializer_list<uint32_t> stack = {}) {
  apply();
  sim::RunHost(site, registers, stack);
}

}  // namespace

SIM_SCENARIO(warning) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nRecordCrashInfo=1\nMissingNode=1\n");
  ApplyRecordCrashInfo();
  PrintKnownCrashReasonAtEnd();
  const std::map<std::string, std::function<void()>> cases = {
      {"missing-node", [] { RunAtSite(ApplyMissingNode, host::kMissingNode.site, {.esi = 0}, {1, 2}); }},
      {"mount-node", [] { RunAtSite(ApplyMountNodeWarn, host::kMountNodeCrash.site, {.eax = 0}); }},
      {"footik-low", [] { RunAtSite(ApplyIKCrashWarn, host::kFootIK.site, {.eax = 0x7FFF, .edx = 0}); }},
      {"footik-wrap", [] { RunAtSite(ApplyIKCrashWarn, host::kFootIK.site, {.eax = 0xFFFF, .edx = 0x10000}); }},
      {"texture-0",
       [] { RunAtSite(ApplyWarnTextureFailure, sim::kTextureReturnSites[0], {.eax = 0}, {0, 0, 0, 0, 0, 0}); }},
      {"texture-1",
       [] { RunAtSite(ApplyWarnTextureFailure, sim::kTextureReturnSites[1], {.eax = 0}, {0, 0, 0, 0, 0, 0}); }},
      {"loaded-node-null",
       [] { RunAtSite(ApplyNullLoadedNodeNotify, host::kNullLoadedNodeIgnore.site, {.eax = 0}, {sim::kReturnProbe, 0}); }},
      {"loaded-node-base",
       [] {
         RunAtSite(ApplyNullLoadedNodeNotify, host::kNullLoadedNodeIgnore.site, {.eax = 0},
                   {sim::kReturnProbe, AddressOf(&kReference)});
       }},
      {"loaded-node-no-base",
       [] {
         RunAtSite(ApplyNullLoadedNodeNotify, host::kNullLoadedNodeIgnore.site, {.eax = 0},
                   {sim::kReturnProbe, AddressOf(&kReferenceWithoutBase)});
       }},
  };
  cases.at(args.at(1))();
  return 1;  // the warning should have ended the process
}
