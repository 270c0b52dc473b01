// The double-load guard and the two passes over the option table.
#pragma once
#include <cstdint>

struct PluginInfo {
  uint32_t infoVersion;
  const char* name;
  uint32_t version;
};

struct LoaderInterface {
  uint32_t reserved0;
  uint32_t runtimeVersion;
  uint32_t reserved8;
  uint32_t isEditor;
};

// Where to get the early loader, shown in the too-late message: a release
// sets ORRISBANE_EARLY_LOADER_URL to the download page at configure time;
// without it the message says where in plain words.
#ifndef ORRISBANE_EARLY_LOADER_URL
#define ORRISBANE_EARLY_LOADER_URL "the early loader Fennick, from the site you downloaded Orrisbane from"
#endif
constexpr const char* kEarlyLoaderUrl = ORRISBANE_EARLY_LOADER_URL;
static_assert(kEarlyLoaderUrl[0] != '<', "the too-late message names a page or a place, never a placeholder");

// Each row the passes act on is reported on the debug channel as
// kRowReportPrefix, the key, ": " and one of the outcomes.
constexpr const char* kRowReportPrefix = "Orrisbane option ";
constexpr const char* kRowAppliedEarly = "early, from the entry point";
constexpr const char* kRowAppliedAtLoad = "at load";
constexpr const char* kRowTooLate = "early: too late, not applied (stored 0)";
constexpr const char* kRowInert = "inert: its value installs nothing";

// True when this copy of the library is a duplicate and must do nothing.
bool CheckDoubleLoad();
// Body of the library entry point; always TRUE.
int ApplyEarlyOptions();
// Body of QORVPlugin_Load; false only for a duplicate copy.
bool ApplyNormalOptions();

extern "C" bool QORVPlugin_Query(const LoaderInterface* loader, PluginInfo* info);
extern "C" bool QORVPlugin_Load(const LoaderInterface* loader);
