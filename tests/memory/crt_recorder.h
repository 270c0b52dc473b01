// Stands between the heap replacement and the C runtime: forwards every call,
// remembers which family allocated each live block, and flags a release or
// reallocation through the other family (which would corrupt the heap) instead
// of passing it on.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "memory/os_allocator.h"

namespace memory_test {

struct CrtCall {
  std::string function;  // "malloc", "_aligned_malloc", "free", ...
  void* pointer = nullptr;
  size_t size = 0;
  size_t alignment = 0;
  void* result = nullptr;
};

class CrtRecorder {
 public:
  CrtRecorder();   // installs itself in place of the runtime
  ~CrtRecorder();  // puts the runtime back

  const std::vector<CrtCall>& Calls() const;
  // Releases and reallocations that went to the other family, or to a
  // pointer no family handed out.
  const std::vector<std::string>& Mismatches() const;
  void Forget();   // clears the calls (the live blocks stay known)
  // The next `count` allocations answer null without reaching the runtime.
  void FailAllocations(int count);
  size_t LiveBlocks() const;
};

// Fresh blocks from the recorder are filled with this byte, so a test can see
// what a copy did not write.
constexpr unsigned char kFreshByte = 0xEE;

}  // namespace memory_test
