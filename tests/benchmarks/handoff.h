// Blocks on their way from one producer thread to one consumer thread, for
// the benchmarks' producer/consumer pattern: a ring of fixed size that
// waits, yielding, while it is full or empty. The longer it is, the less a
// machine shared with other work makes the two threads wait on each other.
#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

template <uint32_t kSize>
class Handoff {
 public:
  void Push(void* block) {
    const uint32_t head = head_.load(std::memory_order_relaxed);
    while (head - tail_.load(std::memory_order_acquire) == kSize) std::this_thread::yield();
    blocks_[head % kSize] = block;
    head_.store(head + 1, std::memory_order_release);
  }
  void* Pop() {
    const uint32_t tail = tail_.load(std::memory_order_relaxed);
    while (head_.load(std::memory_order_acquire) == tail) std::this_thread::yield();
    void* block = blocks_[tail % kSize];
    tail_.store(tail + 1, std::memory_order_release);
    return block;
  }

 private:
  alignas(64) std::atomic<uint32_t> head_{0};
  alignas(64) std::atomic<uint32_t> tail_{0};
  alignas(64) void* blocks_[kSize];
};
