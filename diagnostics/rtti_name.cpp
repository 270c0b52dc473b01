#include "diagnostics/rtti_name.h"

#include "diagnostics/guarded_memory.h"
#include "diagnostics/module_list.h"

namespace {

constexpr uint32_t kLocatorTypeDescriptor = 12;
constexpr uint32_t kDescriptorName = 8;
constexpr int kMaxDecoratedName = 256;
constexpr int kMaxNameParts = 16;

// The decorated name, copied through the guard and checked for its frame.
bool ReadDecoratedName(uint32_t address, char (&name)[kMaxDecoratedName], int* length) {
  int n = 0;
  for (; n + 1 < kMaxDecoratedName; ++n) {
    uint8_t c = 0;
    if (!ReadGuardedByte(address + n, &c)) return false;
    if (c == 0) break;
    if (c < 0x20 || c >= 0x7F) return false;
    name[n] = static_cast<char>(c);
  }
  name[n] = '\0';
  *length = n;
  const bool classOrStruct = n > 6 && name[0] == '.' && name[1] == '?' && name[2] == 'A' &&
                             (name[3] == 'V' || name[3] == 'U');
  return classOrStruct && name[n - 1] == '@' && name[n - 2] == '@';
}

}  // namespace

// The parts between '@' run from the innermost name outwards, so they are
// written in reverse, joined by "::".
bool AppendTypeDescriptorName(uint32_t typeDescriptor, TextBuilder& out) {
  char name[kMaxDecoratedName];
  int length = 0;
  if (!ReadDecoratedName(typeDescriptor + kDescriptorName, name, &length)) return false;
  const char* parts[kMaxNameParts];
  int count = 0;
  char* part = name + 4;
  for (char* c = part; c < name + length - 2 && count < kMaxNameParts; ++c) {
    if (*c != '@') continue;
    *c = '\0';
    parts[count++] = part;
    part = c + 1;
  }
  if (part < name + length - 2 && count < kMaxNameParts) {
    name[length - 2] = '\0';
    parts[count++] = part;
  }
  if (count == 0) return false;
  for (int i = count - 1; i >= 0; --i) {
    out.Append(parts[i]);
    if (i != 0) out.Append("::");
  }
  return true;
}

bool AppendObjectClassName(uint32_t object, TextBuilder& out) {
  uint32_t vtable = 0, locator = 0, descriptor = 0;
  if (!ReadGuardedWord(object, &vtable) || ModuleContaining(vtable) == nullptr) return false;
  if (!ReadGuardedWord(vtable - 4, &locator)) return false;
  if (!ReadGuardedWord(locator + kLocatorTypeDescriptor, &descriptor)) return false;
  return AppendTypeDescriptorName(descriptor, out);
}
