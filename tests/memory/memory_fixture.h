// Shared set-up of the memory tests: a fresh host image, no pools, aligned
// mode off, and the C runtime behind a recorder.
#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "memory/memory_block.h"
#include "memory/os_allocator.h"
#include "sim/host_heap.h"
#include "sim/host_memory.h"
#include "sim/runner.h"
#include "tests/hook_check.h"
#include "tests/memory/crt_recorder.h"

namespace memory_test {

using hook_check::kDistinct;
using hook_check::R;
using hook_check::With;
using sim::AddressOf;
inline void* Pointer(uint32_t address) { return reinterpret_cast<void*>(static_cast<uintptr_t>(address)); }

inline void ExpectCall(const CrtCall& call, const std::string& function, const void* pointer, size_t size,
                       size_t alignment) {
  EXPECT_EQ(std::tie(call.function, call.pointer, call.size, call.alignment),
            std::tie(function, pointer, size, alignment));
}

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    sim::ClearHostHeapRecord();
    g_alignMode = 0;
    BuildMemoryBlocks(0, false);
  }
  void TearDown() override {
    EXPECT_TRUE(crt.Mismatches().empty()) << crt.Mismatches().front();
    g_alignMode = 0;
    BuildMemoryBlocks(0, false);
  }

  // The one runtime call a step made.
  CrtCall OnlyCall() {
    EXPECT_EQ(crt.Calls().size(), 1u);
    return crt.Calls().empty() ? CrtCall{} : crt.Calls().back();
  }
  // The one runtime call a step made was this one; its result is returned.
  void* ExpectOnlyCall(const std::string& function, const void* pointer, size_t size, size_t alignment) {
    const CrtCall call = OnlyCall();
    ExpectCall(call, function, pointer, size, alignment);
    return call.result;
  }

  CrtRecorder crt;
};

// A routine the host calls came back to its caller with `espDelta` bytes of
// stack gone, the callee-saved registers and EAX as wanted (no EAX: nothing
// to compare it with); ECX, EDX and the flags are the C code's to change.
inline void ExpectReturned(const sim::Landing& out, const R& in, std::optional<uint32_t> eax, int32_t espDelta) {
  const R want = hook_check::AfterCCall(With(in, {{&R::eax, eax.value_or(out.regs.eax)}}), out);
  hook_check::ExpectLanded(out, sim::kReturnProbe, want, espDelta, false);
}

}  // namespace memory_test
