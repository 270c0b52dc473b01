#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "fixes/effect_list_sites.h"
#include "patch/fault_guard.h"
#include "patch/frame_sites.h"
#include "patch/main_loop.h"
#include "patch/patch_writer.h"
#include "sim/child.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/runner.h"
#include "tests/hook_check.h"

namespace {

using sim::HostAt;

constexpr uint32_t kSite = 0x500000;

int32_t DisplacementAt(uint32_t site) {
  int32_t d;
  std::memcpy(&d, reinterpret_cast<void*>(site + 1), 4);
  return d;
}

// A jump forwards and backwards, alone or NOP-filled up to the resume.
TEST(WriteJump, WritesTheJumpAndFillsTheSpanUpToTheResume) {
  struct Span {
    uint32_t site, resume, target;
  };
  for (const Span& span : {Span{kSite, kSite + 5, 0x600000}, Span{kSite, kSite + 6, 0x600000},
                           Span{kSite + 0x100, kSite + 0x100 + 33, 0x600000}, Span{kSite, kSite + 5, 0x450000}}) {
    SCOPED_TRACE(testing::Message() << std::hex << span.site << ".." << span.resume << " to " << span.target);
    sim::ResetHostImage();
    ASSERT_TRUE(WriteJump(span.site, span.resume, reinterpret_cast<void*>(span.target)).Applied());
    EXPECT_EQ(HostAt<uint8_t>(span.site), 0xE9);
    EXPECT_EQ(DisplacementAt(span.site), static_cast<int32_t>(span.target - span.site - 5));
    for (uint32_t at = span.site + 5; at < span.resume; ++at) EXPECT_EQ(HostAt<uint8_t>(at), 0x90) << at - span.site;
    EXPECT_EQ(HostAt<uint8_t>(span.resume), sim::kTrap);
    EXPECT_EQ(sim::RunHost(span.site, {}).address, span.target);
  }
}

TEST(WriteJump, KeepsTheOldProtectionAndRefusesShortOrUnwritableSpans) {
  sim::ResetHostImage();
  EXPECT_TRUE(WriteJump(kSite, kSite + 4, reinterpret_cast<void*>(0x600000)).Failed());
  EXPECT_TRUE(WriteJump(kSite, kSite, reinterpret_cast<void*>(0x600000)).Failed());
  EXPECT_TRUE(WriteJump(kSite + 8, kSite, reinterpret_cast<void*>(0x600000)).Failed());
  for (uint32_t i = 0; i < 12; ++i) EXPECT_EQ(HostAt<uint8_t>(kSite + i), sim::kTrap) << i;

  DWORD old;
  ASSERT_TRUE(VirtualProtect(reinterpret_cast<void*>(0x700000), 0x1000, PAGE_EXECUTE_READ, &old));
  EXPECT_TRUE(WriteJump(0x700010, 0x700015, reinterpret_cast<void*>(0x600000)).Applied());
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(reinterpret_cast<void*>(0x700010), &info, sizeof info);
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
  EXPECT_EQ(HostAt<uint8_t>(0x700010), 0xE9);
  VirtualProtect(reinterpret_cast<void*>(0x700000), 0x1000, PAGE_EXECUTE_READWRITE, &old);

  // Reserved but never committed: the protection change fails.
  void* reserved = VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  const auto site = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(reserved));
  EXPECT_TRUE(WriteJump(site, site + 5, reinterpret_cast<void*>(0x600000)).Failed());
  const uint8_t bytes[2] = {1, 2};
  EXPECT_TRUE(WriteBytes(site, bytes, 2).Failed());
  VirtualFree(reserved, 0, MEM_RELEASE);
}

// An entry of the effect list patched without its exit takes a lock that is
// never given back: with one span of the set unwritable, none is written.
TEST(InstallPatches, ASetWithOneUnwritableSpanWritesNothing) {
  sim::ResetHostImage();
  std::vector<uint8_t> before(host::kImageLast + 1 - host::kImageBegin);
  std::memcpy(before.data(), reinterpret_cast<const void*>(host::kImageBegin), before.size());
  static const std::vector<uint8_t> fill(64, 0x5A);
  std::vector<Patch> set;
  for (const HookSite& span : host::kFixUnsafeEffectListSites) set.push_back({span, nullptr, fill.data()});
  void* reserved = VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS);
  const auto unwritable = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(reserved));
  set.insert(set.begin() + 12, Patch{{unwritable, unwritable + 4}, nullptr, fill.data()});

  const ApplyStatus failure = InstallPatches(set);
  EXPECT_TRUE(failure.Failed());
  EXPECT_EQ(failure.address, unwritable);
  EXPECT_STREQ(failure.reason, "cannot be made writable");
  EXPECT_EQ(std::memcmp(before.data(), reinterpret_cast<const void*>(host::kImageBegin), before.size()), 0);

  set.erase(set.begin() + 12);
  ASSERT_TRUE(InstallPatches(set).Applied());
  for (const HookSite& span : host::kFixUnsafeEffectListSites) EXPECT_EQ(HostAt<uint8_t>(span.site), 0x5A);
  VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST(WriteBytes, CopiesExactlyTheGivenBytes) {
  sim::ResetHostImage();
  const uint8_t bytes[] = {0x11, 0x22, 0x33};
  ASSERT_TRUE(WriteBytes(kSite + 1, bytes, 3).Applied());
  EXPECT_EQ(HostAt<uint8_t>(kSite), sim::kTrap);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 1), 0x11);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 3), 0x33);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 4), sim::kTrap);
}

int g_frames = 0;
void CountFrame() {
  ++g_frames;
  // As any callback may, it leaves the scratch registers changed.
  asm volatile("" ::"a"(0xDEAD0001), "c"(0xDEAD0002), "d"(0xDEAD0003));
}

// The hook keeps what the host's call did (the timer update's EAX, every
// other register, the stack) and adds the callbacks; the first callback
// places it, later ones do not place it again.
TEST(MainLoopHook, RunsTheCallbacksAfterTheTimerUpdateAndIsPlacedOnce) {
  sim::ResetHostImage();
  sim::SetTimerResult(0xA1B2C3D4);
  const sim::Registers in{.eax = 1, .ebx = 0xB0B0, .ecx = sim::TimerObject(), .edx = 4, .esi = 0x5151,
                          .edi = 0xD1D1, .ebp = 0xEBEB};
  sim::FillTraps(host::kMainLoop.resume, host::kMainLoop.resume + 1);  // land right at the resume
  const sim::Landing host = sim::RunHost(host::kMainLoop.site, in, {0xFEED});
  EXPECT_EQ(host.regs.eax, 0xA1B2C3D4u) << "the host's call returns the timer result";

  sim::ResetHostImage();
  ASSERT_TRUE(RunEveryFrame(&CountFrame).Applied());
  ASSERT_TRUE(RunEveryFrame(&CountFrame).Applied());
  const int frames = g_frames;
  const uint32_t updates = sim::TimerUpdatesRun();
  for (int i = 0; i < 3; ++i) sim::RunFrame();
  EXPECT_EQ(sim::TimerUpdatesRun(), updates + 3);
  EXPECT_EQ(g_frames, frames + 3) << "a callback added twice runs once per frame";
  EXPECT_EQ(sim::LastTimerResult(), 0xA1B2C3D4u);

  sim::FillTraps(host::kMainLoop.resume, host::kMainLoop.resume + 1);
  const sim::Landing hooked = sim::RunHost(host::kMainLoop.site, in, {0xFEED});
  // A call leaves the flags to the callee: they are not kept.
  hook_check::ExpectLanded(hooked, host::kMainLoop.resume, host.regs, 0, false);
  EXPECT_EQ(hooked.Stack(0), 0xFEEDu);
  EXPECT_EQ(sim::TimerUpdatesRun(), updates + 4);
  EXPECT_EQ(g_frames, frames + 4);

  sim::ResetHostImage();  // the host's own call is back at the site
  ASSERT_TRUE(RunEveryFrame(&CountFrame).Applied());
  sim::RunFrame();
  EXPECT_EQ(g_frames, frames + 4) << "a second callback placed the hook again";
  EXPECT_EQ(sim::TimerUpdatesRun(), updates + 5);
}

template <int n>
void NumberedFrame() {
  g_frames += n;
}

// Fills one registry until it refuses, then prints what the apply that
// registers next answers.
SIM_SCENARIO(full_registry) {
  sim::ResetHostImage();
  ApplyStatus status = kApplied;
  if (args.at(0) == "landings") {
    static const char leaf[1] = {};
    for (int i = 0; i < 16; ++i) RegisterFaultLanding(leaf, leaf + 1, leaf);  // beyond the plugin's own
    const uint8_t byte = 0x5A;
    status = WriteBytes(kSite, &byte, 1);
    if (HostAt<uint8_t>(kSite) == byte) return 1;
  } else {
    status = RunEveryFrame(&CountFrame);  // one callback twice takes one entry
    for (FrameCallback callback : {&CountFrame, &NumberedFrame<1>, &NumberedFrame<2>, &NumberedFrame<3>,
                                   &NumberedFrame<4>, &NumberedFrame<5>, &NumberedFrame<6>, &NumberedFrame<7>}) {
      if (!RunEveryFrame(callback).Applied()) return 2;
    }
    status = RunEveryFrame(&NumberedFrame<8>);
  }
  std::printf("%s: %s\n", status.Failed() ? "failed" : "written", status.reason ? status.reason : "-");
  std::fflush(stdout);
  return static_cast<int>(status.address);
}

// A registry that is full says so: the apply that needed the room fails with
// the registry named and no host address to blame, and a dropped fault
// landing keeps every later set from being written.
TEST(Registries, AFullRegistryFailsTheApplyThatRegisters) {
  for (auto [registry, line] : {std::pair{"landings", "failed: the fault landing table is full\n"},
                                {"frames", "failed: the frame callback list is full\n"}}) {
    const auto child = sim::RunScenarioInChild("full_registry", registry);
    EXPECT_EQ(child.output, line) << registry;
    EXPECT_EQ(child.exitCode, 0u) << registry;
  }
}

}  // namespace
