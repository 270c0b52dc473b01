#include "sim/import_redirect.h"

#include <cstring>

namespace sim {

namespace {

template <typename T>
T* InModule(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

// The import address table's entry of function in the descriptor's list,
// found through its name table (the address table holds resolved addresses).
const void** FindEntry(HMODULE module, const IMAGE_IMPORT_DESCRIPTOR& imports, const char* function) {
  auto* names = InModule<IMAGE_THUNK_DATA>(module, imports.OriginalFirstThunk);
  auto* entries = InModule<const void*>(module, imports.FirstThunk);
  for (size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
    if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
    const auto* byName = InModule<IMAGE_IMPORT_BY_NAME>(module, names[i].u1.AddressOfData);
    if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) return &entries[i];
  }
  return nullptr;
}

}  // namespace

const void* RedirectImport(HMODULE module, const char* dll, const char* function, const void* replacement) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  const auto* nt = InModule<IMAGE_NT_HEADERS32>(module, dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return nullptr;
  for (auto* imports = InModule<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress); imports->Name != 0;
       ++imports) {
    if (_stricmp(InModule<const char>(module, imports->Name), dll) != 0 || imports->OriginalFirstThunk == 0) continue;
    const void** entry = FindEntry(module, *imports, function);
    if (entry == nullptr) continue;
    // The loader may have left the table read-only once it was filled.
    DWORD old;
    if (!VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &old)) return nullptr;
    const void* previous = *entry;
    *entry = replacement;
    VirtualProtect(entry, sizeof *entry, old, &old);
    return previous;
  }
  return nullptr;
}

}  // namespace sim
