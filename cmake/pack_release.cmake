# Packs the release: the stripped DLL with the players' files, and its debug
# information on its own. Run as a script at build time (and again by the
# release test), so that the same inputs always give the same two zips:
# one fixed time on every entry and in every PE header it writes, entries in
# the order listed here, and files staged with fixed permissions.
#   cmake -DDLL= -DDOCTOR= -DSOURCE_DIR= -DOUT_DIR= -DNAME= -DEPOCH= -DOBJCOPY= -DZIP= -P pack_release.cmake
foreach(input DLL DOCTOR SOURCE_DIR OUT_DIR NAME EPOCH OBJCOPY ZIP)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "pack_release: ${input} is not set")
  endif()
endforeach()

set(stage ${OUT_DIR}/release-stage)
set(plugins Data/QORV/Plugins)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/package/${plugins} ${stage}/symbols)

# objcopy stamps the PE header with the time it runs unless told a time.
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
function(objcopy)
  execute_process(COMMAND ${OBJCOPY} ${ARGN} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "pack_release: ${OBJCOPY} ${ARGN} failed")
  endif()
endfunction()
# The debug link names the file (without its folder) and carries its
# checksum, so the debug file is written first.
objcopy(--only-keep-debug ${DLL} ${stage}/symbols/Orrisbane.dll.debug)
objcopy(--strip-all --add-gnu-debuglink=${stage}/symbols/Orrisbane.dll.debug ${DLL}
        ${stage}/package/${plugins}/Orrisbane.dll)

set(package_files ${plugins}/Orrisbane.dll ${plugins}/Orrisbane.ini orrisbane-doctor.exe Orrisbane-ReadMe.txt)
file(COPY_FILE ${SOURCE_DIR}/dist/Orrisbane.ini ${stage}/package/${plugins}/Orrisbane.ini)
objcopy(--strip-all ${DOCTOR} ${stage}/package/orrisbane-doctor.exe)  # players need no symbols of it
file(COPY_FILE ${SOURCE_DIR}/dist/Orrisbane-ReadMe.txt ${stage}/package/Orrisbane-ReadMe.txt)

# Info-ZIP without its extra fields (which carry access and change times and
# owner ids) stores only what is fixed here: each entry's name, permissions
# and one modification time, in the order given.
function(pack folder zip)
  foreach(f ${ARGN})
    file(CHMOD ${stage}/${folder}/${f} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endforeach()
  file(REMOVE ${OUT_DIR}/${zip})
  # The zip's date fields are local time: pack as if in UTC everywhere.
  set(ENV{TZ} UTC)
  execute_process(COMMAND touch -d @${EPOCH} ${ARGN} WORKING_DIRECTORY ${stage}/${folder} RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND ${ZIP} -q -X -D ${OUT_DIR}/${zip} ${ARGN}
                    WORKING_DIRECTORY ${stage}/${folder} RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "pack_release: packing ${zip} failed")
  endif()
endfunction()
pack(package ${NAME}.zip ${package_files})
pack(symbols ${NAME}-symbols.zip Orrisbane.dll.debug)
