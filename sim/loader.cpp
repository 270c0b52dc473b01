#include "sim/loader.h"

#include <fstream>
#include <sstream>

#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/journal.h"

namespace sim {

namespace {
void MakeFolders(const std::string& path) {
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/' || path[i] == '\\') {
      if (i > 0) CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
  }
}
}  // namespace

std::string TempFolder(const std::string& name) {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int counter = 0;
  // Process ids repeat between runs under Wine; the tick count does not.
  std::string dir = std::string(base) + "orrisbane-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(GetTickCount64()) + "-" + std::to_string(++counter) + "-" + name;
  MakeFolders(dir);
  return dir;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void PrepareGameFolder(const std::string& dir, const std::string& iniText) {
  MakeFolders(dir + "/Data/QORV/Plugins");
  WriteFile(dir + "/Data/QORV/Plugins/Orrisbane.ini", iniText);
  SetCurrentDirectoryA(dir.c_str());
}

LoadOutcome LoadPluginAsQorv(const LoadRequest& request) {
  LoadOutcome outcome;
  HostAt<uint8_t>(host::kGameInitializedFlag) = request.gameInitialized ? 1 : 0;
  ListenToDebugChannel();  // the plugin reports there what it did with each option
  outcome.module = LoadLibraryA(request.dllPath.c_str());
  if (outcome.module == nullptr) {
    outcome.error = "LoadLibrary failed with " + std::to_string(GetLastError());
    return outcome;
  }
  if (request.afterMapping) request.afterMapping(outcome.module);
  using QueryFn = bool (*)(const LoaderInterface*, PluginInfo*);
  using LoadFn = bool (*)(const LoaderInterface*);
  auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(outcome.module, "QORVPlugin_Query")));
  auto load = reinterpret_cast<LoadFn>(reinterpret_cast<void*>(GetProcAddress(outcome.module, "QORVPlugin_Load")));
  if (query == nullptr || load == nullptr) {
    outcome.error = "the library does not export QORVPlugin_Query and QORVPlugin_Load";
    return outcome;
  }
  LoaderInterface loader{0x2000000, request.runtimeVersion, 0, request.editor};
  outcome.queryAccepted = query(&loader, &outcome.info);
  if (outcome.queryAccepted) outcome.loadResult = load(&loader);
  return outcome;
}

}  // namespace sim
