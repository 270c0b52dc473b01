#include "diagnostics/rtti_name.h"

#include "diagnostics/guarded_memory.h"
#include "diagnostics/module_list.h"
#include "diagnostics/msvc_type_name.h"

namespace {

constexpr uint32_t kLocatorSignature = 0;  // 32-bit locators; 64-bit ones hold 1
constexpr uint32_t kLocatorOffset = 4;     // of this vtable's base in the complete object
constexpr uint32_t kLocatorTypeDescriptor = 12;
constexpr uint32_t kDescriptorName = 8;
constexpr int kMaxDecoratedName = 512;

char g_decorated[kMaxDecoratedName];
char g_decoded[1024];

enum class NameRead { kNone, kWhole, kCut };

// The decorated name, copied through the guard.
NameRead ReadDecoratedName(uint32_t address) {
  const int n = ReadGuardedText(address, g_decorated, IsPrintable);
  const bool typeName = n > 4 && g_decorated[0] == '.' && g_decorated[1] == '?' && g_decorated[2] == 'A';
  if (!typeName) return NameRead::kNone;
  return n + 1 == kMaxDecoratedName ? NameRead::kCut : NameRead::kWhole;
}

}  // namespace

bool AppendTypeDescriptorName(uint32_t typeDescriptor, TextBuilder& out) {
  switch (ReadDecoratedName(typeDescriptor + kDescriptorName)) {
    case NameRead::kNone:
      return false;
    case NameRead::kCut:
      out.Append(g_decorated).Append("... (decorated name cut after ").AppendDecimal(kMaxDecoratedName - 1)
          .Append(" characters)");
      return true;
    case NameRead::kWhole:
      out.Append(DecodeTypeDescriptorName(g_decorated, g_decoded, sizeof g_decoded) ? g_decoded : g_decorated);
      return true;
  }
  return false;
}

bool AppendObjectClassName(uint32_t object, TextBuilder& out, uint32_t* baseOffset) {
  uint32_t vtable = 0, locator = 0, signature = 0, descriptor = 0;
  if (!ReadGuardedWord(object, &vtable) || ModuleContaining(vtable) == nullptr) return false;
  if (!ReadGuardedWord(vtable - 4, &locator)) return false;
  if (!ReadGuardedWord(locator, &signature) || signature != kLocatorSignature) return false;
  if (!ReadGuardedWord(locator + kLocatorOffset, baseOffset)) return false;
  if (!ReadGuardedWord(locator + kLocatorTypeDescriptor, &descriptor)) return false;
  return AppendTypeDescriptorName(descriptor, out);
}
