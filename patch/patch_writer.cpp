#include "patch/patch_writer.h"

#include <windows.h>

#include <cstring>

#include "patch/fault_guard.h"

namespace {
constexpr uint8_t kJumpOpcode = 0xE9;
constexpr uint32_t kJumpLength = 5;
constexpr uint8_t kNop = 0x90;
// The largest set and the most bytes one set may replace; sets are written
// at load on one thread, from a buffer on the stack.
constexpr size_t kMaxPatches = 64;
constexpr size_t kMaxSavedBytes = 2048;

uint8_t* Code(uint32_t address) { return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address)); }
uint32_t Length(const Patch& patch) { return patch.span.resume - patch.span.site; }

void Write(const Patch& patch) {
  uint8_t* code = Code(patch.span.site);
  if (patch.body == nullptr) {
    std::memcpy(code, patch.bytes, Length(patch));
    return;
  }
  const auto target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(patch.body));
  const int32_t displacement = static_cast<int32_t>(target - patch.span.site - kJumpLength);
  code[0] = kJumpOpcode;
  std::memcpy(code + 1, &displacement, sizeof displacement);
  std::memset(code + kJumpLength, kNop, Length(patch) - kJumpLength);
}

// Gives the first count spans their old protection back, last first, so that
// spans sharing a page end with the page's own; false if one refused.
bool Reprotect(std::span<const Patch> patches, const DWORD* old, size_t count) {
  bool all = true;
  for (size_t i = count; i-- > 0;) {
    DWORD ignored;
    all = VirtualProtect(Code(patches[i].span.site), Length(patches[i]), old[i], &ignored) != 0 && all;
  }
  return all;
}

}  // namespace

ApplyStatus InstallPatches(std::span<const Patch> patches) {
  if (const ApplyStatus landings = FaultLandingsInPlace(); landings.Failed()) return landings;
  if (patches.size() > kMaxPatches) return FailedAt(patches[0].span.site, "is in a set too large to write at once");
  size_t saved = 0;
  for (const Patch& patch : patches) {
    const bool jump = patch.body != nullptr;
    if (patch.span.resume < patch.span.site || Length(patch) < (jump ? kJumpLength : 1)) {
      return FailedAt(patch.span.site, "has a span too short for its patch");
    }
    saved += Length(patch);
  }
  if (saved > kMaxSavedBytes) return FailedAt(patches[0].span.site, "is in a set too large to write at once");

  DWORD old[kMaxPatches];
  for (size_t i = 0; i < patches.size(); ++i) {
    if (!VirtualProtect(Code(patches[i].span.site), Length(patches[i]), PAGE_EXECUTE_READWRITE, &old[i])) {
      Reprotect(patches, old, i);
      return FailedAt(patches[i].span.site, "cannot be made writable");
    }
  }
  uint8_t original[kMaxSavedBytes];
  for (size_t i = 0, at = 0; i < patches.size(); at += Length(patches[i]), ++i) {
    std::memcpy(original + at, Code(patches[i].span.site), Length(patches[i]));
    Write(patches[i]);
  }
  if (!Reprotect(patches, old, patches.size())) {
    // Some span kept its write access: put every byte back as it was.
    for (size_t i = 0, at = 0; i < patches.size(); at += Length(patches[i]), ++i) {
      DWORD ignored;
      VirtualProtect(Code(patches[i].span.site), Length(patches[i]), PAGE_EXECUTE_READWRITE, &ignored);
      std::memcpy(Code(patches[i].span.site), original + at, Length(patches[i]));
    }
    Reprotect(patches, old, patches.size());
    return FailedAt(patches[0].span.site, "could not be protected again, so the set was put back");
  }
  FlushInstructionCache(GetCurrentProcess(), nullptr, 0);
  return kApplied;
}

ApplyStatus WriteJump(uint32_t site, uint32_t resume, const void* target) {
  return InstallPatches({Patch{{site, resume}, reinterpret_cast<void (*)()>(target)}});
}

ApplyStatus WriteBytes(uint32_t site, const void* source, uint32_t length) {
  return InstallPatches({Patch{{site, site + length}, nullptr, source}});
}
