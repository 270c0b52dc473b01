// The five hooks of the heap replacement, entered at their host sites with
// the host's registers and stack: which stack slots they read, what they
// leave in EAX and how much stack they remove.
#include <cstdio>
#include <cstring>
#include <string>

#include "memory/array_allocator_sites.h"
#include "memory/heap_sites.h"
#include "sim/child.h"
#include "sim/loader.h"
#include "plugin/apply.h"
#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

class OsAllocatorHooks : public MemoryTest {
 protected:
  void SetUp() override {
    MemoryTest::SetUp();
    EXPECT_TRUE(ApplyUseOSAllocators().Applied());
    g_alignMode = 0;
  }

  // Enters a heap routine on the host's heap as the host calls it; it must
  // come back to the caller with EAX the block its one runtime call handed
  // out, if it handed one out. The call is returned.
  CrtCall Run(uint32_t site, std::initializer_list<uint32_t> stack, int32_t espDelta) {
    crt.Forget();
    const R in = With(kDistinct, {{&R::ecx, host::kHostHeap}});
    const sim::Landing out = sim::RunHost(site, in, stack);
    const CrtCall call = OnlyCall();
    ExpectReturned(out, in, call.result ? std::optional(AddressOf(call.result)) : std::nullopt, espDelta);
    return call;
  }
};

TEST_F(OsAllocatorHooks, EachRoutineReadsItsStackSlotsAndTheFlagsLowByte) {
  const CrtCall aligned = Run(host::kHeapAllocate.site, {sim::kReturnProbe, 40, 32, 0xFFFFFF01}, 16);
  ExpectCall(aligned, "_aligned_malloc", nullptr, 40, 32);
  const CrtCall plain = Run(host::kHeapAllocate.site, {sim::kReturnProbe, 41, 32, 0x100}, 16);
  ExpectCall(plain, "malloc", nullptr, 41, 0);

  ExpectCall(Run(host::kHeapFreeEntry.site, {sim::kReturnProbe, AddressOf(aligned.result), 0xABCDEF01}, 12),
             "_aligned_free", aligned.result, 0, 0);
  ExpectCall(Run(host::kHeapFreeEntry.site, {sim::kReturnProbe, AddressOf(plain.result), 0x00000100}, 12), "free",
             plain.result, 0, 0);

  void* block = OsHeapAllocate(30, 16, true);
  const CrtCall grown = Run(host::kHeapReallocate.site, {sim::kReturnProbe, AddressOf(block), 90, 16, 0x201}, 20);
  ExpectCall(grown, "_aligned_realloc", block, 90, 16);
  OsHeapFree(grown.result, true);
  EXPECT_EQ(sim::HostHeap().allocations, 0u);
  EXPECT_EQ(sim::HostHeap().frees, 0u);
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
  const R in = With(kDistinct, {{&R::ecx, AddressOf(object)}});
  const sim::Landing out = sim::RunHost(host::kClearFields.site, in, {sim::kReturnProbe});
  sim::WatchFieldsObject(nullptr);
  // kFieldsRoutine changes every register and the flags; they must not reach here.
  ExpectReturned(out, in, std::nullopt, 4);

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
  hook_check::ExpectHook(host::kHeapNoOp.site, kDistinct, {sim::kReturnProbe, 0x1234},
                         {sim::kReturnProbe, kDistinct, 4, true});
  EXPECT_EQ(sim::HostHeap().noOpRuns, 0u);
}

// The host's two ways of freeing a block, entered as the host calls them:
// its caller's return address on top, then the pointer (and the heap's flag).
const uint32_t kFreeRoutines[] = {host::kHeapFreeEntry.site, host::kArrayRelease.site};

// args: the game folder, the index of the free routine. Frees one pooled
// block three times and prints the two blocks the next two requests get.
SIM_SCENARIO(double_free) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=1\n");
  ApplyUseOSAllocators();
  ApplyOverwriteArrayAllocator();
  BuildMemoryBlocks(1, false);
  void* block = OsHeapAllocate(16, 16, true);
  for (int i = 0; i < 3; ++i) {
    sim::RunHost(kFreeRoutines[std::stoi(args.at(1))], With(kDistinct, {{&R::ecx, host::kHostHeap}}),
                 {sim::kReturnProbe, AddressOf(block), 1});
  }
  std::printf("%08X %08X %08X\n", AddressOf(block), AddressOf(OsHeapAllocate(16, 16, true)),
              AddressOf(OsHeapAllocate(16, 16, true)));
  return 0;
}

TEST(PooledDoubleFree, IsLoggedOnceWithTheBlockAndTheHostCallerAndTheBlockGoesToOneOwner) {
  for (int routine : {0, 1}) {
    SCOPED_TRACE(routine == 0 ? "heap" : "array allocator");
    const std::string folder = sim::TempFolder("double-free");
    const sim::ChildResult child = sim::RunScenarioInChild("double_free", "\"" + folder + "\" " + std::to_string(routine));
    unsigned block = 0, first = 0, second = 0;
    ASSERT_EQ(std::sscanf(child.output.c_str(), "%X %X %X", &block, &first, &second), 3) << child.output;
    EXPECT_NE(first, second) << "one block went to two owners";
    EXPECT_TRUE(first == block || second == block) << "the block was not given back at all";
    std::string line(400, '\0');
    line.resize(std::snprintf(line.data(), line.size(),
                              "A pooled block was freed twice: block 0x%08X (a 16-byte slot), freed again by the call "
                              "returning to 0x%08X. The second free was ignored; any later double free is ignored "
                              "without a log line.",
                              block, sim::kReturnProbe));
    const std::string log = sim::ReadFile(folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
    const size_t at = log.find(line);
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find("freed twice", at + line.size()), std::string::npos) << "logged more than once:\n" << log;
  }
}

}  // namespace
}  // namespace memory_test
