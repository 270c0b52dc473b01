// The host heap made aligned by rewriting its arguments, and the movaps
// instructions turned into movups.
#include <cstring>
#include <vector>

#include "memory/movaps_sites.h"
#include "plugin/apply.h"
#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

class AlignHeapAllocateHooks : public MemoryTest {
 protected:
  void SetUp() override {
    MemoryTest::SetUp();
    EXPECT_TRUE(ApplyAlignHeapAllocate().Applied());
  }

  // Enters a heap routine on the host's heap as the host calls it; the host
  // routine must run and return to the caller.
  static sim::Landing Run(uint32_t site, std::initializer_list<uint32_t> stack, int32_t espDelta) {
    const R in = With(kDistinct, {{&R::ecx, host::kHostHeap}});
    const sim::Landing out = sim::RunHost(site, in, stack);
    ExpectReturned(out, in, std::nullopt, espDelta);  // ESI of the release: pushed by the body, popped by the host
    return out;
  }
};

TEST_F(AlignHeapAllocateHooks, AllocationArgumentsReachTheHostHeapFixed) {
  struct Case {
    uint32_t size;
    int32_t alignment;
    uint32_t flag;
    int32_t expectedAlignment;
    uint32_t expectedFlag;
  } cases[] = {
      {0, 8, 0, 8, 0},              // sizes of 0 and below pass unchanged
      {0xFFFFFFFB, 4, 0, 4, 0},
      {40, 32, 1, 32, 1},           // already aligned to a multiple of 16
      {40, 48, 0x100, 48, 0x100},   // the whole flag slot counts, not its low byte
      {40, 8, 1, 16, 1},
      {40, 24, 1, 16, 1},
      {40, -16, 1, 16, 1},
      {40, 0, 1, 16, 1},
      {40, 32, 0, 16, 1},           // flag clear: aligned to 16
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " alignment " << c.alignment);
    const sim::Landing out =
        Run(host::kHeapAllocate.site, {sim::kReturnProbe, c.size, uint32_t(c.alignment), c.flag}, 16);
    const sim::HeapCall& call = sim::HostHeap().lastAllocate;
    EXPECT_EQ(call.heap, host::kHostHeap) << "ECX must reach the host routine";
    EXPECT_EQ(call.eaxAtTail, sim::kHeapAllocateGlobalValue) << "the overwritten MOV EAX,[global] must be redone";
    EXPECT_EQ(call.size, c.size);
    EXPECT_EQ(call.alignment, c.expectedAlignment);
    EXPECT_EQ(call.flag, c.expectedFlag);
    if (out.regs.eax != 0) sim::CallHeapFree(Pointer(out.regs.eax), true);
  }
  EXPECT_EQ(sim::HostHeap().allocations, std::size(cases));
}

TEST_F(AlignHeapAllocateHooks, ReleaseIsAlignedExceptForTheHeapsSpecialPointers) {
  void* block = sim::CallHeapAllocate(64, 16, true);
  struct Case {
    uint32_t pointer, flag, expectedFlag;
  } cases[] = {
      {AddressOf(block), 0, 1},
      {0, 0, 0},
      {sim::kHeapSentinelValue, 0, 0},
      {sim::kHeapSentinelValue ^ 0x10, 0x200, 0x200},
      {sim::kHeapSentinelValue ^ 0x20, 0x200, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pointer " << std::hex << c.pointer);
    Run(host::kHeapFreeEntry.site, {sim::kReturnProbe, c.pointer, c.flag}, 12);
    const sim::HeapCall& call = sim::HostHeap().lastFree;
    EXPECT_EQ(call.heap, host::kHostHeap);
    EXPECT_EQ(call.pointer, c.pointer);
    EXPECT_EQ(call.eaxAtTail, c.pointer) << "the overwritten MOV EAX,[ESP+4] must be redone";
    EXPECT_EQ(call.flag, c.expectedFlag);
  }
  EXPECT_EQ(sim::LiveHostHeapBlocks(), 0u);
}

class MovapsFixes : public MemoryTest {
 protected:
  // Runs the single instruction at address against a 16-byte operand that is
  // not 16-byte aligned; it must reach the trap right after it.
  static void ExpectRunsMisaligned(uint32_t address) {
    alignas(16) static uint8_t buffer[64];
    const R in = With(kDistinct, {{&R::eax, AddressOf(buffer + 4)}});
    hook_check::ExpectHook(address, in, {}, {address + 3, in, 0, true});
  }
};

TEST_F(MovapsFixes, ManualFixTurnsTheOneStoreIntoMovups) {
  EXPECT_TRUE(ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled().Applied());
  const uint8_t* const at = &sim::HostAt<uint8_t>(sim::kManualMovaps);
  EXPECT_EQ(std::vector<uint8_t>(at, at + 4), std::vector<uint8_t>({0x0F, 0x11, 0x00, sim::kTrap}));
  ExpectRunsMisaligned(sim::kManualMovaps);
}

TEST_F(MovapsFixes, ManualFixLeavesAnythingButMovapsAlone) {
  for (uint8_t found : {uint8_t(0x11), uint8_t(0x28), uint8_t(0x90)}) {
    sim::PlaceBytes(sim::kManualMovaps + 1, {found});
    EXPECT_EQ(ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled().kind, ApplyStatus::kInert) << "nothing to fix";
    EXPECT_EQ(sim::HostAt<uint8_t>(sim::kManualMovaps + 1), found);
  }
}

TEST_F(MovapsFixes, StretchGetsItsTwelveBytesAndNothingElse) {
  constexpr uint32_t kFrom = 0xDDB0A0, kTo = 0xDDB130;
  std::vector<uint8_t> before(kTo - kFrom);
  std::memcpy(before.data(), Pointer(kFrom), before.size());
  EXPECT_TRUE(ApplyUnallocatedMovaps().Applied());
  std::vector<uint8_t> expected = before;
  for (const HookSite& store : host::kStretchStoreOpcodes) expected[store.site - kFrom] = 0x11;
  for (const HookSite& load : host::kStretchLoadOpcodes) expected[load.site - kFrom] = 0x10;
  for (uint32_t address = kFrom; address < kTo; ++address) {
    EXPECT_EQ(sim::HostAt<uint8_t>(address), expected[address - kFrom]) << std::hex << address;
  }
  ExpectRunsMisaligned(host::kStretchStore1.site - 1);
  ExpectRunsMisaligned(host::kStretchLoad7.site - 1);  // the one not followed at once by another
}

}  // namespace
}  // namespace memory_test
