// Shared by the string-count tests: a fresh host image with the option
// applied, and the registers the hooks are entered with.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "fixes/string_count_sites.h"
#include "sim/host_memory.h"
#include "sim/runner.h"
#include "tests/hook_check.h"

namespace string_count_test {

using namespace host;
using namespace hook_check;
using Field = uint32_t R::*;
using sim::AddressOf;

// The hooks' compares set CF and ZF; entering with both clear shows that a
// compare ran.
inline const R kIn = With(kDistinct, {{&R::eflags, 0}});

inline bool Flag(const sim::Landing& landing, uint32_t flag) { return (landing.regs.eflags & flag) != 0; }

class StringCountTest : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    ASSERT_TRUE(ApplyStringCount32().Applied());
  }
};

}  // namespace string_count_test
