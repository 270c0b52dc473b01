// The array allocator routed to the heap replacement: its two hooks, the
// neutralised routines, the NOP fills and the skip.
#include "plugin/apply.h"
#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

constexpr uint32_t kReturnsZero[] = {0xA48890, 0xA49450};
constexpr uint32_t kReturnsAtOnce = 0xA49800;
constexpr uint32_t kReturnsRemovingEight = 0xA49770;
constexpr uint32_t kSkipSite = 0xA4893C;
constexpr uint32_t kSkipTarget = 0xA48959;

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
  for (const sim::CodeStretch& stretch : sim::kArrayNopStretches) {
    for (uint32_t i = 0; i < stretch.length; ++i) {
      EXPECT_EQ(sim::HostAt<uint8_t>(stretch.address + i), 0x90) << std::hex << stretch.address + i;
    }
    EXPECT_EQ(sim::HostAt<uint8_t>(stretch.address + stretch.length), sim::kTrap) << std::hex << stretch.address;
    EXPECT_EQ(sim::HostAt<uint8_t>(stretch.address - 1), sim::kTrap) << std::hex << stretch.address;
  }
}

TEST_F(ArrayAllocator, AllocationIsAnAlignedRequestOfTheFirstArgument) {
  for (uint32_t size : {8u, 20u, 100u}) {
    crt.Forget();
    const sim::Landing out = Run(sim::kArrayAllocate, {sim::kReturnProbe, size, 0x7777}, 12);
    EXPECT_EQ(OnlyCall().function, "_aligned_malloc");
    EXPECT_EQ(OnlyCall().size, size);
    EXPECT_EQ(OnlyCall().alignment, 16u);
    EXPECT_EQ(Pointer(out.regs.eax), OnlyCall().result);
    crt.Forget();
    Run(sim::kArrayRelease, {sim::kReturnProbe, out.regs.eax}, 8);
    EXPECT_EQ(OnlyCall().function, "_aligned_free");
    EXPECT_EQ(Pointer(out.regs.eax), OnlyCall().pointer);
  }
  EXPECT_EQ(sim::HostHeap().arrayAllocations, 0u);
  EXPECT_EQ(sim::HostHeap().arrayReleases, 0u);
}

TEST_F(ArrayAllocator, SixteenByteArraysComeFromAndReturnToTheirPool) {
  BuildMemoryBlocks(1, false);
  MemoryBlock* pool = MemoryBlockTable[4];
  const sim::Landing out = Run(sim::kArrayAllocate, {sim::kReturnProbe, 16, 0}, 12);
  EXPECT_TRUE(pool->Contains(Pointer(out.regs.eax)));
  EXPECT_EQ(pool->FreeSlotCount(), pool->slotCount - 1);
  Run(sim::kArrayRelease, {sim::kReturnProbe, out.regs.eax}, 8);
  EXPECT_EQ(pool->FreeSlotCount(), pool->slotCount);
  EXPECT_TRUE(crt.Calls().empty());
}

TEST_F(ArrayAllocator, NeutralisedRoutinesReturnAsStated) {
  for (uint32_t site : kReturnsZero) {
    const sim::Landing out = Run(site, {sim::kReturnProbe, 0x1111}, 4);
    EXPECT_EQ(out.regs.eax, 0u) << std::hex << site;
  }
  const sim::Landing empty = Run(kReturnsAtOnce, {sim::kReturnProbe, 0x1111}, 4);
  EXPECT_EQ(empty.regs.eax, kMarkedRegisters.eax);
  const sim::Landing withArguments = Run(kReturnsRemovingEight, {sim::kReturnProbe, 0x1111, 0x2222, 0x3333}, 12);
  EXPECT_EQ(withArguments.regs.eax, kMarkedRegisters.eax);
  EXPECT_EQ(withArguments.Stack(0), 0x3333u);
}

TEST_F(ArrayAllocator, SkipGoesStraightToTheTarget) {
  const sim::Landing out = sim::RunHost(kSkipSite, kMarkedRegisters, {0x1111});
  EXPECT_EQ(out.address, kSkipTarget) << out.Describe();
  EXPECT_EQ(out.regs.esp, out.entryEsp);
  EXPECT_EQ(out.regs.eax, kMarkedRegisters.eax);
  EXPECT_EQ(out.regs.ecx, kMarkedRegisters.ecx);
  EXPECT_EQ(out.regs.edx, kMarkedRegisters.edx);
  ExpectCalleeSavedKept(kMarkedRegisters, out);
}

}  // namespace
}  // namespace memory_test
