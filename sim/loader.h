// The simulator in the QORV loader's role: it lays out a game folder, sets
// the host's initialisation flag for an early or a late load, maps the
// plugin and calls its exports in the loader's order.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "plugin/load_sequence.h"

namespace sim {

// Creates dir/Data/QORV/Plugins with the given Orrisbane.ini and makes dir
// the current directory, as the game's working directory.
void PrepareGameFolder(const std::string& dir, const std::string& iniText);
std::string TempFolder(const std::string& name);  // a fresh, empty folder
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

struct LoadOutcome {
  HMODULE module = nullptr;
  bool queryAccepted = false;
  bool loadResult = false;
  PluginInfo info{};
  std::string error;
};

// Runs on the freshly mapped library, between its entry point and the query.
using AfterMapping = std::function<void(HMODULE)>;

struct LoadRequest {
  std::string dllPath;
  bool gameInitialized = false;                  // late load: the game already ran its start-up
  uint32_t runtimeVersion = 0x09200000;
  uint32_t editor = 0;
  AfterMapping afterMapping = nullptr;
};

// Maps the library (its entry point runs), then Query, then Load when the
// query accepted.
LoadOutcome LoadPluginAsQorv(const LoadRequest& request);

}  // namespace sim
