#include "diagnostics/module_version.h"

#include "diagnostics/guarded_memory.h"

namespace {

constexpr uint32_t kNewHeaderOffset = 0x3C;
constexpr uint32_t kPeSignature = 0x00004550;            // "PE\0\0"
constexpr uint32_t kResourceDirectoryEntry = 0x88;       // from the PE signature, 32-bit images
constexpr uint32_t kVersionResourceType = 16;
constexpr uint32_t kSubdirectoryBit = 0x80000000;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoSearchLength = 128;         // the fixed info follows the key "VS_VERSION_INFO"
constexpr uint32_t kMaxEntriesSearched = 64;

// The offset (from the resource root) that the first entry of a resource
// directory, or its entry with the id, points to; 0 when there is none.
uint32_t EntryTarget(uint32_t directory, bool anyId, uint32_t id) {
  uint32_t counts = 0;
  if (!ReadGuardedWord(directory + 12, &counts)) return 0;
  const uint32_t entries = (counts & 0xFFFF) + (counts >> 16);
  for (uint32_t i = 0; i < entries && i < kMaxEntriesSearched; ++i) {
    uint32_t name = 0, target = 0;
    if (!ReadGuardedWord(directory + 16 + 8 * i, &name) || !ReadGuardedWord(directory + 20 + 8 * i, &target)) return 0;
    if (anyId || name == id) return target;
  }
  return 0;
}

}  // namespace

void AppendModuleVersion(uint32_t base, TextBuilder& out) {
  uint32_t newHeader = 0, signature = 0, resourceRva = 0;
  if (!ReadGuardedWord(base + kNewHeaderOffset, &newHeader)) return;
  if (!ReadGuardedWord(base + newHeader, &signature) || signature != kPeSignature) return;
  if (!ReadGuardedWord(base + newHeader + kResourceDirectoryEntry, &resourceRva) || resourceRva == 0) return;
  const uint32_t root = base + resourceRva;
  // Type, then name, then language: the first two levels are directories.
  const uint32_t byType = EntryTarget(root, false, kVersionResourceType);
  if (!(byType & kSubdirectoryBit)) return;
  const uint32_t byName = EntryTarget(root + (byType & ~kSubdirectoryBit), true, 0);
  if (!(byName & kSubdirectoryBit)) return;
  const uint32_t byLanguage = EntryTarget(root + (byName & ~kSubdirectoryBit), true, 0);
  if (byLanguage == 0 || (byLanguage & kSubdirectoryBit)) return;
  uint32_t dataRva = 0;
  if (!ReadGuardedWord(root + byLanguage, &dataRva)) return;
  const uint32_t info = base + dataRva;
  for (uint32_t offset = 0; offset < kFixedInfoSearchLength; offset += 4) {
    uint32_t word = 0, versionHigh = 0, versionLow = 0;
    if (!ReadGuardedWord(info + offset, &word)) return;
    if (word != kFixedInfoSignature) continue;
    if (!ReadGuardedWord(info + offset + 8, &versionHigh) || !ReadGuardedWord(info + offset + 12, &versionLow)) return;
    out.Append(" ").AppendDecimal(versionHigh >> 16).Append(".").AppendDecimal(versionHigh & 0xFFFF);
    out.Append(".").AppendDecimal(versionLow >> 16).Append(".").AppendDecimal(versionLow & 0xFFFF);
    return;
  }
}
