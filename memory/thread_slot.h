// One small number per thread, kept where the operating system keeps
// thread-local values, and told back when its thread exits. The slot caches
// use it to find the calling thread's caches. Nothing here allocates from
// the heap: on Windows the heap may be the one this plugin replaces.
#pragma once
#include <cstdint>

// Makes the slot, once, before any value is read or stored; onExit then
// runs on each exiting thread whose value is not zero, with that value.
// False when the operating system has no slot left.
bool PrepareThreadSlot(void (*onExit)(uint32_t value));

// The calling thread's value; zero until the thread stores one. Read on
// every take and give, so it is inline.
inline uint32_t ThreadSlotValue();
void SetThreadSlotValue(uint32_t value);

// A handle on the calling thread by which another thread can tell, later,
// that it has ended: a Windows thread ended by TerminateThread never gets
// its exit notification. Zero when none could be had, and natively, where
// every exiting thread gets it.
uintptr_t WatchCallingThread();
// True once the watched thread has ended. Only valid before the watch is
// forgotten, which closes its handle.
bool WatchedThreadEnded(uintptr_t watch);
void ForgetWatchedThread(uintptr_t watch);

// Pages for per-thread records, zeroed, from the operating system rather
// than any heap; null when they could not be had.
void* ReserveThreadRecords(uint32_t bytes);
void ReleaseThreadRecords(void* records, uint32_t bytes);

#ifdef _WIN32
// TlsAlloc's index, once the slot is prepared.
extern unsigned long g_threadSlotIndex;

inline uint32_t ThreadBlockWord(uint32_t offset) {
  uint32_t word;
  asm volatile("{movl %%fs:(%1), %0|mov %0, dword ptr fs:[%1]}" : "=r"(word) : "r"(offset));
  return word;
}

// Reads what TlsGetValue would from the thread's own block, without its
// clearing of the thread's last error, which the host may be about to read.
inline uint32_t ThreadSlotValue() {
  constexpr uint32_t kDirectSlotsAt = 0xE10;     // TEB.TlsSlots: the first 64 values
  constexpr uint32_t kExpansionSlotsAt = 0xF94;  // TEB.TlsExpansionSlots: a pointer to the rest
  constexpr unsigned long kDirectSlots = 64;
  if (g_threadSlotIndex < kDirectSlots) return ThreadBlockWord(kDirectSlotsAt + g_threadSlotIndex * sizeof(void*));
  const auto expansion = reinterpret_cast<const uint32_t*>(ThreadBlockWord(kExpansionSlotsAt));
  return expansion == nullptr ? 0 : expansion[g_threadSlotIndex - kDirectSlots];
}
#else
// constinit: read straight from the thread's storage, with no call to a
// first-use initialiser.
extern thread_local constinit uint32_t g_threadSlotValue;

inline uint32_t ThreadSlotValue() { return g_threadSlotValue; }
#endif
