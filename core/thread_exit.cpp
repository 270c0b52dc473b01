#include "core/thread_exit.h"

#include <atomic>

namespace {
constexpr int kMostCallbacks = 4;
void (*callbacks[kMostCallbacks])() = {};
std::atomic<int> callbackCount{0};
std::atomic<bool> adding{false};
}  // namespace

bool AddThreadExitCallback(void (*callback)()) {
  // Registration is rare and may race with exiting threads: an adder
  // publishes its entry before the count that lets runners see it.
  while (adding.exchange(true, std::memory_order_acquire)) {
  }
  const int count = callbackCount.load(std::memory_order_relaxed);
  const bool added = count < kMostCallbacks;
  if (added) {
    callbacks[count] = callback;
    callbackCount.store(count + 1, std::memory_order_release);
  }
  adding.store(false, std::memory_order_release);
  return added;
}

void RunThreadExitCallbacks() {
  const int count = callbackCount.load(std::memory_order_acquire);
  for (int i = 0; i < count; ++i) callbacks[i]();
}
