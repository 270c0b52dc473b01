# The doctor lists options as the shipped INI groups them: the file itself is
# built in, so a new row or group there needs no second list.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/Orrisbane.ini)
file(READ ${CMAKE_SOURCE_DIR}/dist/Orrisbane.ini SHIPPED_INI)
configure_file(${CMAKE_SOURCE_DIR}/doctor/shipped_ini.cpp.in ${CMAKE_BINARY_DIR}/doctor/shipped_ini.cpp @ONLY)
target_sources(orrisbane-doctor PRIVATE ${CMAKE_BINARY_DIR}/doctor/shipped_ini.cpp)
