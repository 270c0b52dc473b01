// What an apply function did, always read: the load sequence reports it,
// logs a failure and tells the crash details which options took effect.
#pragma once
#include <cstdint>

struct [[nodiscard]] ApplyStatus {
  enum Kind : uint8_t {
    kApplied,  // every patch and registration is in place
    kInert,    // nothing installed, and nothing amiss: the option's value asks for nothing (or the host needs nothing)
    kFailed,   // nothing of it is in place
  };
  Kind kind = kApplied;
  uint32_t address = 0;          // failed: the host address that could not be written, 0 when none is to blame
  const char* reason = nullptr;  // failed: why; after "host code at <address>" when there is one, else alone

  constexpr bool Applied() const { return kind == kApplied; }
  constexpr bool Failed() const { return kind == kFailed; }
};

constexpr ApplyStatus kApplied{};
constexpr ApplyStatus kInert{ApplyStatus::kInert};

// A failed set-up that no host address explains (a file, a thread).
constexpr ApplyStatus kSetUpFailed{ApplyStatus::kFailed};

// A registration the option needs found its registry full.
constexpr ApplyStatus RegistryFull(const char* registry) { return {ApplyStatus::kFailed, 0, registry}; }

constexpr ApplyStatus FailedAt(uint32_t address, const char* reason) {
  return {ApplyStatus::kFailed, address, reason};
}
