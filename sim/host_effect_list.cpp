#include "sim/host_effect_list.h"

#include <atomic>

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

uint32_t MakeEffectListOwner(uint32_t key) { return MakeObject(kEffectListOwnerVtable, key); }
uint32_t MakeOtherObject(uint32_t key) { return MakeObject(kOtherVtable, key); }

const EffectListHookSite kEffectListHooks[20] = {
    {1, 0x664476, 0x66447C},  {2, 0x664620, 0x664625},  {3, 0x663410, 0x663415},  {4, 0x66344E, 0x663453},
    {5, 0x663953, 0x663958},  {6, 0x663A19, 0x663A1E},  {7, 0x66435B, 0x664361},  {8, 0x664442, 0x664447},
    {9, 0x664458, 0x66445D},  {10, 0x6673FA, 0x6673FF}, {11, 0x667564, 0x66756A}, {12, 0x667590, 0x667596},
    {13, 0x663FE0, 0x663FE5}, {14, 0x664056, 0x66405B}, {15, 0x662E80, 0x662E85}, {16, 0x662EBE, 0x662EC5},
    {17, 0x663260, 0x663265}, {18, 0x66329D, 0x6632A2}, {19, 0x667381, 0x667386}, {20, 0x6673D0, 0x6673D5},
};

const EffectListByteSite kEffectListBytes[5] = {
    {0x663434, 0x10}, {0x663FF2, 0x14}, {0x664030, 0x18}, {0x662E95, 0x14}, {0x663272, 0x10},
};

}  // namespace sim
