#include "plugin/load_sequence.h"

#include <windows.h>

#include <cstdio>

#include "patch/frame_sites.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"
#include "plugin/option_table.h"
#include "plugin/settings.h"

namespace {

constexpr const char* kDoubleLoadText =
    "Trying to load Orrisbane.dll more than once! Is this file in multiple locations?";

#define TOO_LATE_FORMAT(url)                                                                                   \
  "Error: \"%s\" option could not be applied because the game has already initialized! Either disable that " \
  "option or follow these steps:\r\n"                                                                          \
  "1. Download and install \"" url "\" - Fennick.\r\n"                                                          \
  "2. Make sure you installed it correctly to Vellmoor root directory and not Data."
constexpr const char* kTooLateFormat = TOO_LATE_FORMAT(ORRISBANE_EARLY_LOADER_URL);

// One set per loaded copy of the library.
int32_t g_doubleLoadState = 0;  // 0 undecided, 1 duplicate, -1 the only copy
bool g_earlyPassDone = false;

// An option that could not take effect is left out, and the log says why.
void Apply(const OptionEntry& row) {
  TakePatchFailure();
  if (row.apply()) return;
  const PatchFailure failure = TakePatchFailure();
  char text[256];
  if (failure.reason != nullptr) {
    std::snprintf(text, sizeof text, "\"%s\" was not applied: host code at 0x%X %s.", row.key, failure.address,
                  failure.reason);
  } else {
    std::snprintf(text, sizeof text, "\"%s\" was not applied: its set-up failed.", row.key);
  }
  LogMessageToFile(text);
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
  WriteBytes(host::kLoadMarker, &one, 1);
  return false;
}

int ApplyEarlyOptions() {
  if (CheckDoubleLoad()) return TRUE;
  if (g_earlyPassDone) return TRUE;
  g_earlyPassDone = true;
  const bool late = host::At<uint8_t>(host::kGameInitializedFlag) != 0;
  bool errorShown = false;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (!row->early || !IsOptionEligible(*row)) continue;
    if (!late) {
      if (row->apply != nullptr) Apply(*row);
      continue;
    }
    if (!errorShown) {
      errorShown = true;
      ShowMessage(kTooLateFormat, row->key);
    }
    StoreSettingOverride(row->key, 0);
  }
  return TRUE;
}

bool ApplyNormalOptions() {
  if (CheckDoubleLoad()) return false;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (!row->early && row->apply != nullptr && IsOptionEligible(*row)) Apply(*row);
  }
  return true;
}

extern "C" bool QORVPlugin_Query(const LoaderInterface* loader, PluginInfo* info) {
  info->infoVersion = 1;
  info->name = "Orrisbane";
  info->version = 1;
  return loader->isEditor == 0 && loader->runtimeVersion == host::kRuntimeVersion;
}

extern "C" bool QORVPlugin_Load(const LoaderInterface*) { return ApplyNormalOptions(); }
