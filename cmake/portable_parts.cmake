# Portable sources of the option groups, built natively as well.
target_sources(orrisbane_portable PRIVATE memory/memory_block.cpp memory/free_slot_ring.cpp memory/slot_cache.cpp
  memory/thread_slot.cpp)
# The crash details' decoders of class names and return addresses.
target_sources(orrisbane_portable PRIVATE diagnostics/msvc_type_name.cpp diagnostics/call_instruction.cpp)
target_link_libraries(orrisbane_portable PUBLIC zydis)
