#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "fixes/effect_list_sites.h"
#include "patch/frame_sites.h"
#include "patch/main_loop.h"
#include "patch/patch_writer.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/runner.h"

extern "C" void MainLoop_Body();

namespace {

using sim::HostAt;

constexpr uint32_t kSite = 0x500000;

int32_t DisplacementAt(uint32_t site) {
  int32_t d;
  std::memcpy(&d, reinterpret_cast<void*>(site + 1), 4);
  return d;
}

TEST(WriteJump, FiveByteSpanIsTheJumpAlone) {
  sim::ResetHostImage();
  ASSERT_TRUE(WriteJump(kSite, kSite + 5, reinterpret_cast<void*>(0x600000)));
  EXPECT_EQ(HostAt<uint8_t>(kSite), 0xE9);
  EXPECT_EQ(DisplacementAt(kSite), 0x600000 - kSite - 5);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 5), sim::kTrap);
  // The jump really goes there.
  EXPECT_EQ(sim::RunHost(kSite, {}).address, 0x600000u);
}

TEST(WriteJump, LongerSpansAreNopFilledUpToTheResume) {
  sim::ResetHostImage();
  ASSERT_TRUE(WriteJump(kSite, kSite + 6, reinterpret_cast<void*>(0x600000)));
  EXPECT_EQ(HostAt<uint8_t>(kSite + 5), 0x90);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 6), sim::kTrap);
  ASSERT_TRUE(WriteJump(kSite + 0x100, kSite + 0x100 + 33, reinterpret_cast<void*>(0x600000)));
  for (uint32_t i = 5; i < 33; ++i) EXPECT_EQ(HostAt<uint8_t>(kSite + 0x100 + i), 0x90) << i;
  EXPECT_EQ(HostAt<uint8_t>(kSite + 0x100 + 33), sim::kTrap);
}

TEST(WriteJump, TargetBelowTheSiteGivesANegativeDisplacement) {
  sim::ResetHostImage();
  ASSERT_TRUE(WriteJump(kSite, kSite + 5, reinterpret_cast<void*>(0x450000)));
  EXPECT_EQ(DisplacementAt(kSite), static_cast<int32_t>(0x450000 - kSite - 5));
  EXPECT_LT(DisplacementAt(kSite), 0);
  EXPECT_EQ(sim::RunHost(kSite, {}).address, 0x450000u);
}

TEST(WriteJump, ASpanShorterThanTheJumpIsRefusedAndNothingIsWritten) {
  sim::ResetHostImage();
  EXPECT_FALSE(WriteJump(kSite, kSite + 4, reinterpret_cast<void*>(0x600000)));
  EXPECT_FALSE(WriteJump(kSite, kSite, reinterpret_cast<void*>(0x600000)));
  EXPECT_FALSE(WriteJump(kSite + 8, kSite, reinterpret_cast<void*>(0x600000)));
  for (uint32_t i = 0; i < 12; ++i) EXPECT_EQ(HostAt<uint8_t>(kSite + i), sim::kTrap) << i;
}

TEST(WriteJump, KeepsTheOldProtectionAndFailsWhereItCannotChangeIt) {
  sim::ResetHostImage();
  DWORD old;
  ASSERT_TRUE(VirtualProtect(reinterpret_cast<void*>(0x700000), 0x1000, PAGE_EXECUTE_READ, &old));
  EXPECT_TRUE(WriteJump(0x700010, 0x700015, reinterpret_cast<void*>(0x600000)));
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(reinterpret_cast<void*>(0x700010), &info, sizeof info);
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
  EXPECT_EQ(HostAt<uint8_t>(0x700010), 0xE9);
  VirtualProtect(reinterpret_cast<void*>(0x700000), 0x1000, PAGE_EXECUTE_READWRITE, &old);

  // Reserved but never committed: the protection change fails.
  void* reserved = VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  const auto site = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(reserved));
  EXPECT_FALSE(WriteJump(site, site + 5, reinterpret_cast<void*>(0x600000)));
  const uint8_t bytes[2] = {1, 2};
  EXPECT_FALSE(WriteBytes(site, bytes, 2));
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

  EXPECT_FALSE(InstallPatches(set));
  const PatchFailure failure = TakePatchFailure();
  EXPECT_EQ(failure.address, unwritable);
  EXPECT_STREQ(failure.reason, "cannot be made writable");
  EXPECT_EQ(std::memcmp(before.data(), reinterpret_cast<const void*>(host::kImageBegin), before.size()), 0);
  EXPECT_EQ(TakePatchFailure().reason, nullptr) << "a failure is told once";

  set.erase(set.begin() + 12);
  ASSERT_TRUE(InstallPatches(set));
  for (const HookSite& span : host::kFixUnsafeEffectListSites) EXPECT_EQ(HostAt<uint8_t>(span.site), 0x5A);
  VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST(WriteBytes, CopiesExactlyTheGivenBytes) {
  sim::ResetHostImage();
  const uint8_t bytes[] = {0x11, 0x22, 0x33};
  ASSERT_TRUE(WriteBytes(kSite + 1, bytes, 3));
  EXPECT_EQ(HostAt<uint8_t>(kSite), sim::kTrap);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 1), 0x11);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 3), 0x33);
  EXPECT_EQ(HostAt<uint8_t>(kSite + 4), sim::kTrap);
}

int g_frames = 0;
void CountFrame() { ++g_frames; }

TEST(MainLoopHook, IsPlacedOnceAndKeepsTheTimerUpdatesEax) {
  sim::ResetHostImage();
  ASSERT_TRUE(RunEveryFrame(&CountFrame));
  ASSERT_EQ(HostAt<uint8_t>(host::kMainLoop.site), 0xE9);
  EXPECT_EQ(host::kMainLoop.site + 5 + DisplacementAt(host::kMainLoop.site),
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&MainLoop_Body)));
  HostAt<uint8_t>(host::kMainLoop.site) = 0xE8;  // as if never placed
  ASSERT_TRUE(RunEveryFrame(&CountFrame));
  EXPECT_EQ(HostAt<uint8_t>(host::kMainLoop.site), 0xE8) << "a second call must not patch again";

  sim::ResetHostImage();
  ASSERT_TRUE(WriteJump(host::kMainLoop.site, host::kMainLoop.site + 5, reinterpret_cast<void*>(&MainLoop_Body)));
  sim::SetTimerResult(0xA1B2C3D4);
  const uint32_t updates = sim::TimerUpdatesRun();
  sim::FillTraps(host::kMainLoop.site + 5, host::kMainLoop.site + 6);  // land right at the resume
  sim::Registers in{.eax = 1, .ebx = 0xB0B0, .ecx = sim::TimerObject(), .edx = 4, .esi = 0x5151, .edi = 0xD1D1,
                    .ebp = 0xEBEB};
  auto out = sim::RunHost(host::kMainLoop.site, in, {0xFEED});
  EXPECT_EQ(out.address, host::kMainLoop.site + 5) << out.Describe();
  EXPECT_EQ(out.regs.eax, 0xA1B2C3D4u);
  EXPECT_EQ(out.regs.ebx, in.ebx);
  EXPECT_EQ(out.regs.esi, in.esi);
  EXPECT_EQ(out.regs.edi, in.edi);
  EXPECT_EQ(out.regs.ebp, in.ebp);
  EXPECT_EQ(out.regs.esp, out.entryEsp);
  EXPECT_EQ(out.Stack(0), 0xFEEDu);
  EXPECT_EQ(sim::TimerUpdatesRun(), updates + 1);
}

TEST(MainLoopHook, TheFrameLoopPassesThroughIt) {
  sim::ResetHostImage();
  ASSERT_TRUE(WriteJump(host::kMainLoop.site, host::kMainLoop.site + 5, reinterpret_cast<void*>(&MainLoop_Body)));
  sim::SetTimerResult(0x0BADF00D);
  const uint32_t updates = sim::TimerUpdatesRun();
  ASSERT_TRUE(RunEveryFrame(&CountFrame));
  const int frames = g_frames;
  for (int i = 0; i < 3; ++i) sim::RunFrame();
  EXPECT_EQ(sim::TimerUpdatesRun(), updates + 3);
  EXPECT_EQ(g_frames, frames + 3) << "a callback added twice runs once per frame";
  EXPECT_EQ(sim::LastTimerResult(), 0x0BADF00Du);
}

}  // namespace
