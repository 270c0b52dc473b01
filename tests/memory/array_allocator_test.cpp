// The array allocator routed to the heap replacement: its two hooks, the
// neutralised routines, the NOP fills and the skip.
#include "memory/array_allocator_sites.h"
#include "plugin/apply.h"
#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

class ArrayAllocator : public MemoryTest {
 protected:
  void SetUp() override {
    MemoryTest::SetUp();
    EXPECT_TRUE(ApplyOverwriteArrayAllocator().Applied());
  }

  // Allocates as the host does; the block is returned.
  void* Allocate(uint32_t size) {
    const sim::Landing out = sim::RunHost(host::kArrayAllocate.site, kDistinct, {sim::kReturnProbe, size, 0x7777});
    ExpectReturned(out, kDistinct, std::nullopt, 12);
    return Pointer(out.regs.eax);
  }
  void Release(void* block) {
    ExpectReturned(sim::RunHost(host::kArrayRelease.site, kDistinct, {sim::kReturnProbe, AddressOf(block)}),
                   kDistinct, std::nullopt, 8);
  }
};

// Each stretch runs through to its end touching nothing; the byte before it
// is still the host's.
TEST_F(ArrayAllocator, NopFillsCoverExactlyTheirStretches) {
  for (const HookSite& stretch : host::kArrayNopFills) {
    SCOPED_TRACE(testing::Message() << std::hex << stretch.site);
    hook_check::ExpectHook(stretch.site, kDistinct, {}, {stretch.resume, kDistinct, 0, true});
    hook_check::ExpectHook(stretch.site - 1, kDistinct, {}, {stretch.site - 1, kDistinct, 0, true});
  }
}

TEST_F(ArrayAllocator, AllocationIsAnAlignedRequestOfTheFirstArgument) {
  for (uint32_t size : {8u, 20u, 100u}) {
    crt.Forget();
    void* block = Allocate(size);
    EXPECT_EQ(block, ExpectOnlyCall("_aligned_malloc", nullptr, size, 16));
    crt.Forget();
    Release(block);
    ExpectOnlyCall("_aligned_free", block, 0, 0);
  }
  EXPECT_EQ(sim::HostHeap().arrayAllocations, 0u);
  EXPECT_EQ(sim::HostHeap().arrayReleases, 0u);
}

TEST_F(ArrayAllocator, SixteenByteArraysComeFromAndReturnToTheirPool) {
  BuildMemoryBlocks(1, false);
  MemoryBlock* pool = MemoryBlockTable[4];
  void* block = Allocate(16);
  EXPECT_TRUE(pool->Contains(block));
  EXPECT_EQ(pool->FreeSlotCount(), pool->slotCount - 1);
  Release(block);
  EXPECT_EQ(pool->FreeSlotCount(), pool->slotCount);
  EXPECT_TRUE(crt.Calls().empty());
}

TEST_F(ArrayAllocator, NeutralisedRoutinesReturnAsStatedAndTheSkipGoesStraightToItsTarget) {
  const R zero = With(kDistinct, {{&R::eax, 0}});
  const struct {
    uint32_t site;
    hook_check::Want want;
    uint32_t top;  // the stack word left on top
  } cases[] = {
      {host::kArrayZeroRoutineA.site, {sim::kReturnProbe, zero, 4}, 0x1111},
      {host::kArrayZeroRoutineB.site, {sim::kReturnProbe, zero, 4}, 0x1111},
      {host::kArrayEmptyRoutine.site, {sim::kReturnProbe, kDistinct, 4, true}, 0x1111},
      {host::kArrayEmptyRoutineWithArguments.site, {sim::kReturnProbe, kDistinct, 12, true}, 0x3333},
      {host::kArraySkip.site, {host::kArraySkipTarget, kDistinct, 0, true}, sim::kReturnProbe},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.site);
    const sim::Landing out =
        hook_check::ExpectHook(c.site, kDistinct, {sim::kReturnProbe, 0x1111, 0x2222, 0x3333}, c.want);
    EXPECT_EQ(out.Stack(0), c.top);
  }
}

}  // namespace
}  // namespace memory_test
