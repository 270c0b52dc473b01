// Small host heap requests served from fixed-size-slot pools, sized from the
// configured total; the heap replacement consults them once they are ready.
#include "core/settings.h"
#include "memory/heap_sites.h"
#include "memory/memory_block.h"
#include "memory/os_allocator.h"

ApplyStatus ApplyCustomMemoryBlock() {
  BuildMemoryBlocks(GetSetting("CustomMemoryBlockTotalSizeMb", -1), g_alignMode > 0);
  return kApplied;
}
