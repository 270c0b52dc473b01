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
  g_mismatches.push_back(std::string(function) + (live == g_live.end() ? " of an unknown pointer" : " of a block of the other family"));
  return false;
}

void* RecordedMalloc(size_t size) {
  std::lock_guard<std::mutex> lock(g_lock);
  void* block = ShouldFail() ? nullptr : Remember(kRuntimeCrtHeap.allocate(size), Family::kPlain, size);
  g_calls.push_back({"malloc", nullptr, size, 0, block});
  return block;
}

void* RecordedAlignedMalloc(size_t size, size_t alignment) {
  std::lock_guard<std::mutex> lock(g_lock);
  void* block = ShouldFail() ? nullptr
                             : Remember(kRuntimeCrtHeap.alignedAllocate(size, alignment), Family::kAligned, size);
  g_calls.push_back({"_aligned_malloc", nullptr, size, alignment, block});
  return block;
}

void RecordedFree(void* p) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_calls.push_back({"free", p, 0, 0, nullptr});
  if (!Owns(p, Family::kPlain, "free")) return;
  g_live.erase(p);
  kRuntimeCrtHeap.release(p);
}

void RecordedAlignedFree(void* p) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_calls.push_back({"_aligned_free", p, 0, 0, nullptr});
  if (!Owns(p, Family::kAligned, "_aligned_free")) return;
  g_live.erase(p);
  kRuntimeCrtHeap.alignedRelease(p);
}

void* Reallocated(void* p, void* block, Family family, size_t size) {
  if (block == nullptr) return nullptr;
  const size_t oldSize = p ? g_live[p].second : 0;
  if (p != nullptr) g_live.erase(p);
  g_live[block] = {family, size};
  if (size > oldSize) std::memset(static_cast<char*>(block) + oldSize, kFreshByte, size - oldSize);
  return block;
}

void* RecordedRealloc(void* p, size_t size) {
  std::lock_guard<std::mutex> lock(g_lock);
  void* block = Owns(p, Family::kPlain, "realloc")
                    ? Reallocated(p, kRuntimeCrtHeap.reallocate(p, size), Family::kPlain, size)
                    : p;  // left alone; the mismatch fails the test
  g_calls.push_back({"realloc", p, size, 0, block});
  return block;
}

void* RecordedAlignedRealloc(void* p, size_t size, size_t alignment) {
  std::lock_guard<std::mutex> lock(g_lock);
  void* block = Owns(p, Family::kAligned, "_aligned_realloc")
                    ? Reallocated(p, kRuntimeCrtHeap.alignedReallocate(p, size, alignment), Family::kAligned, size)
                    : p;
  g_calls.push_back({"_aligned_realloc", p, size, alignment, block});
  return block;
}

}  // namespace

CrtRecorder::CrtRecorder() {
  CrtHeap = CrtHeapFunctions{&RecordedMalloc,      &RecordedFree,        &RecordedRealloc,
                             &RecordedAlignedMalloc, &RecordedAlignedFree, &RecordedAlignedRealloc};
}

CrtRecorder::~CrtRecorder() {
  CrtHeap = kRuntimeCrtHeap;
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
