#include "diagnostics/address_names.h"

#include "diagnostics/guarded_memory.h"
#include "diagnostics/own_symbols.h"

namespace {

constexpr uint32_t kNewHeaderOffset = 0x3C;
constexpr uint32_t kPeSignature = 0x00004550;
constexpr uint32_t kExportDirectoryEntry = 0x78;  // from the PE signature, 32-bit images: RVA, then size
constexpr uint32_t kExportNameCount = 0x18;
constexpr uint32_t kExportFunctions = 0x1C;
constexpr uint32_t kExportNames = 0x20;
constexpr uint32_t kExportOrdinals = 0x24;
constexpr uint32_t kMaxNamesSearched = 16384;  // ntdll has about 2500
constexpr int kLongestName = 120;

struct ExportDirectory {
  uint32_t begin, size, names, nameCount, functions, ordinals;
};

bool ReadExportDirectory(uint32_t base, ExportDirectory* directory) {
  uint32_t newHeader = 0, signature = 0;
  if (!ReadGuardedWord(base + kNewHeaderOffset, &newHeader)) return false;
  if (!ReadGuardedWord(base + newHeader, &signature) || signature != kPeSignature) return false;
  if (!ReadGuardedWord(base + newHeader + kExportDirectoryEntry, &directory->begin) || directory->begin == 0 ||
      !ReadGuardedWord(base + newHeader + kExportDirectoryEntry + 4, &directory->size)) {
    return false;
  }
  const uint32_t at = base + directory->begin;
  return ReadGuardedWord(at + kExportNameCount, &directory->nameCount) &&
         ReadGuardedWord(at + kExportFunctions, &directory->functions) &&
         ReadGuardedWord(at + kExportNames, &directory->names) &&
         ReadGuardedWord(at + kExportOrdinals, &directory->ordinals);
}

// The named export with the highest start at or below the offset. A
// forwarder's entry points into the export directory itself and is no code.
bool NearestExport(uint32_t base, uint32_t offset, uint32_t* nameRva, uint32_t* start) {
  ExportDirectory directory;
  if (!ReadExportDirectory(base, &directory)) return false;
  bool found = false;
  const uint32_t count = directory.nameCount < kMaxNamesSearched ? directory.nameCount : kMaxNamesSearched;
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t ordinal = 0;
    uint32_t functionRva = 0;
    if (!ReadGuardedHalf(base + directory.ordinals + 2 * i, &ordinal) ||
        !ReadGuardedWord(base + directory.functions + 4u * ordinal, &functionRva)) {
      return found;
    }
    if (functionRva > offset || (found && functionRva <= *start)) continue;
    if (functionRva - directory.begin < directory.size) continue;
    if (!ReadGuardedWord(base + directory.names + 4 * i, nameRva)) return found;
    *start = functionRva;
    found = true;
  }
  return found;
}

// An export name as it stands, or nothing when it is not a short printable text.
bool AppendExportName(uint32_t address, TextBuilder& out) {
  char name[kLongestName + 1];
  const int length = ReadGuardedText(address, name, IsPrintable);
  if (length <= 0 || length == kLongestName) return false;
  out.Append(name);
  return true;
}

}  // namespace

void AppendCodeAddress(const LoadedModule& module, uint32_t address, TextBuilder& out) {
  const uint32_t offset = address - module.base;
  out.Append(module.name).Append("+0x").AppendHex(offset);
  const char* ownName = nullptr;
  uint32_t start = 0, nameRva = 0;
  if (module.base == OwnImageBase()) {
    if (!FindOwnFunction(offset, &ownName, &start)) return;
    out.Append(" (").Append(ownName);
  } else {
    if (!NearestExport(module.base, offset, &nameRva, &start)) return;
    out.Append(" (");
    if (!AppendExportName(module.base + nameRva, out)) out.Append("?");
  }
  out.Append("+0x").AppendHex(offset - start).Append(")");
}
