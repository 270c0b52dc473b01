#include "sim/child.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "sim/host_memory.h"
#include "sim/loader.h"

namespace sim {
namespace {

std::map<std::string, Scenario>& Scenarios() {
  static std::map<std::string, Scenario> scenarios;
  return scenarios;
}

std::string ThisProgram() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

}  // namespace

bool RegisterScenario(const char* name, Scenario scenario) {
  Scenarios()[name] = std::move(scenario);
  return true;
}

void RunScenarioIfAsked(int argc, char** argv) {
  constexpr const char* kFlag = "--scenario=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kFlag, std::strlen(kFlag)) != 0) continue;
    const std::string name = argv[i] + std::strlen(kFlag);
    std::vector<std::string> arguments(argv + i + 1, argv + argc);
    auto it = Scenarios().find(name);
    if (it == Scenarios().end()) {
      std::fprintf(stderr, "unknown scenario %s\n", name.c_str());
      std::exit(101);
    }
    ResetHostImage();
    std::exit(it->second(arguments));
  }
}

ChildResult RunProgram(const std::string& commandLine, const std::string& workingDirectory) {
  ChildResult result;
  const std::string output = TempFolder("program") + "\\output.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string command = commandLine;
  const char* cwd = workingDirectory.empty() ? nullptr : workingDirectory.c_str();
  // Crashes in the child must not stop for a debugger or an error dialog.
  const DWORD flags = CREATE_DEFAULT_ERROR_MODE;
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, flags, nullptr, cwd, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = code;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    result.exitCode = 0xFFFFFFFF;
  }
  CloseHandle(out);
  for (char c : ReadFile(output)) {
    if (c != '\r') result.output += c;  // the child's stdout is a text stream
  }
  return result;
}

ChildResult RunScenarioInChild(const std::string& scenario, const std::string& arguments,
                               const std::string& workingDirectory) {
  const std::string journal = TempFolder("child-" + scenario) + "\\journal.txt";
  SetEnvironmentVariableA("ORRISBANE_JOURNAL", journal.c_str());
  ChildResult result =
      RunProgram("\"" + ThisProgram() + "\" --scenario=" + scenario + " " + arguments, workingDirectory);
  SetEnvironmentVariableA("ORRISBANE_JOURNAL", nullptr);
  result.journal = ReadJournalFile(journal);
  return result;
}

}  // namespace sim
