# The release package: a zip that a mod manager installs as it stands.
set(RELEASE_NAME Orrisbane-${PROJECT_VERSION})
set(RELEASE_ZIP ${CMAKE_BINARY_DIR}/${RELEASE_NAME}.zip)
set(RELEASE_STAGE ${CMAKE_BINARY_DIR}/release-stage)
add_custom_command(OUTPUT ${RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${RELEASE_STAGE} ${RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${RELEASE_STAGE}/Data/QORV/Plugins
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Orrisbane> ${RELEASE_STAGE}/Data/QORV/Plugins/Orrisbane.dll
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/dist/Orrisbane.ini ${RELEASE_STAGE}/Data/QORV/Plugins/Orrisbane.ini
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:orrisbane-doctor> ${RELEASE_STAGE}/orrisbane-doctor.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/dist/Orrisbane-ReadMe.txt ${RELEASE_STAGE}/Orrisbane-ReadMe.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${RELEASE_STAGE} ${CMAKE_COMMAND} -E tar cf ${RELEASE_ZIP} --format=zip
          Data orrisbane-doctor.exe Orrisbane-ReadMe.txt
  DEPENDS Orrisbane orrisbane-doctor ${CMAKE_SOURCE_DIR}/dist/Orrisbane.ini ${CMAKE_SOURCE_DIR}/dist/Orrisbane-ReadMe.txt
  COMMENT "Packing ${RELEASE_NAME}.zip")
add_custom_target(release ALL DEPENDS ${RELEASE_ZIP})
