#include "tests/memory/crt_recorder.h"

#include <cstring>
#include <map>
#include <mutex>

namespace memory_test {
namespace {

enum class Family { kPlain, kAligned };

std::mutex g_lock;
std::vector<CrtCall> g_calls;
std::vector<std::string> g_mismatches;
std::map<void*, std::pair<Family, size_t>> g_live;
int g_failures = 0;

bool ShouldFail() {
  if (g_failures == 0) return false;
  --g_failures;
  return true;
}

void* Remember(void* block, Family family, size_t size) {
  if (block != nullptr) {
    std::memset(block, kFreshByte, size);
    g_live[block] = {family, size};
  }
  return block;
}

// True when p may go to this family: null, or a live block of it.
bool Owns(void* p, Family family, const char* function) {
  if (p == nullptr) return true;
  auto live = g_live.find(p);
  if (live != g_live.end() && live->second.first == family) return true;
  g_mismatches.push_back(std::string(function) +
                         (live == g_live.end() ? " of an unknown pointer" : " of a block of the other family"));
  return false;
}

template <typename Allocate>
void* RecordAllocation(const char* function, Family family, size_t size, size_t alignment, Allocate allocate) {
  std::lock_guard<std::mutex> lock(g_lock);
  void* block = ShouldFail() ? nullptr : Remember(allocate(), family, size);
  g_calls.push_back({function, nullptr, size, alignment, block});
  return block;
}

template <typename Release>
void RecordRelease(const char* function, Family family, void* p, Release release) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_calls.push_back({function, p, 0, 0, nullptr});
  if (!Owns(p, family, function)) return;
  g_live.erase(p);
  release();
}

// A pointer of the other family is left alone; the mismatch fails the test.
template <typename Reallocate>
void* RecordReallocation(const char* function, Family family, void* p, size_t size, size_t alignment,
                         Reallocate reallocate) {
  std::lock_guard<std::mutex> lock(g_lock);
  void* block = p;
  if (Owns(p, family, function)) {
    const size_t oldSize = p ? g_live[p].second : 0;
    block = reallocate();
    if (block != nullptr) {
      if (p != nullptr) g_live.erase(p);
      g_live[block] = {family, size};
      if (size > oldSize) std::memset(static_cast<char*>(block) + oldSize, kFreshByte, size - oldSize);
    }
  }
  g_calls.push_back({function, p, size, alignment, block});
  return block;
}

void* RecordedMalloc(size_t size) {
  return RecordAllocation("malloc", Family::kPlain, size, 0, [=] { return kRuntimeCrtHeap.allocate(size); });
}
void* RecordedAlignedMalloc(size_t size, size_t alignment) {
  return RecordAllocation("_aligned_malloc", Family::kAligned, size, alignment,
                          [=] { return kRuntimeCrtHeap.alignedAllocate(size, alignment); });
}
void RecordedFree(void* p) {
  RecordRelease("free", Family::kPlain, p, [=] { kRuntimeCrtHeap.release(p); });
}
void RecordedAlignedFree(void* p) {
  RecordRelease("_aligned_free", Family::kAligned, p, [=] { kRuntimeCrtHeap.alignedRelease(p); });
}
void* RecordedRealloc(void* p, size_t size) {
  return RecordReallocation("realloc", Family::kPlain, p, size, 0, [=] { return kRuntimeCrtHeap.reallocate(p, size); });
}
void* RecordedAlignedRealloc(void* p, size_t size, size_t alignment) {
  return RecordReallocation("_aligned_realloc", Family::kAligned, p, size, alignment,
                            [=] { return kRuntimeCrtHeap.alignedReallocate(p, size, alignment); });
}

}  // namespace

CrtRecorder::CrtRecorder() {
  g_crtHeap = CrtHeapFunctions{&RecordedMalloc,      &RecordedFree,        &RecordedRealloc,
                             &RecordedAlignedMalloc, &RecordedAlignedFree, &RecordedAlignedRealloc};
}

CrtRecorder::~CrtRecorder() {
  g_crtHeap = kRuntimeCrtHeap;
  std::lock_guard<std::mutex> lock(g_lock);
  g_calls.clear();
  g_mismatches.clear();
  g_failures = 0;
}

const std::vector<CrtCall>& CrtRecorder::Calls() const { return g_calls; }
const std::vector<std::string>& CrtRecorder::Mismatches() const { return g_mismatches; }

void CrtRecorder::Forget() {
  std::lock_guard<std::mutex> lock(g_lock);
  g_calls.clear();
}

void CrtRecorder::FailAllocations(int count) { g_failures = count; }

size_t CrtRecorder::LiveBlocks() const {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_live.size();
}

}  // namespace memory_test
