// Checks of where a hook run landed and what it left in the registers.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "sim/runner.h"

namespace landing_checks {

// Register values no hook computes by chance, and flags a body must keep.
inline const sim::Registers kDistinct{.eax = 0xA1A1A1A1, .ebx = 0xB2B2B2B2, .ecx = 0xC3C3C3C3, .edx = 0xD4D4D4D4,
                                      .esi = 0xE5E5E5E5, .edi = 0xF6F6F6F6, .ebp = 0x97979797,
                                      .eflags = sim::kCarryFlag | sim::kSignFlag | sim::kOverflowFlag};

// The run stopped at a trap at address with exactly the wanted registers and
// ESP moved by espDelta; flags as wanted unless the body may change them.
inline void ExpectLanded(const sim::Landing& out, uint32_t address, const sim::Registers& want, int32_t espDelta,
                         bool flagsKept = true) {
  EXPECT_EQ(out.address, address) << out.Describe();
  EXPECT_EQ(out.exception, sim::kBreakpoint) << out.Describe();
  EXPECT_EQ(out.regs.eax, want.eax);
  EXPECT_EQ(out.regs.ebx, want.ebx);
  EXPECT_EQ(out.regs.ecx, want.ecx);
  EXPECT_EQ(out.regs.edx, want.edx);
  EXPECT_EQ(out.regs.esi, want.esi);
  EXPECT_EQ(out.regs.edi, want.edi);
  EXPECT_EQ(out.regs.ebp, want.ebp);
  EXPECT_EQ(static_cast<int32_t>(out.regs.esp - out.entryEsp), espDelta);
  if (flagsKept) {
    EXPECT_EQ(out.regs.eflags & sim::kArithmeticFlags, want.eflags & sim::kArithmeticFlags);
  }
}

}  // namespace landing_checks
