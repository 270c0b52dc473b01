// The array allocator routed to the heap replacement: its two hooks, the
// neutralised routines, the NOP fills and the skip.
#include "memory/array_allocator_sites.h"
#include "plugin/apply.h"
#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

constexpr uint32_t kReturnsZero[] = {host::kArrayZeroRoutineA.site, host::kArrayZeroRoutineB.site};

class ArrayAllocator : public MemoryTest {
 protected:
  void SetUp() override {
    MemoryTest::SetUp();
    ApplyOverwriteArrayAllocator();
  }

  sim::Landing Run(uint32_t site, std::initializer_list<uint32_t> stack, uint32_t expectedPop) {
    const sim::Landing out = sim::RunHost(site, kMarkedRegisters, stack);
    EXPECT_EQ(out.address, sim::kReturnProbe) << out.Describe();
    EXPECT_EQ(out.regs.esp - out.entryEsp, expectedPop);
    ExpectCalleeSavedKept(kMarkedRegisters, out);
    return out;
  }
};

TEST_F(ArrayAllocator, NopFillsCoverExactlyTheirStretches) {
  for (const HookSite& stretch : host::kArrayNopFills) {
    for (uint32_t at = stretch.site; at < stretch.resume; ++at) {
      EXPECT_EQ(sim::HostAt<uint8_t>(at), 0x90) << std::hex << at;
    }
    EXPECT_EQ(sim::HostAt<uint8_t>(stretch.resume), sim::kTrap) << std::hex << stretch.site;
    EXPECT_EQ(sim::HostAt<uint8_t>(stretch.site - 1), sim::kTrap) << std::hex << stretch.site;
  }
}

TEST_F(ArrayAllocator, AllocationIsAnAlignedRequestOfTheFirstArgument) {
  for (uint32_t size : {8u, 20u, 100u}) {
    crt.Forget();
    const sim::Landing out = Run(host::kArrayAllocate.site, {sim::kReturnProbe, size, 0x7777}, 12);
    EXPECT_EQ(OnlyCall().function, "_aligned_malloc");
    EXPECT_EQ(OnlyCall().size, size);
    EXPECT_EQ(OnlyCall().alignment, 16u);
    EXPECT_EQ(Pointer(out.regs.eax), OnlyCall().result);
    crt.Forget();
    Run(host::kArrayRelease.site, {sim::kReturnProbe, out.regs.eax}, 8);
    EXPECT_EQ(OnlyCall().function, "_aligned_free");
    EXPECT_EQ(Pointer(out.regs.eax), OnlyCall().pointer);
  }
  EXPECT_EQ(sim::HostHeap().arrayAllocations, 0u);
  EXPECT_EQ(sim::HostHeap().arrayReleases, 0u);
}

TEST_F(ArrayAllocator, SixteenByteArraysComeFromAndReturnToTheirPool) {
  BuildMemoryBlocks(1, false);
  MemoryBlock* pool = MemoryBlockTable[4];
  const sim::Landing out = Run(host::kArrayAllocate.site, {sim::kReturnProbe, 16, 0}, 12);
  EXPECT_TRUE(pool->Contains(Pointer(out.regs.eax)));
  EXPECT_EQ(pool->FreeSlotCount(), pool->slotCount - 1);
  Run(host::kArrayRelease.site, {sim::kReturnProbe, out.regs.eax}, 8);
  EXPECT_EQ(pool->FreeSlotCount(), pool->slotCount);
  EXPECT_TRUE(crt.Calls().empty());
}

TEST_F(ArrayAllocator, NeutralisedRoutinesReturnAsStated) {
  for (uint32_t site : kReturnsZero) {
    const sim::Landing out = Run(site, {sim::kReturnProbe, 0x1111}, 4);
    EXPECT_EQ(out.regs.eax, 0u) << std::hex << site;
  }
  const sim::Landing empty = Run(host::kArrayEmptyRoutine.site, {sim::kReturnProbe, 0x1111}, 4);
  EXPECT_EQ(empty.regs.eax, kMarkedRegisters.eax);
  const sim::Landing withArguments = Run(host::kArrayEmptyRoutineWithArguments.site, {sim::kReturnProbe, 0x1111, 0x2222, 0x3333}, 12);
  EXPECT_EQ(withArguments.regs.eax, kMarkedRegisters.eax);
  EXPECT_EQ(withArguments.Stack(0), 0x3333u);
}

TEST_F(ArrayAllocator, SkipGoesStraightToTheTarget) {
  const sim::Landing out = sim::RunHost(host::kArraySkip.site, kMarkedRegisters, {0x1111});
  EXPECT_EQ(out.address, host::kArraySkipTarget) << out.Describe();
  EXPECT_EQ(out.regs.esp, out.entryEsp);
  EXPECT_EQ(out.regs.eax, kMarkedRegisters.eax);
  EXPECT_EQ(out.regs.ecx, kMarkedRegisters.ecx);
  EXPECT_EQ(out.regs.edx, kMarkedRegisters.edx);
  ExpectCalleeSavedKept(kMarkedRegisters, out);
}

}  // namespace
}  // namespace memory_test
