// Shared set-up of the memory tests: a fresh host image, no pools, aligned
// mode off, and the C runtime behind a recorder.
#pragma once
#include <gtest/gtest.h>

#include "memory/memory_block.h"
#include "memory/os_allocator.h"
#include "sim/host_heap.h"
#include "sim/host_memory.h"
#include "sim/runner.h"
#include "tests/memory/crt_recorder.h"

namespace memory_test {

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    sim::ClearHostHeapRecord();
    AlignMode = 0;
    BuildMemoryBlocks(0, false);
  }
  void TearDown() override {
    EXPECT_TRUE(crt.Mismatches().empty()) << crt.Mismatches().front();
    AlignMode = 0;
    BuildMemoryBlocks(0, false);
  }

  // The one runtime call a step made.
  CrtCall OnlyCall() {
    EXPECT_EQ(crt.Calls().size(), 1u);
    return crt.Calls().empty() ? CrtCall{} : crt.Calls().back();
  }

  CrtRecorder crt;
};

// Registers a body must hand back as it found them.
inline void ExpectCalleeSavedKept(const sim::Registers& in, const sim::Landing& out) {
  EXPECT_EQ(out.regs.ebx, in.ebx);
  EXPECT_EQ(out.regs.esi, in.esi);
  EXPECT_EQ(out.regs.edi, in.edi);
  EXPECT_EQ(out.regs.ebp, in.ebp);
}

using sim::AddressOf;
inline void* Pointer(uint32_t address) { return reinterpret_cast<void*>(static_cast<uintptr_t>(address)); }

constexpr sim::Registers kMarkedRegisters{.eax = 0xA0A0A0A0, .ebx = 0xB0B0B0B0, .ecx = 0xC0C0C0C0,
                                          .edx = 0xD0D0D0D0, .esi = 0x51515151, .edi = 0xD1D1D1D1,
                                          .ebp = 0xBEBEBEBE};

}  // namespace memory_test
