// Scenarios that end the process (warnings, crashes) run in a child process;
// the parent reads what the child showed, the files it wrote and its exit
// code. A test program starts itself with --scenario=NAME.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/journal.h"

namespace sim {

struct ChildResult {
  uint32_t exitCode = 0;
  std::vector<JournalEntry> journal;
  std::string output;   // what the child wrote to stdout and stderr
};

// Runs a program and waits for it; its output is kept, line ends as LF.
ChildResult RunProgram(const std::string& commandLine, const std::string& workingDirectory = "");

// Runs this program again with the scenario and arguments, in the given
// working directory, and waits for it.
ChildResult RunScenarioInChild(const std::string& scenario, const std::string& arguments = "",
                               const std::string& workingDirectory = "");

using Scenario = std::function<int(const std::vector<std::string>& arguments)>;
bool RegisterScenario(const char* name, Scenario scenario);

// Call first in main(): when the command line names a scenario, runs it and
// exits with its result.
void RunScenarioIfAsked(int argc, char** argv);

}  // namespace sim

#define SIM_SCENARIO(name)                                                              \
  static int name##_Scenario(const std::vector<std::string>& args);                     \
  [[maybe_unused]] static const bool name##_Registered = sim::RegisterScenario(#name, name##_Scenario); \
  static int name##_Scenario([[maybe_unused]] const std::vector<std::string>& args)
