// The profile reader for builds without Win32 (native tests, the doctor).
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "core/ini_file.h"
#include "core/settings.h"

namespace {

namespace fs = std::filesystem;

// Like the Win32 profile functions, it keeps the file it read last and reads
// it again only when it changed: the doctor looks up every option in the same
// file, and reading the whole file for each lookup made a large one take
// minutes.
struct LoadedFile {
  std::string path;
  fs::file_time_type written;
  uintmax_t size = 0;
  std::optional<IniFile> file;  // nothing when it could not be read
};

const std::optional<IniFile>& Load(LoadedFile& loaded, const char* path) {
  std::error_code error;
  const auto written = fs::last_write_time(path, error);
  const uintmax_t size = error ? 0 : fs::file_size(path, error);
  if (!error && loaded.path == path && loaded.written == written && loaded.size == size) return loaded.file;
  loaded = {path, written, size, std::nullopt};
  std::ifstream in(path, std::ios::binary);
  if (error || !in) return loaded.file;
  std::stringstream text;
  text << in.rdbuf();
  loaded.file = ParseIni(text.str());
  return loaded.file;
}

}  // namespace

int32_t ReadProfileInt(const char* section, const char* key, int32_t fallback, const char* file) {
  static std::mutex mutex;
  static LoadedFile loaded;
  const std::lock_guard lock(mutex);
  const auto& ini = Load(loaded, file);
  return ini ? FindIniInt(*ini, section, key, fallback) : fallback;
}
