// The heap replacement's routines called directly: normalisation, the two C
// runtime families, the pools in front of them and reallocation.
#include <cstring>

#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

using OsHeap = MemoryTest;

TEST_F(OsHeap, AlignedModeRaisesOrReplacesTheAlignment) {
  struct Case {
    int32_t mode, alignment;
    bool aligned;
    size_t runtimeAlignment;
  } cases[] = {{1, 8, true, 16},  {1, 32, true, 32}, {1, 24, true, 16}, {1, 0, false, 16},
               {1, -32, true, 16}, {1, 64, false, 64}, {-1, 8, false, 16}, {-1, 32, true, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " alignment " << c.alignment);
    g_alignMode = c.mode;
    crt.Forget();
    void* block = OsHeapAllocate(40, c.alignment, c.aligned);
    ExpectOnlyCall("_aligned_malloc", nullptr, 40, c.runtimeAlignment);
    EXPECT_EQ(AddressOf(block) % c.runtimeAlignment, 0u);
    OsHeapFree(block, c.aligned);
  }
}

TEST_F(OsHeap, AlignedModeReleasesEveryBlockAlignedWhateverTheHostFlag) {
  g_alignMode = 1;
  void* block = OsHeapAllocate(100, 0, false);
  crt.Forget();
  OsHeapFree(block, false);
  ExpectOnlyCall("_aligned_free", block, 0, 0);
  crt.Forget();
  void* grown = OsHeapReallocate(OsHeapAllocate(100, 0, false), 200, 0, false);
  EXPECT_EQ(crt.Calls().back().function, "_aligned_realloc");
  OsHeapFree(grown, false);
}

TEST_F(OsHeap, PlainModeFollowsTheHostFlag) {
  void* plain = OsHeapAllocate(40, 16, false);
  ExpectOnlyCall("malloc", nullptr, 40, 0);
  crt.Forget();
  void* aligned = OsHeapAllocate(40, 32, true);
  ExpectOnlyCall("_aligned_malloc", nullptr, 40, 32);
  crt.Forget();
  OsHeapFree(plain, false);
  OsHeapFree(aligned, true);
  ASSERT_EQ(crt.Calls().size(), 2u);
  ExpectCall(crt.Calls()[0], "free", plain, 0, 0);
  ExpectCall(crt.Calls()[1], "_aligned_free", aligned, 0, 0);
}

// An aligned request without a positive alignment would go to malloc and
// come back through _aligned_free; every block must stay in one family, and
// the aligned family must not refuse an alignment that is no power of two.
TEST_F(OsHeap, EveryBlockStaysInOneRuntimeFamily) {
  for (int32_t mode : {0, 1, -1}) {
    for (bool aligned : {false, true}) {
      for (int32_t alignment : {-16, 0, 2, 4, 8, 16, 24, 32, 48}) {
        g_alignMode = mode;
        void* block = OsHeapAllocate(50, alignment, aligned);
        block = OsHeapReallocate(block, 300, alignment, aligned);
        OsHeapFree(block, aligned);
        void* fromNull = OsHeapReallocate(nullptr, 60, alignment, aligned);
        OsHeapFree(fromNull, aligned);
        EXPECT_TRUE(crt.Mismatches().empty()) << "mode " << mode << " aligned " << aligned << " alignment "
                                              << alignment << ": " << crt.Mismatches().front();
        if (!crt.Mismatches().empty()) return;
      }
    }
  }
  EXPECT_EQ(crt.LiveBlocks(), 0u);
}

TEST_F(OsHeap, ReallocatingNullAllocatesThroughTheRuntimeAndToSizeZeroKeepsALiveBlock) {
  void* plain = OsHeapReallocate(nullptr, 70, 0, false);
  ExpectOnlyCall("realloc", nullptr, 70, 0);
  crt.Forget();
  void* aligned = OsHeapReallocate(nullptr, 70, 16, true);
  ExpectOnlyCall("_aligned_realloc", nullptr, 70, 16);
  OsHeapFree(plain, false);
  OsHeapFree(aligned, true);
  void* block = OsHeapAllocate(64, 0, false);
  void* shrunk = OsHeapReallocate(block, 0, 0, false);
  ASSERT_NE(shrunk, nullptr);
  EXPECT_EQ(crt.LiveBlocks(), 1u);
  OsHeapFree(shrunk, false);
  EXPECT_EQ(crt.LiveBlocks(), 0u);
}

TEST_F(OsHeap, AllocationRetriesTwiceAtOnce) {
  crt.FailAllocations(2);
  void* block = OsHeapAllocate(48, 0, false);
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(crt.Calls().size(), 3u);
  EXPECT_EQ(crt.Calls()[2].result, block);
  OsHeapFree(block, false);
}

TEST_F(OsHeap, RequestsAbove36BytesNeverReachThePools) {
  BuildMemoryBlocks(1, false);
  void* largest = OsHeapAllocate(36, 0, false);
  EXPECT_EQ(FindOwningPool(largest, false), MemoryBlockTable[9]);
  EXPECT_TRUE(crt.Calls().empty());
  for (uint32_t size : {37u, 40u, 1000u}) {
    SCOPED_TRACE(size);
    crt.Forget();
    void* block = OsHeapAllocate(size, 0, false);
    ExpectOnlyCall("malloc", nullptr, size, 0);
    OsHeapFree(block, false);
  }
  OsHeapFree(largest, false);
}

TEST_F(OsHeap, ExhaustedPoolFallsBackAndRecoversAfterOneRelease) {
  BuildMemoryBlocks(1, false);
  MemoryBlock* pool = MemoryBlockTable[2];
  std::vector<void*> pooled;
  for (uint32_t i = 0; i < pool->slotCount; ++i) pooled.push_back(OsHeapAllocate(8, 0, false));
  EXPECT_TRUE(crt.Calls().empty());
  void* overflow = OsHeapAllocate(8, 0, false);
  ExpectOnlyCall("malloc", nullptr, 8, 0);
  EXPECT_FALSE(pool->Contains(overflow));
  EXPECT_EQ(pool->FreeSlotCount(), 0u);

  OsHeapFree(pooled.back(), true);  // the host's aligned flag does not send it elsewhere
  pooled.pop_back();
  EXPECT_EQ(crt.Calls().size(), 1u);
  void* again = OsHeapAllocate(5, 0, false);
  EXPECT_TRUE(pool->Contains(again));
  pooled.push_back(again);
  for (void* block : pooled) OsHeapFree(block, false);
  OsHeapFree(overflow, false);
  EXPECT_EQ(pool->FreeSlotCount(), pool->slotCount);
}

TEST_F(OsHeap, ReallocationCopiesTheSlotOutOfAPoolAndTheNewSizeIntoASmallerOne) {
  BuildMemoryBlocks(1, false);
  MemoryBlock* twelve = MemoryBlockTable[3];
  auto* slot = static_cast<unsigned char*>(OsHeapAllocate(12, 0, false));
  ASSERT_TRUE(twelve->Contains(slot));
  for (int i = 0; i < 12; ++i) slot[i] = static_cast<unsigned char>(i + 1);
  slot[12] = 0x55;  // the next slot: no business of this block
  auto* grown = static_cast<unsigned char*>(OsHeapReallocate(slot, 100, 0, false));
  ExpectOnlyCall("malloc", nullptr, 100, 0);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(grown[i], i + 1);
  for (int i = 12; i < 100; ++i) ASSERT_EQ(grown[i], kFreshByte) << "byte " << i << " was copied";
  EXPECT_EQ(twelve->FreeSlotCount(), twelve->slotCount);
  OsHeapFree(grown, false);

  crt.Forget();
  std::memset(twelve->begin, 0x77, twelve->totalSize);
  auto* wide = static_cast<unsigned char*>(OsHeapAllocate(36, 0, false));
  std::memset(wide, 0x11, 36);
  auto* shrunk = static_cast<unsigned char*>(OsHeapReallocate(wide, 10, 0, false));
  ASSERT_TRUE(twelve->Contains(shrunk));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(shrunk[i], 0x11);
  EXPECT_EQ(shrunk[10], 0x77);
  EXPECT_EQ(shrunk[11], 0x77);
  EXPECT_TRUE(crt.Calls().empty());
  OsHeapFree(shrunk, false);
}

TEST_F(OsHeap, AlignedLayoutPoolsServeAlignedModeAndReleaseThroughTheirRange) {
  g_alignMode = 1;
  BuildMemoryBlocks(1, true);
  void* small = OsHeapAllocate(3, 0, false);
  void* wide = OsHeapAllocate(20, 8, true);
  void* notPooled = OsHeapAllocate(33, 0, false);
  EXPECT_TRUE(MemoryBlockTable[4]->Contains(small));
  EXPECT_TRUE(MemoryBlockTable[8]->Contains(wide));
  ExpectOnlyCall("_aligned_malloc", nullptr, 33, 16);
  OsHeapFree(small, false);
  OsHeapFree(wide, false);
  OsHeapFree(notPooled, false);
  EXPECT_EQ(crt.Calls().back().function, "_aligned_free");
  EXPECT_EQ(MemoryBlockTable[4]->FreeSlotCount(), MemoryBlockTable[4]->slotCount);
}

}  // namespace
}  // namespace memory_test
