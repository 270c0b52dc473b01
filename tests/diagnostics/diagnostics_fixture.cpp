#include "tests/diagnostics/diagnostics_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/known_crash.h"
#include "core/settings.h"
#include "diagnostics/crash_details.h"
#include "plugin/apply.h"
#include "sim/host_memory.h"
#include "sim/loader.h"

namespace diagnostics_test {
namespace {

LPTOP_LEVEL_EXCEPTION_FILTER g_recorder = nullptr;
volatile bool g_earlierFilterRan = false;
uint32_t g_resumeAddress = 0;
int g_crashesSeen = 0;
LONG g_firstAnswer = 0;

LONG WINAPI EarlierFilter(EXCEPTION_POINTERS*) {
  g_earlierFilterRan = true;
  return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI ObservingFilter(EXCEPTION_POINTERS* exception) {
  const LONG answer = g_recorder(exception);
  if (g_resumeAddress != 0 && ++g_crashesSeen == 1) {
    g_firstAnswer = answer;
    exception->ContextRecord->Eip = g_resumeAddress;
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  const uint32_t code = g_resumeAddress != 0 ? 0x100 + 0x10 * g_firstAnswer + answer
                                             : ExitCodeFor(answer, g_earlierFilterRan);
  TerminateProcess(GetCurrentProcess(), code);
  return answer;
}

void PrintReason(int32_t reason) {
  std::printf("known crash %d\n", static_cast<int>(reason));
  std::fflush(stdout);
}

}  // namespace

std::vector<std::string> MessageTexts(const sim::ChildResult& result) {
  std::vector<std::string> texts;
  for (const auto& entry : result.journal) {
    if (entry.kind == sim::JournalEntry::kMessageBox) texts.push_back(entry.text);
  }
  return texts;
}

std::vector<std::string> ExpectKnownCrash(const std::string& scenario, const std::string& scenarioCase,
                                          int32_t reason) {
  const std::string folder = sim::TempFolder(scenario);
  const auto child = sim::RunScenarioInChild(scenario, Quoted(folder) + " " + scenarioCase);
  EXPECT_EQ(child.exitCode, kKnownCrashExit) << child.output;
  EXPECT_NE(child.output.find("known crash " + std::to_string(reason) + "\n"), std::string::npos) << child.output;
  EXPECT_TRUE(FilesIn(folder + kCrashFolder).empty()) << "no crash report for an explained end";
  return MessageTexts(child);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void PrintKnownCrashReasonAtEnd() { SetKnownCrashObserver(PrintReason); }

void InstallObservedRecorder(const std::string& folder, const std::string& ini) {
  sim::PrepareGameFolder(folder, ini);
  SetUnhandledExceptionFilter(EarlierFilter);
  // As the load sequence does, so that the details name what took effect.
  if (GetSetting("LogMessageToFile", 0) > 0) NoteOptionInEffect("LogMessageToFile");
  if (ApplyRecordCrashInfo().Applied()) NoteOptionInEffect("RecordCrashInfo");
  ObserveInstalledRecorder();
}

void ObserveInstalledRecorder() { g_recorder = SetUnhandledExceptionFilter(ObservingFilter); }

LPTOP_LEVEL_EXCEPTION_FILTER ObservedRecorder() { return g_recorder; }

void ResumeFirstCrashAt(uint32_t address) { g_resumeAddress = address; }

std::string Hex(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace diagnostics_test
