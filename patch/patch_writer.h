// The one way host code is changed: a patch is data, and a set of patches
// that only works together is written whole or not at all.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>

#include "patch/host_site.h"

// A hook (a near jump at span.site to body, NOP-filled up to span.resume), or
// with no body, bytes written over the whole span.
struct Patch {
  HookSite span;
  void (*body)() = nullptr;
  const void* bytes = nullptr;
};

// Why the last set could not be written: the first host address that failed.
struct PatchFailure {
  uint32_t address = 0;
  const char* reason = nullptr;
};

// Checks every span first (long enough for a jump, can be made writable) and
// writes nothing when one fails; a set that fails while being written is put
// back as it was. True when the whole set is in place.
bool InstallPatches(std::span<const Patch> patches);
inline bool InstallPatches(std::initializer_list<Patch> patches) {
  return InstallPatches(std::span<const Patch>(patches.begin(), patches.size()));
}

// The failure of the last set that was not written, and forgets it.
PatchFailure TakePatchFailure();

// One hook, or one run of bytes, through the same installer.
bool WriteJump(uint32_t site, uint32_t resume, const void* target);
bool WriteBytes(uint32_t site, const void* source, uint32_t length);
