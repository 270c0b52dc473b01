// The one way host code is changed: a patch is data, and a set of patches
// that only works together is written whole or not at all.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>

#include "core/apply_status.h"
#include "patch/host_site.h"

// A hook (a near jump at span.site to body, NOP-filled up to span.resume), or
// with no body, bytes written over the whole span.
struct Patch {
  HookSite span;
  void (*body)() = nullptr;
  const void* bytes = nullptr;
};

// Checks every span first (long enough for a jump, can be made writable) and
// writes nothing when one fails; a set that fails while being written is put
// back as it was. Applied when the whole set is in place, otherwise failed
// with the first host address that failed and why.
ApplyStatus InstallPatches(std::span<const Patch> patches);
inline ApplyStatus InstallPatches(std::initializer_list<Patch> patches) {
  return InstallPatches(std::span<const Patch>(patches.begin(), patches.size()));
}

// One hook, or one run of bytes, through the same installer.
ApplyStatus WriteJump(uint32_t site, uint32_t resume, const void* target);
ApplyStatus WriteBytes(uint32_t site, const void* source, uint32_t length);
