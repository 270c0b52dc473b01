#include <cstring>
#include <malloc.h>
#include <map>
#include <mutex>

#include "memory/heap_sites.h"
#include "sim/host_heap.h"
#include "sim/host_memory.h"

namespace sim {

namespace {

// kHeapAllocate.resume: past MOV EAX,[global] / SUB ESP,0x14
// kHeapFreeEntry.resume: past MOV EAX,[ESP+4] / PUSH ESI
constexpr size_t kMinimumHeapAlignment = 16;
constexpr uint32_t kClearedFieldsEnd = 0x10 + 500;

std::mutex g_heapLock;
std::map<void*, uint32_t> g_liveBlocks;
HostHeapRecord g_record;
const uint8_t* g_watchedFields = nullptr;
FieldsSeen g_fieldsSeen;
volatile uint32_t g_eaxAtTail = 0;

bool IsPowerOfTwo(int32_t value) { return value > 0 && (value & (value - 1)) == 0; }

void* HeapAllocate(uint32_t size, int32_t alignment) {
  const size_t align = IsPowerOfTwo(alignment) && size_t(alignment) > kMinimumHeapAlignment ? alignment
                                                                                          : kMinimumHeapAlignment;
  void* block = _aligned_malloc(size == 0 ? 1 : size, align);
  if (block != nullptr) g_liveBlocks[block] = size;
  return block;
}

bool HeapRelease(void* block) {
  auto live = g_liveBlocks.find(block);
  if (live == g_liveBlocks.end()) return false;
  g_liveBlocks.erase(live);
  _aligned_free(block);
  return true;
}

HeapCall Call(void* heap, uint32_t pointer, uint32_t size, int32_t alignment, uint32_t flag) {
  return HeapCall{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(heap)), pointer, size, alignment, flag,
                  g_eaxAtTail};
}

extern "C" __attribute__((thiscall)) void* SimHeapAllocate(void* heap, uint32_t size, int32_t alignment,
                                                           uint32_t flag) {
  std::lock_guard<std::mutex> lock(g_heapLock);
  ++g_record.allocations;
  g_record.lastAllocate = Call(heap, 0, size, alignment, flag);
  return HeapAllocate(size, alignment);
}

extern "C" __attribute__((thiscall)) void SimHeapFree(void* heap, void* pointer, uint32_t flag) {
  std::lock_guard<std::mutex> lock(g_heapLock);
  ++g_record.frees;
  g_record.lastFree = Call(heap, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)), 0, 0, flag);
  if (pointer != nullptr && !HeapRelease(pointer)) ++g_record.foreignFrees;
}

extern "C" __attribute__((thiscall)) void* SimHeapReallocate(void* heap, void* pointer, uint32_t size,
                                                             int32_t alignment, uint32_t flag) {
  std::lock_guard<std::mutex> lock(g_heapLock);
  ++g_record.reallocations;
  g_record.lastReallocate = Call(heap, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)), size,
                                 alignment, flag);
  void* block = HeapAllocate(size, alignment);
  auto live = g_liveBlocks.find(pointer);
  if (block != nullptr && live != g_liveBlocks.end()) {
    std::memcpy(block, pointer, live->second < size ? live->second : size);
    HeapRelease(pointer);
  }
  return block;
}

// The real routines do their work past their first instructions; these
// tails take over there, so hooks that resume into them run for real.
extern "C" __attribute__((naked)) void SimHeapAllocateTail() {
  asm volatile(".intel_syntax noprefix\n"
               "mov dword ptr [%c[eax]], eax\n"
               "add esp, 0x14\n"
               "jmp %c[allocate]\n"
               ".att_syntax prefix\n"
               :
               : [eax] "i"(&g_eaxAtTail), [allocate] "i"(&SimHeapAllocate));
}

extern "C" __attribute__((naked)) void SimHeapFreeTail() {
  asm volatile(".intel_syntax noprefix\n"
               "mov dword ptr [%c[eax]], eax\n"
               "pop esi\n"
               "jmp %c[release]\n"
               ".att_syntax prefix\n"
               :
               : [eax] "i"(&g_eaxAtTail), [release] "i"(&SimHeapFree));
}

extern "C" __attribute__((thiscall)) void SimClearFields(void*) { ++g_record.clearFieldsRuns; }
extern "C" void SimNoOpRoutine() { ++g_record.noOpRuns; }

extern "C" void SimFieldsRoutineRecord() {
  ++g_record.fieldsRoutineRuns;
  if (g_watchedFields == nullptr) return;
  std::memcpy(&g_fieldsSeen.at2, g_watchedFields + 2, 2);
  std::memcpy(&g_fieldsSeen.at4, g_watchedFields + 4, 2);
  g_fieldsSeen.clearedFrom0x10 = true;
  for (uint32_t i = 0x10; i < kClearedFieldsEnd; ++i) g_fieldsSeen.clearedFrom0x10 &= g_watchedFields[i] == 0;
}

// Leaves every general register but ESP, and the flags, changed, so a caller
// that does not save them around the call notices.
extern "C" __attribute__((naked)) void SimFieldsRoutine() {
  asm volatile(".intel_syntax noprefix\n"
               "call %c[record]\n"
               "mov eax, 0xF1E1D001\n"
               "mov ebx, 0xF1E1D002\n"
               "mov ecx, 0xF1E1D003\n"
               "mov edx, 0xF1E1D004\n"
               "mov esi, 0xF1E1D005\n"
               "mov edi, 0xF1E1D006\n"
               "mov ebp, 0xF1E1D007\n"
               "stc\n"
               "ret\n"
               ".att_syntax prefix\n"
               :
               : [record] "i"(&SimFieldsRoutineRecord));
}

extern "C" void* __stdcall SimArrayAllocate(uint32_t size, uint32_t) {
  ++g_record.arrayAllocations;
  return _aligned_malloc(size == 0 ? 1 : size, kMinimumHeapAlignment);
}

extern "C" void __stdcall SimArrayRelease(void* pointer) {
  ++g_record.arrayReleases;
  _aligned_free(pointer);
}

void PlaceHeapRoutines() {
  const uint32_t global = host::kAlignedAllocateGlobal;
  PlaceBytes(host::kHeapAllocate.site, {0xA1, uint8_t(global), uint8_t(global >> 8), uint8_t(global >> 16),
                             uint8_t(global >> 24), 0x83, 0xEC, 0x14});
  PlaceJump(host::kHeapAllocate.resume, reinterpret_cast<const void*>(&SimHeapAllocateTail));
  PlaceBytes(host::kHeapFreeEntry.site, {0x8B, 0x44, 0x24, 0x04, 0x56});
  PlaceJump(host::kHeapFreeEntry.resume, reinterpret_cast<const void*>(&SimHeapFreeTail));
  PlaceJump(host::kHeapReallocate.site, reinterpret_cast<const void*>(&SimHeapReallocate));
  PlaceWord(host::kAlignedAllocateGlobal, kHeapAllocateGlobalValue);
  PlaceWord(host::kHeapSentinel, kHeapSentinelValue);

  PlaceJump(host::kClearFields.site, reinterpret_cast<const void*>(&SimClearFields));
  PlaceJump(host::kHeapNoOp.site, reinterpret_cast<const void*>(&SimNoOpRoutine));
  PlaceJump(host::kFieldsRoutine, reinterpret_cast<const void*>(&SimFieldsRoutine));

  PlaceJump(host::kArrayAllocate.site, reinterpret_cast<const void*>(&SimArrayAllocate));
  PlaceJump(host::kArrayRelease.site, reinterpret_cast<const void*>(&SimArrayRelease));
  // Stand-ins for the instructions the option fills with NOPs: MOV reg,reg
  // bytes, so a fill that falls short or runs over shows.
  for (const HookSite& stretch : host::kArrayNopFills) {
    std::memset(reinterpret_cast<void*>(static_cast<uintptr_t>(stretch.site)), 0x8B, stretch.resume - stretch.site);
  }

  // movaps [eax],xmm0 / movaps xmm0,[eax], each one byte before its opcode
  PlaceBytes(kManualMovaps, {0x0F, 0x29, 0x00});
  for (const HookSite& opcode : host::kStretchStoreOpcodes) PlaceBytes(opcode.site - 1, {0x0F, 0x29, 0x00});
  for (const HookSite& opcode : host::kStretchLoadOpcodes) PlaceBytes(opcode.site - 1, {0x0F, 0x28, 0x00});
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceHeapRoutines);

}  // namespace

const HostHeapRecord& HostHeap() { return g_record; }

void ClearHostHeapRecord() {
  std::lock_guard<std::mutex> lock(g_heapLock);
  g_record = HostHeapRecord{};
  g_fieldsSeen = FieldsSeen{};
}

uint32_t LiveHostHeapBlocks() {
  std::lock_guard<std::mutex> lock(g_heapLock);
  return static_cast<uint32_t>(g_liveBlocks.size());
}

void WatchFieldsObject(const uint8_t* object) { g_watchedFields = object; }
FieldsSeen FieldsSeenByRoutine() { return g_fieldsSeen; }

using HeapAllocateFn = void*(__thiscall*)(uint32_t heap, uint32_t size, int32_t alignment, uint32_t flag);
using HeapFreeFn = void(__thiscall*)(uint32_t heap, void* pointer, uint32_t flag);

void* CallHeapAllocate(uint32_t size, int32_t alignment, bool aligned) {
  return reinterpret_cast<HeapAllocateFn>(host::kHeapAllocate.site)(host::kHostHeap, size, alignment, aligned ? 1 : 0);
}

void CallHeapFree(void* pointer, bool aligned) {
  reinterpret_cast<HeapFreeFn>(host::kHeapFreeEntry.site)(host::kHostHeap, pointer, aligned ? 1 : 0);
}

}  // namespace sim
