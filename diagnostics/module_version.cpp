#include "diagnostics/module_version.h"

#include <windows.h>

#include <cstddef>

#include "diagnostics/guarded_memory.h"

namespace {

// Where the image's own structures keep what is read here; every read goes
// through the guard, as a module may be unloading while the report is made.
constexpr uint32_t kResourceDirectoryRva = offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DataDirectory) +
                                           IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY) +
                                           offsetof(IMAGE_DATA_DIRECTORY, VirtualAddress);
constexpr uint32_t kVersionResourceType = 16;  // RT_VERSION, which winuser.h spells as a pointer
constexpr uint32_t kFixedInfoSearchLength = 128;  // the fixed info follows the key "VS_VERSION_INFO"
constexpr uint32_t kMaxEntriesSearched = 64;

static_assert(offsetof(IMAGE_RESOURCE_DIRECTORY, NumberOfIdEntries) ==
              offsetof(IMAGE_RESOURCE_DIRECTORY, NumberOfNamedEntries) + 2);

// The offset (from the resource root) that the first entry of a resource
// directory, or its entry with the id, points to; 0 when there is none.
uint32_t EntryTarget(uint32_t directory, bool anyId, uint32_t id) {
  uint32_t counts = 0;  // the named entries in the low half, the ones with an id in the high half
  if (!ReadGuardedWord(directory + offsetof(IMAGE_RESOURCE_DIRECTORY, NumberOfNamedEntries), &counts)) return 0;
  const uint32_t entries = (counts & 0xFFFF) + (counts >> 16);
  const uint32_t first = directory + sizeof(IMAGE_RESOURCE_DIRECTORY);
  for (uint32_t i = 0; i < entries && i < kMaxEntriesSearched; ++i) {
    const uint32_t entry = first + i * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY);
    uint32_t name = 0, target = 0;
    if (!ReadGuardedWord(entry + offsetof(IMAGE_RESOURCE_DIRECTORY_ENTRY, Name), &name) ||
        !ReadGuardedWord(entry + offsetof(IMAGE_RESOURCE_DIRECTORY_ENTRY, OffsetToData), &target)) {
      return 0;
    }
    if (anyId || name == id) return target;
  }
  return 0;
}

}  // namespace

void AppendModuleVersion(uint32_t base, TextBuilder& out) {
  uint32_t newHeader = 0, signature = 0, resourceRva = 0;
  if (!ReadGuardedWord(base + offsetof(IMAGE_DOS_HEADER, e_lfanew), &newHeader)) return;
  const uint32_t headers = base + newHeader;
  if (!ReadGuardedWord(headers + offsetof(IMAGE_NT_HEADERS32, Signature), &signature)) return;
  if (signature != IMAGE_NT_SIGNATURE) return;
  if (!ReadGuardedWord(headers + kResourceDirectoryRva, &resourceRva) || resourceRva == 0) return;
  const uint32_t root = base + resourceRva;
  // Type, then name, then language: the first two levels are directories.
  const uint32_t byType = EntryTarget(root, false, kVersionResourceType);
  if (!(byType & IMAGE_RESOURCE_DATA_IS_DIRECTORY)) return;
  const uint32_t byName = EntryTarget(root + (byType & ~IMAGE_RESOURCE_DATA_IS_DIRECTORY), true, 0);
  if (!(byName & IMAGE_RESOURCE_DATA_IS_DIRECTORY)) return;
  const uint32_t byLanguage = EntryTarget(root + (byName & ~IMAGE_RESOURCE_DATA_IS_DIRECTORY), true, 0);
  if (byLanguage == 0 || (byLanguage & IMAGE_RESOURCE_DATA_IS_DIRECTORY)) return;
  uint32_t dataRva = 0;
  if (!ReadGuardedWord(root + byLanguage + offsetof(IMAGE_RESOURCE_DATA_ENTRY, OffsetToData), &dataRva)) return;
  const uint32_t info = base + dataRva;
  for (uint32_t offset = 0; offset < kFixedInfoSearchLength; offset += 4) {
    const uint32_t fixed = info + offset;
    uint32_t word = 0, versionHigh = 0, versionLow = 0;
    if (!ReadGuardedWord(fixed + offsetof(VS_FIXEDFILEINFO, dwSignature), &word)) return;
    if (word != VS_FFI_SIGNATURE) continue;
    if (!ReadGuardedWord(fixed + offsetof(VS_FIXEDFILEINFO, dwFileVersionMS), &versionHigh) ||
        !ReadGuardedWord(fixed + offsetof(VS_FIXEDFILEINFO, dwFileVersionLS), &versionLow)) {
      return;
    }
    out.Append(" ").AppendDecimal(versionHigh >> 16).Append(".").AppendDecimal(versionHigh & 0xFFFF);
    out.Append(".").AppendDecimal(versionLow >> 16).Append(".").AppendDecimal(versionLow & 0xFFFF);
    return;
  }
}
