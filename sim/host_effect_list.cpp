#include <atomic>

#include "fixes/effect_list_sites.h"
#include "sim/host_effect_list.h"
#include "sim/host_memory.h"

namespace sim {
namespace {

constexpr uint32_t kObjectArea = 0x1BD8000;  // simulator-chosen host data
constexpr uint32_t kObjectStride = 0x100;
constexpr uint32_t kObjectCount = 64;
constexpr uint32_t kKeyOffsetBefore = 0x48;
constexpr uint32_t kOtherVtable = 0x10CFC80;

std::atomic<uint32_t> g_objectsMade{0};

uint32_t MakeObject(uint32_t vtable, uint32_t key) {
  const uint32_t index = g_objectsMade.fetch_add(1) % kObjectCount;
  const uint32_t object = kObjectArea + index * kObjectStride + kKeyOffsetBefore;
  PlaceWord(object - kKeyOffsetBefore, key);
  PlaceWord(object, vtable);
  return object;
}

void PlaceEffectListHost() {
  g_objectsMade = 0;
  PlaceWord(kEffectListVtableEntry1C, kEffectListMethod1C);
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceEffectListHost);

}  // namespace

uint32_t MakeEffectListOwner(uint32_t key) { return MakeObject(host::kEffectListOwnerTable, key); }
uint32_t MakeOtherObject(uint32_t key) { return MakeObject(kOtherVtable, key); }

const EffectListHookSite kEffectListHooks[20] = {
    {1, host::kEffectListAEntry.site, host::kEffectListAEntry.resume},  {2, host::kEffectListAExit.site, host::kEffectListAExit.resume},  {3, host::kEffectListBEntry.site, host::kEffectListBEntry.resume},  {4, host::kEffectListBExit.site, host::kEffectListBExit.resume},
    {5, host::kEffectListCEntry.site, host::kEffectListCEntry.resume},  {6, host::kEffectListCExit.site, host::kEffectListCExit.resume},  {7, host::kEffectListDEntry.site, host::kEffectListDEntry.resume},  {8, host::kEffectListDExit1.site, host::kEffectListDExit1.resume},
    {9, host::kEffectListDExit2.site, host::kEffectListDExit2.resume},  {10, host::kEffectListEEntry.site, host::kEffectListEEntry.resume}, {11, host::kEffectListEExit1.site, host::kEffectListEExit1.resume}, {12, host::kEffectListEExit2.site, host::kEffectListEExit2.resume},
    {13, host::kEffectListFEntry.site, host::kEffectListFEntry.resume}, {14, host::kEffectListFExit.site, host::kEffectListFExit.resume}, {15, host::kEffectListGEntry.site, host::kEffectListGEntry.resume}, {16, host::kEffectListGExit.site, host::kEffectListGExit.resume},
    {17, host::kEffectListHEntry.site, host::kEffectListHEntry.resume}, {18, host::kEffectListHExit.site, host::kEffectListHExit.resume}, {19, host::kEffectListIEntry.site, host::kEffectListIEntry.resume}, {20, host::kEffectListIExit.site, host::kEffectListIExit.resume},
};

const EffectListByteSite kEffectListBytes[5] = {
    {host::kEffectListBFrameByte.site, 0x10}, {host::kEffectListFFrameByte1.site, 0x14}, {host::kEffectListFFrameByte2.site, 0x18}, {host::kEffectListGFrameByte.site, 0x14}, {host::kEffectListHFrameByte.site, 0x10},
};

}  // namespace sim
