// Shared set-up for the plugin frame's tests: a game folder per test, and
// fresh copies of the built DLL, each with its own module state.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "sim/loader.h"

namespace frame_test {

// The built Orrisbane.dll, copied to a fresh name inside folder.
std::string FreshDllCopy(const std::string& folder);

struct LoadedCopy {
  std::string folder;
  sim::LoadOutcome outcome;
};

// A game folder with the ini, host image reset, one fresh copy loaded.
LoadedCopy LoadFreshCopy(const std::string& ini, bool late, sim::AfterMapping afterMapping = {});

std::string DistIniPath();

}  // namespace frame_test
