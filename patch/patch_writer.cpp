#include "patch/patch_writer.h"

#include <windows.h>

#include <cstring>

namespace {
constexpr uint8_t kJumpOpcode = 0xE9;
constexpr uint32_t kJumpLength = 5;
constexpr uint8_t kNop = 0x90;
}  // namespace

bool WriteJump(uint32_t site, uint32_t resume, const void* target) {
  if (resume < site || resume - site < kJumpLength) return false;
  const uint32_t length = resume - site;
  auto* code = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(site));
  DWORD old;
  if (!VirtualProtect(code, length, PAGE_EXECUTE_READWRITE, &old)) return false;
  const int32_t displacement = static_cast<int32_t>(reinterpret_cast<uintptr_t>(target) - site - kJumpLength);
  code[0] = kJumpOpcode;
  std::memcpy(code + 1, &displacement, sizeof displacement);
  std::memset(code + kJumpLength, kNop, length - kJumpLength);
  return VirtualProtect(code, length, old, &old) != 0;
}

bool WriteBytes(uint32_t site, const void* source, uint32_t length) {
  auto* code = reinterpret_cast<void*>(static_cast<uintptr_t>(site));
  DWORD old;
  if (!VirtualProtect(code, length, PAGE_EXECUTE_READWRITE, &old)) return false;
  std::memcpy(code, source, length);
  return VirtualProtect(code, length, old, &old) != 0;
}
