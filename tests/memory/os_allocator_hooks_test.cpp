// The five hooks of the heap replacement, entered at their host sites with
// the host's registers and stack: which stack slots they read, what they
// leave in EAX and how much stack they remove.
#include <cstring>

#include "memory/heap_sites.h"
#include "plugin/apply.h"
#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

class OsAllocatorHooks : public MemoryTest {
 protected:
  void SetUp() override {
    MemoryTest::SetUp();
    ApplyUseOSAllocators();
    AlignMode = 0;
  }

  sim::Landing Run(uint32_t site, std::initializer_list<uint32_t> stack) {
    sim::Registers in = kMarkedRegisters;
    in.ecx = host::kHostHeap;
    const sim::Landing out = sim::RunHost(site, in, stack);
    EXPECT_EQ(out.address, sim::kReturnProbe) << out.Describe();
    ExpectCalleeSavedKept(in, out);
    return out;
  }
};

TEST_F(OsAllocatorHooks, AllocateReadsSizeAlignmentAndTheFlagsLowByte) {
  const sim::Landing aligned = Run(host::kHeapAllocate.site, {sim::kReturnProbe, 40, 32, 0xFFFFFF01});
  EXPECT_EQ(aligned.regs.esp - aligned.entryEsp, 16u);
  EXPECT_EQ(OnlyCall().function, "_aligned_malloc");
  EXPECT_EQ(OnlyCall().size, 40u);
  EXPECT_EQ(OnlyCall().alignment, 32u);
  EXPECT_EQ(Pointer(aligned.regs.eax), OnlyCall().result);
  OsHeapFree(Pointer(aligned.regs.eax), true);

  crt.Forget();
  const sim::Landing plain = Run(host::kHeapAllocate.site, {sim::kReturnProbe, 41, 32, 0x100});
  EXPECT_EQ(OnlyCall().function, "malloc");
  EXPECT_EQ(OnlyCall().size, 41u);
  EXPECT_EQ(Pointer(plain.regs.eax), OnlyCall().result);
  OsHeapFree(Pointer(plain.regs.eax), false);
  EXPECT_EQ(sim::HostHeap().allocations, 0u);
}

TEST_F(OsAllocatorHooks, FreeTakesThePointerTheHostLoadedAndRemovesEightBytes) {
  void* aligned = OsHeapAllocate(50, 16, true);
  void* plain = OsHeapAllocate(50, 0, false);
  crt.Forget();
  const sim::Landing first = Run(host::kHeapFreeEntry.site, {sim::kReturnProbe, AddressOf(aligned), 0xABCDEF01});
  EXPECT_EQ(first.regs.esp - first.entryEsp, 12u);
  EXPECT_EQ(OnlyCall().function, "_aligned_free");
  EXPECT_EQ(OnlyCall().pointer, aligned);
  crt.Forget();
  Run(host::kHeapFreeEntry.site, {sim::kReturnProbe, AddressOf(plain), 0x00000100});
  EXPECT_EQ(OnlyCall().function, "free");
  EXPECT_EQ(OnlyCall().pointer, plain);
  EXPECT_EQ(sim::HostHeap().frees, 0u);
}

TEST_F(OsAllocatorHooks, ReallocateReadsFourSlotsAndRemovesSixteenBytes) {
  void* block = OsHeapAllocate(30, 16, true);
  crt.Forget();
  const sim::Landing out = Run(host::kHeapReallocate.site, {sim::kReturnProbe, AddressOf(block), 90, 16, 0x201});
  EXPECT_EQ(out.regs.esp - out.entryEsp, 20u);
  EXPECT_EQ(OnlyCall().function, "_aligned_realloc");
  EXPECT_EQ(OnlyCall().pointer, block);
  EXPECT_EQ(OnlyCall().size, 90u);
  EXPECT_EQ(OnlyCall().alignment, 16u);
  EXPECT_EQ(Pointer(out.regs.eax), OnlyCall().result);
  OsHeapFree(Pointer(out.regs.eax), true);
  EXPECT_EQ(sim::HostHeap().reallocations, 0u);
}

TEST_F(OsAllocatorHooks, HostCallersGetPooledBlocksThroughTheHeapRoutines) {
  BuildMemoryBlocks(1, false);
  void* block = sim::CallHeapAllocate(16, 16, true);
  EXPECT_TRUE(MemoryBlockTable[4]->Contains(block));
  sim::CallHeapFree(block, true);
  EXPECT_EQ(MemoryBlockTable[4]->FreeSlotCount(), MemoryBlockTable[4]->slotCount);
  EXPECT_TRUE(crt.Calls().empty());
}

TEST_F(OsAllocatorHooks, FieldClearingWritesExactlyItsFieldsAroundTheHostRoutine) {
  uint8_t object[0x220];
  std::memset(object, 0xAB, sizeof object);
  sim::WatchFieldsObject(object);
  sim::Registers in = kMarkedRegisters;
  in.ecx = AddressOf(object);
  const sim::Landing out = sim::RunHost(host::kClearFields.site, in, {sim::kReturnProbe});
  sim::WatchFieldsObject(nullptr);
  EXPECT_EQ(out.address, sim::kReturnProbe) << out.Describe();
  EXPECT_EQ(out.regs.esp - out.entryEsp, 4u);
  // kFieldsRoutine changes every register and the flags; they must not reach here.
  ExpectCalleeSavedKept(in, out);

  EXPECT_EQ(sim::HostHeap().fieldsRoutineRuns, 1u);
  EXPECT_EQ(sim::HostHeap().clearFieldsRuns, 0u);
  EXPECT_EQ(sim::FieldsSeenByRoutine().at2, 0u);
  EXPECT_EQ(sim::FieldsSeenByRoutine().at4, 0xABABu);
  EXPECT_TRUE(sim::FieldsSeenByRoutine().clearedFrom0x10);
  for (size_t i = 0; i < sizeof object; ++i) {
    const bool cleared = (i >= 2 && i < 6) || (i >= 0x10 && i < 0x10 + 500);
    ASSERT_EQ(object[i], cleared ? 0x00 : 0xAB) << "offset " << i;
  }
}

TEST_F(OsAllocatorHooks, NoOpRoutineReturnsAtOnceTouchingNothing) {
  const sim::Landing out = sim::RunHost(host::kHeapNoOp.site, kMarkedRegisters, {sim::kReturnProbe, 0x1234});
  EXPECT_EQ(out.address, sim::kReturnProbe) << out.Describe();
  EXPECT_EQ(out.regs.esp - out.entryEsp, 4u);
  EXPECT_EQ(out.regs.eax, kMarkedRegisters.eax);
  EXPECT_EQ(out.regs.ecx, kMarkedRegisters.ecx);
  EXPECT_EQ(out.regs.edx, kMarkedRegisters.edx);
  ExpectCalleeSavedKept(kMarkedRegisters, out);
  EXPECT_EQ(sim::HostHeap().noOpRuns, 0u);
}

}  // namespace
}  // namespace memory_test
