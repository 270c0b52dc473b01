// Makes nine host routines that walk an effect list run one thread at a time
// per list: each routine's entry takes a recursive spin lock of the object's
// key and each of its exits gives it back.
#pragma once
#include <atomic>
#include <cstdint>

struct RecursiveSpinLock {
  std::atomic<uint32_t> owner{0};  // thread id of the holder, 0 when free
  int32_t count = 0;               // touched only by the holder
};
static_assert(sizeof(RecursiveSpinLock) == 8);

void LockSpin(RecursiveSpinLock* lock);
void UnlockSpin(RecursiveSpinLock* lock);

// The lock of a key, created on first use; null only when it cannot be
// allocated.
RecursiveSpinLock* GetEffectListLock(uint32_t key);
// The lock of a key if it has one, without creating it.
RecursiveSpinLock* FindEffectListLock(uint32_t key);

// Called from the hooks with the routine's object; objects that are not
// effect-list owners pass through untouched.
extern "C" void __cdecl LockEffectList(uint32_t object);
extern "C" void __cdecl UnlockEffectList(uint32_t object);

// How a waiting thread gives up its time slice; replaceable so that the wait
// can be observed. Returns the function it replaced.
using SpinSleepFunction = void (*)(uint32_t milliseconds);
SpinSleepFunction SetSpinSleep(SpinSleepFunction sleep);
