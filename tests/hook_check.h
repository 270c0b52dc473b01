// The one way the tests check a hook: enter a host site with chosen
// registers, flags and stack, and compare where the run lands and what it
// left there, against wanted values or against the host's own bytes.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "core/apply_status.h"
#include "sim/host_memory.h"
#include "sim/runner.h"

namespace hook_check {

using R = sim::Registers;

// Register values no hook computes by chance, and flags a body must keep.
inline const R kDistinct{.eax = 0xA1A1A1A1, .ebx = 0xB2B2B2B2, .ecx = 0xC3C3C3C3, .edx = 0xD4D4D4D4,
                         .esi = 0xE5E5E5E5, .edi = 0xF6F6F6F6, .ebp = 0x97979797,
                         .eflags = sim::kCarryFlag | sim::kSignFlag | sim::kOverflowFlag};

// regs with the listed registers changed.
inline R With(R regs, std::initializer_list<std::pair<uint32_t R::*, uint32_t>> changes) {
  for (const auto& [reg, value] : changes) regs.*reg = value;
  return regs;
}

inline bool Flag(const sim::Landing& out, uint32_t flag) { return (out.regs.eflags & flag) != 0; }

// Plain memory standing in for a host object; fields are set by offset.
struct FakeObject {
  alignas(16) uint8_t bytes[0x200] = {};
  uint32_t Address() const { return sim::AddressOf(bytes); }
  void Word(uint32_t offset, uint32_t value) { std::memcpy(bytes + offset, &value, 4); }
};

// want, with ECX and EDX as the landing has them: a C routine called on the
// way may change them.
inline R AfterCCall(const R& want, const sim::Landing& out) {
  return With(want, {{&R::ecx, out.regs.ecx}, {&R::edx, out.regs.edx}});
}

inline int32_t EspDelta(const sim::Landing& out) { return static_cast<int32_t>(out.regs.esp - out.entryEsp); }

// The run stopped with the wanted exception at address, with exactly the
// wanted general registers and ESP moved by espDelta; flags as wanted unless
// the body may change them.
inline void ExpectStopped(const sim::Landing& out, uint32_t exception, uint32_t address, const R& want,
                          int32_t espDelta, bool flagsKept) {
  EXPECT_EQ(out.exception, exception) << out.Describe();
  EXPECT_EQ(out.address, address) << out.Describe();
  constexpr std::pair<const char*, uint32_t R::*> kGeneral[] = {{"EAX", &R::eax}, {"EBX", &R::ebx}, {"ECX", &R::ecx},
                                                                {"EDX", &R::edx}, {"ESI", &R::esi}, {"EDI", &R::edi},
                                                                {"EBP", &R::ebp}};
  for (const auto& [name, reg] : kGeneral) EXPECT_EQ(out.regs.*reg, want.*reg) << name << ": " << out.Describe();
  EXPECT_EQ(EspDelta(out), espDelta) << out.Describe();
  if (flagsKept) {
    EXPECT_EQ(out.regs.eflags & sim::kArithmeticFlags, want.eflags & sim::kArithmeticFlags) << out.Describe();
  }
}

// The run reached the trap at address.
inline void ExpectLanded(const sim::Landing& out, uint32_t address, const R& want, int32_t espDelta,
                         bool flagsKept = true) {
  ExpectStopped(out, sim::kBreakpoint, address, want, espDelta, flagsKept);
}

// Enters the site and expects the trap at landing with the wanted registers;
// ECX and EDX are left out when a host or plugin call on the way may change
// them.
struct Want {
  uint32_t landing;
  R regs;
  int32_t espDelta = 0;
  bool flagsKept = false;
  bool scratchFree = false;
};
inline sim::Landing ExpectHook(uint32_t site, const R& in, std::initializer_list<uint32_t> stack, const Want& want) {
  const sim::Landing out = sim::RunHost(site, in, stack);
  const R regs = want.scratchFree ? AfterCCall(want.regs, out) : want.regs;
  ExpectLanded(out, want.landing, regs, want.espDelta, want.flagsKept);
  return out;
}

// Hook tests start from the untouched host image.
class HookTest : public testing::Test {
 protected:
  void SetUp() override { sim::ResetHostImage(); }
};

// Runs the site as the host has it, then applies the option and runs the
// hooked site with the same registers and stack; expects the same landing,
// registers, ESP and stack words, less what a host call may change. The
// hooked landing is returned.
enum class HostCallClobbers { kNothing, kFlags, kScratchRegistersAndFlags };
inline sim::Landing ExpectSameAsHost(uint32_t site, ApplyStatus (*apply)(), const R& registers,
                                     std::initializer_list<uint32_t> stack,
                                     HostCallClobbers clobbers = HostCallClobbers::kNothing) {
  sim::ResetHostImage();
  const sim::Landing host = sim::RunHost(site, registers, stack);
  EXPECT_TRUE(apply().Applied());
  const sim::Landing hooked = sim::RunHost(site, registers, stack);
  R want = host.regs;
  if (clobbers == HostCallClobbers::kScratchRegistersAndFlags) want = AfterCCall(want, hooked);
  ExpectStopped(hooked, host.exception, host.address, want, EspDelta(host), clobbers == HostCallClobbers::kNothing);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(hooked.Stack(i), host.Stack(i)) << "stack word " << i;
  return hooked;
}

}  // namespace hook_check
