#include "plugin/load_sequence.h"

#include <windows.h>

#include <cstdio>

#include "core/option_rules.h"
#include "core/settings.h"
#include "diagnostics/crash_details.h"
#include "patch/frame_sites.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"
#include "plugin/option_table.h"

namespace {

constexpr const char* kDoubleLoadText =
    "Trying to load Orrisbane.dll more than once! Is this file in multiple locations?";

// The address is an argument, never part of the format: a release address
// may carry percent-encoding, which printf would read as directives.
constexpr const char* kTooLateFormat =
    "Error: \"%s\" option could not be applied because the game has already initialized! Either disable that "
    "option or follow these steps:\r\n"
    "1. Download and install \"%s\" - Fennick.\r\n"
    "2. Make sure you installed it correctly to Vellmoor root directory and not Data.";

constexpr const char* kUnreadableSettingsFormat =
    "Orrisbane could not read its settings file \"%s\": %s. Every option is off for this game. Close any program "
    "that has the file open, make sure the file may be read, and start the game again.";

// A settings file that is there but cannot be read reads as every option
// off, which the player must hear of; a missing one is a choice and stays
// silent. The player's choice of log cannot be read either, so the log is
// turned on: the line must reach it.
void ReportUnreadableSettings() {
  const char* reason = UnreadableSettingsReason();
  if (reason == nullptr) return;
  char path[MAX_PATH];
  const DWORD length = GetFullPathNameA(SettingsFile(), sizeof path, path, nullptr);
  StoreSettingOverride("LogMessageToFile", 1);
  ShowMessage(kUnreadableSettingsFormat, length > 0 && length < sizeof path ? path : SettingsFile(), reason);
}

// What became of a row goes to the debug channel, one line each: a debugger
// or the host simulator then shows what the plugin did rather than what the
// rules would suggest (the late case stores overrides that change them).
void ReportRow(const char* key, const char* outcome) {
  char line[160];
  std::snprintf(line, sizeof line, "%s%s: %s", kRowReportPrefix, key, outcome);
  OutputDebugStringA(line);
}

void NoteInEffect(const char* key) {
  if (NoteOptionInEffect(key)) return;
  char text[160];
  std::snprintf(text, sizeof text, "\"%s\" took effect, but crash details have no room left to name it.", key);
  LogMessageToFile(text);
}

// One set per loaded copy of the library.
int32_t g_doubleLoadState = 0;  // 0 undecided, 1 duplicate, -1 the only copy
bool g_earlyPassDone = false;

// An option that took effect is named in crash details; one that could not
// is left out, and the log and the row report say why.
void Apply(const OptionEntry& row, const char* outcome) {
  const ApplyStatus status = row.apply();
  if (status.kind == ApplyStatus::kApplied) {
    NoteInEffect(row.key);
    ReportRow(row.key, outcome);
    return;
  }
  if (status.kind == ApplyStatus::kInert) {
    ReportRow(row.key, kRowInert);
    return;
  }
  char why[160];
  if (status.address != 0) {
    std::snprintf(why, sizeof why, "not applied: host code at 0x%X %s", status.address, status.reason);
  } else if (status.reason != nullptr) {
    std::snprintf(why, sizeof why, "not applied: %s", status.reason);
  } else {
    std::snprintf(why, sizeof why, "not applied: its set-up failed");
  }
  char text[256];
  std::snprintf(text, sizeof text, "\"%s\" was %s.", row.key, why);
  LogMessageToFile(text);
  ReportRow(row.key, why);
}

}  // namespace

bool CheckDoubleLoad() {
  if (g_doubleLoadState > 0) return true;
  if (g_doubleLoadState < 0) return false;
  auto* marker = reinterpret_cast<volatile uint8_t*>(host::kLoadMarker);
  DWORD old;
  if (VirtualProtect(const_cast<uint8_t*>(marker), 1, PAGE_EXECUTE_READWRITE, &old)) {
    const uint8_t seen = *marker;
    VirtualProtect(const_cast<uint8_t*>(marker), 1, old, &old);
    if (seen != 0) {
      g_doubleLoadState = 1;
      ShowText(kDoubleLoadText);
      return true;
    }
  }
  g_doubleLoadState = -1;
  const uint8_t one = 1;
  // A marker that cannot be written costs only the check of a later copy.
  (void)WriteBytes(host::kLoadMarker, &one, 1);
  return false;
}

int ApplyEarlyOptions() {
  if (CheckDoubleLoad()) return TRUE;
  if (g_earlyPassDone) return TRUE;
  g_earlyPassDone = true;
  ReportUnreadableSettings();
  const bool late = host::At<uint8_t>(host::kGameInitializedFlag) != 0;
  if (late) {
    bool errorShown = false;
    option_rules::SwitchOffEarlyRowsWhenLate(FindOption, IsOptionEligible, [&](const OptionEntry& row) {
      if (!errorShown) ShowMessage(kTooLateFormat, row.key, kEarlyLoaderUrl);
      errorShown = true;
      ReportRow(row.key, kRowTooLate);
    });
    return TRUE;
  }
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (row->early && row->apply != nullptr && IsOptionEligible(*row)) Apply(*row, kRowAppliedEarly);
  }
  return TRUE;
}

bool ApplyNormalOptions() {
  if (CheckDoubleLoad()) return false;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (row->early || !IsOptionEligible(*row)) continue;
    if (row->apply == nullptr) {
      NoteInEffect(row->key);  // a setting: in effect by being on
    } else {
      Apply(*row, kRowAppliedAtLoad);
    }
  }
  return true;
}

extern "C" bool QORVPlugin_Query(const LoaderInterface* loader, PluginInfo* info) {
  info->infoVersion = 1;
  info->name = "Orrisbane";
  info->version = ORRISBANE_VERSION_MAJOR;  // the project version's first number, from CMake
  return loader->isEditor == 0 && loader->runtimeVersion == host::kRuntimeVersion;
}

extern "C" bool QORVPlugin_Load(const LoaderInterface*) { return ApplyNormalOptions(); }
