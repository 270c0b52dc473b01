# One test program per area of the plugin: every source in its folder.
orrisbane_test(frame_tests frame portable/option_rules_test.cpp)
orrisbane_test(fixes_tests fixes)
orrisbane_test(string_count_tests string_count)
orrisbane_test(diagnostics_tests diagnostics portable/msvc_type_name_test.cpp portable/call_instruction_test.cpp)
orrisbane_test(memory_tests memory portable/memory_block_test.cpp portable/ring_stress_test.cpp
  portable/slot_cache_test.cpp)
orrisbane_program(pool_speed benchmarks/pool_speed.cpp)
orrisbane_program(strcmp_benchmark benchmarks/strcmp_benchmark.cpp)

# Another mod's library that faults inside itself, placed beside the test
# programs, where the crash recorder's tests load it.
enable_language(RC)
add_library(CrashMod SHARED crash_mod/crash_mod.cpp crash_mod/crash_mod.rc)
set_target_properties(CrashMod PROPERTIES PREFIX "")
target_link_libraries(CrashMod PRIVATE ${STATIC_RUNTIME})
add_dependencies(diagnostics_tests CrashMod)
