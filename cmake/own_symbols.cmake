# The DLL's own function names for its crash reports, without a symbols file
# at crash time: a first link of the DLL with an empty table gives the
# symbols, cmake/own_symbols.sh turns them into the table's entries, and the
# DLL is linked again with the same objects but the filled table. The table
# has the same size either way and comes after the code, so the second link
# places every function where the first did; the check after the link
# compares the two links' code and fails the build when it moved.
add_library(Orrisbane_first_link SHARED plugin/entry.cpp plugin/Orrisbane.def ${CMAKE_BINARY_DIR}/version.rc)
set_target_properties(Orrisbane_first_link PROPERTIES PREFIX "" OUTPUT_NAME Orrisbane
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/first_link ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/first_link)
# One image base for both links, the one the linker derived from the DLL's
# name before there were two (it would derive another from the other path).
set(ORRISBANE_IMAGE_BASE -Wl,--image-base,0x679C0000)
target_link_options(Orrisbane PRIVATE ${ORRISBANE_IMAGE_BASE})
target_link_options(Orrisbane_first_link PRIVATE ${ORRISBANE_IMAGE_BASE})
# The empty table as an object of its own, in the place the filled one takes.
add_library(own_symbols_unfilled OBJECT diagnostics/own_symbol_table.cpp)
target_include_directories(own_symbols_unfilled PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(Orrisbane_first_link PRIVATE orrisbane_core own_symbols_unfilled ${STATIC_RUNTIME})
target_compile_options(Orrisbane_first_link PRIVATE ${REPRODUCIBLE_COMPILE})
target_link_options(Orrisbane_first_link PRIVATE -Wl,--no-insert-timestamp)

set(OWN_SYMBOLS_ENTRIES ${CMAKE_BINARY_DIR}/own_symbols.inc)
add_custom_command(OUTPUT ${OWN_SYMBOLS_ENTRIES}
  COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/own_symbols.sh generate $<TARGET_FILE:Orrisbane_first_link>
          ${OWN_SYMBOLS_ENTRIES} ${CMAKE_SOURCE_DIR}/diagnostics/own_symbols.h $<TARGET_OBJECTS:orrisbane_core>
  COMMAND_EXPAND_LISTS
  DEPENDS Orrisbane_first_link ${CMAKE_SOURCE_DIR}/cmake/own_symbols.sh
  COMMENT "Generating the DLL's own-symbol table")

add_library(own_symbols_filled OBJECT diagnostics/own_symbol_table.cpp ${OWN_SYMBOLS_ENTRIES})
target_include_directories(own_symbols_filled PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(own_symbols_filled PRIVATE ORRISBANE_OWN_SYMBOLS="${OWN_SYMBOLS_ENTRIES}")
target_link_libraries(Orrisbane PRIVATE own_symbols_filled)
add_custom_command(TARGET Orrisbane POST_BUILD
  COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/own_symbols.sh compare $<TARGET_FILE:Orrisbane_first_link>
          $<TARGET_FILE:Orrisbane>
  COMMENT "Checking that the second link kept the code of the first")
