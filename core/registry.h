// A fixed-capacity list of entries added at load and read from any thread,
// the crash filter included: no heap, no lock for readers. Adders take a
// short spin flag, because a late registration may race an exiting thread;
// an entry is complete before the count that lets readers see it.
#pragma once
#include <atomic>
#include <span>

template <typename Entry, int kCapacity>
class Registry {
 public:
  // False when the registry is full: the entry is not added, and the caller
  // must fail whatever depended on it.
  [[nodiscard]] bool Add(const Entry& entry) {
    while (adding_.exchange(true, std::memory_order_acquire)) {
    }
    const int count = count_.load(std::memory_order_relaxed);
    const bool added = count < kCapacity;
    if (added) {
      entries_[count] = entry;
      count_.store(count + 1, std::memory_order_release);
    }
    adding_.store(false, std::memory_order_release);
    return added;
  }

  // As Add, but an entry already present is not added again (and is no
  // failure). For entries that one thread adds, as the frame callbacks are.
  [[nodiscard]] bool AddOnce(const Entry& entry) {
    for (const Entry& present : Entries()) {
      if (present == entry) return true;
    }
    return Add(entry);
  }

  // Every entry added so far, in the order they were added.
  std::span<const Entry> Entries() const {
    return {entries_, static_cast<size_t>(count_.load(std::memory_order_acquire))};
  }

 private:
  Entry entries_[kCapacity] = {};
  std::atomic<int> count_{0};
  std::atomic<bool> adding_{false};
};
