// The per-platform half of the slot caches: Windows thread-local storage and
// the DLL's thread-detach notification for the plugin, a pthread key for the
// native build.
#include "memory/thread_slot.h"

#ifdef _WIN32
#include <windows.h>

#include "core/thread_exit.h"

unsigned long g_threadSlotIndex = TLS_OUT_OF_INDEXES;

namespace {

void (*exitHandler)(uint32_t value) = nullptr;

void ExitingThread() {
  const uint32_t value = ThreadSlotValue();
  if (value == 0) return;
  TlsSetValue(g_threadSlotIndex, nullptr);
  exitHandler(value);
}

}  // namespace

bool PrepareThreadSlot(void (*onExit)(uint32_t value)) {
  g_threadSlotIndex = TlsAlloc();
  if (g_threadSlotIndex == TLS_OUT_OF_INDEXES) return false;
  exitHandler = onExit;
  // Without the exit notification, caches would keep their slots forever.
  if (AddThreadExitCallback(&ExitingThread)) return true;
  TlsFree(g_threadSlotIndex);
  g_threadSlotIndex = TLS_OUT_OF_INDEXES;
  return false;
}

void SetThreadSlotValue(uint32_t value) { TlsSetValue(g_threadSlotIndex, reinterpret_cast<void*>(uintptr_t{value})); }

uintptr_t WatchCallingThread() {
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, SYNCHRONIZE, FALSE, 0)) {
    return 0;
  }
  return reinterpret_cast<uintptr_t>(self);
}

// Signalled once the thread has ended; an exit code could be mistaken
// for STILL_ACTIVE.
bool WatchedThreadEnded(uintptr_t watch) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(watch), 0) == WAIT_OBJECT_0;
}

void ForgetWatchedThread(uintptr_t watch) { CloseHandle(reinterpret_cast<HANDLE>(watch)); }

void* ReserveThreadRecords(uint32_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void ReleaseThreadRecords(void* records, uint32_t) { VirtualFree(records, 0, MEM_RELEASE); }

#else
#include <pthread.h>
#include <sys/mman.h>

thread_local constinit uint32_t g_threadSlotValue = 0;

namespace {

pthread_key_t g_exitKey;
void (*exitHandler)(uint32_t value) = nullptr;

// A key's destructor runs only for a thread that stored a non-null value in
// it: storing marks the thread as one to be told of its exit.
void ExitingThread(void*) {
  const uint32_t value = g_threadSlotValue;
  g_threadSlotValue = 0;
  exitHandler(value);
}

}  // namespace

bool PrepareThreadSlot(void (*onExit)(uint32_t value)) {
  exitHandler = onExit;
  return pthread_key_create(&g_exitKey, &ExitingThread) == 0;
}

void SetThreadSlotValue(uint32_t value) {
  g_threadSlotValue = value;
  pthread_setspecific(g_exitKey, value == 0 ? nullptr : &g_threadSlotValue);
}

uintptr_t WatchCallingThread() { return 0; }
bool WatchedThreadEnded(uintptr_t) { return false; }
void ForgetWatchedThread(uintptr_t) {}

void* ReserveThreadRecords(uint32_t bytes) {
  void* records = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return records == MAP_FAILED ? nullptr : records;
}

void ReleaseThreadRecords(void* records, uint32_t bytes) { munmap(records, bytes); }

#endif
