// A request the C runtime cannot serve: three attempts, the explanation, and
// an end of the process that is not reported as a crash. Each case runs in a
// child process, since the process really ends. A request it can serve, only
// not in place, must not end that way.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>

#include "core/known_crash.h"
#include "memory/array_allocator_sites.h"
#include "plugin/apply.h"
#include "sim/child.h"
#include "sim/loader.h"
#include "tests/memory/memory_fixture.h"

namespace memory_test {
namespace {

// Forwards to the runtime, announcing each attempt on stderr.
void* CountedMalloc(size_t size) {
  std::fprintf(stderr, "attempt malloc %u\n", unsigned(size));
  return kRuntimeCrtHeap.allocate(size);
}
void* CountedAlignedMalloc(size_t size, size_t alignment) {
  std::fprintf(stderr, "attempt _aligned_malloc %u %u\n", unsigned(size), unsigned(alignment));
  return kRuntimeCrtHeap.alignedAllocate(size, alignment);
}
void* CountedRealloc(void* p, size_t size) {
  std::fprintf(stderr, "attempt realloc %u\n", unsigned(size));
  return kRuntimeCrtHeap.reallocate(p, size);
}
void* CountedAlignedRealloc(void* p, size_t size, size_t alignment) {
  std::fprintf(stderr, "attempt _aligned_realloc %u %u\n", unsigned(size), unsigned(alignment));
  return kRuntimeCrtHeap.alignedReallocate(p, size, alignment);
}

constexpr uint32_t kImpossible = 0x7FFFFFF0;  // more than a 32-bit process can ever hold
constexpr uint32_t kWrapping = 0xFFFFFFF0;    // wraps round 32 bits once alignment and bookkeeping are added

const std::map<std::string, std::function<void*()>> kRequests = {
    {"allocate", [] { return OsHeapAllocate(kImpossible, 8, false); }},
    {"reallocate", [] { return OsHeapReallocate(OsHeapAllocate(16, 0, false), kImpossible, 0, false); }},
    {"wrapping-aligned", [] { return OsHeapAllocate(kWrapping, 16, true); }},
    {"wrapping-plain", [] { return OsHeapAllocate(kWrapping, 0, false); }},
    {"wrapping-reallocate", [] { return OsHeapReallocate(OsHeapAllocate(16, 16, true), kWrapping, 16, true); }},
    {"wrapping-array",
     [] {
       EXPECT_TRUE(ApplyOverwriteArrayAllocator().Applied());
       return Pointer(sim::RunHost(host::kArrayAllocate.site, {}, {sim::kReturnProbe, kWrapping, 0}).regs.eax);
     }},
};

// args: the game folder, the AlignHeapAllocate mode, then one of kRequests.
SIM_SCENARIO(allocation_failure) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=1\nRecordCrashInfo=1\n");
  EXPECT_TRUE(ApplyRecordCrashInfo().Applied());
  g_alignMode = std::atoi(args.at(1).c_str());
  g_crtHeap = CrtHeapFunctions{&CountedMalloc,        kRuntimeCrtHeap.release,        &CountedRealloc,
                             &CountedAlignedMalloc, kRuntimeCrtHeap.alignedRelease, &CountedAlignedRealloc};
  void* block = kRequests.at(args.at(2))();
  std::fprintf(stderr, "returned %p\n", block);
  return 0;
}

struct FailureOutcome {
  sim::ChildResult child;
  std::string folder;
  int attempts = 0;
};

FailureOutcome Fail(const std::string& name, const char* mode, const char* call) {
  FailureOutcome outcome;
  outcome.folder = sim::TempFolder(name);
  outcome.child = sim::RunScenarioInChild("allocation_failure",
                                          "\"" + outcome.folder + "\" " + mode + " " + call);
  for (size_t at = 0; (at = outcome.child.output.find("attempt", at)) != std::string::npos; ++at) ++outcome.attempts;
  return outcome;
}

std::string ExpectedText(const char* sizeAndAlignment) {
  return std::string("Vellmoor has failed to allocate memory! Possibly running out of memory. Size / alignment of "
                     "object being allocated was ") +
         sizeAndAlignment +
         ". Some things you can try:\r\n1. Make sure ReduceSystemMemoryUsage=true is set in enblocal.ini - if "
         "you don't have ENB then install ENBoost and enable this option.\r\n2. Try set AlignHeapAllocate=0 in "
         "Orrisbane.ini - if you get additional crashes then put back to 1.\r\n3. If it's during ShowRaceMenu "
         "then close the menu from time to time to free memory.\r\n4. Enable CustomMemoryBlock in Orrisbane.ini "
         "to reduce memory fragmentation.\r\n5. If it's during ShowRaceMenu then disable UseOSAllocators=1 and "
         "re-enable after character creation is completed.";
}

void ExpectKnownCrashEnd(const FailureOutcome& outcome, const char* sizeAndAlignment) {
  EXPECT_EQ(outcome.child.exitCode, kKnownCrashExitCode) << outcome.child.output;
  EXPECT_EQ(outcome.child.output.find("returned"), std::string::npos) << "the routine must not return";
  std::vector<sim::JournalEntry> boxes;
  std::copy_if(outcome.child.journal.begin(), outcome.child.journal.end(), std::back_inserter(boxes),
               [](const sim::JournalEntry& entry) { return entry.kind == sim::JournalEntry::kMessageBox; });
  ASSERT_EQ(boxes.size(), 1u) << outcome.child.output;
  EXPECT_EQ(boxes[0].text, ExpectedText(sizeAndAlignment));
  EXPECT_EQ(boxes[0].caption, "Message from Orrisbane");
  const std::string log = sim::ReadFile(outcome.folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  EXPECT_NE(log.find(sizeAndAlignment), std::string::npos) << log;
  WIN32_FIND_DATAA found;
  const std::string reports = outcome.folder + "\\Data\\QORV\\Plugins\\CrashLog\\*.txt";
  const HANDLE search = FindFirstFileA(reports.c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a crash report was written: " << found.cFileName;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// Three attempts at an allocation, one at a reallocation (after the one
// allocation that made its block); the message shows the alignment the
// runtime was asked for. A request that wraps round 32 bits once alignment
// and bookkeeping are added fails the same way.
TEST(AllocationFailure, ImpossibleAndWrappingRequestsEndAfterTheirAttempts) {
  const struct {
    const char *mode, *request;
    int attempts;
    const char *lastAttempt, *sizeAndAlignment;
  } cases[] = {
      {"0", "allocate", 3, "attempt malloc 2147483632\n", "2147483632 / 0"},
      {"1", "allocate", 3, "attempt _aligned_malloc 2147483632 16\n", "2147483632 / 16"},
      {"0", "reallocate", 2, "attempt realloc 2147483632\n", "2147483632 / 0"},
      {"0", "wrapping-aligned", 3, "attempt _aligned_malloc 4294967280 16\n", "-16 / 16"},
      {"1", "wrapping-plain", 3, "attempt _aligned_malloc 4294967280 16\n", "-16 / 16"},
      {"0", "wrapping-reallocate", 2, "attempt _aligned_realloc 4294967280 16\n", "-16 / 16"},
      {"0", "wrapping-array", 3, "attempt _aligned_malloc 4294967280 16\n", "-16 / 16"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.request << " in mode " << c.mode);
    const FailureOutcome outcome = Fail(std::string("allocfail_") + c.request + c.mode, c.mode, c.request);
    EXPECT_EQ(outcome.attempts, c.attempts) << outcome.child.output;
    EXPECT_NE(outcome.child.output.find(c.lastAttempt), std::string::npos) << outcome.child.output;
    ExpectKnownCrashEnd(outcome, c.sizeAndAlignment);
  }
}

using AlignedRuntime = MemoryTest;

TEST_F(AlignedRuntime, AlignmentChangesMoveTheBlock) {
  const struct {
    int32_t mode, alignment;
    bool aligned;
    uint32_t newAlignment, size, newSize;
  } moves[] = {{0, 8, true, 16, 100, 200}, {0, 0, true, 16, 200, 100}, {1, 16, false, 32, 300, 50}};
  for (const auto& move : moves) {
    SCOPED_TRACE(move.newAlignment);
    g_alignMode = move.mode;
    // The runtime refuses to reallocate in place a block whose address the
    // new alignment does not fit; the blocks passed over stay live meanwhile.
    std::vector<void*> blocks;
    do {
      blocks.push_back(OsHeapAllocate(move.size, move.alignment, move.aligned));
    } while (AddressOf(blocks.back()) % move.newAlignment == 0 && blocks.size() < 64);
    auto* old = static_cast<uint8_t*>(blocks.back());
    ASSERT_NE(AddressOf(old) % move.newAlignment, 0u);
    for (uint32_t i = 0; i < move.size; ++i) old[i] = uint8_t(i * 7 + 1);
    auto* moved = static_cast<uint8_t*>(OsHeapReallocate(old, move.newSize, move.newAlignment, move.aligned));
    EXPECT_EQ(AddressOf(moved) % move.newAlignment, 0u);
    for (uint32_t i = 0; i < std::min(move.size, move.newSize); ++i) ASSERT_EQ(moved[i], uint8_t(i * 7 + 1)) << i;
    blocks.back() = moved;
    for (void* block : blocks) OsHeapFree(block, move.aligned);
    EXPECT_EQ(crt.LiveBlocks(), 0u) << "the old block must be released";
  }
}

}  // namespace
}  // namespace memory_test
