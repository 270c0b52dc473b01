// Running single effect-list hooks: every hook is entered on its own from
// its site and lands at its resume, at the return probe, or at kEffectListIExitTarget.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "fixes/effect_list.h"
#include "fixes/effect_list_sites.h"
#include "sim/host_effect_list.h"
#include "sim/host_memory.h"
#include "sim/runner.h"

namespace effect_list_test {

class Fixture : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    ASSERT_TRUE(ApplyFixUnsafeEffectList().Applied());
  }
};

inline sim::Landing RunHook(int hook, const sim::Registers& in, std::initializer_list<uint32_t> stack = {}) {
  return sim::RunHost(sim::kEffectListHooks[hook - 1].site, in, stack);
}

inline uint32_t ResumeOf(int hook) { return sim::kEffectListHooks[hook - 1].resume; }

// The lock of a key, held depth times by owner, or free (0, 0).
inline void ExpectLock(uint32_t key, uint32_t owner, int32_t depth) {
  RecursiveSpinLock* lock = FindEffectListLock(key);
  ASSERT_NE(lock, nullptr) << "key " << key;
  EXPECT_EQ(lock->owner.load(), owner) << "key " << key;
  EXPECT_EQ(lock->count, depth) << "key " << key;
}
// As a thread inside a routine should see it.
inline void ExpectHeldHere(uint32_t key, int32_t depth) { ExpectLock(key, GetCurrentThreadId(), depth); }
inline void ExpectFree(uint32_t key) { ExpectLock(key, 0, 0); }

}  // namespace effect_list_test
