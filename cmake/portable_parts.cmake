# Portable sources of the option groups, built natively as well.
target_sources(orrisbane_portable PRIVATE memory/memory_block.cpp memory/free_slot_ring.cpp memory/slot_cache.cpp
  memory/thread_slot.cpp)
