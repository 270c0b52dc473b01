// The register-level runner itself: every later hook test relies on it.
#include <gtest/gtest.h>

#include "sim/host_memory.h"
#include "sim/runner.h"
#include "tests/hook_check.h"

namespace {

using hook_check::R;

TEST(Runner, ATrapAtTheEntryReportsTheRegistersAndStackAsGiven) {
  sim::ResetHostImage();
  const R in{.eax = 1, .ebx = 2, .ecx = 3, .edx = 4, .esi = 5, .edi = 6, .ebp = 7,
             .eflags = sim::kCarryFlag | sim::kZeroFlag};
  auto out = sim::RunHost(0x480000, in, {0x11, 0x22, 0x33});
  hook_check::ExpectLanded(out, 0x480000, in, 0);
  EXPECT_EQ(out.Stack(0), 0x11u);
  EXPECT_EQ(out.Stack(2), 0x33u);
}

TEST(Runner, HostCodeRunsAndAReturnLandsOnTheReturnProbe) {
  sim::ResetHostImage();
  // mov eax, ebx; add eax, [esp+4]; ret 4
  sim::PlaceBytes(0x480000, {0x89, 0xD8, 0x03, 0x44, 0x24, 0x04, 0xC2, 0x04, 0x00});
  const R in{.ebx = 40};
  auto out = sim::RunHost(0x480000, in, {sim::kReturnProbe, 2});
  hook_check::ExpectLanded(out, sim::kReturnProbe, hook_check::With(in, {{&R::eax, 42}}), 8, false);
}

TEST(Runner, AFaultIsReportedWithItsAddress) {
  sim::ResetHostImage();
  sim::PlaceBytes(0x480000, {0x8B, 0x00});  // mov eax, [eax]
  auto out = sim::RunHost(0x480000, {.eax = 0});
  // An access violation; under QEMU's user-mode emulation Wine sees page
  // faults without their trap number and reports an illegal instruction.
  EXPECT_TRUE(out.exception == 0xC0000005u || out.exception == 0xC000001Du) << std::hex << out.exception;
  EXPECT_EQ(out.address, 0x480000u);
}

}  // namespace
