# Native test sources, one line per area.
target_sources(portable_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/portable/doctor_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/portable/crash_report_test.cpp ${CMAKE_SOURCE_DIR}/tests/portable/msvc_type_name_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/portable/call_instruction_test.cpp)
target_compile_definitions(portable_tests PRIVATE ORRISBANE_DOCTOR="$<TARGET_FILE:orrisbane-doctor>"
  ORRISBANE_SHIPPED_INI="${CMAKE_SOURCE_DIR}/dist/Orrisbane.ini")
add_dependencies(portable_tests orrisbane-doctor)
target_sources(portable_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/portable/memory_block_test.cpp ${CMAKE_SOURCE_DIR}/tests/portable/ring_stress_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/portable/slot_cache_test.cpp)
