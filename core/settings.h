// Every option and tunable is an integer in the [Patch] section of the INI
// file, read through GetSetting. Overrides stored by the early pass sit in
// front of the file and win over it.
#pragma once
#include <cstdint>

constexpr const char* kSettingsFile = "./Data/QORV/Plugins/Orrisbane.ini";
constexpr const char* kSettingsSection = "Patch";

int32_t GetSetting(const char* key, int32_t fallback);

// The file GetSetting reads: the plugin's fixed path, unless a tool that
// checks a player's file elsewhere points it there.
const char* SettingsFile();
void UseSettingsFile(const char* path);
void StoreSettingOverride(const char* key, int32_t value);

// Why the settings file exists and yet cannot be read (another program holds
// it open without sharing it, say), in the system's words; null when it is
// readable or simply missing. Windows builds only; the text lives in a
// static buffer until the next call.
const char* UnreadableSettingsReason();

// The integer of a key in a section of an INI file, or the fallback when the
// file, the section or the key is absent. Win32's profile reader on Windows,
// a reader with the same rules elsewhere.
int32_t ReadProfileInt(const char* section, const char* key, int32_t fallback, const char* file);
