#include "diagnostics/game_objects.h"

#include <cstring>

#include "diagnostics/form_layout.h"
#include "diagnostics/guarded_memory.h"
#include "diagnostics/module_list.h"
#include "diagnostics/rtti_name.h"
#include "patch/frame_sites.h"

namespace {

constexpr int kStackWordsSearched = 64;
constexpr int kObjectsListed = 32;
constexpr int kPlacesSize = 96;
constexpr size_t kLongestPlace = sizeof ", ESP+0xFC, ..." - 1;

struct SeenObject {
  uint32_t address;
  char places[kPlacesSize];  // "ECX, ESP+0x10"
};

SeenObject g_objects[kObjectsListed];
int g_objectCount = 0;

bool InGameImage(uint32_t address) {
  const LoadedModule* game = ModuleContaining(host::kImageBegin);
  return game != nullptr && address >= game->base && address < game->end;
}

void AppendFormId(const char* label, uint32_t form, TextBuilder& out) {
  uint32_t id = 0;
  if (!ReadGuardedWord(form + host::kFormIdOffset, &id)) return;
  out.Append(label).Append("0x");
  for (int shift = 28; shift >= 0; shift -= 4) out.AppendChar("0123456789ABCDEF"[(id >> shift) & 0xF]);
}

void Note(uint32_t value, const char* registerName, uint32_t stackOffset) {
  if (!IsGameObject(value)) return;
  int i = 0;
  while (i < g_objectCount && g_objects[i].address != value) ++i;
  if (i == kObjectsListed) return;
  char earlier[kPlacesSize];
  TextBuilder(earlier).Append(i == g_objectCount ? "" : g_objects[i].places);
  if (i == g_objectCount) g_objects[g_objectCount++].address = value;
  TextBuilder places(g_objects[i].places);
  if (earlier[0] != '\0') {
    // A full list says so once rather than losing places unseen.
    places.Append(earlier);
    if (places.Length() >= 3 && std::strcmp(earlier + places.Length() - 3, "...") == 0) return;
    if (places.Length() + kLongestPlace > kPlacesSize - 1) {
      places.Append(", ...");
      return;
    }
    places.Append(", ");
  }
  if (registerName != nullptr) {
    places.Append(registerName);
  } else {
    places.Append("ESP+0x").AppendHex(stackOffset);
  }
}

}  // namespace

bool IsGameObject(uint32_t address) {
  uint32_t vtable = 0, firstFunction = 0;
  return ReadGuardedWord(address, &vtable) && InGameImage(vtable) && ReadGuardedWord(vtable, &firstFunction) &&
         InGameImage(firstFunction);
}

void AppendGameObject(uint32_t object, TextBuilder& out) {
  uint32_t baseOffset = 0;
  out.Append("object of class ");
  if (!AppendObjectClassName(object, out, &baseOffset)) out.Append("unknown (no type information)");
  uint8_t type = 0;
  uint32_t base = 0;
  AppendFormId(", form ", object, out);
  if (!ReadGuardedByte(object + host::kFormTypeOffset, &type)) return;
  out.Append(", type 0x").AppendChar("0123456789ABCDEF"[type >> 4]).AppendChar("0123456789ABCDEF"[type & 0xF]);
  const bool reference = type == host::kFormTypeReference || type == host::kFormTypeActorReference;
  if (reference && ReadGuardedWord(object + host::kBaseFormOffset, &base) && IsGameObject(base)) {
    AppendFormId(", base form ", base, out);
  }
}

void AppendRelevantObjects(const CONTEXT& context, TextBuilder& out) {
  g_objectCount = 0;
  const struct {
    const char* name;
    uint32_t value;
  } registers[] = {{"EAX", context.Eax}, {"EBX", context.Ebx}, {"ECX", context.Ecx}, {"EDX", context.Edx},
                   {"ESI", context.Esi}, {"EDI", context.Edi}, {"EBP", context.Ebp}};
  for (const auto& r : registers) Note(r.value, r.name, 0);
  for (int i = 0; i < kStackWordsSearched; ++i) {
    uint32_t word = 0;
    if (!ReadGuardedWord(context.Esp + 4u * i, &word)) break;
    Note(word, nullptr, 4u * i);
  }
  out.Append("Possible relevant objects:\n");
  if (g_objectCount == 0) out.Append("  none found\n");
  for (int i = 0; i < g_objectCount; ++i) {
    out.Append("  0x").AppendHex(g_objects[i].address).Append(" (").Append(g_objects[i].places).Append("): ");
    AppendGameObject(g_objects[i].address, out);
    out.Append("\n");
  }
}
