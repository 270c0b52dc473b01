// The C runtime heap in place of the host's own, with the small-block pools
// in front of it when they exist. The array allocator's replacement calls
// these too.
#pragma once
#include <cstddef>
#include <cstdint>

// Set once before any hook exists. Non-zero: every request is aligned to at
// least 16. Positive: the pools use the 16/32-only layout as well.
extern int32_t g_alignMode;

// These never return null: after the last attempt they explain the failure
// to the user and end the process.
void* OsHeapAllocate(uint32_t size, int32_t alignment, bool aligned);
void OsHeapFree(void* pointer, bool aligned);
// OsHeapFree for the hooks: caller is the host's return address, which the
// log line of the first double free of a pooled block names.
void OsHeapFreeFor(void* pointer, bool aligned, const void* caller);
void* OsHeapReallocate(void* pointer, uint32_t size, int32_t alignment, bool aligned);

// The C runtime heap functions the replacement goes through: two families,
// and a block must be released by the family that allocated it. Tests swap
// in recorders that check exactly that.
struct CrtHeapFunctions {
  void* (*allocate)(size_t size);
  void (*release)(void* pointer);
  void* (*reallocate)(void* pointer, size_t size);
  void* (*alignedAllocate)(size_t size, size_t alignment);
  void (*alignedRelease)(void* pointer);
  void* (*alignedReallocate)(void* pointer, size_t size, size_t alignment);
};
extern CrtHeapFunctions g_crtHeap;
extern const CrtHeapFunctions kRuntimeCrtHeap;

// What an aligned request with no positive alignment of its own gets: the
// alignment plain malloc would have given it.
constexpr int32_t kNaturalAlignment = 8;
