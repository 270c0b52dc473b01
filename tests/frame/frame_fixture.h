// Shared set-up for the plugin frame's tests: a game folder per test, fresh
// copies of the built DLL, each with its own module state, and what the
// plugin showed or logged there.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/child.h"
#include "sim/loader.h"

namespace frame_test {

// The built Orrisbane.dll, copied to a fresh name inside folder.
std::string FreshDllCopy(const std::string& folder);

struct LoadedCopy {
  std::string folder;
  sim::LoadOutcome outcome;
};

// A game folder with the ini, host image reset, one fresh copy loaded.
LoadedCopy LoadFreshCopy(const std::string& ini, bool late, sim::AfterMapping afterMapping = nullptr);

std::string DistIniPath();
std::string LogFileIn(const std::string& folder);

std::vector<sim::JournalEntry> MessageBoxesOf(const sim::ChildResult& run);

// Exactly these texts were shown, in order, each as the plugin shows every
// message: its caption and an error box above the game.
void ExpectPluginMessages(const std::vector<sim::JournalEntry>& boxes, const std::vector<std::string>& texts);

}  // namespace frame_test
