# The release: the DLL with a version resource from the project version, and
# two reproducible zips, the package a mod manager installs as it stands and
# the debug information that turns a crash address into a function and line.
set(ORRISBANE_COPYRIGHT "Copyright (C) 2026 the Orrisbane developers")
enable_language(RC)
configure_file(${CMAKE_SOURCE_DIR}/plugin/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
target_sources(Orrisbane PRIVATE ${CMAKE_BINARY_DIR}/version.rc)

# Full debug information, kept out of the shipped DLL by the packing step.
# Sources reach the compiler as ../dir/file from a build folder inside the
# tree and as absolute paths from one outside; with both made relative to
# the tree and the build folder named "." (the compiler tries the last map
# first, and leaves a folder mapped to nothing as it was), the same commit
# builds the same bytes in any folder, and addr2line prints ./plugin/file.cpp.
set(REPRODUCIBLE_COMPILE -g -ffile-prefix-map=../= -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
    -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
target_compile_options(orrisbane_core PRIVATE ${REPRODUCIBLE_COMPILE})
target_compile_options(Orrisbane PRIVATE ${REPRODUCIBLE_COMPILE})
target_compile_options(orrisbane-doctor PRIVATE ${REPRODUCIBLE_COMPILE})
# The linker otherwise stamps the PE headers with the time of the link.
target_link_options(Orrisbane PRIVATE -Wl,--no-insert-timestamp)
target_link_options(orrisbane-doctor PRIVATE -Wl,--no-insert-timestamp)

# One time on every zip entry and in the stripped PE headers: the caller's
# SOURCE_DATE_EPOCH when set at configure time, else the release's own date.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(RELEASE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  set(RELEASE_EPOCH 1767225600)  # 2026-01-01 00:00:00 UTC
endif()
find_program(ZIP_PROGRAM zip REQUIRED)

set(RELEASE_NAME Orrisbane-${PROJECT_VERSION})
set(RELEASE_ZIP ${CMAKE_BINARY_DIR}/${RELEASE_NAME}.zip)
set(SYMBOLS_ZIP ${CMAKE_BINARY_DIR}/${RELEASE_NAME}-symbols.zip)
# Also run by the release test, which packs again elsewhere and compares.
set(PACK_RELEASE ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:Orrisbane> -DDOCTOR=$<TARGET_FILE:orrisbane-doctor>
    -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DNAME=${RELEASE_NAME} -DEPOCH=${RELEASE_EPOCH}
    -DOBJCOPY=${CMAKE_OBJCOPY} -DZIP=${ZIP_PROGRAM})
add_custom_command(OUTPUT ${RELEASE_ZIP} ${SYMBOLS_ZIP}
  COMMAND ${PACK_RELEASE} -DOUT_DIR=${CMAKE_BINARY_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/pack_release.cmake
  DEPENDS Orrisbane orrisbane-doctor ${CMAKE_SOURCE_DIR}/cmake/pack_release.cmake
          ${CMAKE_SOURCE_DIR}/dist/Orrisbane.ini ${CMAKE_SOURCE_DIR}/dist/Orrisbane-ReadMe.txt
  COMMENT "Packing ${RELEASE_NAME}.zip and ${RELEASE_NAME}-symbols.zip")
add_custom_target(release ALL DEPENDS ${RELEASE_ZIP} ${SYMBOLS_ZIP})
