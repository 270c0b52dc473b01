// Shared by the diagnostics tests: what a child process showed and wrote,
// and the child-side instruments that report how the process ended.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/host_memory.h"
#include "sim/child.h"
#include "sim/runner.h"
#include "tests/hook_check.h"
#include "tests/unpatched_host_code.h"

namespace diagnostics_test {

constexpr const char* kCrashFolder = "\\Data\\QORV\\Plugins\\CrashLog";
constexpr uint32_t kKnownCrashExit = 0x4F42;

std::vector<std::string> MessageTexts(const sim::ChildResult& result);

// Runs the scenario in a child with a fresh game folder and the case, and
// expects the end a warning makes: the known-crash exit with the reason
// printed, and no crash report although the recorder is on. Answers the
// messages the child showed.
std::vector<std::string> ExpectKnownCrash(const std::string& scenario, const std::string& scenarioCase,
                                          int32_t reason);

// Names of the files in a folder, sorted; empty when the folder is missing.
std::vector<std::string> FilesIn(const std::string& folder);

// Child side: prints "known crash N" when a warning ends the process.
void PrintKnownCrashReasonAtEnd();

// Child side: the game folder with this ini, an earlier filter of the
// process's own, then the crash recorder, observed from outside: when a
// crash reaches it, the process ends with ExitCodeFor(answer).
void InstallObservedRecorder(const std::string& folder, const std::string& ini);
constexpr uint32_t kEarlierFilterRan = 0x10;
constexpr uint32_t ExitCodeFor(LONG answer, bool earlierFilterRan) {
  return 0x100 + static_cast<uint32_t>(answer) + (earlierFilterRan ? kEarlierFilterRan : 0);
}
// The same observer for a recorder installed otherwise (by a loaded plugin).
void ObserveInstalledRecorder();
// The filter the recorder installed, as the observer found it.
LPTOP_LEVEL_EXCEPTION_FILTER ObservedRecorder();
// The first crash resumes at this host address instead of ending; the
// second ends with 0x100 + 0x10 * first answer + second answer.
void ResumeFirstCrashAt(uint32_t address);

using hook_check::ExpectHook;
using hook_check::ExpectLanded;
using hook_check::ExpectSameAsHost;
using hook_check::HostCallClobbers;
using hook_check::R;
using hook_check::With;

using hook_check::AfterCCall;

using sim::AddressOf;

std::string Hex(uint32_t value);

// Child arguments as one string for RunScenarioInChild.
std::string Quoted(const std::string& text);

}  // namespace diagnostics_test
