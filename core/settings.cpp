#include "core/settings.h"

#include <map>
#include <string>

namespace {
const char* g_settingsFile = kSettingsFile;

// Written only by the early pass, before any hook exists; read-only after.
std::map<std::string, int32_t>& SettingOverrides() {
  static std::map<std::string, int32_t> overrides;
  return overrides;
}
}  // namespace

int32_t GetSetting(const char* key, int32_t fallback) {
  if (key == nullptr || *key == '\0') return fallback;
  const auto& overrides = SettingOverrides();
  if (auto it = overrides.find(key); it != overrides.end()) return it->second;
  return ReadProfileInt(kSettingsSection, key, fallback, g_settingsFile);
}

const char* SettingsFile() { return g_settingsFile; }
void UseSettingsFile(const char* path) { g_settingsFile = path; }

void StoreSettingOverride(const char* key, int32_t value) {
  if (key == nullptr || *key == '\0') return;
  SettingOverrides()[key] = value;
}
