# Native (Linux) build of the portable parts: their tests, stress tests under
# ThreadSanitizer, and benchmarks.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

add_library(orrisbane_portable STATIC
  core/settings.cpp core/profile_portable.cpp core/ini_file.cpp core/option_rules.cpp core/system_modules.cpp plugin/option_table.cpp
)
include(cmake/portable_parts.cmake)
target_include_directories(orrisbane_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(orrisbane_portable PRIVATE -Wall -Wextra)

file(GLOB DOCTOR_SOURCES CONFIGURE_DEPENDS doctor/*.cpp)
add_executable(orrisbane-doctor ${DOCTOR_SOURCES})
target_link_libraries(orrisbane-doctor PRIVATE orrisbane_portable)
include(cmake/shipped_ini.cmake)

# Writes the pinned spans file for scripts/refresh-pinned.sh.
add_executable(write_pinned_spans scripts/write_pinned_spans.cpp)
target_link_libraries(write_pinned_spans PRIVATE orrisbane_portable)

add_executable(portable_tests tests/portable/option_rules_test.cpp)
include(tests/portable/suites.cmake)
target_link_libraries(portable_tests PRIVATE orrisbane_portable GTest::gtest_main Threads::Threads)
add_test(NAME portable_tests COMMAND portable_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR})

# Native benchmark of the pool against glibc malloc, mimalloc and the floor
# of its interlocked operations; run by hand, prints its ratios.
find_package(benchmark)
find_package(mimalloc)
if(benchmark_FOUND AND mimalloc_FOUND)
  add_executable(pool_speed_native tests/benchmarks/pool_speed_native.cpp)
  target_link_libraries(pool_speed_native PRIVATE orrisbane_portable benchmark::benchmark mimalloc Threads::Threads)
endif()
